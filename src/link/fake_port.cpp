#include "fake_port.h"

namespace ecf::link {

uint32_t FakePort::failureOf(Step step) const {
    auto it = failures.find(step);
    return it == failures.end() ? 0 : it->second;
}

OpenError FakePort::open(const char* name) {
    calls.push_back(std::string("open ") + name);
    openedName = name;
    isOpen = openError == OpenError::none;
    details_ = isOpen ? OpenDetails{} : openFailure;
    setDevice(details_, name);
    return openError;
}

uint32_t FakePort::applyLineSettings(const LineSettings& s) {
    calls.push_back("line-settings");
    settings = s;
    return failureOf(LineSettingsStep);
}

uint32_t FakePort::purge(uint32_t flags) {
    calls.push_back("purge " + std::to_string(flags));
    return (flags & failPurgeFlags) != 0 ? failureOf(Purge) : 0;
}

uint32_t FakePort::setTimeouts(const CommTimeouts& t) {
    calls.push_back("timeouts");
    timeouts = t;
    return failureOf(Timeouts);
}

uint32_t FakePort::modemStatus(uint32_t* status) {
    calls.push_back("modem");
    if (uint32_t e = failureOf(Modem); e != 0) return e;
    *status = modemBits;
    return 0;
}

void FakePort::escape(uint32_t function) { calls.push_back("escape " + std::to_string(function)); }

uint32_t FakePort::transmitPriority(uint8_t byte) {
    calls.push_back("priority");
    if (uint32_t e = failureOf(Priority); e != 0) return e;
    wire.push_back(byte);
    return 0;
}

uint32_t FakePort::write(const uint8_t* data, uint32_t length, uint32_t* written) {
    ++writes_;
    calls.push_back("write " + std::to_string(length));
    const bool fails = failWriteNumber != 0 ? writes_ == failWriteNumber : failureOf(Write) != 0;
    if (fails) return failureOf(Write) != 0 ? failureOf(Write) : 5;
    wire.insert(wire.end(), data, data + length);
    *written = length;
    return 0;
}

uint32_t FakePort::read(uint8_t* data, uint32_t length, uint32_t* received) {
    calls.push_back("read " + std::to_string(length));
    if (uint32_t e = failureOf(Read); e != 0) return e;
    uint32_t n = 0;
    while (n < length && readPos_ < replyBytes.size()) data[n++] = replyBytes[readPos_++];
    *received = n;
    return 0;
}

void FakePort::close() {
    if (!isOpen) return;
    calls.push_back("close");
    isOpen = false;
}

void FakePort::pause(uint32_t milliseconds) {
    calls.push_back("pause " + std::to_string(milliseconds));
    pauses.push_back(milliseconds);
}

}  // namespace ecf::link
