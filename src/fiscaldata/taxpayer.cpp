#include "taxpayer.h"

#include <vector>

#include "../link/exchange_report.h"
#include "ecf.h"

namespace ecf::fiscaldata {

namespace {

TaxpayerText resultText;

// The field of an owner record, whole, then a NUL.
void copyField(const uint8_t* owner, const ReplyField& field, char* out) {
    if (out == nullptr) return;
    for (std::size_t i = 0; i < field.width; ++i)
        out[i] = static_cast<char>(owner[field.position + i]);
    out[field.width] = '\0';
}

// Reads the fiscal memory into *reply and gives the offset of its last owner
// record. With no owner (or a count that is not one) there is no record to
// read, so the read-out is not asked for.
int32_t lastOwnerRecord(PrinterLine& line, std::vector<uint8_t>* reply, std::size_t* at) {
    const Selection selection = taxpayerSelection();
    MemoryCounts counts;
    if (const int32_t result = countQuery(line, selection, &counts); result != 0) return result;
    if (counts.owners <= 0) return kNoOwner;
    if (!allocateReadOut(counts, reply)) return kNoMemory;
    const int32_t result = line.query(selectionRecord<kReadOut>(selection), reply->data(),
                                      static_cast<uint32_t>(reply->size()));
    if (result != 0) return result;
    *at = kOwnersAt + kOwnerRecord * static_cast<std::size_t>(counts.owners - 1);
    if (*at + kOwnerRecord > reply->size()) return kNoOwner;
    return 0;
}

}  // namespace

char* cgcIe(PrinterLine& line) {
    resultText.clear();
    try {
        std::vector<uint8_t> reply;
        std::size_t at = 0;
        if (const int32_t result = lastOwnerRecord(line, &reply, &at); result != 0)
            return resultText.error(result);
        resultText.appendField(reply.data() + at + kOwnerCgc.position, kOwnerCgc.width);
        resultText.appendField(reply.data() + at + kOwnerIe.position, kOwnerIe.width);
    } catch (...) {
        return resultText.error(kNoMemory);
    }
    return resultText.data();
}

int32_t paramCgcIe(PrinterLine& line, char* cgc, char* ie) {
    try {
        std::vector<uint8_t> reply;
        std::size_t at = 0;
        if (const int32_t result = lastOwnerRecord(line, &reply, &at); result != 0) return result;
        copyField(reply.data() + at, kOwnerCgc, cgc);
        copyField(reply.data() + at, kOwnerIe, ie);
    } catch (...) {
        return kNoMemory;
    }
    return 0;
}

}  // namespace ecf::fiscaldata

extern "C" {

// The count query and the read-out, as one report.
char* ECF_API ecfCGC_IE(void) {
    ecf::link::ExportCall call;
    return ecf::fiscaldata::cgcIe(ecf::fiscaldata::serialLine());
}

int32_t ECF_API ecfParamCGC_IE(char* cgc, char* ie) {
    ecf::link::ExportCall call;
    return call.returns(ecf::fiscaldata::paramCgcIe(ecf::fiscaldata::serialLine(), cgc, ie));
}

}  // extern "C"
