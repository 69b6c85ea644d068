// One entry of the non-fiscal document table. The five one-character fields
// D1 to D5 are appended one by one to the text and joined into one string
// in the parameter form, so a NUL among them drops out of both.

#include "ecf.h"
#include "query.h"

namespace ecf::status {
namespace {

// Reply 123 bytes.
//                                   position width out
constexpr Field kDocumentFields[] = {{2, 1, kNotDelivered},                     // A
                                     {3, 1, 0},                                 // B
                                     {4, 21, 1},                                // C
                                     {25, 1, 2},                                // D1
                                     {26, 1, 2, 0, 0, ' ', Delivery::appended}, // D2
                                     {27, 1, 2, 0, 0, ' ', Delivery::appended}, // D3
                                     {28, 1, 2, 0, 0, ' ', Delivery::appended}, // D4
                                     {29, 1, 2, 0, 0, ' ', Delivery::appended}, // D5
                                     {30, 3, 3},                                // E
                                     {33, 7, 4},                                // F
                                     {40, 7, 5},                                // G
                                     {47, 19, 6},                               // H
                                     {66, 19, 7},                               // I
                                     {85, 19, 8},                               // J
                                     {104, 19, 9}};                             // K
constexpr Query kDocument{0xE3, true, 123, 123, fieldsOf(kDocumentFields)};
static_assert(fitsItsReply(kDocument) && fullTextLength(kDocument) == 121);

ResultText<121> documentText;

}  // namespace
}  // namespace ecf::status

using namespace ecf::status;

extern "C" {

char* ECF_API ecfStatusDocsNFs(unsigned char index) {
    return answerText(documentText, kDocument, index);
}

int32_t ECF_API ecfParamStatusDocsNFs(unsigned char index, char* b, char* c, char* d, char* e,
                                      char* f, char* g, char* h, char* i, char* j, char* k) {
    char* const outs[] = {b, c, d, e, f, g, h, i, j, k};
    return answerParameters(kDocument, index, outs);
}

}  // extern "C"
