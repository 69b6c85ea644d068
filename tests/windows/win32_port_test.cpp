// The Win32 backend, seen through a table of recording fakes: the arguments
// of every system call, the DCB fields set and kept, the error mapping.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "link/exchange_report.h"
#include "link/link.h"
#include "link/win32_port.h"
#include "support/scoped_env.h"

namespace {

using ecf::link::OpenError;
using ecf::link::Win32Port;
using ecf::test::ScopedEnv;

HANDLE const kPort = reinterpret_cast<HANDLE>(static_cast<intptr_t>(0x1234));

// What the fake system does, and what it was asked.
struct FakeSystem {
    DWORD openError = 0;
    HANDLE openHandle = kPort;
    std::map<std::string, DWORD> failures;  // logged call -> the last error it leaves; it fails
    DCB reported{};                         // what GetCommState reports
    std::vector<uint8_t> reply;

    DWORD lastError = 0;
    std::vector<std::string> calls;
    DCB written{};
    std::vector<uint8_t> wire;
};

FakeSystem* fake = nullptr;

// Logs a call on the port; FALSE when the script makes it fail.
BOOL logged(HANDLE h, std::string entry) {
    if (h != kPort) entry += " (wrong handle)";
    fake->calls.push_back(entry);
    const auto it = fake->failures.find(entry);
    if (it == fake->failures.end()) return TRUE;
    fake->lastError = it->second;
    return FALSE;
}

std::string str(DWORD v) { return std::to_string(v); }

void WINAPI fakeSetLastError(DWORD e) {
    fake->calls.push_back("SetLastError " + str(e));
    fake->lastError = e;
}
DWORD WINAPI fakeGetLastError() { return fake->lastError; }
HANDLE WINAPI fakeCreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                              DWORD disposition, DWORD flags, HANDLE templateFile) {
    char hexAccess[12];
    std::snprintf(hexAccess, sizeof hexAccess, "%lx", static_cast<unsigned long>(access));
    fake->calls.push_back(std::string("CreateFileA ") + name + " " + hexAccess + " " + str(share) +
                          (sa ? " sa " : " null ") + str(disposition) + " " + str(flags) +
                          (templateFile ? " template" : " null"));
    if (fake->openError != 0) fake->lastError = fake->openError;
    return fake->openHandle;
}
BOOL WINAPI fakeGetCommState(HANDLE h, LPDCB dcb) {
    if (!logged(h, "GetCommState")) return FALSE;
    *dcb = fake->reported;
    return TRUE;
}
BOOL WINAPI fakeSetCommState(HANDLE h, LPDCB dcb) {
    fake->written = *dcb;
    return logged(h, "SetCommState");
}
BOOL WINAPI fakePurgeComm(HANDLE h, DWORD flags) { return logged(h, "PurgeComm " + str(flags)); }
BOOL WINAPI fakeSetCommTimeouts(HANDLE h, LPCOMMTIMEOUTS t) {
    return logged(h, "SetCommTimeouts " + str(t->ReadIntervalTimeout) + " " +
                         str(t->ReadTotalTimeoutMultiplier) + " " + str(t->ReadTotalTimeoutConstant) +
                         " " + str(t->WriteTotalTimeoutMultiplier) + " " +
                         str(t->WriteTotalTimeoutConstant));
}
BOOL WINAPI fakeGetCommModemStatus(HANDLE h, LPDWORD bits) {
    if (!logged(h, "GetCommModemStatus")) return FALSE;
    *bits = MS_CTS_ON;
    return TRUE;
}
BOOL WINAPI fakeEscapeCommFunction(HANDLE h, DWORD f) { return logged(h, "EscapeCommFunction " + str(f)); }
BOOL WINAPI fakeTransmitCommChar(HANDLE h, char c) {
    if (!logged(h, "TransmitCommChar " + str(static_cast<uint8_t>(c)))) return FALSE;
    fake->wire.push_back(static_cast<uint8_t>(c));
    return TRUE;
}
BOOL WINAPI fakeWriteFile(HANDLE h, LPCVOID data, DWORD length, LPDWORD written, LPOVERLAPPED o) {
    if (!logged(h, "WriteFile " + str(length) + (o ? " overlapped" : ""))) return FALSE;
    const auto* bytes = static_cast<const uint8_t*>(data);
    fake->wire.insert(fake->wire.end(), bytes, bytes + length);
    *written = length;
    return TRUE;
}
BOOL WINAPI fakeReadFile(HANDLE h, LPVOID data, DWORD length, LPDWORD received, LPOVERLAPPED o) {
    if (!logged(h, "ReadFile " + str(length) + (o ? " overlapped" : ""))) return FALSE;
    const DWORD n = std::min<DWORD>(length, static_cast<DWORD>(fake->reply.size()));
    if (n > 0) std::memcpy(data, fake->reply.data(), n);
    fake->reply.erase(fake->reply.begin(), fake->reply.begin() + n);
    *received = n;
    return TRUE;
}
BOOL WINAPI fakeCloseHandle(HANDLE h) { return logged(h, "CloseHandle"); }
void WINAPI fakeSleep(DWORD ms) { fake->calls.push_back("Sleep " + str(ms)); }

