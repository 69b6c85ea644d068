// The time-outs of one read or write, as Win32 COMMTIMEOUTS mean them, turned
// into deadlines on the monotonic clock. Every port backend waits on these, so
// that a device and a network port give up at the same moments.
#pragma once

#include <chrono>
#include <cstdint>

#include "serial_port.h"

namespace ecf::link {

using Clock = std::chrono::steady_clock;

// Milliseconds left until a deadline, for poll; -1 waits without limit.
inline int millisecondsUntil(const Clock::time_point* deadline) {
    if (deadline == nullptr) return -1;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now()).count();
    if (left <= 0) return 0;
    return left > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(left);
}

// A write of `length` bytes: multiplier * length + constant, none when both are 0.
class WriteDeadline {
public:
    WriteDeadline(const CommTimeouts& t, uint32_t length)
        : limited_(t.writeTotalMultiplier != 0 || t.writeTotalConstant != 0),
          at_(Clock::now() + std::chrono::milliseconds(uint64_t{t.writeTotalMultiplier} * length +
                                                       t.writeTotalConstant)) {}
    // How long to wait now: -1 without limit, 0 when the time is up.
    int waitMs() const { return limited_ ? millisecondsUntil(&at_) : -1; }
    // The deadline itself; nullptr without limit.
    const Clock::time_point* at() const { return limited_ ? &at_ : nullptr; }

private:
    bool limited_;
    Clock::time_point at_;
};

// A read of `length` bytes. MAXDWORD/MAXDWORD/constant returns with the first
// byte or after the constant; MAXDWORD/0/0 returns at once with what is there;
// otherwise a total time-out (multiplier * length + constant, none when both
// are 0) and an interval time-out counted once the first byte arrived.
class ReadDeadline {
public:
    ReadDeadline(const CommTimeouts& t, uint32_t length) {
        const Clock::time_point start = Clock::now();
        firstByteReturns_ = t.readInterval == kMaxDword && t.readTotalMultiplier == kMaxDword &&
                            t.readTotalConstant != 0 && t.readTotalConstant != kMaxDword;
        immediate_ = t.readInterval == kMaxDword && t.readTotalMultiplier == 0 &&
                     t.readTotalConstant == 0;
        if (firstByteReturns_) {
            total_ = start + std::chrono::milliseconds(t.readTotalConstant);
            hasTotal_ = true;
        } else if (!immediate_ && (t.readTotalMultiplier != 0 || t.readTotalConstant != 0)) {
            total_ = start + std::chrono::milliseconds(uint64_t{t.readTotalMultiplier} * length +
                                                       t.readTotalConstant);
            hasTotal_ = true;
        }
        hasInterval_ = !firstByteReturns_ && !immediate_ && t.readInterval != 0 &&
                       t.readInterval != kMaxDword;
        interval_ = std::chrono::milliseconds(hasInterval_ ? t.readInterval : 0);
    }

    // The read is over once it holds `received` bytes (apart from the length).
    bool doneWith(uint32_t received) const { return firstByteReturns_ && received > 0; }
    // Nothing there now ends the read.
    bool immediate() const { return immediate_; }
    void byteArrived() { lastByte_ = Clock::now(); }

    // How long to wait for more now: -1 without limit, 0 when the time is up.
    int waitMs(uint32_t received) const {
        int waitMs = hasTotal_ ? millisecondsUntil(&total_) : -1;
        if (hasInterval_ && received > 0) {
            const Clock::time_point intervalEnd = lastByte_ + interval_;
            const int intervalMs = millisecondsUntil(&intervalEnd);
            if (waitMs < 0 || intervalMs < waitMs) waitMs = intervalMs;
        }
        return waitMs;
    }

private:
    bool firstByteReturns_ = false;
    bool immediate_ = false;
    bool hasTotal_ = false;
    bool hasInterval_ = false;
    Clock::time_point total_{};
    std::chrono::milliseconds interval_{0};
    Clock::time_point lastByte_{};
};

}  // namespace ecf::link
