#include <gtest/gtest.h>

#include "ecfsim/frame.h"
#include "ecfsim/register.h"
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

// Feeds the bytes 1 ms apart, then lets `quiet` pass; returns every event.
std::vector<Seen> feed(const Bytes& bytes, Milliseconds quiet = Milliseconds(0)) {
    FrameReader reader;
    TimePoint t{};
    std::vector<Seen> seen;
    for (uint8_t b : bytes) {
        t += Milliseconds(1);
        if (auto e = reader.push(b, t)) seen.push_back({e->kind, e->record});
    }
    if (auto e = reader.tick(t + quiet)) seen.push_back({e->kind, e->record});
    return seen;
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

const Bytes kSubtotal = Rec(0xD1, 3);
const Bytes kGrava = Rec(0x1B, 15).text(2, 8, "1").text(10, 4, "2").text(14, 1, "3");

TEST(FrameReader, DeliversWhatTheLineCarries) {
    Bytes badChecksum = frame(kSubtotal);
    badChecksum.back() ^= 0x01;
    const Bytes line = simtest::freeLine("TOTAL");
    struct Case {
        const char* name;
        Bytes bytes;
        std::vector<Seen> expected;
    } cases[] = {
        {"a command", frame(kSubtotal), {{Kind::command, kSubtotal}}},
        {"the wire form 1B 66 D1 00 AE", {0x1B, 0x66, 0xD1, 0x00, 0xAE}, {{Kind::command, kSubtotal}}},
        {"a wrong checksum", badChecksum, {{Kind::badChecksum, kSubtotal}}},
        {"a free line, no checksum", frame(line), {{Kind::command, line}}},
        {"noise before ESC is dropped", cat({{0x00, 0x66, 0xD1, 0xFF}, frame(kSubtotal)}),
         {{Kind::command, kSubtotal}}},
        {"ESC repeated before the lead", cat({{0x1B, 0x1B}, frame(kSubtotal)}),
         {{Kind::command, kSubtotal}}},
        {"the code 0x1B inside a record", frame(kGrava), {{Kind::command, kGrava}}},
        {"an unknown code", {0x1B, 0x66, 0x02}, {{Kind::unknownCode, {0x66, 0x02}}}},
        {"a lead that is neither f nor n", {0x1B, 0x41}, {{Kind::badLead, {0x41}}}},
        {"two frames back to back", cat({frame(kSubtotal), frame(kGrava)}),
         {{Kind::command, kSubtotal}, {Kind::command, kGrava}}},
        {"after an unknown code the next ESC starts over",
         cat({{0x1B, 0x66, 0x99, 0x01, 0x02}, frame(kSubtotal)}),
         {{Kind::unknownCode, {0x66, 0x99}}, {Kind::command, kSubtotal}}},
        {"after a bad checksum the next frame counts", cat({badChecksum, frame(kSubtotal)}),
         {{Kind::badChecksum, kSubtotal}, {Kind::command, kSubtotal}}},
    };
    for (const Case& c : cases) {
        const auto seen = feed(c.bytes);
        ASSERT_EQ(seen.size(), c.expected.size()) << c.name;
        for (std::size_t i = 0; i < seen.size(); ++i) {
            EXPECT_EQ(seen[i].kind, c.expected[i].kind) << c.name;
            EXPECT_EQ(seen[i].record, c.expected[i].record) << c.name;
        }
    }
}

TEST(FrameReader, AFrameCutShortEndsAfterHalfASecondOfSilence) {
    const Bytes whole = frame(kGrava);
    const Bytes part(whole.begin(), whole.begin() + 6);
    EXPECT_TRUE(feed(part, Milliseconds(499)).empty());
    const auto seen = feed(part, Milliseconds(500));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].kind, Kind::cutShort);
    // The ESC that comes after the silence begins the next frame.
    FrameReader reader;
    TimePoint t{};
    for (uint8_t b : part) reader.push(b, t += Milliseconds(1));
    auto cut = reader.push(0x1B, t += Milliseconds(600));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->kind, Kind::cutShort);
    std::optional<FrameEvent> next;
    const Bytes following = frame(kSubtotal);
    for (std::size_t i = 1; i < following.size(); ++i) next = reader.push(following[i], t += Milliseconds(1));
    ASSERT_TRUE(next);
    EXPECT_EQ(next->kind, Kind::command);
}

TEST(FrameReader, StoreHeaderTakesTheFormTheBytesShow) {
    auto header = [](std::size_t length) {
        Rec r(0xDA, length);
        r.text(2, 48, "LOJA").text(146, 4, "0001").text(150, 4, "0002");
        if (length > 187) r.text(187, 15, "EXTRA");
        return r;
    };
    const Rec shortForm = header(187), longForm = header(202);
    // A long form whose byte 187 happens to be the short form's checksum.
    Rec tricky = header(202);
    tricky.byte(187, simtest::checksum(Bytes(tricky.bytes().begin(), tricky.bytes().begin() + 187)));

    struct {
        const char* name;
        Bytes record;
        Milliseconds quiet;
    } cases[] = {
        {"short form, then silence", shortForm, Milliseconds(50)},
        {"long form", longForm, Milliseconds(0)},
        {"long form that looks short at 188 bytes", tricky, Milliseconds(0)},
    };
    for (const auto& c : cases) {
        const auto seen = feed(frame(c.record), c.quiet);
        ASSERT_EQ(seen.size(), 1u) << c.name;
        EXPECT_EQ(seen[0].kind, Kind::command) << c.name;
        EXPECT_EQ(seen[0].record, c.record) << c.name;
    }
    // The short form waits for the long one a little before it counts.
    EXPECT_TRUE(feed(frame(shortForm), Milliseconds(49)).empty());
}