const ecf::link::Win32Api kFakeApi{
    &fakeSetLastError,       &fakeGetLastError,     &fakeCreateFileA,    &fakeGetCommState,
    &fakeSetCommState,       &fakePurgeComm,        &fakeSetCommTimeouts, &fakeGetCommModemStatus,
    &fakeEscapeCommFunction, &fakeTransmitCommChar, &fakeWriteFile,      &fakeReadFile,
    &fakeCloseHandle,        &fakeSleep};

const std::vector<uint8_t> kSubTotal = {0x66, 0xD1, 0x00};

class Win32PortTest : public testing::Test {
protected:
    void SetUp() override { fake = &system; }
    void TearDown() override { fake = nullptr; }

    int32_t exchange(uint32_t replyLength = 1) {
        Win32Port port(kFakeApi);
        std::vector<uint8_t> reply(replyLength + 4);
        return ecf::link::exchange(port, "COM1", kSubTotal.data(),
                                   static_cast<uint32_t>(kSubTotal.size()), reply.data(),
                                   replyLength);
    }
    int count(const std::string& call) const {
        return static_cast<int>(std::count(system.calls.begin(), system.calls.end(), call));
    }

    FakeSystem system;
};

TEST_F(Win32PortTest, ACommandMakesTheseCallsWithTheseArguments) {
    system.reply = {0x2A};
    EXPECT_EQ(exchange(), 0x2A);
    const std::vector<std::string> expected = {
        "SetLastError 0",
        // GENERIC_READ|GENERIC_WRITE, no sharing, no security, OPEN_EXISTING, no flags, no template
        "CreateFileA COM1 c0000000 0 null 3 0 null",
        "GetCommState", "SetCommState",
        "PurgeComm 4", "PurgeComm 8",
        "SetCommTimeouts 4294967295 4294967295 25000 200 3000",
        "GetCommModemStatus",
        "EscapeCommFunction 4", "EscapeCommFunction 6",
        "TransmitCommChar 27", "WriteFile 3", "WriteFile 1",
        "ReadFile 1",
        "EscapeCommFunction 3", "EscapeCommFunction 5",
        "CloseHandle"};
    EXPECT_EQ(system.calls, expected);
    EXPECT_EQ(system.wire, (std::vector<uint8_t>{0x1B, 0x66, 0xD1, 0x00, 0xAE}));
}

// When to pause is the link's choice; here, that the pause is a Sleep and a
// long reply's time-outs reach the system as they are.
TEST_F(Win32PortTest, ALongReplyHasItsTimeoutsAndSleepsFirst) {
    EXPECT_EQ(exchange(301), 0);
    EXPECT_EQ(count("SetCommTimeouts 200 10 30000 200 3000"), 1);
    EXPECT_EQ(count("Sleep 2000"), 1);
    EXPECT_EQ(count("ReadFile 301"), 1);
}

