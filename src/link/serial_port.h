// The serial port as the link sees it: the few operations of one exchange,
// behind which all platform code lives (POSIX termios, Win32, a scripted fake).
#pragma once

#include <cstddef>
#include <cstdint>

namespace ecf::link {

// How an open ended. The Win32 backend judges it by the thread's last-error
// value (183, 5, anything else); the POSIX backend maps errno onto the same.
enum class OpenError { none, alreadyExists, accessDenied, other };

// The line settings applied at every exchange, in the terms of a Win32 DCB.
// Fields that are not listed keep what the driver reported.
struct LineSettings {
    uint32_t baudRate = 9600;
    uint8_t byteSize = 8;
    uint8_t parity = 2;    // EVENPARITY
    uint8_t stopBits = 0;  // ONESTOPBIT
    bool binary = true;
    bool parityCheck = true;
    bool outxCtsFlow = true;
    bool outxDsrFlow = true;
    uint8_t dtrControl = 1;  // DTR_CONTROL_ENABLE
    bool dsrSensitivity = false;
    bool outX = false;
    bool inX = false;
    bool errorCharEnabled = true;
    char errorChar = '#';  // replaces a byte received with a parity error
    bool discardNull = false;
    uint8_t rtsControl = 2;  // RTS_CONTROL_HANDSHAKE
    bool abortOnError = true;
};

// Time-outs with the Win32 COMMTIMEOUTS meaning, in milliseconds.
struct CommTimeouts {
    uint32_t readInterval;
    uint32_t readTotalMultiplier;
    uint32_t readTotalConstant;
    uint32_t writeTotalMultiplier;
    uint32_t writeTotalConstant;
};

constexpr uint32_t kMaxDword = 0xFFFFFFFFu;

// PurgeComm flags.
constexpr uint32_t kPurgeTxClear = 0x0004;
constexpr uint32_t kPurgeRxClear = 0x0008;

// EscapeCommFunction codes.
constexpr uint32_t kSetRts = 3;
constexpr uint32_t kClrRts = 4;
constexpr uint32_t kSetDtr = 5;
constexpr uint32_t kClrDtr = 6;

// Modem status bit of CTS.
constexpr uint32_t kModemCtsOn = 0x0010;

// What the last open() did, for the exchange report: the device path or URL
// the port's name resolved to, and for a failed open its system error (errno,
// GetLastError) and whether it was the lock, i.e. another holder.
struct OpenDetails {
    char device[256] = {};
    uint32_t systemError = 0;
    bool lockFailed = false;
};

// Records the device of an open: as much of `path` as the field holds.
inline void setDevice(OpenDetails& details, const char* path) {
    std::size_t n = 0;
    if (path != nullptr)
        for (; n + 1 < sizeof details.device && path[n] != '\0'; ++n) details.device[n] = path[n];
    details.device[n] = '\0';
}

// One port, used for one exchange. Every operation but open returns 0 on
// success or the system error code of the failure.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    virtual OpenError open(const char* name) = 0;
    virtual const OpenDetails& openDetails() const {
        static const OpenDetails unknown;
        return unknown;
    }
    virtual uint32_t applyLineSettings(const LineSettings& settings) = 0;
    virtual uint32_t purge(uint32_t flags) = 0;
    virtual uint32_t setTimeouts(const CommTimeouts& timeouts) = 0;
    virtual uint32_t modemStatus(uint32_t* status) = 0;
    virtual void escape(uint32_t function) = 0;
    virtual uint32_t transmitPriority(uint8_t byte) = 0;
    // A write or read that times out succeeds with fewer bytes.
    virtual uint32_t write(const uint8_t* data, uint32_t length, uint32_t* written) = 0;
    virtual uint32_t read(uint8_t* data, uint32_t length, uint32_t* received) = 0;
    virtual void close() = 0;
    // The pause before a long reply; a sleep, never a spin.
    virtual void pause(uint32_t milliseconds) = 0;
};

}  // namespace ecf::link
