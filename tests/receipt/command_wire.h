// A scripted printer that checks the frame each command puts on the line.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "ecf.h"
#include "receipt/expected_record.h"
#include "support/pty_peer.h"

namespace ecf::test {

// ESC, the record, and the byte that makes the frame sum to 0 modulo 256;
// a free line (lead byte 'n') goes without it.
inline Bytes frameOf(const std::string& record) {
    Bytes frame(record.size() + 1, 0x1B);
    std::copy(record.begin(), record.end(), frame.begin() + 1);
    if (!record.empty() && record[0] == 'n') return frame;
    uint8_t sum = 0;
    for (uint8_t b : frame) sum = static_cast<uint8_t>(sum + b);
    frame.push_back(static_cast<uint8_t>(-sum));
    return frame;
}

struct WireCase {
    const char* name;
    std::function<int32_t()> send;
    std::string record;  // the whole record, lead byte first
};

// Runs the cases in turn against one scripted printer that answers each frame
// with a status byte of its own, so a stray byte after any frame shows up in
// the next one.
inline void expectOnTheWire(const std::vector<WireCase>& cases) {
    PtyPeer peer;
    ScopedEnv env("ECF_COM1", peer.path());
    ChangePort(0);
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

}  // namespace ecf::test
