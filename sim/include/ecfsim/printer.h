// The printer: carries out each frame the reader delivers against its model
// and says what goes back on the line.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "ecfsim/frame.h"
#include "ecfsim/model.h"
#include "ecfsim/paper.h"
#include "ecfsim/status.h"

namespace ecfsim {

// What the printer's sensors and its operator say, set from outside.
struct Conditions {
    bool paperOut = false;      // commands that print are refused (Status::paperOut)
    bool paperNearEnd = false;  // a warning in the printer status only
    bool coverOpen = false;     // commands that print are refused (Status::coverOpen)
    bool offline = false;       // the line hears nothing and answers nothing (Simulator)
};

// The bits of the printer status's flag byte that the conditions set.
constexpr uint8_t kFlagPaperNearEnd = 0x20;
constexpr uint8_t kFlagPaperOut = 0x40;
constexpr uint8_t kFlagCoverOpen = 0x80;

struct Answer {
    std::vector<uint8_t> bytes;  // a status byte, or a reply record
    bool changedState = false;   // the command changed what the state file keeps
};

class Printer {
public:
    // Seconds since the epoch on the host; the printer's clock runs at an
    // offset from it.
    using HostClock = std::function<int64_t()>;

    explicit Printer(Model model, HostClock clock = {});

    // The answer to one frame event: a command's status byte or reply, or the
    // error status of a broken frame.
    Answer answer(const FrameEvent& event);
    // Carries out one whole record (lead byte onwards, checksum checked).
    Answer execute(const std::vector<uint8_t>& record);

    const Model& model() const { return model_; }
    Model& model() { return model_; }
    Paper& paper() { return paper_; }
    const Paper& paper() const { return paper_; }
    // The printer's clock now.
    DateTime now() const;

    const Conditions& conditions() const { return conditions_; }
    void setConditions(const Conditions& c) { conditions_ = c; }

private:
    Answer statusAnswer(Status s);
    // The status that refuses a command that prints, while the mechanism is stopped.
    std::optional<Status> mechanismStopped() const;

    Model model_;
    Conditions conditions_;
    HostClock clock_;
    Paper paper_;
};

// The host's clock.
int64_t systemSeconds();

}  // namespace ecfsim
