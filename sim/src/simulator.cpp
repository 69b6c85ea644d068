#include "ecfsim/simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <stdexcept>

#include "ecfsim/state_file.h"

namespace ecfsim {

namespace {

// The lines a command prints wait until it is kept; a command refused after
// all (or one that threw) takes them back.
class HeldPaper {
public:
    explicit HeldPaper(Paper& paper) : paper_(paper) { paper_.hold(); }
    ~HeldPaper() {
        if (!released_) paper_.drop();
    }
    HeldPaper(const HeldPaper&) = delete;
    HeldPaper& operator=(const HeldPaper&) = delete;
    void release() {
        paper_.release();
        released_ = true;
    }

private:
    Paper& paper_;
    bool released_ = false;
};

}  // namespace

std::optional<Fault> parseFault(const std::string& text) {
    std::string spec = text;
    Fault f;
    f.times = 0;
    if (const std::size_t slash = spec.find('/'); slash != std::string::npos) {
        const std::string p = spec.substr(slash + 1);
        if (p.empty() || p.find_first_not_of("0123456789") != std::string::npos || p.size() > 6)
            return std::nullopt;
        f.period = static_cast<uint32_t>(std::stoul(p));
        if (f.period == 0) return std::nullopt;
        spec.resize(slash);
    }
    std::string name = spec;
    std::string arg;
    if (const std::size_t colon = spec.find(':'); colon != std::string::npos) {
        name = spec.substr(0, colon);
        arg = spec.substr(colon + 1);
        if (arg.empty() || arg.find_first_not_of("0123456789") != std::string::npos ||
            arg.size() > 6)
            return std::nullopt;
        f.value = static_cast<uint32_t>(std::stoul(arg));
    }
    const bool needsArg = name == "late" || name == "short" || name == "status";
    if (needsArg == arg.empty()) return std::nullopt;
    if (name == "silent") f.kind = Fault::Kind::silent;
    else if (name == "late") f.kind = Fault::Kind::late;
    else if (name == "short") f.kind = Fault::Kind::shortReply;
    else if (name == "garbage") f.kind = Fault::Kind::garbage;
    else if (name == "cut") f.kind = Fault::Kind::cutMidway;
    else if (name == "status" && f.value <= 255) f.kind = Fault::Kind::status;
    else return std::nullopt;
    return f;
}

Simulator::Simulator(Model model, SimulatorOptions options, Printer::HostClock clock)
    : options_(std::move(options)),
      printer_(std::move(model), std::move(clock)),
      reader_(options_.timing.value_or(options_.realtime ? kPacedTiming : kUnpacedTiming)) {
    if (::pipe2(stopPipe_, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("pipe2 failed");
}

Simulator::~Simulator() {
    ::close(stopPipe_[0]);
    ::close(stopPipe_[1]);
}

void Simulator::stop() {
    stopping_.store(true);
    const char b = 's';
    (void)!::write(stopPipe_[1], &b, 1);
}

Model Simulator::snapshot() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return printer_.model();
}

void Simulator::resetModel(Model model) {
    std::lock_guard<std::mutex> lock(mutex_);
    printer_.model() = std::move(model);
}

void Simulator::setPaperSink(Paper::Sink sink) {
    std::lock_guard<std::mutex> lock(mutex_);
    printer_.paper().setSink(std::move(sink));
}

void Simulator::keepPaper(std::size_t limitBytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    printer_.paper().keepText(limitBytes);
}

std::string Simulator::paperText() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return printer_.paper().text();
}

void Simulator::clearPaper() {
    std::lock_guard<std::mutex> lock(mutex_);
    printer_.paper().clear();
}

void Simulator::inject(const Fault& fault) {
    std::lock_guard<std::mutex> lock(mutex_);
    fault_ = fault;
    if (fault_.period == 0) fault_.period = 1;
    faultCounter_ = 0;
}

void Simulator::clearFaults() { inject(Fault{}); }

void Simulator::setExchangeSink(ExchangeSink sink) {
    std::lock_guard<std::mutex> lock(mutex_);
    exchangeSink_ = std::move(sink);
}

bool Simulator::save() {
    std::lock_guard<std::mutex> lock(mutex_);
    return saveLocked();
}

SimulatorStats Simulator::stats() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stats_;
}

bool Simulator::saveLocked() {
    if (options_.statePath.empty()) return true;
    try {
        saveState(options_.statePath, printer_.model());
        if (saveErrorReported_) std::fprintf(stderr, "ecf-sim: the state is saved again\n");
        saveErrorReported_ = false;
        return true;
    } catch (const std::exception& e) {
        ++stats_.saveErrors;
        if (!saveErrorReported_)
            std::fprintf(stderr, "ecf-sim: %s; commands that change the printer are refused (%d)\n",
                         e.what(), byteOf(Status::memoryNotWritten));
        saveErrorReported_ = true;
        return false;
    }
}

Answer Simulator::answerAndKeep(const FrameEvent& event) {
    // What the state file cannot keep is not done: the model and the paper
    // go back to how they were, and the command is refused.
    std::optional<Model> before;
    if (!options_.statePath.empty()) before = printer_.model();
    HeldPaper paper(printer_.paper());
    Answer a;
    try {
        a = printer_.answer(event);
    } catch (...) {  // half done is not done
        if (before) printer_.model() = std::move(*before);
        throw;
    }
    if (a.changedState && !saveLocked()) {
        printer_.model() = std::move(*before);
        printer_.model().lastStatus = byteOf(Status::memoryNotWritten);
        return Answer{{byteOf(Status::memoryNotWritten)}, false};
    }
    paper.release();
    return a;
}

