// The Win32 backend, seen through a table of recording fakes: the arguments
// of every system call, the DCB fields set and kept, the error mapping.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "link/link.h"
#include "link/win32_port.h"

namespace {

using ecf::link::OpenError;
using ecf::link::Win32Port;

HANDLE const kPortHandle = reinterpret_cast<HANDLE>(static_cast<intptr_t>(0x1234));

// What the fake system does, and what it was asked.
struct FakeSystem {
    // Script.
    DWORD openError = 0;
    HANDLE openHandle = kPortHandle;
    std::map<std::string, DWORD> failures;  // call -> last error it leaves; the call fails
    std::map<DWORD, DWORD> purgeFailures;   // PurgeComm flags -> last error
    DCB reported{};                         // what GetCommState reports
    DWORD modemBits = MS_CTS_ON;
    std::vector<uint8_t> replyBytes;

    // Record.
    DWORD lastError = 0;
    std::vector<std::string> calls;
    std::string createName;
    DWORD access = 0, share = 0xFFFF, disposition = 0, flags = 0xFFFF;
    LPSECURITY_ATTRIBUTES security = nullptr;
    HANDLE templateFile = nullptr;
    DCB written{};
    COMMTIMEOUTS timeouts{};
    std::vector<uint8_t> wire;
    std::vector<HANDLE> handlesUsed;  // the handle every call after the open was given
};

FakeSystem* fake = nullptr;

void log(const char* call, long long value = -1) {
    std::string entry = call;
    if (value >= 0) entry += " " + std::to_string(value);
    fake->calls.push_back(entry);
}

// A scripted failure of `call`: sets the last error and says so.
bool fails(const std::string& call) {
    const auto it = fake->failures.find(call);
    if (it == fake->failures.end()) return false;
    fake->lastError = it->second;
    return true;
}

BOOL used(HANDLE h) {
    fake->handlesUsed.push_back(h);
    return TRUE;
}

void WINAPI fakeSetLastError(DWORD e) {
    log("SetLastError", e);
    fake->lastError = e;
}
DWORD WINAPI fakeGetLastError() { return fake->lastError; }
HANDLE WINAPI fakeCreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                              DWORD disposition, DWORD flags, HANDLE templateFile) {
    log("CreateFileA");
    fake->createName = name;
    fake->access = access;
    fake->share = share;
    fake->security = sa;
    fake->disposition = disposition;
    fake->flags = flags;
    fake->templateFile = templateFile;
    if (fake->openError != 0) fake->lastError = fake->openError;
    return fake->openHandle;
}
BOOL WINAPI fakeGetCommState(HANDLE h, LPDCB dcb) {
    log("GetCommState");
    used(h);
    if (fails("GetCommState")) return FALSE;
    *dcb = fake->reported;
    return TRUE;
}
BOOL WINAPI fakeSetCommState(HANDLE h, LPDCB dcb) {
    log("SetCommState");
    used(h);
    fake->written = *dcb;
    return !fails("SetCommState");
}
BOOL WINAPI fakePurgeComm(HANDLE h, DWORD flags) {
    log("PurgeComm", flags);
    used(h);
    const auto it = fake->purgeFailures.find(flags);
    if (it == fake->purgeFailures.end()) return TRUE;
    fake->lastError = it->second;
    return FALSE;
}
BOOL WINAPI fakeSetCommTimeouts(HANDLE h, LPCOMMTIMEOUTS t) {
    log("SetCommTimeouts");
    used(h);
    fake->timeouts = *t;
    return !fails("SetCommTimeouts");
}
BOOL WINAPI fakeGetCommModemStatus(HANDLE h, LPDWORD bits) {
    log("GetCommModemStatus");
    used(h);
    if (fails("GetCommModemStatus")) return FALSE;
    *bits = fake->modemBits;
    return TRUE;
}
BOOL WINAPI fakeEscapeCommFunction(HANDLE h, DWORD function) {
    log("EscapeCommFunction", function);
    used(h);
    return !fails("EscapeCommFunction");
}
BOOL WINAPI fakeTransmitCommChar(HANDLE h, char c) {
    log("TransmitCommChar", static_cast<uint8_t>(c));
    used(h);
    if (fails("TransmitCommChar")) return FALSE;
    fake->wire.push_back(static_cast<uint8_t>(c));
    return TRUE;
}
BOOL WINAPI fakeWriteFile(HANDLE h, LPCVOID data, DWORD length, LPDWORD written,
                          LPOVERLAPPED overlapped) {
    log("WriteFile", length);
    used(h);
    EXPECT_EQ(overlapped, nullptr);
    const std::string call = "WriteFile " + std::to_string(length);
    if (fails(call)) return FALSE;
    const auto* bytes = static_cast<const uint8_t*>(data);
    fake->wire.insert(fake->wire.end(), bytes, bytes + length);
    *written = length;
    return TRUE;
}
BOOL WINAPI fakeReadFile(HANDLE h, LPVOID data, DWORD length, LPDWORD received,
                         LPOVERLAPPED overlapped) {
    log("ReadFile", length);
    used(h);
    EXPECT_EQ(overlapped, nullptr);
    if (fails("ReadFile")) return FALSE;
    const DWORD n = std::min<DWORD>(length, static_cast<DWORD>(fake->replyBytes.size()));
    if (n > 0) std::memcpy(data, fake->replyBytes.data(), n);
    fake->replyBytes.erase(fake->replyBytes.begin(), fake->replyBytes.begin() + n);
    *received = n;
    return TRUE;
}
BOOL WINAPI fakeCloseHandle(HANDLE h) {
    log("CloseHandle");
    return used(h);
}
void WINAPI fakeSleep(DWORD ms) { log("Sleep", ms); }

