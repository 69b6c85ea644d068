// The simulator on a pseudo-terminal, spoken to frame by frame: its answers,
// the faults it can be told to inject, its pacing, and a state file that
// cannot be written.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <vector>

#include "ecfsim/state_file.h"
#include "raw_line.h"
#include "records.h"
#include "support/scratch.h"
#include "support/sim_fixture.h"

namespace {

using ecf::test::SimFixture;
using ecfsim::Fault;
using ecfsim::Status;
using simtest::Bytes;
using simtest::frame;
using simtest::RawLine;
using simtest::Rec;
namespace r = simtest;
using Clock = std::chrono::steady_clock;

Bytes statusOf(Status s) { return {static_cast<uint8_t>(s)}; }

TEST(SimulatorLine, AnswersEveryFrameAsTheFirmwareWould) {
    SimFixture sim;
    RawLine line(sim.path());
    std::mutex logMutex;
    std::vector<Bytes> logged;  // the answers a watcher saw, one per frame
    std::size_t seenTwice = 0;  // by a second watcher beside the first
    for (int watcher = 0; watcher < 2; ++watcher)
        sim.simulator().watchExchanges([&, watcher](ecfsim::Exchange&& e) {
            std::lock_guard<std::mutex> lock(logMutex);
            if (watcher == 0) logged.push_back(std::move(e.answer));
            else if (e.answer == logged.back()) ++seenTwice;
        });
    Bytes badChecksum = frame(r::subtotal());
    badChecksum.back() ^= 0x5A;
    struct {
        const char* name;
        Bytes bytes;
        Bytes answer;
    } cases[] = {
        {"a good frame, refused by state", frame(r::subtotal()), statusOf(Status::noDocument)},
        {"a wrong checksum", badChecksum, statusOf(Status::badChecksum)},
        {"an unknown code", {0x1B, 0x66, 0x02, 0x00, 0x00}, statusOf(Status::unknownCommand)},
        {"a lead byte that is not f or n", {0x1B, 0x41, 0x42}, statusOf(Status::unknownCommand)},
        {"a frame carried out", frame(r::reading(0x14)), statusOf(Status::accepted)},
        {"a frame cut short", {0x1B, 0x66, 0x14, ' ', ' '}, statusOf(Status::frameCutShort)},
        {"a free line with nothing open", frame(r::freeLine("X")), statusOf(Status::noDocument)},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(line.send(c.bytes)) << c.name;
        EXPECT_EQ(line.receive(1, 1000), c.answer) << c.name;
        EXPECT_TRUE(line.receive(1, 20).empty()) << c.name << ": one answer only";
    }
    EXPECT_EQ(sim.model().counters.coo, 1u) << "only the X reading printed";
    EXPECT_EQ(sim.simulator().stats().badFrames, 4u);
    std::lock_guard<std::mutex> lock(logMutex);
    ASSERT_EQ(logged.size(), std::size(cases)) << "one logged exchange per frame";
    EXPECT_EQ(seenTwice, logged.size()) << "each watcher sees every exchange";
    for (std::size_t i = 0; i < logged.size(); ++i) EXPECT_EQ(logged[i], cases[i].answer) << cases[i].name;
}

// What leaves the printer under each fault, and whether the command was
// carried out; the answers after it are whole again. (The library's own
// fault tests use these too, for the call's side.)
TEST(SimulatorLine, InjectedFaults) {
    SimFixture sim;
    RawLine line(sim.path());
    const Bytes normal = line.exchange(r::query(0xE0), 100);
    ASSERT_EQ(normal.size(), 72u);
    struct {
        const char* name;
        Fault fault;
        Bytes record;
        Bytes answer;  // garbage: as long as the normal answer
        uint32_t coo = 0;  // after the exchange
    } cases[] = {
        {"short reply", {Fault::Kind::shortReply, 3}, r::query(0xE0), Bytes(normal.begin(), normal.begin() + 3)},
        {"cut mid-way", {Fault::Kind::cutMidway}, r::query(0xE0), Bytes(normal.begin(), normal.begin() + 36)},
        {"garbage", {Fault::Kind::garbage}, r::query(0xE0), {}},
        {"a chosen status", {Fault::Kind::status, 77}, r::reading(0x14), {77}},
        {"silent", {Fault::Kind::silent}, r::reading(0x14), {}},
        {"garbage for a status byte", {Fault::Kind::garbage}, r::reading(0x14), {}, 1},
    };
    for (const auto& c : cases) {
        sim.inject(c.fault);
        const Bytes got = line.exchange(c.record, 100);
        if (c.fault.kind == Fault::Kind::garbage) {
            EXPECT_EQ(got.size(), c.record[1] == 0xE0 ? 72u : 1u) << c.name;
            if (got.size() == 72) {
                EXPECT_NE(got, normal) << c.name;
            }
        } else {
            EXPECT_EQ(got, c.answer) << c.name;
        }
        EXPECT_EQ(sim.model().counters.coo, c.coo) << c.name << ": carried out or not";
        EXPECT_EQ(line.exchange(r::query(0xE0), 100).size(), 72u) << c.name << ": answers go on";
    }
}

TEST(SimulatorLine, RealtimePacesTheAnswer) {
    SimFixture::Options o;
    o.realtime = true;
    SimFixture sim(o);
    RawLine line(sim.path());
    const auto start = Clock::now();
    const Bytes reply = line.exchange(r::query(0xE0), 72);
    // 6 bytes in and 72 out, 11 bits each at 9600 baud: at least 89 ms.
    EXPECT_EQ(reply.size(), 72u);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(89));
}

