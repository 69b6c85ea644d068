// One entry of the tax-rate table and of the payment-type table. Field A of
// both replies reaches the text only.

#include "ecf.h"
#include "query.h"

namespace ecf::status {
namespace {

// Tax rate, reply 41 bytes.
constexpr Layout kTaxRateRecord{"ecfStatusAliquotas ecfParamStatusAliquotas", 0xE1, 4,
                                tableOf(kIndexedQueryFields)};
//                                                 position width out
constexpr ReplyField kTaxRateFields[] = {{"kind", 2, 1, kNotDelivered},  // A
                                         {"programmed", 3, 1, 0},        // B
                                         {"rate", 4, 6, 1},              // C
                                         {"sold_today", 10, 17, 2},       // D
                                         {"tax_today", 27, 14, 3}};        // E

// Payment type, reply 47 bytes.
constexpr Layout kPaymentTypeRecord{"ecfStatusPayTypes ecfParamStatusPayTypes", 0xE2, 4,
                                    tableOf(kIndexedQueryFields)};
//                                                       position width out
constexpr ReplyField kPaymentTypeFields[] = {{"programmed", 2, 1, kNotDelivered},  // A
                                             {"gives_change", 3, 1, 0},                    // B
                                             {"used", 4, 1, 1},              // C
                                             {"name", 5, 21, 2},                   // D
                                             {"received_today", 26, 21, 3}};            // E

ResultText<39> taxRateText;
ResultText<45> paymentTypeText;

}  // namespace

constexpr Query kTaxRateStatus{recordOf<kTaxRateRecord>(), recordOf<kTaxRateRecord>(),
                               41, 41, tableOf(kTaxRateFields)};
static_assert(fitsItsReply(kTaxRateStatus) && fullTextLength(kTaxRateStatus) == 39);

constexpr Query kPaymentTypeStatus{recordOf<kPaymentTypeRecord>(), recordOf<kPaymentTypeRecord>(),
                                   47, 47, tableOf(kPaymentTypeFields)};
static_assert(fitsItsReply(kPaymentTypeStatus) && fullTextLength(kPaymentTypeStatus) == 45);

}  // namespace ecf::status

using namespace ecf::status;

extern "C" {

char* ECF_API ecfStatusAliquotas(unsigned char index) {
    return answerText(taxRateText, kTaxRateStatus, index);
}

int32_t ECF_API ecfParamStatusAliquotas(unsigned char index, char* b, char* c, char* d, char* e) {
    char* const outs[] = {b, c, d, e};
    return answerParameters(kTaxRateStatus, index, outs);
}

char* ECF_API ecfStatusPayTypes(unsigned char index) {
    return answerText(paymentTypeText, kPaymentTypeStatus, index);
}

int32_t ECF_API ecfParamStatusPayTypes(unsigned char index, char* b, char* c, char* d, char* e) {
    char* const outs[] = {b, c, d, e};
    return answerParameters(kPaymentTypeStatus, index, outs);
}

}  // extern "C"
