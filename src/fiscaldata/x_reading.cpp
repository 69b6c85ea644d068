#include "x_reading.h"

#include "ecf.h"

namespace ecf::fiscaldata {

namespace {

constexpr std::size_t kGroupsAt = 175;
constexpr std::size_t kGroupSize = 41;
constexpr std::size_t kGroupCount = 10;

constexpr std::array<Field, 13> kFirstBlockFields = {{
    {3, 4}, {7, 8}, {15, 4}, {19, 6}, {25, 6}, {31, 6},
    {37, 21}, {58, 21}, {79, 21}, {100, 21},
    {121, 18}, {139, 18}, {157, 18},
}};
constexpr std::array<Field, 3> kGroupFields = {{{0, 5}, {5, 18}, {23, 18}}};
constexpr std::array<Field, 12> kLastBlockFields = {{
    {585, 6}, {591, 6}, {597, 6},
    {603, 18}, {621, 18}, {639, 18}, {657, 18}, {675, 18}, {693, 18}, {711, 18},
    {729, 9}, {738, 9},
}};

constexpr std::array<Field, kXReadingFieldCount> allFields() {
    std::array<Field, kXReadingFieldCount> fields{};
    std::size_t n = 0;
    for (const Field& f : kFirstBlockFields) fields[n++] = f;
    for (std::size_t k = 0; k < kGroupCount; ++k)
        for (const Field& f : kGroupFields) fields[n++] = {kGroupsAt + kGroupSize * k + f.offset, f.width};
    for (const Field& f : kLastBlockFields) fields[n++] = f;
    return fields;
}

constexpr std::array<Field, kXReadingBlockCount> allBlocks() {
    std::array<Field, kXReadingBlockCount> blocks{};
    blocks[0] = {3, 172};
    blocks[1] = {585, 162};
    for (std::size_t k = 0; k < kGroupCount; ++k) blocks[2 + k] = {kGroupsAt + kGroupSize * k, kGroupSize};
    return blocks;
}

constexpr std::array<Field, kXReadingFieldCount> kFields = allFields();
constexpr std::array<Field, kXReadingBlockCount> kBlocks = allBlocks();

static_assert(kFields.back().offset + kFields.back().width == kXReadingReplyLength);

XReadingText resultText;

int32_t fetch(PrinterLine& line, uint8_t (&reply)[kXReadingReplyLength]) {
    return line.query(xReadingRecord(), reply, kXReadingReplyLength);
}

}  // namespace

const std::array<Field, kXReadingFieldCount>& xReadingFields() { return kFields; }
const std::array<Field, kXReadingBlockCount>& xReadingBlocks() { return kBlocks; }

char* leituraXSerial(PrinterLine& line) {
    resultText.clear();
    uint8_t reply[kXReadingReplyLength] = {};
    if (const int32_t result = fetch(line, reply); result != 0) return resultText.error(result);
    for (const Field& f : kFields) resultText.appendField(reply + f.offset, f.width);
    return resultText.data();
}

int32_t paramLXSerial(PrinterLine& line, char* const (&blocks)[kXReadingBlockCount]) {
    // Cleared first, so that nothing stale shows after a failed or short reply.
    uint8_t reply[kXReadingReplyLength] = {};
    const int32_t result = fetch(line, reply);
    for (std::size_t i = 0; i < kXReadingBlockCount; ++i) {
        char* out = blocks[i];
        if (out == nullptr) continue;
        const Field& block = kBlocks[i];
        for (std::size_t j = 0; j < block.width; ++j)
            out[j] = static_cast<char>(reply[block.offset + j]);
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
