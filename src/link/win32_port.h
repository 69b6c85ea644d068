// The serial port on Windows: the Win32 communications calls, through a
// table that tests can replace.
#pragma once

#include <cstdint>
#include <string>

#include "serial_port.h"
#include "win32_api.h"

namespace ecf::link {

// The name handed to CreateFileA for a port name: "COM1".."COM4" are taken
// from the environment variable ECF_COM1..ECF_COM4 when it is set and not
// empty; a bare "COMn" with n of 10 or more gets the "\\.\" prefix, without
// which Windows does not find it. Other names are used as they stand.
std::string win32DeviceName(const char* name);

// Changes the fields of a DCB that the link sets; every other field keeps
// what the driver reported.
void applyToDcb(const LineSettings& settings, DCB& dcb);

class Win32Port final : public SerialPort {
public:
    explicit Win32Port(const Win32Api& api = systemWin32Api()) : api_(api) {}
    Win32Port(const Win32Port&) = delete;
    Win32Port& operator=(const Win32Port&) = delete;
    ~Win32Port() override { close(); }

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

private:
    // The thread's last error after a failed call, never 0: a failure that
    // left no error code still has to read as a failure.
    uint32_t lastFailure() const;

    Win32Api api_;  // copied, so the table given may be a temporary
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    OpenDetails details_;
};

}  // namespace ecf::link