Fault Simulator::takeFault() {
    if (fault_.kind == Fault::Kind::none) return {};
    if (++faultCounter_ % fault_.period != 0) return {};
    Fault f = fault_;
    if (fault_.times != 0 && --fault_.times == 0) fault_ = Fault{};
    return f;
}

void Simulator::applyFault(const Fault& fault, std::vector<uint8_t>& bytes, TimePoint& readyAt) {
    switch (fault.kind) {
        case Fault::Kind::late: readyAt += Milliseconds(fault.value); break;
        case Fault::Kind::shortReply:
            bytes.resize(std::min<std::size_t>(bytes.size(), fault.value));
            break;
        case Fault::Kind::cutMidway: bytes.resize(bytes.size() / 2); break;
        case Fault::Kind::garbage:
            for (uint8_t& b : bytes) {
                random_ ^= random_ << 13;
                random_ ^= random_ >> 7;
                random_ ^= random_ << 17;
                b = static_cast<uint8_t>(random_ >> 24);
            }
            break;
        default: break;
    }
}

void Simulator::handle(const FrameEvent& event, TimePoint readyAt) {
    std::vector<uint8_t> bytes;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++stats_.frames;
        if (event.kind != FrameEvent::Kind::command) ++stats_.badFrames;
        const Fault fault = takeFault();
        if (fault.kind == Fault::Kind::silent) {
            if (exchangeSink_) exchangeSink_(event, bytes);
            return;
        }
        if (fault.kind == Fault::Kind::status) {
            bytes.push_back(static_cast<uint8_t>(fault.value));
        } else {
            Answer a;
            try {
                a = answerAndKeep(event);
            } catch (const std::exception& e) {  // e.g. no memory: refuse, keep serving
                std::fprintf(stderr, "ecf-sim: command failed: %s\n", e.what());
                a.bytes = {byteOf(Status::badField)};
            }
            bytes = std::move(a.bytes);
            applyFault(fault, bytes, readyAt);
        }
        if (exchangeSink_) exchangeSink_(event, bytes);
    }
    schedule(bytes, readyAt);
}

void Simulator::schedule(const std::vector<uint8_t>& bytes, TimePoint readyAt) {
    for (uint8_t b : bytes) {
        TimePoint due = readyAt;
        if (options_.realtime) {
            outputClock_ = std::max(outputClock_, readyAt) + kByteTime;
            due = outputClock_;
        }
        outgoing_.push_back({b, due});
    }
}

bool Simulator::flushDue(int fd, TimePoint now) {
    uint8_t chunk[4096];
    while (!outgoing_.empty() && outgoing_.front().due <= now) {
        std::size_t n = 0;
        for (auto it = outgoing_.begin(); it != outgoing_.end() && it->due <= now && n < sizeof chunk;
             ++it)
            chunk[n++] = it->byte;
        const ssize_t w = ::write(fd, chunk, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return errno == EAGAIN || errno == EWOULDBLOCK;  // full: wait for POLLOUT
        }
        outgoing_.erase(outgoing_.begin(), outgoing_.begin() + w);
        std::lock_guard<std::mutex> lock(mutex_);
        stats_.bytesOut += static_cast<uint64_t>(w);
    }
    return true;
}

bool Simulator::serve(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    uint8_t buffer[4096];
    int idleErrors = 0;
    while (!stopping_.load()) {
        TimePoint now = SteadyClock::now();
        // On a paced line a wait that ran out ends when the line says, not
        // when this loop woke up.
        const std::optional<TimePoint> due = reader_.deadline();
        if (auto event = reader_.tick(now)) handle(*event, options_.realtime && due ? *due : now);
        if (!flushDue(fd, now)) return false;

        std::optional<TimePoint> wake = reader_.deadline();
        bool wantWrite = false;
        if (!outgoing_.empty()) {
            if (outgoing_.front().due <= now)
                wantWrite = true;
            else if (!wake || outgoing_.front().due < *wake)
                wake = outgoing_.front().due;
        }
        // Waits of a byte time or two: to the nanosecond, not the millisecond.
        timespec timeout{};
        if (wake) {
            const auto left = std::clamp<SteadyClock::duration>(*wake - now, {}, std::chrono::seconds(60));
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            timeout = {static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        }
        pollfd fds[2] = {{fd, static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0},
                         {stopPipe_[0], POLLIN, 0}};
        const int ready = ::ppoll(fds, 2, wake ? &timeout : nullptr, nullptr);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if ((fds[1].revents & POLLIN) != 0) break;
        if ((fds[0].revents & POLLIN) == 0) {
            if ((fds[0].revents & (POLLERR | POLLNVAL)) != 0) return false;
            // A hang-up without data: the other end is gone for now; do not spin.
            if ((fds[0].revents & POLLHUP) != 0) ::poll(nullptr, 0, 10);
            continue;
        }
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (++idleErrors > 1000) return false;
            ::poll(nullptr, 0, 10);
            continue;
        }
        idleErrors = 0;
        now = SteadyClock::now();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stats_.bytesIn += static_cast<uint64_t>(n);
        }
        for (ssize_t i = 0; i < n; ++i) {
            TimePoint at = now;
            if (options_.realtime) {
                inputClock_ = std::max(inputClock_, now) + kByteTime;
                at = inputClock_;
            }
            const bool wasInFrame = reader_.inFrame();
            std::optional<FrameEvent> event = reader_.push(buffer[i], at);
            // A new frame begins: whatever of an old answer is still queued is
            // no longer awaited.
            if (!wasInFrame && reader_.inFrame()) outgoing_.clear();
            if (event) handle(*event, at);
        }
    }
    return true;
}

}  // namespace ecfsim
