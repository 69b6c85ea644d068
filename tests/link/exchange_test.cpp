#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "link/exchange_report.h"
#include "link/fake_port.h"
#include "link/link.h"

namespace {

using ecf::link::FakePort;
using ecf::link::OpenError;
using Bytes = std::vector<uint8_t>;

const Bytes kSubTotal = {0x66, 0xD1, 0x00};

int32_t run(FakePort& port, const Bytes& record = kSubTotal, uint32_t replyLength = 1,
            uint8_t* reply = nullptr) {
    uint8_t scratch[4] = {0};
    return ecf::link::exchange(port, "COM1", record.data(), static_cast<uint32_t>(record.size()),
                               reply != nullptr ? reply : scratch, replyLength);
}

TEST(Exchange, StepsLineSettingsAndTimeoutsOfASuccessfulCommand) {
    FakePort port;
    port.replyBytes = {0x2A};
    EXPECT_EQ(run(port), 0x2A);
    const std::vector<std::string> expected = {
        "open COM1", "line-settings", "purge 4", "purge 8", "timeouts", "modem",
        "escape 4",  "escape 6",      "priority", "write 3", "write 1", "read 1",
        "escape 3",  "escape 5",      "close"};
    EXPECT_EQ(port.calls, expected);
    EXPECT_EQ(port.wire, (Bytes{0x1B, 0x66, 0xD1, 0x00, 0xAE}));

    const auto& s = port.settings;
    EXPECT_EQ(std::tie(s.baudRate, s.byteSize, s.parity, s.stopBits, s.dtrControl, s.rtsControl, s.errorChar),
              std::make_tuple(9600u, uint8_t{8}, uint8_t{2}, uint8_t{0}, uint8_t{1}, uint8_t{2}, '#'));
    EXPECT_TRUE(s.binary && s.parityCheck && s.outxCtsFlow && s.outxDsrFlow && s.errorCharEnabled &&
                s.abortOnError);
    EXPECT_FALSE(s.dsrSensitivity || s.outX || s.inX || s.discardNull);

    for (const auto& [replyLength, t] : {std::make_pair(1u, std::make_tuple(0xFFFFFFFFu, 0xFFFFFFFFu, 25000u)),
                                         std::make_pair(7u, std::make_tuple(200u, 10u, 30000u))}) {
        FakePort p;
        uint8_t reply[8];
        run(p, kSubTotal, replyLength, reply);
        const auto& w = p.timeouts;
        EXPECT_EQ(std::tie(w.readInterval, w.readTotalMultiplier, w.readTotalConstant), t) << replyLength;
        EXPECT_EQ(std::tie(w.writeTotalMultiplier, w.writeTotalConstant), std::make_tuple(200u, 3000u));
    }
}

// Each failing step: the result, the step and system error the report
// names, and that the port is closed without the RTS/DTR requests of the
// normal end.
TEST(Exchange, ResultCodesOfEachFailingStep) {
    struct Case {
        const char* what;
        void (*script)(FakePort&);
        int32_t result;
        bool anythingSent;
        ecf_step step;
        int32_t error;
    } cases[] = {
        {"already exists", [](FakePort& p) { p.openError = OpenError::alreadyExists; p.openFailure.systemError = 183; },
         1002, false, ECF_STEP_OPEN, 183},
        {"in use", [](FakePort& p) { p.openError = OpenError::accessDenied; p.openFailure.lockFailed = true; },
         1010, false, ECF_STEP_LOCK, 0},
        {"other open error", [](FakePort& p) { p.openError = OpenError::other; }, 1030, false, ECF_STEP_OPEN, 0},
        {"line settings", [](FakePort& p) { p.failures[FakePort::LineSettingsStep] = 87; }, 2087, false,
         ECF_STEP_LINE_SETTINGS, 87},
        {"purge output", [](FakePort& p) { p.failures[FakePort::Purge] = 1; p.failPurgeFlags = 4; }, 808, false,
         ECF_STEP_CLEARING, 1},
        {"purge input", [](FakePort& p) { p.failures[FakePort::Purge] = 1; p.failPurgeFlags = 8; }, 809, false,
         ECF_STEP_CLEARING, 1},
        {"time-outs", [](FakePort& p) { p.failures[FakePort::Timeouts] = 1; }, 810, false, ECF_STEP_TIMEOUTS, 1},
        {"CTS low", [](FakePort& p) { p.modemBits = 0x20; }, 4, false, ECF_STEP_CTS, 0},
        {"ESC", [](FakePort& p) { p.failures[FakePort::Priority] = 0x10005; }, 4005, false, ECF_STEP_SENDING,
         0x10005},
        {"ESC, negative error", [](FakePort& p) { p.failures[FakePort::Priority] = 0xFFFF; }, 3999, false,
         ECF_STEP_SENDING, 0xFFFF},
        {"record", [](FakePort& p) { p.failures[FakePort::Write] = 13; p.failWriteNumber = 1; }, 6013, false,
         ECF_STEP_SENDING, 13},
        {"checksum", [](FakePort& p) { p.failures[FakePort::Write] = 13; p.failWriteNumber = 2; }, 4, true,
         ECF_STEP_SENDING, 13},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakePort port;
        c.script(port);
        EXPECT_EQ(run(port), c.result);
        EXPECT_EQ(ecf::link::lastExchange().failed_step, static_cast<uint32_t>(c.step));
        EXPECT_EQ(ecf::link::lastExchange().system_error, c.error);
        EXPECT_FALSE(port.isOpen);
        EXPECT_EQ(port.wire.size() > 1, c.anythingSent);
        for (const char* call : {"escape 3", "escape 5", "read 1"})
            EXPECT_EQ(std::count(port.calls.begin(), port.calls.end(), call), 0) << call;
    }
}

// How a read ends: a failure still raises the lines and closes the port; a
// silent printer gives 0 and leaves the buffer alone; a short reply is a
// success with the rest untouched; an unreadable modem status counts as CTS on.
TEST(Exchange, EndingsOfTheRead) {
    const struct {
        const char* what;
        void (*script)(FakePort&);
        uint32_t replyLength;
        int32_t result;
        Bytes reply;  // the caller's buffer afterwards (it starts as 0xEE bytes)
    } cases[] = {
        {"status byte read fails", [](FakePort& p) { p.failures[FakePort::Read] = 31; }, 1, 8031, {0xEE}},
        {"reply read fails", [](FakePort& p) { p.failures[FakePort::Read] = 31; }, 7, 1, Bytes(7, 0xEE)},
        {"short reply", [](FakePort& p) { p.replyBytes = {1, 2, 3}; }, 7, 0, {1, 2, 3, 0xEE, 0xEE, 0xEE, 0xEE}},
        {"modem status unreadable",
         [](FakePort& p) { p.failures[FakePort::Modem] = 50; p.replyBytes = {7}; }, 1, 7, {0xEE}},
        {"silent printer", [](FakePort&) {}, 1, 0, {0xEE}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakePort port;
        c.script(port);
        Bytes reply(c.replyLength, 0xEE);
        EXPECT_EQ(run(port, kSubTotal, c.replyLength, reply.data()), c.result);
        EXPECT_EQ(reply, c.reply);
        const std::vector<std::string> ending(port.calls.end() - 3, port.calls.end());
        EXPECT_EQ(ending, (std::vector<std::string>{"escape 3", "escape 5", "close"}));
    }
    // The report tells the silence (the last case) from a status byte 0.
    const ecf_exchange_info& report = ecf::link::lastExchange();
    EXPECT_EQ(std::tie(report.bytes_sent, report.bytes_expected, report.bytes_received), std::make_tuple(5u, 1u, 0u));
    EXPECT_EQ(report.failed_step, static_cast<uint32_t>(ECF_STEP_NONE));
}

TEST(Exchange, ReplyRecordsAndThePauseBeforeLongOnes) {
    for (uint32_t length : {2u, 300u, 301u, 747u}) {
        FakePort port;
        port.replyBytes.assign(length, 0x41);
        Bytes reply(length, 0);
        EXPECT_EQ(run(port, kSubTotal, length, reply.data()), 0);
        EXPECT_EQ(reply, Bytes(length, 0x41));
        EXPECT_EQ(port.pauses, length > 300 ? std::vector<uint32_t>{2000} : std::vector<uint32_t>{}) << length;
    }
}

TEST(Exchange, FreeLineHasNoChecksumOnlyWhenLedByN) {
    FakePort line, notLead;
    run(line, {'n', 'A', 0x0A});
    EXPECT_EQ(line.wire, (Bytes{0x1B, 'n', 'A', 0x0A}));
    run(notLead, {'f', 'n', 0x00});
    EXPECT_EQ(notLead.wire.size(), 5u);
}

}  // namespace
