// The fiscal memory: the selection record shared by the count query and the
// read-out, the decoding of the count reply, and the layout of the read-out
// reply (owner records and reduction records).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "../link/record.h"
#include "ecf.h"
#include "printer_line.h"

namespace ecf::fiscaldata {

constexpr uint8_t kCountQuery = 0x26;  // '&'
constexpr uint8_t kReadOut = 0x15;

// Result codes of the fiscal data operations beyond the link's own.
constexpr int32_t kNoMemory = 3;
constexpr int32_t kTooManyOwners = 66;
constexpr int32_t kNoOwner = 67;
constexpr int32_t kReportNotCreated = 1098;

constexpr int64_t kMaxOwnersReadOut = 20;

// Modes 1 and 3 select by date, the others by reduction number; modes 0 to 2
// are printed by the printer, 3 and above come over the line.
struct Selection {
    uint8_t mode;
    const char* initialDate;
    const char* finalDate;
    uint32_t initialReduction;
    uint32_t finalReduction;
};

inline bool selectsByDate(uint8_t mode) { return mode == 1 || mode == 3; }
inline bool printedByPrinter(uint8_t mode) { return mode <= 2; }

using SelectionRecord = Record<23>;

// f, code, mode byte, then dates (3 and 9, six positions right-aligned) or
// reduction numbers (15 and 19, four digits); the other range stays 0x00.
inline SelectionRecord selectionRecord(uint8_t code, const Selection& s) {
    SelectionRecord r(kLeadByte, code);
    r.byte(2, s.mode);
    if (selectsByDate(s.mode))
        r.rightAligned(3, 6, s.initialDate).rightAligned(9, 6, s.finalDate);
    else
        r.digits(15, 4, s.initialReduction).digits(19, 4, s.finalReduction);
    return r;
}

// Count reply: 3 bytes not read, owners in two digits at 3, reductions in
// four digits at 5.
constexpr uint32_t kCountReplyLength = 9;
constexpr std::size_t kOwnerDigitsAt = 3;
constexpr std::size_t kReductionDigitsAt = 5;

// The counts as the printer sent them. The digits are not validated (each
// byte counts as byte - '0'), so garbage decodes to negative or absurd
// values; 64 bits hold every one of them (-53328 .. 229977) exactly.
struct MemoryCounts {
    int64_t owners = 0;
    int64_t reductions = 0;
};

MemoryCounts decodeCounts(const uint8_t (&reply)[kCountReplyLength]);

// Read-out reply: 5 bytes, the owner records, 5 bytes, the reduction records,
// then 2 bytes, or 22 when there are reductions.
constexpr std::size_t kOwnersAt = 5;
constexpr std::size_t kOwnerRecord = 59;
constexpr std::size_t kSeparatorBytes = 5;
constexpr std::size_t kReductionRecord = 41;

// The read-out reply length for counts that are not negative.
int64_t readOutLength(const MemoryCounts& counts);

inline std::size_t reductionsAt(int64_t owners) {
    return kOwnersAt + kOwnerRecord * static_cast<std::size_t>(owners) + kSeparatorBytes;
}

// Owner record fields.
constexpr std::size_t kCgcWidth = 18;
constexpr std::size_t kIeAt = 18;
constexpr std::size_t kIeWidth = 15;

// The count query: *counts is the decoded reply after a successful exchange,
// zero after a failed one. Returns the exchange result.
int32_t countQuery(PrinterLine& line, const Selection& s, MemoryCounts* counts);

// A zeroed buffer of the read-out length, or false when the counts give no
// length that can be allocated (a negative reduction count, no memory).
bool allocateReadOut(const MemoryCounts& counts, std::vector<uint8_t>* reply);

// The whole read-out: printed by the printer, or over the line into the
// report file. Returns the result of ecfLeitMemFisc.
int32_t readOutToFile(PrinterLine& line, const Selection& s, const char* reportFile);

// The count query with the counts as digit strings (3 and 5 bytes).
int32_t countsAsDigits(PrinterLine& line, const Selection& s, char* owners, char* reductions);

// The count query as the other operations use it: both counts are written
// (modulo 2^32, as unsigned values) whatever the exchange returned.
int32_t ECF_API ConsultaMemFisc(uint32_t* owners, uint32_t* reductions, uint8_t mode,
                                const char* initialDate, const char* finalDate,
                                uint32_t initialReduction, uint32_t finalReduction);

}  // namespace ecf::fiscaldata