// The open is judged by the last error alone: a stale error is cleared
// first, and a handle that comes with an error is closed at once.
TEST_F(Win32PortTest, OpenIsJudgedByTheLastError) {
    const struct {
        DWORD staleError, openError;
        HANDLE handle;
        OpenError expected;
        int closedAtOpen;
    } cases[] = {
        {87, 0, kPort, OpenError::none, 0},
        {0, ERROR_ALREADY_EXISTS, kPort, OpenError::alreadyExists, 1},
        {0, ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE, OpenError::accessDenied, 0},
        {0, ERROR_ACCESS_DENIED, kPort, OpenError::accessDenied, 1},
        {0, ERROR_SHARING_VIOLATION, INVALID_HANDLE_VALUE, OpenError::other, 0},
    };
    for (const auto& c : cases) {
        system = FakeSystem{};
        system.lastError = c.staleError;
        system.openError = c.openError;
        system.openHandle = c.handle;
        {
            Win32Port port(kFakeApi);
            EXPECT_EQ(port.open("COM1"), c.expected) << c.openError;
            EXPECT_EQ(count("CloseHandle"), c.closedAtOpen) << c.openError;
            // What the exchange report tells of it.
            EXPECT_STREQ(port.openDetails().device, "COM1");
            EXPECT_EQ(port.openDetails().systemError, c.openError);
            EXPECT_EQ(port.openDetails().lockFailed, c.openError == ERROR_ACCESS_DENIED);
        }
        // The port object closes only a port it holds.
        EXPECT_EQ(count("CloseHandle"), c.expected == OpenError::none ? 1 : c.closedAtOpen);
    }
}

// Every field the link sets is forced either way; the others keep what the
// driver reported.
TEST_F(Win32PortTest, DcbFieldsSetAndKept) {
    DCB allOnes;
    std::memset(&allOnes, 0xFF, sizeof allOnes);
    for (const DCB& reported : {allOnes, DCB{}}) {
        system = FakeSystem{};
        system.reported = reported;
        exchange();
        const DCB& d = system.written;
        EXPECT_EQ(d.BaudRate, 9600u);
        EXPECT_EQ(d.ByteSize, 8);
        EXPECT_EQ(d.Parity, EVENPARITY);
        EXPECT_EQ(d.StopBits, ONESTOPBIT);
        EXPECT_EQ(d.ErrorChar, '#');
        const std::vector<DWORD> flags = {d.fBinary,     d.fParity,       d.fOutxCtsFlow,
                                          d.fOutxDsrFlow, d.fDtrControl,  d.fDsrSensitivity,
                                          d.fOutX,       d.fInX,          d.fErrorChar,
                                          d.fNull,       d.fRtsControl,   d.fAbortOnError};
        EXPECT_EQ(flags, (std::vector<DWORD>{1, 1, 1, 1, DTR_CONTROL_ENABLE, 0, 0, 0, 1, 0,
                                             RTS_CONTROL_HANDSHAKE, 1}));
        const std::vector<long long> kept = {d.fTXContinueOnXoff, d.XonLim,   d.XoffLim, d.XonChar,
                                       d.XoffChar,          d.EofChar,  d.EvtChar};
        EXPECT_EQ(kept, (std::vector<long long>{reported.fTXContinueOnXoff, reported.XonLim,
                                          reported.XoffLim, reported.XonChar, reported.XoffChar,
                                          reported.EofChar, reported.EvtChar}));
    }
}