const ecf::link::Win32Api kFakeApi{
    &fakeSetLastError,       &fakeGetLastError,     &fakeCreateFileA,    &fakeGetCommState,
    &fakeSetCommState,       &fakePurgeComm,        &fakeSetCommTimeouts, &fakeGetCommModemStatus,
    &fakeEscapeCommFunction, &fakeTransmitCommChar, &fakeWriteFile,      &fakeReadFile,
    &fakeCloseHandle,        &fakeSleep};

// Sets (or, with nullptr, removes) an environment variable for one test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        _putenv_s(name, value != nullptr ? value : "");
    }
    ~ScopedEnv() { _putenv_s(name_.c_str(), old_.c_str()); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::string old_;  // empty: was unset (_putenv_s with "" removes it)
};

const std::vector<uint8_t> kSubTotal = {0x66, 0xD1, 0x00};

class Win32PortTest : public testing::Test {
protected:
    void SetUp() override { fake = &system; }
    void TearDown() override { fake = nullptr; }

    int32_t exchange(const std::vector<uint8_t>& record = kSubTotal, uint32_t replyLength = 1,
                     uint8_t* reply = nullptr) {
        Win32Port port(kFakeApi);
        uint8_t scratch[4] = {0};
        return ecf::link::exchange(port, "COM1", record.data(),
                                   static_cast<uint32_t>(record.size()),
                                   reply != nullptr ? reply : scratch, replyLength);
    }

    int closes() const {
        int n = 0;
        for (const auto& c : system.calls) n += c == "CloseHandle";
        return n;
    }

    FakeSystem system;
};

TEST_F(Win32PortTest, ACommandMakesTheseCallsInOrder) {
    system.replyBytes = {0x2A};
    EXPECT_EQ(exchange(), 0x2A);
    const std::vector<std::string> expected = {
        "SetLastError 0",       "CreateFileA",          "GetCommState",         "SetCommState",
        "PurgeComm 4",          "PurgeComm 8",          "SetCommTimeouts",      "GetCommModemStatus",
        "EscapeCommFunction 4", "EscapeCommFunction 6", "TransmitCommChar 27",  "WriteFile 3",
        "WriteFile 1",          "ReadFile 1",           "EscapeCommFunction 3", "EscapeCommFunction 5",
        "CloseHandle"};
    EXPECT_EQ(system.calls, expected);
    EXPECT_EQ(system.wire, (std::vector<uint8_t>{0x1B, 0x66, 0xD1, 0x00, 0xAE}));
    for (HANDLE h : system.handlesUsed) EXPECT_EQ(h, kPortHandle);
}

