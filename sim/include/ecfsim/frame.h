// Reads frames off the line byte by byte, as the printer's firmware does:
// ESC, the lead byte, the command code, the rest of the record whose length the
// register gives, then the checksum byte. Bytes outside a frame are dropped;
// every fault ends the frame and the reader waits for the next ESC.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "ecfsim/register.h"

namespace ecfsim {

using SteadyClock = std::chrono::steady_clock;
using TimePoint = SteadyClock::time_point;
using Milliseconds = std::chrono::milliseconds;

struct FrameEvent {
    enum class Kind {
        command,      // a whole record with a good checksum (or a free text line)
        badChecksum,  // a whole record whose checksum byte is wrong
        unknownCode,  // a command code the register does not know
        badLead,      // the byte after ESC is neither `f` nor `n`
        cutShort,     // the line went quiet in the middle of a frame
    };
    Kind kind;
    std::vector<uint8_t> record;  // lead byte onwards, without ESC and checksum
};

// 11 bits a byte at 9600 baud.
constexpr std::chrono::nanoseconds kByteTime{11 * 1000000000LL / 9600};

struct FrameTiming {
    // Silence inside a frame longer than any pause a sender makes in one:
    // the partial frame is dropped (answered as cut short), so that whatever
    // follows is read on its own.
    SteadyClock::duration frameGap;
    // 0xDA has a 187- and a 202-byte form. When the byte after the 187th is a
    // good checksum for the short form, the reader waits this long for more
    // bytes before it takes the short form.
    SteadyClock::duration longFormWait;
};

// A line at 9600 baud: a frame's bytes follow each other, so a few byte
// times of silence end it, and a long form would have gone on within a
// byte time and a half.
constexpr FrameTiming kPacedTiming{5 * kByteTime, kByteTime * 3 / 2};
// A line as fast as the host writes (a pseudo-terminal): a frame comes in a
// few bursts, microseconds apart; short fixed gaps with room for a busy
// machine.
constexpr FrameTiming kUnpacedTiming{Milliseconds(50), Milliseconds(2)};

class FrameReader {
public:
    explicit FrameReader(FrameTiming timing = kUnpacedTiming) : timing_(timing) {}

    // Takes one byte received at `now`; returns an event when it ends a frame.
    std::optional<FrameEvent> push(uint8_t byte, TimePoint now);
    // Lets time pass without bytes; returns an event when a wait ran out.
    std::optional<FrameEvent> tick(TimePoint now);
    // When tick() next has something to do, if ever.
    std::optional<TimePoint> deadline() const;

    bool inFrame() const { return state_ != State::hunting; }
    // Bytes dropped because they stood outside any frame.
    uint64_t droppedBytes() const { return dropped_; }

private:
    enum class State { hunting, lead, code, body, checksum, shortFormCandidate };

    std::optional<FrameEvent> finish(FrameEvent::Kind kind);
    bool checksumMatches(uint8_t checksum) const;

    FrameTiming timing_;
    State state_ = State::hunting;
    std::vector<uint8_t> record_;
    std::size_t expected_ = 0;    // record length awaited
    std::size_t longLength_ = 0;  // the longer form's length, while still possible
    TimePoint lastByte_{};
    uint64_t dropped_ = 0;
};

}  // namespace ecfsim
