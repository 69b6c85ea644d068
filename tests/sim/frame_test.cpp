// The line as the printer reads it: frames cut out of the byte stream (and
// found again after noise, errors and silence), and the command register
// that gives each record its length.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "ecfsim/frame.h"
#include "ecfsim/register.h"
#include "link/layout.h"
#include "records.h"

namespace {

using ecfsim::FrameEvent;
using ecfsim::FrameReader;
using ecfsim::Milliseconds;
using ecfsim::TimePoint;
using simtest::Bytes;
using simtest::frame;
using simtest::Rec;
using Kind = FrameEvent::Kind;

struct Seen {
    Kind kind;
    Bytes record;
};

// Feeds the bytes 1 ms apart (600 ms before the one at `pauseAt`), then lets
// `quiet` pass; returns every event.
std::vector<Seen> feed(const Bytes& bytes, ecfsim::SteadyClock::duration quiet, std::size_t pauseAt,
                       const ecfsim::FrameTiming& timing) {
    FrameReader reader(timing);
    TimePoint t{};
    std::vector<Seen> seen;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        t += Milliseconds(i == pauseAt ? 600 : 1);
        if (auto e = reader.push(bytes[i], t)) seen.push_back({e->kind, e->record});
    }
    if (auto e = reader.tick(t + quiet)) seen.push_back({e->kind, e->record});
    return seen;
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(FrameReader, DeliversWhatTheLineCarries) {
    const Bytes subtotal = Rec(0xD1, 3);
    const Bytes grava = Rec(0x1B, 15).text(2, 8, "1").text(10, 4, "2").text(14, 1, "3");
    Bytes badChecksum = frame(subtotal);
    badChecksum.back() ^= 0x01;
    const Bytes line = simtest::freeLine("TOTAL");
    const Bytes whole = frame(grava), cut(whole.begin(), whole.begin() + 6);
    // The store header, short and long; and a long one whose byte 187 happens
    // to be the short form's checksum.
    auto header = [](std::size_t length) {
        Rec r(0xDA, length);
        r.text(2, 48, "LOJA").text(146, 4, "0001").text(150, 4, "0002");
        if (length > 187) r.text(187, 15, "EXTRA");
        return Bytes(r);
    };
    const Bytes shortForm = header(187), longForm = header(202);
    Bytes tricky = header(202);
    tricky[187] = simtest::checksum(Bytes(tricky.begin(), tricky.begin() + 187));
    using ms = Milliseconds;

    using ecfsim::kByteTime;
    const auto paced = ecfsim::kPacedTiming;
    struct Case {
        const char* name;
        Bytes bytes;
        std::vector<Seen> expected;
        ecfsim::SteadyClock::duration quiet{0};
        std::size_t pauseAt = std::size_t(-1);
        ecfsim::FrameTiming timing = ecfsim::kUnpacedTiming;
    } cases[] = {
        {"a command", frame(subtotal), {{Kind::command, subtotal}}},
        {"the wire form 1B 66 D1 00 AE", {0x1B, 0x66, 0xD1, 0x00, 0xAE}, {{Kind::command, subtotal}}},
        {"a wrong checksum", badChecksum, {{Kind::badChecksum, subtotal}}},
        {"a free line, no checksum", frame(line), {{Kind::command, line}}},
        {"noise before ESC is dropped", cat({{0x00, 0x66, 0xD1, 0xFF}, frame(subtotal)}),
         {{Kind::command, subtotal}}},
        {"ESC repeated before the lead", cat({{0x1B, 0x1B}, frame(subtotal)}), {{Kind::command, subtotal}}},
        {"the code 0x1B inside a record", frame(grava), {{Kind::command, grava}}},
        {"an unknown code", {0x1B, 0x66, 0x02}, {{Kind::unknownCode, {0x66, 0x02}}}},
        {"a lead that is neither f nor n", {0x1B, 0x41}, {{Kind::badLead, {0x41}}}},
        {"two frames back to back", cat({frame(subtotal), frame(grava)}),
         {{Kind::command, subtotal}, {Kind::command, grava}}},
        {"after an unknown code the next ESC starts over", cat({{0x1B, 0x66, 0x99, 0x01, 0x02}, frame(subtotal)}),
         {{Kind::unknownCode, {0x66, 0x99}}, {Kind::command, subtotal}}},
        {"after a bad checksum the next frame counts", cat({badChecksum, frame(subtotal)}),
         {{Kind::badChecksum, subtotal}, {Kind::command, subtotal}}},
        {"cut short, 49 ms of silence", cut, {}, ms(49)},
        {"cut short, 50 ms of silence", cut, {{Kind::cutShort, Bytes(cut.begin() + 1, cut.end())}}, ms(50)},
        {"an ESC after the silence starts anew", cat({cut, frame(subtotal)}),
         {{Kind::cutShort, Bytes(cut.begin() + 1, cut.end())}, {Kind::command, subtotal}}, ms(0), cut.size()},
        {"short store header, then 2 ms", frame(shortForm), {{Kind::command, shortForm}}, ms(2)},
        {"short store header, 1 ms: it may go on", frame(shortForm), {}, ms(1)},
        {"paced: cut short after five byte times", cut, {{Kind::cutShort, Bytes(cut.begin() + 1, cut.end())}},
         5 * kByteTime, std::size_t(-1), paced},
        {"paced: four byte times are a pause", cut, {}, 4 * kByteTime, std::size_t(-1), paced},
        {"paced: short store header within two byte times", frame(shortForm), {{Kind::command, shortForm}},
         2 * kByteTime, std::size_t(-1), paced},
        {"paced: one byte time, it may go on", frame(shortForm), {}, kByteTime, std::size_t(-1), paced},
        {"long store header", frame(longForm), {{Kind::command, longForm}}},
        {"long store header that looks short at 188 bytes", frame(tricky), {{Kind::command, tricky}}},
    };
    for (const Case& c : cases) {
        const auto seen = feed(c.bytes, c.quiet, c.pauseAt, c.timing);
        ASSERT_EQ(seen.size(), c.expected.size()) << c.name;
        for (std::size_t i = 0; i < seen.size(); ++i) {
            EXPECT_EQ(seen[i].kind, c.expected[i].kind) << c.name;
            EXPECT_EQ(seen[i].record, c.expected[i].record) << c.name;
        }
    }
}

// The printer's register and the library's layouts, written apart, hold
// each other: every record the library sends has its code and length here,
// every reply it reads its length, and the printer knows nothing more.
TEST(Register, KnowsEveryRecordTheLibrarySendsAndEveryReplyItReads) {
    std::map<uint8_t, uint16_t> replies;  // the longest reply the library reads per code
    for (const ecf::ReplyLayout& r : ecf::replyLayouts())
        replies[r.code] = std::max(replies[r.code], r.length);
    std::set<uint8_t> codes;
    for (const ecf::Layout* layout : ecf::commandLayouts()) {
        SCOPED_TRACE(layout->senders);
        if (layout->fields[0].value == ecfsim::kFreeLineLead) {
            EXPECT_EQ(layout->length, ecfsim::kFreeLineLength);
            continue;
        }
        const auto* info = ecfsim::findCommand(layout->code);
        ASSERT_NE(info, nullptr);
        EXPECT_TRUE(layout->length == info->length || layout->length == info->longLength);
        const auto kind = layout->code == 0x15         ? ecfsim::AnswerKind::readOut
                          : replies.count(layout->code) ? ecfsim::AnswerKind::reply
                                                        : ecfsim::AnswerKind::statusByte;
        EXPECT_EQ(info->answer, kind);
        if (kind == ecfsim::AnswerKind::reply) {
            EXPECT_EQ(info->replyLength, replies[layout->code]);
        }
        codes.insert(layout->code);
    }
    EXPECT_EQ(std::distance(ecfsim::commandsBegin(), ecfsim::commandsEnd()), long(codes.size()));
    for (uint8_t code : {0x00, 0x02, 0x1A, 0x25, 0x6E, 0x66, 0xD7, 0xDB, 0xE8, 0xFF})
        EXPECT_EQ(ecfsim::findCommand(code), nullptr) << std::hex << int(code);
}

}  // namespace