TEST_F(Win32PortTest, OpensExclusivelyAnExistingPortForReadAndWrite) {
    exchange();
    EXPECT_EQ(system.createName, "COM1");
    EXPECT_EQ(system.access, static_cast<DWORD>(GENERIC_READ | GENERIC_WRITE));
    EXPECT_EQ(system.share, 0u);
    EXPECT_EQ(system.security, nullptr);
    EXPECT_EQ(system.disposition, static_cast<DWORD>(OPEN_EXISTING));
    EXPECT_EQ(system.flags, 0u);
    EXPECT_EQ(system.templateFile, nullptr);
}

// The open is judged by the last error alone: a stale error from before is
// cleared, a handle that comes with an error is closed, and a zero error
// goes on whatever the handle.
TEST_F(Win32PortTest, OpenIsJudgedByTheLastError) {
    struct Case {
        DWORD staleError;
        DWORD openError;
        HANDLE handle;
        OpenError expected;
        int closes;
    } cases[] = {
        {87, 0, kPortHandle, OpenError::none, 0},
        {0, ERROR_ALREADY_EXISTS, kPortHandle, OpenError::alreadyExists, 1},
        {0, ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE, OpenError::accessDenied, 0},
        {0, ERROR_ACCESS_DENIED, kPortHandle, OpenError::accessDenied, 1},
        {0, ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE, OpenError::other, 0},
        {0, ERROR_SHARING_VIOLATION, INVALID_HANDLE_VALUE, OpenError::other, 0},
        {0, 0xFFFFFFFF, INVALID_HANDLE_VALUE, OpenError::other, 0},
    };
    for (const auto& c : cases) {
        system = FakeSystem{};
        system.lastError = c.staleError;
        system.openError = c.openError;
        system.openHandle = c.handle;
        {
            Win32Port port(kFakeApi);
            EXPECT_EQ(port.open("COM1"), c.expected) << c.openError;
            EXPECT_EQ(closes(), c.closes) << c.openError;
        }
        // Only an open port is closed when the port object goes.
        EXPECT_EQ(closes(), c.closes + (c.expected == OpenError::none ? 1 : 0)) << c.openError;
    }
}

TEST_F(Win32PortTest, OpenErrorsBecomeTheLinkResults) {
    const struct {
        DWORD error;
        int32_t result;
    } cases[] = {{183, 1002}, {5, 1010}, {2, 1030}, {1, 1030}};
    for (const auto& c : cases) {
        system = FakeSystem{};
        system.openError = c.error;
        system.openHandle = INVALID_HANDLE_VALUE;
        EXPECT_EQ(exchange(), c.result) << c.error;
        EXPECT_TRUE(system.wire.empty());
    }
}

