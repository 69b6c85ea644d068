// The exchange report (ecf_last_exchange) as the tool tells it: whether the
// printer answered in full, stayed silent or was cut short, and a link
// failure in words, with the device and the system's reason.
#pragma once

#include <cstdint>
#include <string>

#include "ecf_ext.h"

namespace ecf::cli {

enum class Answer { noExchange, full, silent, cutShort, linkFailure };

// The report of the last export called on this thread.
ecf_exchange_info lastExchange();

Answer answerOf(const ecf_exchange_info& info);

// What went wrong, in the words a person reads: "no answer from the printer
// within 25 s", "reply cut short: 12 of 72 bytes", "1030: cannot open
// /dev/ttyS0: No such file or directory"; "" when nothing did.
std::string problemOf(const ecf_exchange_info& info);

// What an export's result means, told apart with the report of its
// exchange: the port ChangePort selected, "ok", the printer's status byte, or
// the library's text of a link or library code.
std::string meaningOf(const std::string& exportName, int32_t result, const ecf_exchange_info& info);

}  // namespace ecf::cli
