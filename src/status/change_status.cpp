// The change and the linked receipts. The change fields are filled with
// blanks in both forms; the linked-receipt fields only in the parameter form.

#include "ecf.h"
#include "query.h"

namespace ecf::status {
namespace {

// Change, reply 47 bytes. The parameter form's record carries two blanks
// where the text form's carries zeros.
//                                 position width out text- param-filled
constexpr Field kChangeFields[] = {{5, 21, 0, 21, 21},   // A
                                   {26, 21, 1, 21, 21}}; // B
constexpr Query kChange{0xE6, false, 47, 47, fieldsOf(kChangeFields), true};
static_assert(fitsItsReply(kChange) && fullTextLength(kChange) == 42);

// Linked receipts, reply 66 bytes.
//                                 position width out text- param-filled
constexpr Field kLinkedFields[] = {{3, 1, 0, 0, 1},     // A
                                   {4, 3, 1, 0, 3},     // B
                                   {7, 21, 2, 0, 21},   // C
                                   {28, 21, 3, 0, 21},  // D
                                   {49, 7, 4, 0, 7},    // E
                                   {56, 3, 5, 0, 3},    // F
                                   {59, 7, 6, 0, 7}};   // G
constexpr Query kLinked{0xE7, true, 66, 66, fieldsOf(kLinkedFields)};
static_assert(fitsItsReply(kLinked) && fullTextLength(kLinked) == 63);

ResultText<42> changeText;
ResultText<63> linkedText;

}  // namespace
}  // namespace ecf::status

using namespace ecf::status;

extern "C" {

char* ECF_API ecfStatusTroco(void) { return answerText(changeText, kChange, 0); }

int32_t ECF_API ecfParamStatusTroco(char* a, char* b) {
    char* const outs[] = {a, b};
    return answerParameters(kChange, 0, outs);
}

char* ECF_API ecfStatusVincs(unsigned char index) {
    return answerText(linkedText, kLinked, index);
}

int32_t ECF_API ecfParamStatusVincs(unsigned char index, char* a, char* b, char* c, char* d,
                                    char* e, char* f, char* g) {
    char* const outs[] = {a, b, c, d, e, f, g};
    return answerParameters(kLinked, index, outs);
}

}  // extern "C"
