// The X reading sent over the line: one 3-byte command, a 747-byte reply of
// 55 character fields, handed back as one text or as twelve blocks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../link/layout.h"
#include "../status/result_text.h"
#include "printer_line.h"

namespace ecf::fiscaldata {

inline constexpr Layout kLeituraXSerial{"ecfLeituraXSerial ecfParamLXSerial", 0x12, 3,
                                        tableOf(kCodeOnlyFields<3>)};

constexpr uint32_t kXReadingReplyLength = 747;

// The 55 fields in reply order: the first block, ten groups of three (one
// per tax rate), the last block.
extern const ReplyLayout kXReadingReply;

// The twelve blocks of the parameter form, in argument order: the first
// block, the last block, then groups 1 to 10.
constexpr std::size_t kXReadingBlockCount = 12;

using XReadingText = ResultText<799>;  // an 800-byte buffer

// The text form: the fields end to end, each up to its first NUL.
char* leituraXSerial(PrinterLine& line);

// The parameter form: every block copied whole, whatever the exchange gave.
int32_t paramLXSerial(PrinterLine& line, char* const (&blocks)[kXReadingBlockCount]);

}  // namespace ecf::fiscaldata
