// The CGC and IE of the last owner in the fiscal memory: the count query and
// the read-out over reductions 0 to 1, then the last owner record.
#pragma once

#include <cstdint>

#include "../status/result_text.h"
#include "fiscal_memory.h"
#include "printer_line.h"

namespace ecf::fiscaldata {

// Mode 4, reductions 0000 to 0001.
inline Selection taxpayerSelection() { return {4, "", "", 0, 1}; }

using TaxpayerText = ResultText<39>;  // a 40-byte buffer

// The text form: CGC then IE, each up to its first NUL, or the error text.
char* cgcIe(PrinterLine& line);

// The parameter form: both fields whole, written only on success.
int32_t paramCgcIe(PrinterLine& line, char* cgc, char* ie);

}  // namespace ecf::fiscaldata