// A state file on a file system with no room left: the printer refuses what
// it could not keep, changes nothing, leaves no partial file, and takes
// commands again once there is room. (A small tmpfs: root only.)
TEST(SimulatorState, AFullDiskRefusesWhatItCannotKeep) {
    if (::geteuid() != 0) GTEST_SKIP() << "a small file system to fill needs root";
    ecf::test::ScratchDir disk;
    const std::string mountPoint = disk.path().string();
    if (std::system(("mount -t tmpfs -o size=64k tmpfs " + mountPoint).c_str()) != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here";
    struct Unmount {
        std::string dir;
        ~Unmount() { (void)!std::system(("umount " + dir).c_str()); }
    } unmount{mountPoint};
    SimFixture::Options o;
    o.statePath = disk / "printer.json";
    SimFixture sim(o);
    RawLine line(sim.path());
    ASSERT_EQ(line.exchange(r::sellItem("ARROZ", "1000", 1), 1), statusOf(Status::accepted));
    const std::string kept = ecfsim::modelToJson(ecfsim::loadState(o.statePath));
    const std::string paper = sim.paper();

    const std::string filler = disk / "filler";
    {
        std::ofstream fill(filler, std::ios::binary);
        const std::string block(4096, '\0');
        while (fill.write(block.data(), block.size())) {
        }
    }
    for (const Bytes& refused : {r::sellItem("FEIJAO", "800", 2), r::subtotal()})
        EXPECT_EQ(line.exchange(refused, 1), statusOf(Status::memoryNotWritten));
    EXPECT_EQ(ecfsim::modelToJson(ecfsim::loadState(o.statePath)), kept);
    EXPECT_EQ(sim.model().receipt.items.size(), 1u) << "nothing done";
    EXPECT_EQ(sim.paper(), paper) << "nothing printed";
    EXPECT_EQ(disk.entries(), 2u) << "no partial file";

    std::filesystem::remove(filler);
    EXPECT_EQ(line.exchange(r::sellItem("FEIJAO", "800", 2), 1), statusOf(Status::accepted));
    EXPECT_EQ(ecfsim::loadState(o.statePath).receipt.items.size(), 2u);
}

}  // namespace
