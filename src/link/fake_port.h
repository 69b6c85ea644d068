// A scripted serial port for tests: records every call in order, answers
// reads from a script, and can fail any step with a given error.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "serial_port.h"

namespace ecf::link {

class FakePort final : public SerialPort {
public:
    // Steps, as named in the call log.
    enum Step { Open, LineSettingsStep, Purge, Timeouts, Modem, Escape, Priority, Write, Read, Close, Pause };

    // Scripted outcome of the port.
    OpenError openError = OpenError::none;
    OpenDetails openFailure;  // systemError and lockFailed of a failed open
    std::map<Step, uint32_t> failures;  // step -> system error
    uint32_t failPurgeFlags = 0;         // purge fails (with failures[Purge]) for these flags
    uint32_t failWriteNumber = 0;        // 1-based number of the write that fails; 0 = use failures
    uint32_t modemBits = kModemCtsOn;
    std::vector<uint8_t> replyBytes;  // what reads deliver, in order

    // What the library did.
    std::vector<std::string> calls;
    std::string openedName;
    LineSettings settings{};
    CommTimeouts timeouts{0, 0, 0, 0, 0};
    std::vector<uint8_t> wire;  // every byte written, ESC included
    std::vector<uint32_t> pauses;
    bool isOpen = false;

    OpenError open(const char* name) override;
    const OpenDetails& openDetails() const override { return details_; }
    uint32_t applyLineSettings(const LineSettings& s) override;
    uint32_t purge(uint32_t flags) override;
    uint32_t setTimeouts(const CommTimeouts& t) override;
    uint32_t modemStatus(uint32_t* status) override;
    void escape(uint32_t function) override;
    uint32_t transmitPriority(uint8_t byte) override;
    uint32_t write(const uint8_t* data, uint32_t length, uint32_t* written) override;
    uint32_t read(uint8_t* data, uint32_t length, uint32_t* received) override;
    void close() override;
    void pause(uint32_t milliseconds) override;

private:
    uint32_t failureOf(Step step) const;
    OpenDetails details_;
    uint32_t writes_ = 0;
    std::size_t readPos_ = 0;
};

}  // namespace ecf::link
