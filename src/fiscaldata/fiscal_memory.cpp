#include "fiscal_memory.h"

#include <limits>
#include <new>

#include "../link/exchange_report.h"
#include "memory_report.h"
#include "report_file.h"

namespace ecf::fiscaldata {

namespace {

// Each byte contributes (byte - '0'), most significant first, unchecked.
int64_t digitsValue(const uint8_t* bytes, std::size_t count) {
    int64_t value = 0;
    for (std::size_t i = 0; i < count; ++i) value = value * 10 + (int64_t{bytes[i]} - '0');
    return value;
}

// Copies `width` reply bytes unchanged into out and ends it with a NUL.
void copyTerminated(char* out, const uint8_t* bytes, std::size_t width) {
    if (out == nullptr) return;
    for (std::size_t i = 0; i < width; ++i) out[i] = static_cast<char>(bytes[i]);
    out[width] = '\0';
}

}  // namespace

MemoryCounts decodeCounts(const uint8_t (&reply)[kCountReplyLength]) {
    return {digitsValue(reply + kOwnerCount.position, kOwnerCount.width),
            digitsValue(reply + kReductionCount.position, kReductionCount.width)};
}

int64_t readOutLength(const MemoryCounts& counts) {
    return int64_t{kOwnerRecord} * counts.owners + int64_t{kReductionRecord} * counts.reductions +
           12 + (counts.reductions != 0 ? 20 : 0);
}

int32_t countQuery(PrinterLine& line, const Selection& s, MemoryCounts* counts) {
    uint8_t reply[kCountReplyLength] = {};
    const int32_t result = line.query(selectionRecord<kCountQuery>(s), reply, kCountReplyLength);
    *counts = result == 0 ? decodeCounts(reply) : MemoryCounts{};
    return result;
}

std::vector<FieldValue> readReadOut(const MemoryCounts& counts, const uint8_t* reply,
                                    std::size_t length) {
    std::vector<FieldValue> fields;
    // Entries of `size` bytes from `at`, as many as the count says and the reply holds.
    const auto entries = [&](Table<ReplyField> table, std::size_t at, std::size_t size,
                             int64_t count) {
        for (int64_t i = 0; i < count && at + size <= length; ++i, at += size)
            appendReplyFields(fields, table, reply, length, at, static_cast<unsigned>(i + 1));
    };
    const int64_t owners = counts.owners > 0 ? counts.owners : 0;
    entries(tableOf(kOwnerFields), kOwnersAt, kOwnerRecord, owners);
    entries(tableOf(kReductionFields), reductionsAt(owners), kReductionRecord, counts.reductions);
    return withUncoveredBytes(fields, reply, length);
}

bool allocateReadOut(const MemoryCounts& counts, std::vector<uint8_t>* reply) {
    // A negative count can only come from bytes that are not digits; read as
    // the unsigned count it stands for, it asks for more than any memory.
    if (counts.owners < 0 || counts.reductions < 0) return false;
    const int64_t length = readOutLength(counts);
    if (length > int64_t{std::numeric_limits<uint32_t>::max()}) return false;
    try {
        reply->assign(static_cast<std::size_t>(length), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

int32_t readOutToFile(PrinterLine& line, const Selection& s, const char* reportFile) {
    const SelectionRecord readOut = selectionRecord<kReadOut>(s);
    if (printedByPrinter(s.mode)) return line.command(readOut);

    MemoryCounts counts;
    if (const int32_t result = countQuery(line, s, &counts); result != 0) return result;
    // A negative owner count stands for an unsigned count far above 20.
    if (counts.owners < 0 || counts.owners > kMaxOwnersReadOut) return kTooManyOwners;

    std::vector<uint8_t> reply;
    if (!allocateReadOut(counts, &reply)) return kNoMemory;
    const int32_t result =
        line.query(readOut, reply.data(), static_cast<uint32_t>(reply.size()));
    if (result != 0) return result;

    const std::string report = memoryReport(counts, reply.data(), reply.size());
    return replaceFileWith(reportFile, report) ? 0 : kReportNotCreated;
}

int32_t countsAsDigits(PrinterLine& line, const Selection& s, char* owners, char* reductions) {
    uint8_t reply[kCountReplyLength] = {};
    const int32_t result = line.query(selectionRecord<kCountQuery>(s), reply, kCountReplyLength);
    copyTerminated(owners, reply + kOwnerCount.position, kOwnerCount.width);
    copyTerminated(reductions, reply + kReductionCount.position, kReductionCount.width);
    return result;
}

int32_t ECF_API ConsultaMemFisc(uint32_t* owners, uint32_t* reductions, uint8_t mode,
                                const char* initialDate, const char* finalDate,
                                uint32_t initialReduction, uint32_t finalReduction) {
    MemoryCounts counts;
    const int32_t result = countQuery(
        serialLine(), {mode, initialDate, finalDate, initialReduction, finalReduction}, &counts);
    if (owners != nullptr) *owners = static_cast<uint32_t>(counts.owners);
    if (reductions != nullptr) *reductions = static_cast<uint32_t>(counts.reductions);
    return result;
}

}  // namespace ecf::fiscaldata

using ecf::fiscaldata::Selection;

extern "C" {

int32_t ECF_API ecfLeitMemFisc(unsigned char mode, const char* initial_date,
                               const char* final_date, uint32_t initial_reduction,
                               uint32_t final_reduction, const char* report_file) {
    ecf::link::ExportCall call;  // the count, the read-out, or no exchange
    try {
        return call.returns(ecf::fiscaldata::readOutToFile(
            ecf::fiscaldata::serialLine(),
            Selection{mode, initial_date, final_date, initial_reduction, final_reduction},
            report_file));
    } catch (...) {
        return call.returns(ecf::fiscaldata::kNoMemory);  // the report text could not be allocated
    }
}

int32_t ECF_API ecfDispMemFisc(char* owners, char* reductions, unsigned char mode,
                               const char* initial_date, const char* final_date,
                               uint32_t initial_reduction, uint32_t final_reduction) {
    return ecf::fiscaldata::countsAsDigits(
        ecf::fiscaldata::serialLine(),
        Selection{mode, initial_date, final_date, initial_reduction, final_reduction}, owners,
        reductions);
}

}  // extern "C"