// Every field the link sets is forced either way; the others keep what the
// driver reported, whatever it reported.
TEST_F(Win32PortTest, DcbFieldsSetAndKept) {
    DCB allOnes;
    std::memset(&allOnes, 0xFF, sizeof allOnes);
    DCB allZeros{};
    for (const DCB& reported : {allOnes, allZeros}) {
        system = FakeSystem{};
        system.reported = reported;
        exchange();
        const DCB& d = system.written;
        EXPECT_EQ(d.BaudRate, 9600u);
        EXPECT_EQ(d.ByteSize, 8);
        EXPECT_EQ(d.Parity, EVENPARITY);
        EXPECT_EQ(d.StopBits, ONESTOPBIT);
        EXPECT_EQ(d.fBinary, 1u);
        EXPECT_EQ(d.fParity, 1u);
        EXPECT_EQ(d.fOutxCtsFlow, 1u);
        EXPECT_EQ(d.fOutxDsrFlow, 1u);
        EXPECT_EQ(d.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
        EXPECT_EQ(d.fDsrSensitivity, 0u);
        EXPECT_EQ(d.fOutX, 0u);
        EXPECT_EQ(d.fInX, 0u);
        EXPECT_EQ(d.fErrorChar, 1u);
        EXPECT_EQ(d.ErrorChar, '#');
        EXPECT_EQ(d.fNull, 0u);
        EXPECT_EQ(d.fRtsControl, static_cast<DWORD>(RTS_CONTROL_HANDSHAKE));
        EXPECT_EQ(d.fAbortOnError, 1u);

        EXPECT_EQ(d.fTXContinueOnXoff, reported.fTXContinueOnXoff);
        EXPECT_EQ(d.XonLim, reported.XonLim);
        EXPECT_EQ(d.XoffLim, reported.XoffLim);
        EXPECT_EQ(d.XonChar, reported.XonChar);
        EXPECT_EQ(d.XoffChar, reported.XoffChar);
        EXPECT_EQ(d.EofChar, reported.EofChar);
        EXPECT_EQ(d.EvtChar, reported.EvtChar);
    }
}

TEST_F(Win32PortTest, TimeoutsByReplyLength) {
    const struct {
        uint32_t replyLength;
        COMMTIMEOUTS expected;
    } cases[] = {{1, {MAXDWORD, MAXDWORD, 25000, 200, 3000}},
                 {2, {200, 10, 30000, 200, 3000}},
                 {747, {200, 10, 30000, 200, 3000}}};
    for (const auto& c : cases) {
        system = FakeSystem{};
        std::vector<uint8_t> reply(c.replyLength);
        exchange(kSubTotal, c.replyLength, reply.data());
        const COMMTIMEOUTS& t = system.timeouts;
        EXPECT_EQ(t.ReadIntervalTimeout, c.expected.ReadIntervalTimeout) << c.replyLength;
        EXPECT_EQ(t.ReadTotalTimeoutMultiplier, c.expected.ReadTotalTimeoutMultiplier);
        EXPECT_EQ(t.ReadTotalTimeoutConstant, c.expected.ReadTotalTimeoutConstant);
        EXPECT_EQ(t.WriteTotalTimeoutMultiplier, c.expected.WriteTotalTimeoutMultiplier);
        EXPECT_EQ(t.WriteTotalTimeoutConstant, c.expected.WriteTotalTimeoutConstant);
    }
}

// Each failing call: the result, what reached the line, and that the handle
// is closed exactly once.
TEST_F(Win32PortTest, FailingCallsGiveTheirResults) {
    struct Case {
        const char* what;
        void (*script)(FakeSystem&);
        int32_t result;
        size_t wireBytes;
    } cases[] = {
        {"GetCommState", [](FakeSystem& s) { s.failures["GetCommState"] = 6; }, 2006, 0},
        {"SetCommState", [](FakeSystem& s) { s.failures["SetCommState"] = 87; }, 2087, 0},
        {"SetCommState, no error code",
         [](FakeSystem& s) { s.failures["SetCommState"] = 0; }, 2000 + ERROR_GEN_FAILURE, 0},
        {"purge output", [](FakeSystem& s) { s.purgeFailures[PURGE_TXCLEAR] = 1; }, 808, 0},
        {"purge input", [](FakeSystem& s) { s.purgeFailures[PURGE_RXCLEAR] = 1; }, 809, 0},
        {"timeouts", [](FakeSystem& s) { s.failures["SetCommTimeouts"] = 1; }, 810, 0},
        {"CTS off", [](FakeSystem& s) { s.modemBits = MS_DSR_ON | MS_RLSD_ON; }, 4, 0},
        {"no modem status: CTS taken as on",
         [](FakeSystem& s) {
             s.failures["GetCommModemStatus"] = ERROR_NOT_SUPPORTED;
             s.replyBytes = {0x07};
         },
         7, 5},
        {"EscapeCommFunction refused: not examined",
         [](FakeSystem& s) {
             s.failures["EscapeCommFunction"] = 1;
             s.replyBytes = {0x09};
         },
         9, 5},
        {"ESC", [](FakeSystem& s) { s.failures["TransmitCommChar"] = 31; }, 4031, 0},
        {"ESC, error beyond 16 bits", [](FakeSystem& s) { s.failures["TransmitCommChar"] = 0x1FFFF; },
         3999, 0},
        {"record", [](FakeSystem& s) { s.failures["WriteFile 3"] = 1117; }, 7117, 1},
        {"checksum", [](FakeSystem& s) { s.failures["WriteFile 1"] = 1117; }, 4, 4},
        {"status byte", [](FakeSystem& s) { s.failures["ReadFile"] = 1117; }, 9117, 5},
        {"silent printer", [](FakeSystem&) {}, 0, 5},
    };
    for (const auto& c : cases) {
        system = FakeSystem{};
        c.script(system);
        EXPECT_EQ(exchange(), c.result) << c.what;
        EXPECT_EQ(system.wire.size(), c.wireBytes) << c.what;
        EXPECT_EQ(closes(), 1) << c.what;
        EXPECT_EQ(system.calls.back(), "CloseHandle") << c.what;
    }
}

TEST_F(Win32PortTest, LongRepliesWaitWithSleepAndAreReadInOneCall) {
    const struct {
        uint32_t replyLength;
        bool sleeps;
    } cases[] = {{2, false}, {300, false}, {301, true}, {747, true}};
    for (const auto& c : cases) {
        system = FakeSystem{};
        system.replyBytes.assign(c.replyLength, 0x5A);
        std::vector<uint8_t> reply(c.replyLength);
        EXPECT_EQ(exchange(kSubTotal, c.replyLength, reply.data()), 0);
        EXPECT_EQ(reply, std::vector<uint8_t>(c.replyLength, 0x5A));
        int sleeps = 0;
        for (const auto& call : system.calls) sleeps += call == "Sleep 2000";
        EXPECT_EQ(sleeps, c.sleeps ? 1 : 0) << c.replyLength;
        EXPECT_NE(std::find(system.calls.begin(), system.calls.end(),
                            "ReadFile " + std::to_string(c.replyLength)),
                  system.calls.end());
    }
    system = FakeSystem{};
    system.failures["ReadFile"] = 1117;
    uint8_t reply[8];
    EXPECT_EQ(exchange(kSubTotal, 8, reply), 1);
}

TEST(Win32DeviceName, PortNamesAndOverrides) {
    struct Case {
        const char* env;  // ECF_COM2, or nullptr for unset
        const char* name;
        const char* device;
    } cases[] = {
        {nullptr, "COM1", "COM1"},
        {nullptr, "COM2", "COM2"},
        {nullptr, "COM9", "COM9"},
        {nullptr, "COM10", "\\\\.\\COM10"},
        {nullptr, "COM255", "\\\\.\\COM255"},
        {nullptr, "com12", "\\\\.\\com12"},
        {nullptr, "\\\\.\\COM12", "\\\\.\\COM12"},
        {nullptr, "COM1X", "COM1X"},
        {nullptr, "COM", "COM"},
        {nullptr, "", ""},
        {nullptr, nullptr, ""},
        {"", "COM2", "COM2"},
        {"COM7", "COM2", "COM7"},
        {"COM15", "COM2", "\\\\.\\COM15"},
        {"\\\\.\\CNCA0", "COM2", "\\\\.\\CNCA0"},
        {"COM7", "COM1", "COM1"},  // ECF_COM2 is COM2's alone
        {"COM7", "COM12", "\\\\.\\COM12"},
    };
    for (const auto& c : cases) {
        ScopedEnv env("ECF_COM2", c.env);
        EXPECT_EQ(ecf::link::win32DeviceName(c.name), c.device)
            << (c.name ? c.name : "(null)") << " with ECF_COM2=" << (c.env ? c.env : "(unset)");
    }
}

TEST(Win32DeviceName, EachPortHasItsOwnVariable) {
    ScopedEnv com1("ECF_COM1", "COM11");
    ScopedEnv com2("ECF_COM2", "COM12");
    ScopedEnv com3("ECF_COM3", "COM13");
    ScopedEnv com4("ECF_COM4", "COM14");
    for (int32_t index = 0; index < 4; ++index) {
        const std::string expected = "\\\\.\\COM1" + std::to_string(index + 1);
        EXPECT_EQ(ecf::link::win32DeviceName(ecf::link::portName(index)), expected);
    }
}

// Through the system's own calls: a port that does not exist cannot be
// opened, and nothing else happens.
TEST(Win32System, AMissingPortGives1030) {
    ScopedEnv env("ECF_COM3", "COM250");
    const int32_t previous = ecf::link::PortaSerial.load();
    ChangePort(2);
    EXPECT_EQ(ecf::link::EnviaComando(kSubTotal.data(), static_cast<uint32_t>(kSubTotal.size())),
              1030);
    ChangePort(previous);
}

}  // namespace
