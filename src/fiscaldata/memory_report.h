// The fiscal memory report: the text written from a read-out reply.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "fiscal_memory.h"

namespace ecf::fiscaldata {

// The report for a read-out reply of `length` bytes holding counts.owners
// owner records and counts.reductions reduction records (both not negative).
// Every LF byte, a line end or a byte inside a field, is CR LF in the result,
// the same bytes wherever the library runs. Records that do not lie wholly
// inside the reply are left out.
std::string memoryReport(const MemoryCounts& counts, const uint8_t* reply, std::size_t length);

}  // namespace ecf::fiscaldata
