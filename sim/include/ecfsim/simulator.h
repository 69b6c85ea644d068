// The simulated printer on a line: reads frames off a descriptor (a
// pseudo-terminal's master or a serial device), answers them, keeps the state
// file, paces the line at 9600 baud when asked, and misbehaves on request.
//
// One thread runs serve(); every other method may be called from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "ecfsim/frame.h"
#include "ecfsim/printer.h"

namespace ecfsim {

// A fault the printer shows on its answers.
struct Fault {
    enum class Kind {
        none,
        silent,      // the command is not heard: not carried out, no answer
        late,        // carried out; the answer leaves `value` ms late
        shortReply,  // carried out; only the first `value` bytes of the answer leave
        garbage,     // carried out; the answer is replaced by as many random bytes
        cutMidway,   // carried out; only the first half of the answer leaves
        status,      // not carried out; the answer is the one byte `value`
    };
    Kind kind = Kind::none;
    uint32_t value = 0;
    uint32_t times = 1;   // answers it applies to; 0: every one from now on
    uint32_t period = 1;  // applies to every period-th answer only
};

// "silent", "late:MS", "short:N", "garbage", "cut", "status:N", each
// optionally followed by "/P" (every P-th answer). Applies to every answer
// (times 0). Returns nothing for a text it cannot read.
std::optional<Fault> parseFault(const std::string& text);

struct SimulatorOptions {
    bool realtime = false;  // pace both directions at 9600 baud, 11 bits a byte
    // How long the line may be silent inside a frame; by default the paced
    // or the unpaced timing, as the line is.
    std::optional<FrameTiming> timing;
    // Saved after every command that changes the state, before its answer
    // leaves; a command whose state cannot be saved is refused. Empty: none.
    std::string statePath;
};

struct SimulatorStats {
    uint64_t frames = 0;        // frame events answered (or silenced)
    uint64_t badFrames = 0;     // checksum, unknown code, bad lead byte, cut short
    uint64_t bytesIn = 0;
    uint64_t bytesOut = 0;
    uint64_t saveErrors = 0;
};

class Simulator {
public:
    explicit Simulator(Model model, SimulatorOptions options = {},
                       Printer::HostClock clock = {});
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Serves the line on `fd` until stop(). Returns false when the line
    // failed (a device that went away), true after stop().
    bool serve(int fd);
    // Ends serve(); safe to call from a signal handler.
    void stop();

    // Runs f on the model under the lock; f must not keep the reference.
    template <class F>
    auto withModel(F&& f) const {
        std::lock_guard<std::mutex> lock(mutex_);
        return f(static_cast<const Model&>(printer_.model()));
    }
    Model snapshot() const;
    // Replaces the model (between exchanges), e.g. to start from a given state.
    void resetModel(Model model);

    // Where printed lines go; and whether the paper text is kept in memory.
    void setPaperSink(Paper::Sink sink);
    void keepPaper(std::size_t limitBytes);
    std::string paperText() const;
    void clearPaper();

    void inject(const Fault& fault);
    void clearFaults();

    // Called with every frame read and the bytes that leave the printer for
    // it (after any fault), on the serving thread.
    using ExchangeSink =
        std::function<void(const FrameEvent& frame, const std::vector<uint8_t>& answer)>;
    void setExchangeSink(ExchangeSink sink);

    // Writes the state file now (if there is one); false on failure.
    bool save();
    SimulatorStats stats() const;

private:
    struct Outgoing {
        uint8_t byte;
        TimePoint due;
    };

    void handle(const FrameEvent& event, TimePoint readyAt);
    Fault takeFault();
    void applyFault(const Fault& fault, std::vector<uint8_t>& bytes, TimePoint& readyAt);
    void schedule(const std::vector<uint8_t>& bytes, TimePoint readyAt);
    bool flushDue(int fd, TimePoint now);
    bool saveLocked();
    Answer answerAndKeep(const FrameEvent& event);

    SimulatorOptions options_;
    mutable std::mutex mutex_;  // the printer, its paper, the fault and the stats
    Printer printer_;
    FrameReader reader_;
    std::deque<Outgoing> outgoing_;  // serve() thread only
    TimePoint inputClock_{};
    TimePoint outputClock_{};
    Fault fault_;
    ExchangeSink exchangeSink_;
    uint64_t faultCounter_ = 0;
    uint64_t random_ = 0x9E3779B97F4A7C15ULL;
    SimulatorStats stats_;
    bool saveErrorReported_ = false;
    int stopPipe_[2] = {-1, -1};
    std::atomic<bool> stopping_{false};
};


}  // namespace ecfsim
