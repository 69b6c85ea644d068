// The port the library opens: at every open it looks at what the port's name
// resolves to (ECF_COMn, see port_environment.h) and talks to a network port
// when that is a URL, to the platform's local port otherwise. No connection
// is ever made unless a port names a URL.
#pragma once

#include <memory>
#include <string>

#include "net_port.h"
#include "serial_port.h"

namespace ecf::link {

class ChoosingPort final : public SerialPort {
public:
    // What a port name resolves to on this platform (a device path, a port
    // name or a URL).
    using Resolver = std::string (*)(const char* name);

    ChoosingPort(std::unique_ptr<SerialPort> local, Resolver resolve)
        : local_(std::move(local)), resolve_(resolve), active_(local_.get()) {}
    ChoosingPort(const ChoosingPort&) = delete;
    ChoosingPort& operator=(const ChoosingPort&) = delete;
    ~ChoosingPort() override = default;

    OpenError open(const char* name) override;
    const OpenDetails& openDetails() const override { return active_->openDetails(); }
    uint32_t applyLineSettings(const LineSettings& s) override { return active_->applyLineSettings(s); }
    uint32_t purge(uint32_t flags) override { return active_->purge(flags); }
    uint32_t setTimeouts(const CommTimeouts& t) override { return active_->setTimeouts(t); }
    uint32_t modemStatus(uint32_t* status) override { return active_->modemStatus(status); }
    void escape(uint32_t function) override { active_->escape(function); }
    uint32_t transmitPriority(uint8_t byte) override { return active_->transmitPriority(byte); }
    uint32_t write(const uint8_t* data, uint32_t length, uint32_t* written) override {
        return active_->write(data, length, written);
    }
    uint32_t read(uint8_t* data, uint32_t length, uint32_t* received) override {
        return active_->read(data, length, received);
    }
    void close() override { active_->close(); }
    void pause(uint32_t milliseconds) override { active_->pause(milliseconds); }

private:
    std::unique_ptr<SerialPort> local_;
    std::unique_ptr<NetPort> network_;
    Resolver resolve_;
    SerialPort* active_;
};

}  // namespace ecf::link