// Each system call failing, with the error it leaves (the link's own mapping
// of a step to its result is tested over the fake port): the result, and the
// handle closed once, last.
TEST_F(Win32PortTest, FailingCallsGiveTheirResults) {
    const struct {
        const char* call;
        DWORD error;
        int32_t result;
    } cases[] = {
        {"GetCommState", 6, 2006},
        {"SetCommState", 87, 2087},
        {"SetCommState", 0, 2000 + ERROR_GEN_FAILURE},  // a failure without an error code
        {"PurgeComm 8", 1, 809},
        {"SetCommTimeouts 4294967295 4294967295 25000 200 3000", 1, 810},
        {"GetCommModemStatus", ERROR_NOT_SUPPORTED, 0x07},  // CTS taken as on
        {"EscapeCommFunction 4", 1, 0x07},                   // not examined
        {"TransmitCommChar 27", 31, 4031},
        {"WriteFile 3", 1117, 7117},
        {"ReadFile 1", 1117, 9117},
    };
    for (const auto& c : cases) {
        system = FakeSystem{};
        system.reply = {0x07};
        system.failures[c.call] = c.error;
        EXPECT_EQ(exchange(), c.result) << c.call;
        EXPECT_EQ(count("CloseHandle"), 1) << c.call;
        EXPECT_EQ(system.calls.back(), "CloseHandle") << c.call;
    }
}

TEST(Win32DeviceName, PortNamesAndOverrides) {
    const struct {
        const char* env;  // ECF_COM2; "": unset
        const char* name;
        const char* device;
    } cases[] = {
        {"", "COM2", "COM2"},
        {"", "COM10", "\\\\.\\COM10"},
        {"", "com12", "\\\\.\\com12"},
        {"", "\\\\.\\COM12", "\\\\.\\COM12"},
        {"", "COM1X", "COM1X"},
        {"", nullptr, ""},
        {"COM7", "COM2", "COM7"},
        {"COM15", "COM2", "\\\\.\\COM15"},
        {"\\\\.\\CNCA0", "COM2", "\\\\.\\CNCA0"},
        {"COM7", "COM1", "COM1"},  // ECF_COM2 is COM2's alone
    };
    for (const auto& c : cases) {
        ScopedEnv env("ECF_COM2", c.env);
        EXPECT_EQ(ecf::link::win32DeviceName(c.name), c.device)
            << (c.name ? c.name : "(null)") << " with ECF_COM2=" << c.env;
    }
    ScopedEnv com1("ECF_COM1", "COM11"), com2("ECF_COM2", "COM12"), com3("ECF_COM3", "COM13"),
        com4("ECF_COM4", "COM14");
    for (int32_t index = 0; index < 4; ++index)
        EXPECT_EQ(ecf::link::win32DeviceName(ecf::link::portName(index)),
                  "\\\\.\\COM1" + std::to_string(index + 1));
}

// Through the system's own calls: a port that does not exist is not opened,
// and the report and the trace file say where it stopped.
TEST(Win32System, AMissingPortGives1030) {
    ScopedEnv env("ECF_COM3", "COM250");
    const std::string trace =
        (std::filesystem::temp_directory_path() / "ecf-win32-trace.log").string();
    std::remove(trace.c_str());
    ASSERT_EQ(ecf_set_trace(trace.c_str()), 0);
    const int32_t previous = ecf::link::PortaSerial.load();
    ChangePort(2);
    EXPECT_EQ(ecf::link::EnviaComando(kSubTotal.data(), static_cast<uint32_t>(kSubTotal.size())),
              1030);
    const ecf_exchange_info report = ecf::link::lastExchange();
    ChangePort(previous);
    ecf_set_trace(nullptr);
    EXPECT_EQ(report.failed_step, static_cast<uint32_t>(ECF_STEP_OPEN));
    EXPECT_STREQ(report.device, "\\\\.\\COM250");
    std::string line;
    std::getline(std::ifstream(trace), line);
    const std::string expected[] = {
        " port=COM3 device=\\\\.\\COM250 cmd=SubTotal code=D1 sent= recv= result=1030 us=",
        " step=open error=" + std::to_string(report.system_error) + "\n"};
    line += "\n";
    for (const std::string& part : expected) EXPECT_NE(line.find(part), std::string::npos) << line;
    std::remove(trace.c_str());
}

}  // namespace
