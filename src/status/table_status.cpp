// One entry of the tax-rate table and of the payment-type table. Field A of
// both replies reaches the text only.

#include "ecf.h"
#include "query.h"

namespace ecf::status {
namespace {

// Tax rate, reply 41 bytes.
//                                  position width out
constexpr Field kTaxRateFields[] = {{2, 1, kNotDelivered},  // A
                                    {3, 1, 0},              // B
                                    {4, 6, 1},              // C
                                    {10, 17, 2},            // D
                                    {27, 14, 3}};           // E
constexpr Query kTaxRate{0xE1, true, 41, 41, fieldsOf(kTaxRateFields)};
static_assert(fitsItsReply(kTaxRate) && fullTextLength(kTaxRate) == 39);

// Payment type, reply 47 bytes.
//                                      position width out
constexpr Field kPaymentTypeFields[] = {{2, 1, kNotDelivered},  // A
                                        {3, 1, 0},              // B
                                        {4, 1, 1},              // C
                                        {5, 21, 2},             // D
                                        {26, 21, 3}};           // E
constexpr Query kPaymentType{0xE2, true, 47, 47, fieldsOf(kPaymentTypeFields)};
static_assert(fitsItsReply(kPaymentType) && fullTextLength(kPaymentType) == 45);

ResultText<39> taxRateText;
ResultText<45> paymentTypeText;

}  // namespace
}  // namespace ecf::status

using namespace ecf::status;

extern "C" {

char* ECF_API ecfStatusAliquotas(unsigned char index) {
    return answerText(taxRateText, kTaxRate, index);
}

int32_t ECF_API ecfParamStatusAliquotas(unsigned char index, char* b, char* c, char* d, char* e) {
    char* const outs[] = {b, c, d, e};
    return answerParameters(kTaxRate, index, outs);
}

char* ECF_API ecfStatusPayTypes(unsigned char index) {
    return answerText(paymentTypeText, kPaymentType, index);
}

int32_t ECF_API ecfParamStatusPayTypes(unsigned char index, char* b, char* c, char* d, char* e) {
    char* const outs[] = {b, c, d, e};
    return answerParameters(kPaymentType, index, outs);
}

}  // extern "C"
