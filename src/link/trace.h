// The wire trace: one line per exchange, appended to a file named by
// ECF_TRACE when the library loads or by ecf_set_trace() later. Off, it opens,
// reads and writes nothing. A trace that cannot be written is dropped: it
// never changes or delays an exchange.
#pragma once

#include <cstdint>

#include "exchange_report.h"

namespace ecf::link::trace {

// Whether a trace file is open (a quick look; write() looks again).
bool on();

// Appends to `path` from now on, or stops for null or "". Returns 0, or -1
// when the file cannot be opened for appending; the trace is then off.
int32_t start(const char* path);

// Appends the line of one exchange.
void write(const ecf_exchange_info& report, const Wire& wire, const ExchangeLog& log);

}  // namespace ecf::link::trace