TEST(FrameReader, CountsBytesOutsideFrames) {
    FrameReader reader;
    TimePoint t{};
    for (uint8_t b : Bytes{0x00, 0x41, 0x66}) reader.push(b, t);
    EXPECT_EQ(reader.droppedBytes(), 3u);
    EXPECT_FALSE(reader.inFrame());
    EXPECT_FALSE(reader.deadline());
    reader.push(0x1B, t);
    EXPECT_TRUE(reader.inFrame());
    EXPECT_EQ(*reader.deadline(), t + Milliseconds(500));
}

TEST(FrameReader, RandomBytesOnlyEverMakeWholeRecords) {
    ecfsim::FrameReader reader;
    ecfsim::TimePoint t{};
    uint64_t seed = 99;
    std::size_t events = 0;
    for (int i = 0; i < 300000; ++i) {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        // Mostly the bytes frames are made of, now and then a pause.
        const uint8_t pick[] = {0x1B, 'f', 'n', 0xD1, 0xDA, 0x14, 0x00, ' ', uint8_t(seed >> 32)};
        const uint8_t b = pick[(seed >> 8) % sizeof pick];
        t += ecfsim::Milliseconds((seed >> 20) % 1000 == 0 ? 600 : 1);
        auto e = reader.push(b, t);
        if (!e) continue;
        ++events;
        if (e->kind == Kind::command || e->kind == Kind::badChecksum) {
            ASSERT_FALSE(e->record.empty());
            if (e->record[0] == 'n') {
                EXPECT_EQ(e->record.size(), ecfsim::kFreeLineLength);
            } else {
                const auto* info = ecfsim::findCommand(e->record.at(1));
                ASSERT_NE(info, nullptr);
                EXPECT_TRUE(e->record.size() == info->length || e->record.size() == info->longLength);
            }
        }
    }
    EXPECT_GT(events, 1000u);
}

TEST(Register, KnowsEveryCommandWithItsLengthAndAnswer) {
    constexpr int kStatus = 0, kReadOut = -1;  // else the length of the reply
    struct {
        uint8_t code;
        uint16_t length;
        int answer;
    } cases[] = {
        {0x01, 3, kStatus},   {0x06, 12, kStatus},  {0x07, 16, kStatus},  {0x10, 10, kStatus},
        {0x11, 10, kStatus},  {0x13, 10, kStatus},  {0x14, 10, kStatus},  {0x16, 15, kStatus},
        {0x1B, 15, kStatus},  {0x20, 7, kStatus},   {0x21, 3, kStatus},   {0x22, 9, kStatus},
        {0x23, 51, kStatus},  {0x24, 24, kStatus},  {0x2A, 12, kStatus},  {0x6F, 50, kStatus},
        {0x78, 65, kStatus},  {0xC0, 84, kStatus},  {0xC1, 209, kStatus}, {0xC7, 12, kStatus},
        {0xD0, 113, kStatus}, {0xD1, 3, kStatus},   {0xD2, 84, kStatus},  {0xD3, 79, kStatus},
        {0xD4, 36, kStatus},  {0xD5, 27, kStatus},  {0xD6, 91, kStatus},  {0xD8, 27, kStatus},
        {0xD9, 39, kStatus},  {0xDA, 187, kStatus}, {0xDD, 3, kStatus},   {0xDE, 19, kStatus},
        {0xEC, 5, kStatus},   {0xFA, 4, kStatus},   {0x15, 23, kReadOut}, {0x12, 3, 747},
        {0x26, 23, 9},        {0xDF, 4, 7},         {0xE0, 4, 72},        {0xE1, 4, 41},
        {0xE2, 4, 47},        {0xE3, 4, 123},       {0xE4, 4, 52},        {0xE5, 4, 268},
        {0xE6, 4, 47},        {0xE7, 4, 66},
    };
    for (const auto& c : cases) {
        const auto* info = ecfsim::findCommand(c.code);
        ASSERT_NE(info, nullptr) << std::hex << int(c.code);
        EXPECT_EQ(info->length, c.length) << std::hex << int(c.code);
        const auto kind = c.answer == kStatus    ? ecfsim::AnswerKind::statusByte
                          : c.answer == kReadOut ? ecfsim::AnswerKind::readOut
                                                 : ecfsim::AnswerKind::reply;
        EXPECT_EQ(info->answer, kind) << std::hex << int(c.code);
        if (c.answer > 0) {
            EXPECT_EQ(info->replyLength, c.answer) << std::hex << int(c.code);
        }
    }
    EXPECT_EQ(std::distance(ecfsim::commandsBegin(), ecfsim::commandsEnd()), long(std::size(cases)));
    EXPECT_EQ(ecfsim::findCommand(0xDA)->longLength, 202);
    for (uint8_t code : {0x00, 0x02, 0x1A, 0x25, 0x6E, 0x66, 0xD7, 0xDB, 0xE8, 0xFF})
        EXPECT_EQ(ecfsim::findCommand(code), nullptr) << std::hex << int(code);
}

}  // namespace
