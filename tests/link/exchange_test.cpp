#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/exchange_report.h"
#include "link/fake_port.h"
#include "link/link.h"

namespace {

using ecf::link::FakePort;
using ecf::link::OpenError;

const std::vector<uint8_t> kSubTotal = {0x66, 0xD1, 0x00};

int32_t run(FakePort& port, const std::vector<uint8_t>& record = kSubTotal,
            uint32_t replyLength = 1, uint8_t* reply = nullptr) {
    uint8_t scratch[4] = {0};
    return ecf::link::exchange(port, "COM1", record.data(), static_cast<uint32_t>(record.size()),
                               reply != nullptr ? reply : scratch, replyLength);
}

TEST(Exchange, StepsOfASuccessfulCommand) {
    FakePort port;
    port.replyBytes = {0x2A};
    EXPECT_EQ(run(port), 0x2A);
    const std::vector<std::string> expected = {
        "open COM1", "line-settings", "purge 4", "purge 8", "timeouts", "modem",
        "escape 4",  "escape 6",      "priority", "write 3", "write 1", "read 1",
        "escape 3",  "escape 5",      "close"};
    EXPECT_EQ(port.calls, expected);
    EXPECT_EQ(port.wire, (std::vector<uint8_t>{0x1B, 0x66, 0xD1, 0x00, 0xAE}));
}

TEST(Exchange, LineSettingsAndTimeoutsAsTheLinkSetsThem) {
    FakePort port;
    run(port);
    const auto& s = port.settings;
    EXPECT_EQ(s.baudRate, 9600u);
    EXPECT_EQ(s.byteSize, 8);
    EXPECT_EQ(s.parity, 2);
    EXPECT_EQ(s.stopBits, 0);
    EXPECT_TRUE(s.binary && s.parityCheck && s.outxCtsFlow && s.outxDsrFlow && s.errorCharEnabled &&
                s.abortOnError);
    EXPECT_FALSE(s.dsrSensitivity || s.outX || s.inX || s.discardNull);
    EXPECT_EQ(s.dtrControl, 1);
    EXPECT_EQ(s.rtsControl, 2);
    EXPECT_EQ(s.errorChar, '#');

    struct {
        uint32_t replyLength;
        ecf::link::CommTimeouts t;
    } cases[] = {{1, {0xFFFFFFFF, 0xFFFFFFFF, 25000, 200, 3000}}, {7, {200, 10, 30000, 200, 3000}}};
    for (const auto& c : cases) {
        FakePort p;
        uint8_t reply[8];
        run(p, kSubTotal, c.replyLength, reply);
        EXPECT_EQ(p.timeouts.readInterval, c.t.readInterval);
        EXPECT_EQ(p.timeouts.readTotalMultiplier, c.t.readTotalMultiplier);
        EXPECT_EQ(p.timeouts.readTotalConstant, c.t.readTotalConstant);
        EXPECT_EQ(p.timeouts.writeTotalMultiplier, c.t.writeTotalMultiplier);
        EXPECT_EQ(p.timeouts.writeTotalConstant, c.t.writeTotalConstant);
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
        FakePort port;
        c.script(port);
        EXPECT_EQ(run(port), c.result) << c.what;
        EXPECT_EQ(ecf::link::lastExchange().failed_step, static_cast<uint32_t>(c.step)) << c.what;
        EXPECT_EQ(ecf::link::lastExchange().system_error, c.error) << c.what;
        EXPECT_EQ(port.isOpen, false) << c.what;
        EXPECT_EQ(port.wire.size() > 1, c.anythingSent) << c.what;
        for (const std::string& call : port.calls) {
            EXPECT_NE(call, "escape 3") << c.what;
            EXPECT_NE(call, "escape 5") << c.what;
            EXPECT_NE(call, "read 1") << c.what;
        }
    }
}

TEST(Exchange, ReadFailuresRaiseTheLinesAndClose) {
    FakePort status;
    status.failures[FakePort::Read] = 31;
    EXPECT_EQ(run(status), 8031);

    FakePort reply;
    reply.failures[FakePort::Read] = 31;
    uint8_t buffer[7];
    EXPECT_EQ(run(reply, kSubTotal, 7, buffer), 1);

    for (FakePort* p : {&status, &reply}) {
        const auto& calls = p->calls;
        ASSERT_GE(calls.size(), 3u);
        EXPECT_EQ(calls[calls.size() - 3], "escape 3");
        EXPECT_EQ(calls[calls.size() - 2], "escape 5");
        EXPECT_EQ(calls.back(), "close");
    }
}

TEST(Exchange, SilentPrinterGivesZeroAndStatusByteIsNotPutInTheBuffer) {
    FakePort port;  // no reply bytes
    uint8_t scratch[4] = {9, 9, 9, 9};
    EXPECT_EQ(run(port, kSubTotal, 1, scratch), 0);
    EXPECT_EQ(scratch[0], 9);
    // The report tells the silence from a status byte 0.
    const ecf_exchange_info& report = ecf::link::lastExchange();
    EXPECT_EQ(report.bytes_sent, 5u);
    EXPECT_EQ(report.bytes_expected, 1u);
    EXPECT_EQ(report.bytes_received, 0u);
    EXPECT_EQ(report.failed_step, static_cast<uint32_t>(ECF_STEP_NONE));
}

TEST(Exchange, ModemStatusThatCannotBeReadCountsAsCtsOn) {
    FakePort port;
    port.failures[FakePort::Modem] = 50;
    port.replyBytes = {7};
    EXPECT_EQ(run(port), 7);
}

TEST(Exchange, ReplyRecordsAndThePauseBeforeLongOnes) {
    for (uint32_t length : {2u, 300u, 301u, 747u}) {
        FakePort port;
        port.replyBytes.assign(length, 0x41);
        std::vector<uint8_t> reply(length, 0);
        EXPECT_EQ(run(port, kSubTotal, length, reply.data()), 0);
        EXPECT_EQ(reply, std::vector<uint8_t>(length, 0x41));
        EXPECT_EQ(port.pauses, length > 300 ? std::vector<uint32_t>{2000} : std::vector<uint32_t>{})
            << length;
    }
}

TEST(Exchange, ShortReplyIsASuccessWithTheRestUntouched) {
    FakePort port;
    port.replyBytes = {1, 2, 3};
    uint8_t reply[7] = {0, 0, 0, 0, 0, 0, 0xEE};
    EXPECT_EQ(run(port, kSubTotal, 7, reply), 0);
    EXPECT_EQ(reply[2], 3);
    EXPECT_EQ(reply[6], 0xEE);
}

TEST(Exchange, FreeLineHasNoChecksumOnlyWhenLedByN) {
    FakePort line;
    run(line, {'n', 'A', 0x0A});
    EXPECT_EQ(line.wire, (std::vector<uint8_t>{0x1B, 'n', 'A', 0x0A}));

    FakePort notLead;
    run(notLead, {'f', 'n', 0x00});
    EXPECT_EQ(notLead.wire.size(), 5u);
}

}  // namespace
