// The benchmarks' port: the library's own (a device, or a network port for a
// URL), or, while ecf::bench::nullPort is set,
// a port that takes every byte and answers nothing, so that what the library
// does around a record can be timed without the line (link-time seam, see
// src/link/platform_posix.cpp).
#include <memory>

#include "bench_support.h"
#include "link/choosing_port.h"
#include "link/platform_port.h"
#include "link/posix_port.h"

namespace ecf::bench {

bool nullPort = false;

namespace {

class NullPort final : public link::SerialPort {
public:
    link::OpenError open(const char*) override { return link::OpenError::none; }
    uint32_t applyLineSettings(const link::LineSettings&) override { return 0; }
    uint32_t purge(uint32_t) override { return 0; }
    uint32_t setTimeouts(const link::CommTimeouts&) override { return 0; }
    uint32_t modemStatus(uint32_t* status) override {
        *status = link::kModemCtsOn;
        return 0;
    }
    void escape(uint32_t) override {}
    uint32_t transmitPriority(uint8_t) override { return 0; }
    uint32_t write(const uint8_t*, uint32_t length, uint32_t* written) override {
        *written = length;
        return 0;
    }
    uint32_t read(uint8_t*, uint32_t, uint32_t* received) override {
        *received = 0;
        return 0;
    }
    void close() override {}
    void pause(uint32_t) override {}
};

}  // namespace
}  // namespace ecf::bench

namespace ecf::link {

std::unique_ptr<SerialPort> makePlatformPort() {
    if (ecf::bench::nullPort) return std::make_unique<ecf::bench::NullPort>();
    return std::make_unique<ChoosingPort>(std::make_unique<PosixPort>(), &devicePathFor);
}

}  // namespace ecf::link
