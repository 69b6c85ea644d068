// The fiscal memory: the selection record shared by the count query and the
// read-out, the decoding of the count reply, and the layout of the read-out
// reply (owner records and reduction records).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "../link/layout.h"
#include "ecf.h"
#include "printer_line.h"

namespace ecf::fiscaldata {

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

// The count query (0x26, '&') and the read-out (0x15), 23 bytes: one
// layout. Modes 1 and 3 write the dates, the others the reduction numbers;
// the other range stays 0x00.
inline constexpr Field kSelectionFields[] = {
    kLeadField,
    kCommandField,
    {"mode", 2, 1, FieldKind::byte},
    {"initial_date", 3, 6, FieldKind::rightAligned},
    {"final_date", 9, 6, FieldKind::rightAligned},
    {"initial_reduction", 15, 4, FieldKind::digits},
    {"final_reduction", 19, 4, FieldKind::digits},
};
inline constexpr Layout kCountQuery{"ecfDispMemFisc ecfLeitMemFisc ecfCGC_IE ecfParamCGC_IE", 0x26,
                                    23, tableOf(kSelectionFields)};
inline constexpr Layout kReadOut{"ecfLeitMemFisc ecfCGC_IE ecfParamCGC_IE", 0x15, 23,
                                 tableOf(kSelectionFields)};

using SelectionRecord = Record<23>;

template <const Layout& L>
SelectionRecord selectionRecord(const Selection& s) {
    if (selectsByDate(s.mode))
        return build<L>(s.mode, s.initialDate, s.finalDate, kNotWritten, kNotWritten);
    return build<L>(s.mode, kNotWritten, kNotWritten, s.initialReduction, s.finalReduction);
}

// Count reply, 9 bytes: the owners in two digits, the reductions in four.
constexpr uint32_t kCountReplyLength = 9;
inline constexpr ReplyField kCountReplyFields[] = {
    {"owners", 3, 2},
    {"reductions", 5, 4},
};
inline constexpr const ReplyField& kOwnerCount = kCountReplyFields[0];
inline constexpr const ReplyField& kReductionCount = kCountReplyFields[1];
inline constexpr ReplyLayout kCountReply{kCountQuery.senders, kCountQuery.code, kCountReplyLength,
                                         tableOf(kCountReplyFields)};

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

inline constexpr ReplyField kOwnerFields[] = {
    {"cgc", 0, 18},
    {"ie", 18, 15},
    {"start_date", 33, 8},
    {"start_time", 41, 5},
    {"end_date", 46, 8},
    {"end_time", 54, 5},
};
inline constexpr const ReplyField& kOwnerCgc = kOwnerFields[0];
inline constexpr const ReplyField& kOwnerIe = kOwnerFields[1];

inline constexpr ReplyField kReductionFields[] = {
    {"number", 0, 4},
    {"restart", 4, 4},
    {"date", 8, 8},
    {"time", 16, 5},
    {"total", 21, 20},
};
static_assert(fitsInOrder(tableOf(kOwnerFields), kOwnerRecord) &&
              fitsInOrder(tableOf(kReductionFields), kReductionRecord));

// The read-out reply length for counts that are not negative.
int64_t readOutLength(const MemoryCounts& counts);

inline std::size_t reductionsAt(int64_t owners) {
    return kOwnersAt + kOwnerRecord * static_cast<std::size_t>(owners) + kSeparatorBytes;
}

// A read-out reply cut into its owner entries and reduction entries (each
// numbered from 1 in its group) and the bytes between them.
std::vector<FieldValue> readReadOut(const MemoryCounts& counts, const uint8_t* reply,
                                    std::size_t length);

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
