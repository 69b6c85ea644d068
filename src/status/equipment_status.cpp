// The equipment and the user data: text that the printer may pad with NUL
// bytes, filled with blanks (or '/') over a fixed number of positions per
// field before use.

#include "ecf.h"
#include "query.h"

namespace ecf::status {
namespace {

// Equipment: the text form asks for 52 bytes, the parameter form for 50.
// The text form leaves the last position of each field unfilled.
//                                    position width out text- param-filled
constexpr Field kEquipmentFields[] = {{3, 11, 0, 10, 11},   // A
                                      {14, 16, 1, 15, 16},  // B
                                      {30, 5, 2, 4, 5},     // C
                                      {35, 10, 3, 9, 10}};  // D
constexpr Query kEquipment{0xE4, false, 52, 50, fieldsOf(kEquipmentFields)};
static_assert(fitsItsReply(kEquipment) && fullTextLength(kEquipment) == 42);

// User data, reply 268 bytes; both forms fill alike. The parameter form
// takes H before G, and J and L without their third character.
constexpr auto kWithoutThird = Delivery::withoutThird;
//                               position width out text- param-filled, fill
constexpr Field kUserFields[] = {{3, 49, 0, 48, 48},                          // A
                                 {52, 49, 1, 48, 48},                         // B
                                 {101, 49, 2, 48, 48},                        // C
                                 {150, 5, 3},                                 // D
                                 {155, 5, 4},                                 // E
                                 {160, 19, 5, 18, 18},                        // F
                                 {179, 15, 7, 14, 14},                        // G
                                 {194, 17, 6, 16, 16},                        // H
                                 {211, 9, 8, 8, 8, '/'},                      // I
                                 {220, 6, 9, 5, 5, ' ', kWithoutThird},       // J
                                 {226, 9, 10, 8, 8, '/'},                     // K
                                 {235, 6, 11, 5, 5, ' ', kWithoutThird},      // L
                                 {241, 5, 12, 5, 5},                          // M
                                 {246, 22, 13, 22, 22}};                      // N
constexpr Query kUser{0xE5, true, 268, 268, fieldsOf(kUserFields)};
static_assert(fitsItsReply(kUser) && fullTextLength(kUser) == 265);

ResultText<42> equipmentText;
ResultText<265> userText;

}  // namespace
}  // namespace ecf::status

using namespace ecf::status;

extern "C" {

char* ECF_API ecfStatusEquipo(void) { return answerText(equipmentText, kEquipment, 0); }

int32_t ECF_API ecfParamStatusEquipo(char* a, char* b, char* c, char* d) {
    char* const outs[] = {a, b, c, d};
    return answerParameters(kEquipment, 0, outs);
}

char* ECF_API ecfStatusUser(unsigned char index) { return answerText(userText, kUser, index); }

int32_t ECF_API ecfParamStatusUser(unsigned char index, char* a, char* b, char* c, char* d,
                                   char* e, char* f, char* h, char* g, char* i, char* j, char* k,
                                   char* l, char* m, char* n) {
    char* const outs[] = {a, b, c, d, e, f, h, g, i, j, k, l, m, n};
    return answerParameters(kUser, index, outs);
}

}  // extern "C"
