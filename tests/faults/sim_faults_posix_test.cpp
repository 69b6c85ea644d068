// The simulated printer misbehaving on purpose: a chosen status byte, a late
// answer, a reply cut short or cut midway, garbage. Each call comes back
// within its time-out with what the link promises, the printer's state shows
// whether the command was carried out, and the next exchange is whole again.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "ecf.h"
#include "fault_printer.h"
#include "support/sim_fixture.h"

namespace {

using ecf::test::millisecondsOf;
using Kind = ecfsim::Fault::Kind;

struct CommandFault {
    const char* name;
    ecfsim::Fault fault;
    int32_t result;
    uint32_t readingsCarriedOut;  // X readings in the printer's counters after the call
    long long atLeastMs, atMostMs;
};

TEST(SimFaults, AFaultOnAStatusByteGivesWhatArrivedAndTheNextCallIsWhole) {
    const CommandFault cases[] = {
        {"a chosen status byte", {Kind::status, 77}, 77, 0, 0, 1000},
        {"a late answer", {Kind::late, 300}, 0, 1, 290, 2000},
        {"garbage for the status byte", {Kind::garbage, 0}, -1, 1, 0, 1000},
    };
    for (const CommandFault& c : cases) {
        SCOPED_TRACE(c.name);
        ecf::test::SimFixture sim;
        sim.inject(c.fault);
        int32_t result = -2;
        const long long ms = millisecondsOf([&] { result = ecfLeituraX(""); });
        if (c.result >= 0) {
            EXPECT_EQ(result, c.result);
        }
        EXPECT_GE(result, 0);
        EXPECT_LE(result, 255);
        EXPECT_GE(ms, c.atLeastMs);
        EXPECT_LE(ms, c.atMostMs);
        EXPECT_EQ(sim.model().counters.gnf, c.readingsCarriedOut);
        EXPECT_EQ(ecfLeituraX(""), 0);  // the fault was for one answer only
        EXPECT_EQ(sim.model().counters.gnf, c.readingsCarriedOut + 1);
    }
}

struct QueryFault {
    const char* name;
    ecfsim::Fault fault;
    std::size_t keptCharacters;  // of the whole text, when the reply is cut
    long long atMostMs;
};

TEST(SimFaults, AFaultOnAReplyEndsWithinTheGapBetweenBytes) {
    std::string whole;
    {
        ecf::test::SimFixture sim;
        whole = ecfStatusCupom(0);
    }
    ASSERT_EQ(whole.size(), 67u) << whole;
    const QueryFault cases[] = {
        // 10 bytes: fields A and B, two characters of C.
        {"short after 10 bytes", {Kind::shortReply, 10}, 7, 700},
        {"silent after 3 bytes", {Kind::shortReply, 3}, 0, 700},
        // half of 72: A, B, C, D, E and six characters of F.
        {"cut midway", {Kind::cutMidway, 0}, 31, 700},
        {"late but within the gap", {Kind::late, 150}, 67, 1000},
    };
    for (const QueryFault& c : cases) {
        SCOPED_TRACE(c.name);
        ecf::test::SimFixture sim;
        sim.inject(c.fault);
        std::string text;
        const long long ms = millisecondsOf([&] { text = ecfStatusCupom(0); });
        EXPECT_EQ(text, whole.substr(0, c.keptCharacters));
        EXPECT_LE(ms, c.atMostMs);
        EXPECT_EQ(std::string(ecfStatusCupom(0)), whole);
    }
}

TEST(SimFaults, GarbageForAReplyIsHandedOnAsItCame) {
    ecf::test::SimFixture sim;
    sim.inject({Kind::garbage, 0});
    char a[5], b[2], c[7], e[9], d[7], f[22], g[22];
    EXPECT_EQ(ecfParamStatusCup(a, b, c, e, d, f, g), 0);
    for (const auto& [field, width] : {std::pair<const char*, std::size_t>{a, 4}, {b, 1}, {c, 6}, {e, 8},
                                       {d, 6}, {f, 21}, {g, 21}}) {
        EXPECT_EQ(field[width], '\0');
    }
    EXPECT_STRNE(ecfStatusCupom(0), "");
}

TEST(SimFaults, TwoThreadsAtOnceOneGets1010AndNeitherResultIsDisturbed) {
    ecf::test::SimFixture sim;
    const std::string whole = ecfStatusCupom(0);
    sim.inject({Kind::late, 400});
    std::atomic<bool> started{false};
    std::string first;
    std::thread holder([&] {
        started = true;
        first = ecfStatusCupom(0);
    });
    while (!started) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the holder's exchange is on
    const int32_t second = ecfLXGerencial("");
    holder.join();
    EXPECT_EQ(second, 1010);
    EXPECT_EQ(first, whole);
    EXPECT_EQ(sim.model().counters.gnf, 0u);  // the second command never reached the printer
}

}  // namespace
