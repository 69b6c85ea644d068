// A printer that goes wrong in the middle of an exchange, a port that is
// removed or held by someone else, and two threads at once: every call comes
// back within its time-out, with the result the link promises, and the next
// exchange is not disturbed. No test waits out the 25 s of a status byte: the
// faults that need a time-out use the replies of queries (200 ms between
// bytes) or a printer that answers late but in time.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "ecf.h"
#include "fault_printer.h"
#include "support/pty_peer.h"

namespace {

using ecf::test::FaultPrinter;
using ecf::test::millisecondsOf;
using Bytes = FaultPrinter::Bytes;

constexpr std::size_t kQueryFrame = 6;     // ESC, 4-byte query record, checksum
constexpr std::size_t kSubTotalFrame = 5;  // ESC, 3-byte record, checksum
constexpr std::size_t kReceiptReply = 72;

// The receipt-status text a reply gives: fields A to G, each up to its first NUL.
std::string receiptText(Bytes reply) {
    reply.resize(kReceiptReply, 0);
    static const std::pair<int, int> fields[] = {{3, 4}, {7, 1}, {8, 6}, {16, 6}, {22, 8}, {30, 21}, {51, 21}};
    std::string text;
    for (const auto& [pos, width] : fields)
        for (int i = pos; i < pos + width && reply[static_cast<std::size_t>(i)] != 0; ++i)
            text += static_cast<char>(reply[static_cast<std::size_t>(i)]);
    return text;
}

Bytes receiptReply() {
    Bytes r(kReceiptReply);
    for (std::size_t i = 0; i < r.size(); ++i) r[i] = static_cast<uint8_t>('A' + i % 26);
    return r;
}

Bytes firstBytes(const Bytes& b, std::size_t n) { return Bytes(b.begin(), b.begin() + static_cast<long>(n)); }

class LinkFaults : public ::testing::Test {
protected:
    void SetUp() override { ChangePort(0); }
    FaultPrinter printer;
    ecf::test::ScopedEnv port{"ECF_COM1", printer.path()};
};

struct CutReply {
    const char* name;
    std::vector<FaultPrinter::Step> afterTheQuery;
    Bytes arrives;   // what the library sees of the reply
    long long atLeastMs, atMostMs;
};

TEST_F(LinkFaults, AReplyCutShortEndsAfterTheGapBetweenBytesWithWhatArrived) {
    const Bytes full = receiptReply();
    std::mt19937 random(7);
    Bytes garbage(kReceiptReply);
    for (uint8_t& b : garbage) b = static_cast<uint8_t>(random());
    const CutReply cases[] = {
        {"silent after 30 bytes", {FaultPrinter::send(firstBytes(full, 30)), FaultPrinter::wait(700)},
         firstBytes(full, 30), 150, 650},
        {"silent after one byte", {FaultPrinter::send(firstBytes(full, 1)), FaultPrinter::wait(700)},
         firstBytes(full, 1), 150, 650},
        {"late bytes in time", {FaultPrinter::send(firstBytes(full, 30)), FaultPrinter::wait(120),
                                FaultPrinter::send(Bytes(full.begin() + 30, full.end()))},
         full, 100, 650},
        {"rest too late", {FaultPrinter::send(firstBytes(full, 30)), FaultPrinter::wait(450),
                           FaultPrinter::send(Bytes(full.begin() + 30, full.end()))},
         firstBytes(full, 30), 150, 440},
        {"garbage", {FaultPrinter::send(garbage)}, garbage, 0, 650},
    };
    for (const CutReply& c : cases) {
        SCOPED_TRACE(c.name);
        FaultPrinter p;
        ecf::test::ScopedEnv here("ECF_COM1", p.path());
        std::vector<FaultPrinter::Step> script{FaultPrinter::take(kQueryFrame)};
        script.insert(script.end(), c.afterTheQuery.begin(), c.afterTheQuery.end());
        p.run(script);
        std::string text;
        const long long ms = millisecondsOf([&] { text = ecfStatusCupom(0); });
        EXPECT_EQ(text, receiptText(c.arrives));
        EXPECT_GE(ms, c.atLeastMs);
        EXPECT_LE(ms, c.atMostMs);
        p.join();
    }
}

TEST_F(LinkFaults, APrinterThatDropsTheLineMidReplyFailsTheReadAndTheNextCallStillWorks) {
    printer.run({FaultPrinter::take(kQueryFrame), FaultPrinter::send(firstBytes(receiptReply(), 20)),
                 FaultPrinter::wait(50), FaultPrinter::hangUp()});
    std::string text;
    const long long ms = millisecondsOf([&] { text = ecfStatusCupom(0); });
    printer.join();
    // The line hangs up before the gap between bytes runs out: a failed read.
    EXPECT_EQ(text, "Erro: 1");
    EXPECT_LE(ms, 1000);

    // The device is gone with its printer: the open fails, it does not hang.
    EXPECT_EQ(ecfSubTotal(), 1030);

    FaultPrinter again;
    ecf::test::ScopedEnv back("ECF_COM1", again.path());
    again.run({FaultPrinter::take(kSubTotalFrame), FaultPrinter::send({0x00})});
    EXPECT_EQ(ecfSubTotal(), 0);
    EXPECT_EQ(ecf::test::hex(again.join()), "1B 66 D1 00 AE");
}

TEST_F(LinkFaults, WhatFollowsAStatusByteNeverReachesTheNextExchange) {
    Bytes noisy{0x07};
    for (int i = 0; i < 40; ++i) noisy.push_back(static_cast<uint8_t>(0x55 + i));
    printer.run({FaultPrinter::take(kSubTotalFrame), FaultPrinter::send(noisy), FaultPrinter::wait(50),
                 FaultPrinter::take(kQueryFrame), FaultPrinter::send(receiptReply())});
    EXPECT_EQ(ecfSubTotal(), 7);
    EXPECT_EQ(std::string(ecfStatusCupom(0)), receiptText(receiptReply()));
    printer.join();
}

TEST_F(LinkFaults, AStatusByteThatComesLateButInTimeIsReturned) {
    printer.run({FaultPrinter::take(kSubTotalFrame), FaultPrinter::wait(400), FaultPrinter::send({0x2A})});
    int32_t result = -1;
    const long long ms = millisecondsOf([&] { result = ecfSubTotal(); });
    EXPECT_EQ(result, 0x2A);
    EXPECT_GE(ms, 390);
    EXPECT_LE(ms, 2000);
    printer.join();
}

TEST_F(LinkFaults, ADeviceRemovedBetweenCallsGives1030UntilItIsBack) {
    char dir[] = "/tmp/ecf-faults-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const std::string link = std::string(dir) + "/com1";
    ecf::test::ScopedEnv viaLink("ECF_COM1", link);

    std::filesystem::create_symlink(printer.path(), link);
    printer.run({FaultPrinter::take(kSubTotalFrame), FaultPrinter::send({0x00}),
                 FaultPrinter::take(kSubTotalFrame), FaultPrinter::send({0x00})});
    EXPECT_EQ(ecfSubTotal(), 0);

    std::filesystem::remove(link);
    EXPECT_EQ(ecfSubTotal(), 1030);
    EXPECT_STREQ(ecfStatusImp(), "Erro: 1030");

    std::filesystem::create_symlink(printer.path(), link);
    EXPECT_EQ(ecfSubTotal(), 0);
    EXPECT_EQ(printer.join().size(), 2 * kSubTotalFrame);
    std::filesystem::remove_all(dir);
}

TEST_F(LinkFaults, APortHeldByAnotherProcessGives1010AndNothingIsSent) {
    int locked[2], release[2];
    ASSERT_EQ(::pipe(locked), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {  // the other program: holds the port until told to let go
        const int fd = ::open(printer.path().c_str(), O_RDWR | O_NOCTTY);
        const char ok = (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) ? 1 : 0;
        (void)!::write(locked[1], &ok, 1);
        char c;
        (void)!::read(release[0], &c, 1);
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(locked[0], &ok, 1), 1);
    ASSERT_EQ(ok, 1);

    printer.run({FaultPrinter::take(kSubTotalFrame), FaultPrinter::send({0x00})});
    EXPECT_EQ(ecfSubTotal(), 1010);
    EXPECT_STREQ(ecfStatusCupom(0), "Erro: 1010");
    EXPECT_EQ(printer.arrived(), 0u);

    (void)!::write(release[1], "x", 1);
    int status = 0;
    ::waitpid(holder, &status, 0);
    EXPECT_EQ(ecfSubTotal(), 0);
    EXPECT_EQ(ecf::test::hex(printer.join()), "1B 66 D1 00 AE");
    for (int fd : {locked[0], locked[1], release[0], release[1]}) ::close(fd);
}

TEST_F(LinkFaults, TwoThreadsAtOnceOneGets1010AndNeitherResultIsDisturbed) {
    // The first thread's query holds the port while the printer thinks.
    printer.run({FaultPrinter::take(kQueryFrame), FaultPrinter::wait(400), FaultPrinter::send(receiptReply())});
    char a[5], b[2], c[7], e[9], d[7], f[22], g[22];
    int32_t first = -1;
    std::thread holder([&] { first = ecfParamStatusCup(a, b, c, e, d, f, g); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (printer.arrived() < kQueryFrame && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));

    unsigned char b3 = 0xEE, b5 = 0xEE, b6 = 0xEE;
    const int32_t second = ecfParamStatusImp(&b3, &b5, &b6);
    const std::string secondText = ecfStatusImp();
    holder.join();

    EXPECT_EQ(second, 1010);
    EXPECT_EQ(secondText, "Erro: 1010");
    EXPECT_EQ(first, 0);
    const Bytes r = receiptReply();
    EXPECT_EQ(std::string(a), std::string(r.begin() + 3, r.begin() + 7));
    EXPECT_EQ(std::string(g), std::string(r.begin() + 51, r.begin() + 72));
    EXPECT_EQ(printer.join().size(), kQueryFrame);  // the second thread sent nothing
}

}  // namespace
