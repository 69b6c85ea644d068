// The printer as the control page and its JSON API show it: an exchange with
// its command and fields named, and the whole state.
#pragma once

#include <chrono>
#include <nlohmann/json.hpp>
#include <string>

#include "ecfsim/simulator.h"

namespace ecfsim::web {

// "2025-01-31T10:00:00" (local time), with ".mmm" when `millis`.
std::string isoTime(const DateTime& t);
std::string isoTime(std::chrono::system_clock::time_point t, bool millis = true);

// The JSON object text of an exchange, with `seq` first:
// {"seq", "at", "frame", "code", "command", "fields": [{"name", "value"}],
//  "heard", "answer": {"length", "status", "meaning"} or {"length", "text"},
//  "fault", "changed", "coo", "printed": [{"station", "text"}]}
// Written directly, not through a JSON tree: it runs once per exchange.
std::string describeExchange(const Exchange& exchange, uint64_t seq);

// {"clock", "clockOffset", "conditions", "fault", "document", "model", "stats"}:
// "model" is the state file's model.
nlohmann::json describeState(const Simulator& simulator);

nlohmann::json describeConditions(const Conditions& c);

// JSON text safe to send whatever strings it holds (bytes that are not UTF-8
// become U+FFFD).
std::string dump(const nlohmann::json& j);

}  // namespace ecfsim::web
