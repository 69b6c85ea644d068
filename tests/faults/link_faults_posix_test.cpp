// A printer that misbehaves on purpose at the other end of a pseudo-terminal:
// replies cut short or finished late, a status byte with noise after it, a
// line dropped mid-reply, two callers at once. Each call comes back
// within its time-out with what the link promises, and the next one is whole.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "ecf.h"
#include "support/wire.h"

namespace {

using ecf::test::Bytes;
using ecf::test::PtyPeer;
using ecf::test::ScopedEnv;

constexpr std::size_t kQueryFrame = 6;     // ESC, 4-byte query record, checksum
constexpr std::size_t kSubTotalFrame = 5;  // ESC, 3-byte record, checksum

// The receipt-status reply: 72 bytes 'A', 'B', ... 'Z', 'A', ...; and the text
// it gives: every byte from the fourth on but the two between fields C and D.
Bytes receiptReply(std::size_t from = 0, std::size_t to = 72) {
    Bytes r;
    for (std::size_t i = from; i < to; ++i) r.push_back(static_cast<uint8_t>('A' + i % 26));
    return r;
}
const std::string kWholeText = "DEFGHIJKLMN" "QRSTUVWXYZ" "ABCDEFGHIJKLMNOPQRSTUVWXYZ" "ABCDEFGHIJKLMNOPQRST";
const std::string kTextOf30Bytes = kWholeText.substr(0, 25);

template <typename F>
long long millisecondsOf(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
        .count();
}

using LinkFaults = ecf::test::PrinterOnCom1;

TEST(LinkFaultsOnAReply, ItEndsAfterTheGapBetweenBytesWithWhatArrived) {
    const struct {
        const char* name;
        std::vector<PtyPeer::Step> script;
        std::string text;
        long long atLeastMs, atMostMs;
    } cases[] = {
        {"silent after 30 bytes", {{kQueryFrame, receiptReply(0, 30)}}, kTextOf30Bytes, 150, 650},
        {"silent after one byte", {{kQueryFrame, receiptReply(0, 1)}}, "", 150, 650},
        {"the rest within the gap", {{kQueryFrame, receiptReply(0, 30)}, {0, receiptReply(30), 120}},
         kWholeText, 100, 650},
        {"the rest after the gap", {{kQueryFrame, receiptReply(0, 30)}, {0, receiptReply(30), 450}},
         kTextOf30Bytes, 150, 440},
        {"the whole reply late", {{kQueryFrame, receiptReply(), 400}}, kWholeText, 390, 1500},
    };
    ChangePort(0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PtyPeer printer;
        ScopedEnv port("ECF_COM1", printer.path());
        printer.serve(c.script);
        std::string text;
        const long long ms = millisecondsOf([&] { text = ecfStatusCupom(0); });
        EXPECT_EQ(text, c.text);
        EXPECT_GE(ms, c.atLeastMs);
        EXPECT_LE(ms, c.atMostMs);
        printer.wait();
    }
}

TEST_F(LinkFaults, ALineDroppedMidReplyFailsTheReadAndTheNextPrinterWorks) {
    peer.serve({{kQueryFrame, receiptReply(0, 20)}, {0, {}, 50, true}});
    std::string text;
    const long long ms = millisecondsOf([&] { text = ecfStatusCupom(0); });
    peer.wait();
    // The line hangs up before the gap between bytes runs out: a failed read.
    EXPECT_EQ(text, "Erro: 1");
    EXPECT_LE(ms, 1000);

    // The device is gone with its printer: the open fails, it does not hang.
    EXPECT_EQ(ecfSubTotal(), 1030);
    EXPECT_STREQ(ecfStatusImp(), "Erro: 1030");

    PtyPeer again;
    ScopedEnv back("ECF_COM1", again.path());
    again.serve({{kSubTotalFrame, {0x00}}});
    EXPECT_EQ(ecfSubTotal(), 0);
    EXPECT_EQ(ecf::test::hex(again.wait()), "1B 66 D1 00 AE");
}

TEST_F(LinkFaults, WhatFollowsAStatusByteNeverReachesTheNextExchange) {
    Bytes noisy{0x07};
    for (int i = 0; i < 40; ++i) noisy.push_back(static_cast<uint8_t>(0x55 + i));
    peer.serve({{kSubTotalFrame, noisy}, {kQueryFrame, receiptReply()}});
    EXPECT_EQ(ecfSubTotal(), 7);
    EXPECT_EQ(std::string(ecfStatusCupom(0)), kWholeText);
    peer.wait();
}

TEST_F(LinkFaults, TwoThreadsAtOnceOneGets1010AndNeitherResultIsDisturbed) {
    // The first thread's query holds the port while the printer thinks.
    peer.serve({{kQueryFrame, receiptReply(), 400}});
    char a[5], b[2], c[7], e[9], d[7], f[22], g[22];
    int32_t first = -1;
    std::thread holder([&] { first = ecfParamStatusCup(a, b, c, e, d, f, g); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (peer.arrived() < kQueryFrame && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));

    unsigned char b3 = 0xEE, b5 = 0xEE, b6 = 0xEE;
    const int32_t second = ecfParamStatusImp(&b3, &b5, &b6);
    const std::string secondText = ecfStatusImp();
    holder.join();

    EXPECT_EQ(second, 1010);
    EXPECT_EQ(secondText, "Erro: 1010");
    EXPECT_EQ(first, 0);
    EXPECT_STREQ(a, "DEFG");
    EXPECT_STREQ(g, "ZABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(peer.wait().size(), kQueryFrame);  // the second thread sent nothing
}

}  // namespace
