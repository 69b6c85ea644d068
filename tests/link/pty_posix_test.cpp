#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <vector>

#include "ecf.h"
#include "link/link.h"
#include "link/posix_port.h"
#include "support/pty_peer.h"

namespace {

using ecf::link::CommTimeouts;
using ecf::link::OpenError;
using ecf::link::PosixPort;
using ecf::test::Bytes;
using ecf::test::PtyPeer;
using ecf::test::ScopedEnv;

using Clock = std::chrono::steady_clock;

long msSince(Clock::time_point t) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

TEST(ParityMarks, DecodedBackToWhatWasSent) {
    struct {
        Bytes raw;
        Bytes decoded;
    } cases[] = {
        {{0x41, 0xFF, 0xFF, 0x42}, {0x41, 0xFF, 0x42}},
        {{0xFF, 0x00, 0x37, 0x43}, {'#', 0x43}},
        {{0x00, 0x0A, 0x0D, 0x11, 0x13}, {0x00, 0x0A, 0x0D, 0x11, 0x13}},
    };
    for (const auto& c : cases) {
        // Whole, and split after every byte: the marker may straddle two reads.
        for (std::size_t split = 0; split <= c.raw.size(); ++split) {
            ecf::link::ParityMarkDecoder d('#');
            Bytes out(16);
            uint32_t n = d.decode(c.raw.data(), static_cast<uint32_t>(split), out.data(), 16);
            n += d.decode(c.raw.data() + split, static_cast<uint32_t>(c.raw.size() - split),
                          out.data() + n, 16 - n);
            out.resize(n);
            EXPECT_EQ(out, c.decoded) << ecf::test::hex(c.raw) << " split " << split;
        }
    }
}

TEST(DevicePaths, ComeFromTheEnvironmentAtEachOpen) {
    ::unsetenv("ECF_COM3");
    EXPECT_EQ(ecf::link::devicePathFor("COM3"), "/dev/ttyS2");
    {
        ScopedEnv empty("ECF_COM3", "");
        EXPECT_EQ(ecf::link::devicePathFor("COM3"), "/dev/ttyS2") << "empty counts as unset";
    }
    ScopedEnv env("ECF_COM3", "/tmp/printer");
    EXPECT_EQ(ecf::link::devicePathFor("COM3"), "/tmp/printer");
}

class PtyPort : public ::testing::Test {
protected:
    PtyPeer peer;
    ScopedEnv env{"ECF_COM1", peer.path()};

    void open(PosixPort& port, const CommTimeouts& t) {
        ASSERT_EQ(port.open("COM1"), OpenError::none);
        ASSERT_EQ(port.applyLineSettings({}), 0u);
        ASSERT_EQ(port.setTimeouts(t), 0u);
    }
};

// A read with nothing to come ends by its own time-out: the constant alone
// for a status byte, the multiplier times the length plus the constant for a
// reply. (The gap between bytes is held through the exports, with the faults.)
TEST_F(PtyPort, ReadsOfNothingEndByTheirTimeouts) {
    struct {
        CommTimeouts timeouts;
        uint32_t length;
        long atLeastMs, belowMs;
    } cases[] = {
        {{0xFFFFFFFF, 0xFFFFFFFF, 150, 200, 3000}, 1, 140, 5000},
        {{50, 10, 100, 200, 3000}, 10, 190, 5000},
    };
    for (const auto& c : cases) {
        PosixPort port;
        open(port, c.timeouts);
        Bytes buffer(c.length);
        uint32_t got = 99;
        const auto start = Clock::now();
        EXPECT_EQ(port.read(buffer.data(), c.length, &got), 0u) << c.length;
        const long ms = msSince(start);
        EXPECT_EQ(got, 0u) << c.length;
        EXPECT_GE(ms, c.atLeastMs) << c.length;
        EXPECT_LT(ms, c.belowMs) << c.length;
    }
}

TEST_F(PtyPort, ControlBytesAndFFPassUnchangedBothWays) {
    const Bytes special = {0x0A, 0x0D, 0x11, 0x13, 0xFF, 0x00, 0x1B};
    PosixPort port;
    open(port, {200, 10, 3000, 200, 3000});
    peer.serve({{special.size(), special}});
    uint32_t n = 0;
    ASSERT_EQ(port.write(special.data(), static_cast<uint32_t>(special.size()), &n), 0u);
    Bytes back(special.size());
    ASSERT_EQ(port.read(back.data(), static_cast<uint32_t>(back.size()), &n), 0u);
    EXPECT_EQ(peer.wait(), special);
    EXPECT_EQ(back, special);
}

// (Every other test talks to COM1.)
TEST(PortSelection, ChangePortRoutesToTheSelectedDevice) {
    PtyPeer com2;
    ScopedEnv env2("ECF_COM2", com2.path());
    com2.serve({{12, {0x33}}});
    EXPECT_EQ(ChangePort(7), 1);
    EXPECT_EQ(ecfReducaoZ("Z"), 0x33);
    EXPECT_EQ(com2.wait().size(), 12u);
    ChangePort(0);
}

}  // namespace
