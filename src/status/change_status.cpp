// The change and the linked receipts. The change fields are filled with
// blanks in both forms; the linked-receipt fields only in the parameter form.

#include "ecf.h"
#include "query.h"

namespace ecf::status {
namespace {

// Change, reply 47 bytes. The parameter form's record carries two blanks
// where the text form's carries zeros.
constexpr Layout kChangeRecord{"ecfStatusTroco", 0xE6, 4, tableOf(kCodeOnlyFields<4>)};
constexpr Layout kChangeParamRecord{"ecfParamStatusTroco", 0xE6, 4, tableOf(kBlankQueryFields)};
//                                                position width out text- param-filled
constexpr ReplyField kChangeFields[] = {{"change", 5, 21, 0, 21, 21},   // A
                                        {"paid", 26, 21, 1, 21, 21}};   // B

// Linked receipts, reply 66 bytes.
constexpr Layout kLinkedRecord{"ecfStatusVincs ecfParamStatusVincs", 0xE7, 4,
                               tableOf(kIndexedQueryFields)};
//                                                   position width out text- param-filled
constexpr ReplyField kLinkedFields[] = {{"can_open", 3, 1, 0, 0, 1},            // A
                                        {"payment_type", 4, 3, 1, 0, 3},        // B
                                        {"name", 7, 21, 2, 0, 21},      // C
                                        {"paid", 28, 21, 3, 0, 21},             // D
                                        {"coo", 49, 7, 4, 0, 7},       // E
                                        {"vouchers_today", 56, 3, 5, 0, 3},       // F
                                        {"open_amount", 59, 7, 6, 0, 7}};              // G

ResultText<42> changeText;
ResultText<63> linkedText;

}  // namespace

constexpr Query kChangeStatus{recordOf<kChangeRecord>(), recordOf<kChangeParamRecord>(),
                              47, 47, tableOf(kChangeFields)};
static_assert(fitsItsReply(kChangeStatus) && fullTextLength(kChangeStatus) == 42);

constexpr Query kLinkedStatus{recordOf<kLinkedRecord>(), recordOf<kLinkedRecord>(),
                              66, 66, tableOf(kLinkedFields)};
static_assert(fitsItsReply(kLinkedStatus) && fullTextLength(kLinkedStatus) == 63);

}  // namespace ecf::status

using namespace ecf::status;

extern "C" {

char* ECF_API ecfStatusTroco(void) { return answerText(changeText, kChangeStatus, 0); }

int32_t ECF_API ecfParamStatusTroco(char* a, char* b) {
    char* const outs[] = {a, b};
    return answerParameters(kChangeStatus, 0, outs);
}

char* ECF_API ecfStatusVincs(unsigned char index) {
    return answerText(linkedText, kLinkedStatus, index);
}

int32_t ECF_API ecfParamStatusVincs(unsigned char index, char* a, char* b, char* c, char* d,
                                    char* e, char* f, char* g) {
    char* const outs[] = {a, b, c, d, e, f, g};
    return answerParameters(kLinkedStatus, index, outs);
}

}  // extern "C"
