#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <iterator>
#include <mutex>
#include <vector>

#include "ecfsim/state_file.h"
#include "records.h"
#include "support/sim_fixture.h"

namespace {

using ecf::test::SimFixture;
using ecfsim::Fault;
using ecfsim::Status;
using simtest::Bytes;
using simtest::frame;
using simtest::Rec;
namespace r = simtest;
using Clock = std::chrono::steady_clock;

// The computer's end of the line, written and read byte by byte.
class RawLine {
public:
    explicit RawLine(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) {}
    ~RawLine() { ::close(fd_); }
    RawLine(const RawLine&) = delete;
    RawLine& operator=(const RawLine&) = delete;

    void send(const Bytes& bytes) { ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    // Up to `max` bytes, until the line is quiet for `quietMs`.
    Bytes receive(std::size_t max, int quietMs = 300) {
        Bytes out;
        while (out.size() < max) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, quietMs) <= 0) break;
            uint8_t buf[1024];
            const ssize_t n = ::read(fd_, buf, std::min(sizeof buf, max - out.size()));
            if (n <= 0) break;
            out.insert(out.end(), buf, buf + n);
        }
        return out;
    }
    Bytes exchange(const Bytes& record, std::size_t answer) {
        send(frame(record));
        return receive(answer);
    }

private:
    int fd_;
};

Bytes statusOf(Status s) { return {static_cast<uint8_t>(s)}; }

TEST(SimulatorLine, AnswersEveryFrameAsTheFirmwareWould) {
    SimFixture sim;
    RawLine line(sim.path());
    std::mutex logMutex;
    std::vector<Bytes> logged;  // the answers the exchange sink saw, one per frame
    sim.simulator().setExchangeSink([&](const ecfsim::FrameEvent&, const Bytes& answer) {
        std::lock_guard<std::mutex> lock(logMutex);
        logged.push_back(answer);
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
        {"noise, then a frame", [] {
             Bytes b{0x00, 0xFF, 0x66, 0xD1, 0x00, 0xAE};
             const Bytes f = frame(r::reading(0x14));
             b.insert(b.end(), f.begin(), f.end());
             return b;
         }(), statusOf(Status::accepted)},
        {"a frame cut short", {0x1B, 0x66, 0x14, ' ', ' '}, statusOf(Status::frameCutShort)},
        {"a free line with nothing open", frame(r::freeLine("X")), statusOf(Status::noDocument)},
    };
    for (const auto& c : cases) {
        line.send(c.bytes);
        EXPECT_EQ(line.receive(1, 1000), c.answer) << c.name;
        EXPECT_TRUE(line.receive(1, 20).empty()) << c.name << ": one answer only";
    }
    EXPECT_EQ(sim.model().counters.coo, 1u) << "only the X reading printed";
    EXPECT_EQ(sim.simulator().stats().badFrames, 4u);
    std::lock_guard<std::mutex> lock(logMutex);
    ASSERT_EQ(logged.size(), std::size(cases)) << "one logged exchange per frame";
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
    // Every second answer only (the others: 11, nothing open), until cleared.
    sim.inject({Fault::Kind::status, 99, 0, 2});
    for (const uint8_t expected : {11, 99, 11, 99}) EXPECT_EQ(line.exchange(r::subtotal(), 1), Bytes{expected});
    sim.clearFaults();
    EXPECT_EQ(line.exchange(r::subtotal(), 1), statusOf(Status::noDocument));
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

TEST(SimulatorLine, ARestartWithTheSameStateFileKeepsTheFiscalMemory) {
    char dir[] = "/tmp/ecfsim-state-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    SimFixture::Options o;
    o.statePath = std::string(dir) + "/printer.json";
    {
        SimFixture sim(o);
        RawLine line(sim.path());
        for (const Bytes& record : {r::sellItem("ARROZ", "1000", 1), r::subtotal(), r::pay(1, "1000"),
                                    r::endTransaction(), r::reading(0x13)})
            EXPECT_EQ(line.exchange(record, 1), statusOf(Status::accepted));
    }
    o.model = ecfsim::loadState(o.statePath);
    o.useModel = true;
    SimFixture again(o);
    RawLine line(again.path());
    const Bytes readOut = line.exchange(r::selectByNumber(0x15, 4, 0, 9), 132);
    ASSERT_EQ(readOut.size(), 59u + 41u + 32u);
    EXPECT_EQ(std::string(readOut.begin() + 90, readOut.begin() + 110), std::string(16, '0') + "1000");
    EXPECT_EQ(again.model().grandTotal, 1000);
    EXPECT_EQ(line.exchange(r::reading(0x13), 1), statusOf(Status::dayClosed)) << "still reduced today";
    (void)!std::system(("rm -rf '" + std::string(dir) + "'").c_str());
}

}  // namespace
