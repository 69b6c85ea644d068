// The X reading sent over the line: one 3-byte command, a 747-byte reply of
// 55 character fields, handed back as one text or as twelve blocks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "../link/record.h"
#include "../status/result_text.h"
#include "printer_line.h"

namespace ecf::fiscaldata {

constexpr uint8_t kLeituraXSerial = 0x12;
constexpr uint32_t kXReadingReplyLength = 747;

using XReadingRecord = Record<3>;

inline XReadingRecord xReadingRecord() { return XReadingRecord(kLeadByte, kLeituraXSerial); }

struct Field {
    std::size_t offset;
    std::size_t width;
};

// The 55 fields in reply order: A1..A13, G1..G3 of groups 0..9, B1..B12.
constexpr std::size_t kXReadingFieldCount = 55;
const std::array<Field, kXReadingFieldCount>& xReadingFields();

// The twelve blocks of the parameter form, in argument order: the first
// block, the last block, then groups 1 to 10.
constexpr std::size_t kXReadingBlockCount = 12;
const std::array<Field, kXReadingBlockCount>& xReadingBlocks();

using XReadingText = ResultText<799>;  // an 800-byte buffer

// The text form: the fields end to end, each up to its first NUL.
char* leituraXSerial(PrinterLine& line);

// The parameter form: every block copied whole, whatever the exchange gave.
int32_t paramLXSerial(PrinterLine& line, char* const (&blocks)[kXReadingBlockCount]);

}  // namespace ecf::fiscaldata
