#include <gtest/gtest.h>

#include "ecfsim/frame.h"
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
    struct {
        Milliseconds quiet;
        bool ended;
    } cases[] = {{Milliseconds(0), false}, {Milliseconds(499), false}, {Milliseconds(500), true}};
    for (const auto& c : cases) {
        const auto seen = feed(part, c.quiet);
        EXPECT_EQ(seen.size(), c.ended ? 1u : 0u) << c.quiet.count();
        if (c.ended) {
            EXPECT_EQ(seen[0].kind, Kind::cutShort);
        }
    }
    // The byte after the silence may begin the next frame.
    FrameReader reader;
    TimePoint t{};
    for (uint8_t b : part) reader.push(b, t += Milliseconds(1));
    auto cut = reader.push(0x1B, t + Milliseconds(600));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->kind, Kind::cutShort);
    std::optional<FrameEvent> next;
    t += Milliseconds(600);
    const Bytes following = frame(kSubtotal);
    for (std::size_t i = 1; i < following.size(); ++i)
        next = reader.push(following[i], t += Milliseconds(1));
    ASSERT_TRUE(next);
    EXPECT_EQ(next->kind, Kind::command);
}

TEST(FrameReader, StoreHeaderTakesTheFormTheBytesShow) {
    Rec shortForm(0xDA, 187);
    shortForm.text(2, 48, "LOJA").text(146, 4, "0001").text(150, 4, "0002");
    Rec longForm(0xDA, 202);
    longForm.text(2, 48, "LOJA").text(146, 4, "0001").text(150, 4, "0002").text(187, 15, "EXTRA");
    // A long form whose byte 187 happens to be the short form's checksum.
    Rec tricky(0xDA, 202);
    tricky.text(2, 48, "LOJA").text(146, 4, "0001").text(150, 4, "0002").text(187, 15, "EXTRA");
    Bytes first187(tricky.bytes().begin(), tricky.bytes().begin() + 187);
    tricky.byte(187, simtest::checksum(first187));

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

}  // namespace

namespace {

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

}  // namespace
