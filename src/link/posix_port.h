// The serial port on POSIX systems (termios), with the Win32 time-out
// semantics done by poll on a monotonic deadline.
#pragma once

#include <cstdint>
#include <string>

#include "serial_port.h"

namespace ecf::link {

// The device path of a port name: "COMn" is taken from the environment
// variable ECF_COMn at every open, else (unset or empty) /dev/ttyS(n-1).
// Other names are used as paths.
std::string devicePathFor(const char* name);

// Turns the bytes of a line read with PARMRK back into what the printer sent:
// FF FF is one FF byte, FF 00 x a byte received with a parity error (given
// as the error character). Keeps its state across chunks of one read.
class ParityMarkDecoder {
public:
    explicit ParityMarkDecoder(uint8_t errorChar) : errorChar_(errorChar) {}
    // Decodes `length` raw bytes into out (room for `room` bytes); returns
    // the number of bytes written.
    uint32_t decode(const uint8_t* raw, uint32_t length, uint8_t* out, uint32_t room);

private:
    uint8_t errorChar_;
    int pending_ = 0;  // bytes of a marker seen so far: 0, 1 (FF) or 2 (FF 00)
};

// The parts of 9600 8E1 RTS/CTS a device holds, read back after the line
// settings were applied: a pseudo-terminal, for one, keeps no parity.
struct HeldLine {
    bool baud9600 = false;
    bool eightBits = false;
    bool evenParity = false;
    bool oneStopBit = false;
    bool rtsCts = false;
};

class PosixPort final : public SerialPort {
public:
    PosixPort() = default;
    PosixPort(const PosixPort&) = delete;
    PosixPort& operator=(const PosixPort&) = delete;
    ~PosixPort() override { close(); }

    OpenError open(const char* name) override;
    const OpenDetails& openDetails() const override { return details_; }
    uint32_t applyLineSettings(const LineSettings& settings) override;
    uint32_t purge(uint32_t flags) override;
    uint32_t setTimeouts(const CommTimeouts& timeouts) override;
    uint32_t modemStatus(uint32_t* status) override;
    void escape(uint32_t function) override;
    uint32_t transmitPriority(uint8_t byte) override;
    uint32_t write(const uint8_t* data, uint32_t length, uint32_t* written) override;
    uint32_t read(uint8_t* data, uint32_t length, uint32_t* received) override;
    void close() override;
    void pause(uint32_t milliseconds) override;

    // What the open device holds now; 0, or the errno of reading it.
    uint32_t heldLine(HeldLine* held) const;

private:
    int fd_ = -1;
    OpenDetails details_;
    CommTimeouts timeouts_{0, 0, 0, 0, 0};
    uint8_t errorChar_ = '#';
};

}  // namespace ecf::link
