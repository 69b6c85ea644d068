// The control API's requests: a fault, the printer's conditions, its clock,
// a reset. Each is read from the JSON body of its POST, whole or not at all,
// and then carried out between two exchanges.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <variant>

#include "ecfsim/simulator.h"

namespace ecfsim::web {

class Journal;

struct ConditionChange {
    std::optional<bool> paperOut, paperNearEnd, coverOpen, offline;
    Conditions applyTo(Conditions c) const;
};

struct ControlRequest {
    enum class Kind { fault, conditions, clock, reset };
    Kind kind = Kind::fault;
    Fault fault;                   // fault: kind none clears it
    ConditionChange conditions;    // conditions: the ones named
    std::optional<DateTime> time;  // clock: none follows the host's clock again
    bool wholePrinter = false;     // reset: the whole printer, or the day only
};

// The request a POST to `path` (/api/fault, /api/condition, /api/clock,
// /api/reset) carries in `body`, or why it cannot be taken (an unknown path
// gives an empty reason).
std::variant<ControlRequest, std::string> readControl(const std::string& path,
                                                      const std::string& body);

struct ControlResult {
    int status;  // HTTP status: 200, or 409 when the printer refuses it
    nlohmann::json body;
};
// Carries a request out and notes it in the journal.
ControlResult applyControl(Simulator& simulator, Journal& journal, const ControlRequest& request);

// The day starts over without a reduction: the document in progress is
// dropped unprinted, the day's totals clear and the day has no movement.
void resetDay(Model& m);
// Moves the printer's clock (now `now`) to `target`; refused, with the
// reason, before the day of the last reduction or of the open day's movement.
std::string moveClock(Model& m, const DateTime& now, const DateTime& target);

}  // namespace ecfsim::web
