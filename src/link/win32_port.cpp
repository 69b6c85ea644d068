#include "win32_port.h"

#include <memory>

#include "choosing_port.h"
#include "platform_port.h"
#include "port_environment.h"

namespace ecf::link {

std::unique_ptr<SerialPort> makePlatformPort() {
    return std::make_unique<ChoosingPort>(std::make_unique<Win32Port>(), &win32DeviceName);
}

const Win32Api& systemWin32Api() {
    static const Win32Api api{&::SetLastError,       &::GetLastError,       &::CreateFileA,
                              &::GetCommState,       &::SetCommState,       &::PurgeComm,
                              &::SetCommTimeouts,    &::GetCommModemStatus, &::EscapeCommFunction,
                              &::TransmitCommChar,   &::WriteFile,          &::ReadFile,
                              &::CloseHandle,        &::Sleep};
    return api;
}

namespace {

// The number n of a bare "COMn" (any case), or 0 for any other name.
unsigned comNumber(const std::string& name) {
    if (name.size() < 4 || name.size() > 12) return 0;
    if ((name[0] | 0x20) != 'c' || (name[1] | 0x20) != 'o' || (name[2] | 0x20) != 'm') return 0;
    unsigned n = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        n = n * 10 + static_cast<unsigned>(name[i] - '0');
    }
    return n;
}

bool isHandle(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }

}  // namespace

std::string win32DeviceName(const char* name) {
    std::string device = name != nullptr ? name : "";
    if (device.size() == 4) {
        if (const unsigned n = comNumber(device); n >= 1 && n <= 4) {
            if (const char* override = portFromEnvironment(n)) device = override;
        }
    }
    if (comNumber(device) >= 10) return "\\\\.\\" + device;
    return device;
}

void applyToDcb(const LineSettings& s, DCB& dcb) {
    dcb.BaudRate = s.baudRate;
    dcb.ByteSize = s.byteSize;
    dcb.Parity = s.parity;
    dcb.StopBits = s.stopBits;
    dcb.fBinary = s.binary;
    dcb.fParity = s.parityCheck;
    dcb.fOutxCtsFlow = s.outxCtsFlow;
    dcb.fOutxDsrFlow = s.outxDsrFlow;
    dcb.fDtrControl = s.dtrControl;
    dcb.fDsrSensitivity = s.dsrSensitivity;
    dcb.fOutX = s.outX;
    dcb.fInX = s.inX;
    dcb.fErrorChar = s.errorCharEnabled;
    dcb.ErrorChar = s.errorChar;
    dcb.fNull = s.discardNull;
    dcb.fRtsControl = s.rtsControl;
    dcb.fAbortOnError = s.abortOnError;
}

uint32_t Win32Port::lastFailure() const {
    const DWORD error = api_.getLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
}

// Judged by the thread's last error, not by the handle: a driver may hand
// back a handle and still report an error, and that open counts as failed.
OpenError Win32Port::open(const char* name) {
    close();
    const std::string device = win32DeviceName(name);
    details_ = OpenDetails{};
    setDevice(details_, device.c_str());
    api_.setLastError(0);
    const HANDLE h = api_.createFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    const DWORD error = api_.getLastError();
    if (error == 0) {
        handle_ = h;
        return OpenError::none;
    }
    if (isHandle(h)) api_.closeHandle(h);  // else the port stays held until unload
    details_.systemError = error;
    // Opened without sharing: access denied means another holder.
    details_.lockFailed = error == ERROR_ACCESS_DENIED;
    switch (error) {
        case ERROR_ALREADY_EXISTS: return OpenError::alreadyExists;
        case ERROR_ACCESS_DENIED: return OpenError::accessDenied;
        default: return OpenError::other;
    }
}

uint32_t Win32Port::applyLineSettings(const LineSettings& settings) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!api_.getCommState(handle_, &dcb)) return lastFailure();
    applyToDcb(settings, dcb);
    if (!api_.setCommState(handle_, &dcb)) return lastFailure();
    return 0;
}

uint32_t Win32Port::purge(uint32_t flags) {
    return api_.purgeComm(handle_, flags) ? 0 : lastFailure();
}

uint32_t Win32Port::setTimeouts(const CommTimeouts& t) {
    COMMTIMEOUTS timeouts{t.readInterval, t.readTotalMultiplier, t.readTotalConstant,
                          t.writeTotalMultiplier, t.writeTotalConstant};
    return api_.setCommTimeouts(handle_, &timeouts) ? 0 : lastFailure();
}

uint32_t Win32Port::modemStatus(uint32_t* status) {
    DWORD bits = 0;
    if (!api_.getCommModemStatus(handle_, &bits)) return lastFailure();
    *status = bits;
    return 0;
}

void Win32Port::escape(uint32_t function) { (void)api_.escapeCommFunction(handle_, function); }

uint32_t Win32Port::transmitPriority(uint8_t byte) {
    return api_.transmitCommChar(handle_, static_cast<char>(byte)) ? 0 : lastFailure();
}

uint32_t Win32Port::write(const uint8_t* data, uint32_t length, uint32_t* written) {
    DWORD n = 0;
    const BOOL ok = api_.writeFile(handle_, data, length, &n, nullptr);
    *written = n;
    return ok ? 0 : lastFailure();
}

uint32_t Win32Port::read(uint8_t* data, uint32_t length, uint32_t* received) {
    DWORD n = 0;
    const BOOL ok = api_.readFile(handle_, data, length, &n, nullptr);
    *received = n;
    return ok ? 0 : lastFailure();
}

void Win32Port::close() {
    if (!isHandle(handle_)) return;
    api_.closeHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

void Win32Port::pause(uint32_t milliseconds) { api_.sleep(milliseconds); }

}  // namespace ecf::link
