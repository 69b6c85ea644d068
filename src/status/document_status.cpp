// One entry of the non-fiscal document table. The five one-character fields
// D1 to D5 are appended one by one to the text and joined into one string
// in the parameter form, so a NUL among them drops out of both.

#include "ecf.h"
#include "query.h"

namespace ecf::status {
namespace {

// Reply 123 bytes.
constexpr Layout kDocumentRecord{"ecfStatusDocsNFs ecfParamStatusDocsNFs", 0xE3, 4,
                                 tableOf(kIndexedQueryFields)};
constexpr auto kAppended = Delivery::appended;
//                                                   position width out
constexpr ReplyField kDocumentFields[] = {{"programmed", 2, 1, kNotDelivered},          // A
                                          {"used_today", 3, 1, 0},                      // B
                                          {"name", 4, 21, 1},                           // C
                                          {"option1", 25, 1, 2},                          // D1
                                          {"option2", 26, 1, 2, 0, 0, ' ', kAppended},    // D2
                                          {"option3", 27, 1, 2, 0, 0, ' ', kAppended},    // D3
                                          {"option4", 28, 1, 2, 0, 0, ' ', kAppended},    // D4
                                          {"option5", 29, 1, 2, 0, 0, ' ', kAppended},    // D5
                                          {"code", 30, 3, 3},                           // E
                                          {"issued_today", 33, 7, 4},                      // F
                                          {"cancelled_today", 40, 7, 5},                  // G
                                          {"issued_shift", 47, 19, 6},                   // H
                                          {"issued_total", 66, 19, 7},                   // I
                                          {"last_coo", 85, 19, 8},                // J
                                          {"cancelled_total", 104, 19, 9}};             // K

ResultText<121> documentText;

}  // namespace

constexpr Query kDocumentStatus{recordOf<kDocumentRecord>(), recordOf<kDocumentRecord>(),
                                123, 123, tableOf(kDocumentFields)};
static_assert(fitsItsReply(kDocumentStatus) && fullTextLength(kDocumentStatus) == 121);

}  // namespace ecf::status

using namespace ecf::status;

extern "C" {

char* ECF_API ecfStatusDocsNFs(unsigned char index) {
    return answerText(documentText, kDocumentStatus, index);
}

int32_t ECF_API ecfParamStatusDocsNFs(unsigned char index, char* b, char* c, char* d, char* e,
                                      char* f, char* g, char* h, char* i, char* j, char* k) {
    char* const outs[] = {b, c, d, e, f, g, h, i, j, k};
    return answerParameters(kDocumentStatus, index, outs);
}

}  // extern "C"
