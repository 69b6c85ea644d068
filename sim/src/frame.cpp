#include "ecfsim/frame.h"

namespace ecfsim {

std::optional<FrameEvent> FrameReader::finish(FrameEvent::Kind kind) {
    FrameEvent event{kind, {}};
    event.record.swap(record_);
    state_ = State::hunting;
    expected_ = 0;
    longLength_ = 0;
    return event;
}

bool FrameReader::checksumMatches(uint8_t checksum) const {
    return checksumFor(record_.data(), record_.size()) == checksum;
}

std::optional<FrameEvent> FrameReader::push(uint8_t byte, TimePoint now) {
    // A frame that went quiet for too long is over before this byte counts.
    std::optional<FrameEvent> late = tick(now);
    if (late) {
        // The byte that arrived after the silence may start the next frame;
        // it is not lost, but only one event is reported per call, and the
        // silence is the one the host is waiting on.
        if (byte == kEsc)
            state_ = State::lead;
        else
            ++dropped_;
        lastByte_ = now;
        return late;
    }
    lastByte_ = now;

    switch (state_) {
        case State::hunting:
            if (byte == kEsc)
                state_ = State::lead;
            else
                ++dropped_;
            return std::nullopt;

        case State::lead:
            if (byte == kEsc) return std::nullopt;  // a repeated ESC starts the frame anew
            record_.assign(1, byte);
            if (byte == kFreeLineLead) {
                expected_ = kFreeLineLength;
                state_ = State::body;
                return std::nullopt;
            }
            if (byte != kCommandLead) return finish(FrameEvent::Kind::badLead);
            state_ = State::code;
            return std::nullopt;

        case State::code: {
            record_.push_back(byte);
            const CommandInfo* info = findCommand(byte);
            if (info == nullptr) return finish(FrameEvent::Kind::unknownCode);
            expected_ = info->length;
            longLength_ = info->longLength;
            state_ = record_.size() < expected_ ? State::body : State::checksum;
            return std::nullopt;
        }

        case State::body:
            record_.push_back(byte);
            if (record_.size() < expected_) return std::nullopt;
            if (record_[0] == kFreeLineLead) return finish(FrameEvent::Kind::command);
            state_ = State::checksum;
            return std::nullopt;

        case State::checksum:
            if (longLength_ != 0 && record_.size() == expected_) {
                if (checksumMatches(byte)) {
                    // Either the short form's checksum or the long form's next byte.
                    record_.push_back(byte);
                    state_ = State::shortFormCandidate;
                    return std::nullopt;
                }
                record_.push_back(byte);
                expected_ = longLength_;
                longLength_ = 0;
                state_ = record_.size() < expected_ ? State::body : State::checksum;
                return std::nullopt;
            }
            return finish(checksumMatches(byte) ? FrameEvent::Kind::command
                                                : FrameEvent::Kind::badChecksum);

        case State::shortFormCandidate:
            // More bytes: it is the long form after all.
            record_.push_back(byte);
            expected_ = longLength_;
            longLength_ = 0;
            state_ = record_.size() < expected_ ? State::body : State::checksum;
            return std::nullopt;
    }
    return std::nullopt;
}

std::optional<FrameEvent> FrameReader::tick(TimePoint now) {
    if (state_ == State::hunting) return std::nullopt;
    if (state_ == State::shortFormCandidate) {
        if (now - lastByte_ < timing_.longFormWait) return std::nullopt;
        record_.pop_back();  // that byte was the checksum
        return finish(FrameEvent::Kind::command);
    }
    if (now - lastByte_ < timing_.frameGap) return std::nullopt;
    return finish(FrameEvent::Kind::cutShort);
}

std::optional<TimePoint> FrameReader::deadline() const {
    if (state_ == State::hunting) return std::nullopt;
    if (state_ == State::shortFormCandidate) return lastByte_ + timing_.longFormWait;
    return lastByte_ + timing_.frameGap;
}

}  // namespace ecfsim
