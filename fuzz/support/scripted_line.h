// A printer line answered from a script, for programs that link ecf_core and
// so supply makePlatformPort() themselves (the fuzz targets, the bad-input
// tests). Every exchange takes the next answer of the script; an exchange past
// its end meets a printer that stays silent. What the library put on the line
// is kept per exchange, so a caller can hold it against the field rules.
// Not thread-safe: one exchange at a time, as the library's callers do.
#pragma once

#include <cstdint>
#include <vector>

#include "link/serial_port.h"

namespace ecf::scripted {

using Bytes = std::vector<uint8_t>;

// How the printer end of one exchange behaves.
struct Answer {
    link::OpenError openError = link::OpenError::none;  // the port cannot be opened
    uint32_t readError = 0;  // the read fails with this system error (0: it succeeds)
    Bytes bytes;             // what the printer sends; fewer than asked is a reply cut short
};

// What one exchange did on the line.
struct Exchange {
    bool opened = false;
    Bytes wire;               // ESC, the record, the checksum byte
    uint32_t readLength = 0;  // bytes the library asked for (0: it never read)
};

// Replaces the script and forgets the exchanges seen so far.
void setAnswers(std::vector<Answer> answers);

// The exchanges since the last setAnswers() or takeExchanges().
std::vector<Exchange> takeExchanges();

}  // namespace ecf::scripted
