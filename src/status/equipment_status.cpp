// The equipment and the user data: text that the printer may pad with NUL
// bytes, filled with blanks (or '/') over a fixed number of positions per
// field before use.

#include "ecf.h"
#include "query.h"

namespace ecf::status {
namespace {

// Equipment: the text form asks for 52 bytes, the parameter form for 50.
// The text form leaves the last position of each field unfilled.
constexpr Layout kEquipmentRecord{"ecfStatusEquipo ecfParamStatusEquipo", 0xE4, 4,
                                  tableOf(kCodeOnlyFields<4>)};
//                                                    position width out text- param-filled
constexpr ReplyField kEquipmentFields[] = {{"serial", 3, 11, 0, 10, 11},  // A
                                           {"model", 14, 16, 1, 15, 16},         // B
                                           {"firmware", 30, 5, 2, 4, 5},         // C
                                           {"installed", 35, 10, 3, 9, 10}};     // D

// User data, reply 268 bytes; both forms fill alike. The parameter form
// takes H before G, and J and L without their third character.
constexpr Layout kUserRecord{"ecfStatusUser ecfParamStatusUser", 0xE5, 4,
                             tableOf(kIndexedQueryFields)};
constexpr auto kWithoutThird = Delivery::withoutThird;
//                                           position width out text- param-filled, fill
constexpr ReplyField kUserFields[] = {{"header1", 3, 49, 0, 48, 48},                        // A
                                      {"header2", 52, 49, 1, 48, 48},                       // B
                                      {"header3", 101, 49, 2, 48, 48},                      // C
                                      {"number1", 150, 5, 3},                             // D
                                      {"number2", 155, 5, 4},                             // E
                                      {"cgc", 160, 19, 5, 18, 18},                        // F
                                      {"ie", 179, 15, 7, 14, 14},                         // G
                                      {"extra", 194, 17, 6, 16, 16},                      // H
                                      {"start_date", 211, 9, 8, 8, 8, '/'},               // I
                                      {"start_time", 220, 6, 9, 5, 5, ' ', kWithoutThird},  // J
                                      {"end_date", 226, 9, 10, 8, 8, '/'},                // K
                                      {"end_time", 235, 6, 11, 5, 5, ' ', kWithoutThird},   // L
                                      {"owner", 241, 5, 12, 5, 5},                 // M
                                      {"company", 246, 22, 13, 22, 22}};               // N

ResultText<42> equipmentText;
ResultText<265> userText;

}  // namespace

constexpr Query kEquipmentStatus{recordOf<kEquipmentRecord>(), recordOf<kEquipmentRecord>(),
                                 52, 50, tableOf(kEquipmentFields)};
static_assert(fitsItsReply(kEquipmentStatus) && fullTextLength(kEquipmentStatus) == 42);

constexpr Query kUserData{recordOf<kUserRecord>(), recordOf<kUserRecord>(),
                          268, 268, tableOf(kUserFields)};
static_assert(fitsItsReply(kUserData) && fullTextLength(kUserData) == 265);

}  // namespace ecf::status

using namespace ecf::status;

extern "C" {

char* ECF_API ecfStatusEquipo(void) { return answerText(equipmentText, kEquipmentStatus, 0); }

int32_t ECF_API ecfParamStatusEquipo(char* a, char* b, char* c, char* d) {
    char* const outs[] = {a, b, c, d};
    return answerParameters(kEquipmentStatus, 0, outs);
}

char* ECF_API ecfStatusUser(unsigned char index) { return answerText(userText, kUserData, index); }

int32_t ECF_API ecfParamStatusUser(unsigned char index, char* a, char* b, char* c, char* d,
                                   char* e, char* f, char* h, char* g, char* i, char* j, char* k,
                                   char* l, char* m, char* n) {
    char* const outs[] = {a, b, c, d, e, f, h, g, i, j, k, l, m, n};
    return answerParameters(kUserData, index, outs);
}

}  // extern "C"
