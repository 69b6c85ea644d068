#include "x_reading.h"

#include <array>

#include "ecf.h"

namespace ecf::fiscaldata {

namespace {

constexpr std::size_t kGroupsAt = 175;
constexpr std::size_t kGroupSize = 41;
constexpr std::size_t kGroupCount = 10;
constexpr std::size_t kFieldCount = 55;

constexpr ReplyField kFirstBlockFields[] = {
    {"reduction_counter", 3, 4},
    {"date", 7, 8},
    {"restart_counter", 15, 4},
    {"operation_counter", 19, 6},
    {"non_fiscal_counter", 25, 6},
    {"receipt_counter", 31, 6},
    {"grand_total", 37, 21},
    {"gross_sales", 58, 21},
    {"cancellations", 79, 21},
    {"discounts", 100, 21},
    {"substitution", 121, 18},
    {"exempt", 139, 18},
    {"not_levied", 157, 18},
};
// Positions within a group.
constexpr ReplyField kGroupFields[] = {
    {"rate", 0, 5},
    {"sales", 5, 18},
    {"tax", 23, 18},
};
constexpr ReplyField kLastBlockFields[] = {
    {"receipts", 585, 6},
    {"cancelled_receipts", 591, 6},
    {"non_fiscal_documents", 597, 6},
    {"surcharges", 603, 18},
    {"net_sales", 621, 18},
    {"change", 639, 18},
    {"linked_vouchers", 657, 18},
    {"cash", 675, 18},
    {"other_payments", 693, 18},
    {"cancelled_items", 711, 18},
    {"first_operation", 729, 9},
    {"last_operation", 738, 9},
};

// Field f of group k (0 to 9), placed in the reply.
constexpr ReplyField inGroup(ReplyField f, std::size_t k) {
    f.position = static_cast<uint16_t>(kGroupsAt + kGroupSize * k + f.position);
    f.group = static_cast<uint8_t>(k + 1);
    return f;
}

constexpr std::array<ReplyField, kFieldCount> allFields() {
    std::array<ReplyField, kFieldCount> fields{};
    std::size_t n = 0;
    for (const ReplyField& f : kFirstBlockFields) fields[n++] = f;
    for (std::size_t k = 0; k < kGroupCount; ++k)
        for (const ReplyField& f : kGroupFields) fields[n++] = inGroup(f, k);
    for (const ReplyField& f : kLastBlockFields) fields[n++] = f;
    return fields;
}

constexpr std::array<ReplyField, kXReadingBlockCount> allBlocks() {
    std::array<ReplyField, kXReadingBlockCount> blocks{};
    blocks[0] = {"counters", 3, 172};
    blocks[1] = {"totals", 585, 162};
    for (std::size_t k = 0; k < kGroupCount; ++k)
        blocks[2 + k] = inGroup({"rate", 0, kGroupSize}, k);
    return blocks;
}

constexpr std::array<ReplyField, kFieldCount> kFields = allFields();
constexpr std::array<ReplyField, kXReadingBlockCount> kBlocks = allBlocks();

XReadingText resultText;

int32_t fetch(PrinterLine& line, uint8_t (&reply)[kXReadingReplyLength]) {
    return line.query(build<kLeituraXSerial>(), reply, kXReadingReplyLength);
}

}  // namespace

constexpr ReplyLayout kXReadingReply{kLeituraXSerial.senders, kLeituraXSerial.code,
                                     kXReadingReplyLength, {kFields.data(), kFields.size()}};
static_assert(fitsInOrder(kXReadingReply.fields, kXReadingReplyLength) &&
              kFields.back().position + kFields.back().width == kXReadingReplyLength);

char* leituraXSerial(PrinterLine& line) {
    resultText.clear();
    uint8_t reply[kXReadingReplyLength] = {};
    if (const int32_t result = fetch(line, reply); result != 0) return resultText.error(result);
    for (const ReplyField& f : kFields) resultText.appendField(reply + f.position, f.width);
    return resultText.data();
}

int32_t paramLXSerial(PrinterLine& line, char* const (&blocks)[kXReadingBlockCount]) {
    // Cleared first, so that nothing stale shows after a failed or short reply.
    uint8_t reply[kXReadingReplyLength] = {};
    const int32_t result = fetch(line, reply);
    for (std::size_t i = 0; i < kXReadingBlockCount; ++i) {
        char* out = blocks[i];
        if (out == nullptr) continue;
        const ReplyField& block = kBlocks[i];
        for (std::size_t j = 0; j < block.width; ++j)
            out[j] = static_cast<char>(reply[block.position + j]);
        out[block.width] = '\0';
    }
    return result;
}

}  // namespace ecf::fiscaldata

extern "C" {

char* ECF_API ecfLeituraXSerial(void) {
    return ecf::fiscaldata::leituraXSerial(ecf::fiscaldata::serialLine());
}

int32_t ECF_API ecfParamLXSerial(char* first_block, char* last_block, char* group1, char* group2,
                                 char* group3, char* group4, char* group5, char* group6,
                                 char* group7, char* group8, char* group9, char* group10) {
    char* const blocks[ecf::fiscaldata::kXReadingBlockCount] = {
        first_block, last_block, group1, group2, group3, group4,
        group5,      group6,     group7, group8, group9, group10};
    return ecf::fiscaldata::paramLXSerial(ecf::fiscaldata::serialLine(), blocks);
}

}  // extern "C"
