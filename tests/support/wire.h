// Commands checked as they reach the line: a scripted printer on COM1 at the
// other end of a pseudo-terminal. POSIX tests only (*_posix_test.cpp).
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "bytes.h"
#include "ecf.h"
#include "pty_peer.h"

namespace ecf::test {

// A scripted printer on COM1, selected while the object lives.
struct ScriptedCom1 {
    PtyPeer peer;
    ScopedEnv env{"ECF_COM1", peer.path()};
    ScriptedCom1() { ChangePort(0); }
};
class PrinterOnCom1 : public ::testing::Test, protected ScriptedCom1 {};

// What arrived, cut into frames of one length: their records, each frame
// checked for its ESC and its checksum.
inline std::vector<std::string> recordsOf(const Bytes& wire, std::size_t frameLength) {
    std::vector<std::string> out;
    EXPECT_EQ(wire.size() % frameLength, 0u) << hex(wire);
    for (std::size_t at = 0; at + frameLength <= wire.size(); at += frameLength) {
        const std::string record(wire.begin() + at + 1, wire.begin() + at + frameLength - 1);
        EXPECT_EQ(hex(Bytes(wire.begin() + at, wire.begin() + at + frameLength)),
                  hex(frameOf(record)));
        out.push_back(record);
    }
    return out;
}

struct WireCase {
    const char* name;
    std::function<int32_t()> send;
    std::string record;  // the whole record, lead byte first
};

// Runs the cases in turn against one scripted printer that answers each frame
// with a status byte of its own, so that a stray byte after any frame shows
// in the next one and each export must return the byte unchanged.
inline void expectOnTheWire(const std::vector<WireCase>& cases) {
    ScriptedCom1 com1;
    PtyPeer& peer = com1.peer;
    std::vector<PtyPeer::Step> script;
    for (std::size_t i = 0; i < cases.size(); ++i)
        script.push_back({frameOf(cases[i].record).size(), {static_cast<uint8_t>(0x80 + i)}});
    peer.serve(script);
    std::vector<int32_t> results;
    for (const WireCase& c : cases) results.push_back(c.send());
    const Bytes wire = peer.wait();

    std::size_t at = 0;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Bytes expected = frameOf(cases[i].record);
        const std::size_t from = std::min(at, wire.size());
        const std::size_t to = std::min(at + expected.size(), wire.size());
        EXPECT_EQ(hex(Bytes(wire.begin() + from, wire.begin() + to)), hex(expected))
            << cases[i].name;
        EXPECT_EQ(results[i], static_cast<int32_t>(0x80 + i)) << cases[i].name;
        at += expected.size();
    }
    EXPECT_EQ(wire.size(), at);
}

// Holds the device's lock, as another program using the port would.
class HeldDevice {
public:
    explicit HeldDevice(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) {
        if (fd_ < 0 || ::flock(fd_, LOCK_EX | LOCK_NB) != 0) ADD_FAILURE() << "cannot hold " << path;
    }
    ~HeldDevice() {
        if (fd_ >= 0) ::close(fd_);
    }
    HeldDevice(const HeldDevice&) = delete;
    HeldDevice& operator=(const HeldDevice&) = delete;

private:
    int fd_;
};

}  // namespace ecf::test
