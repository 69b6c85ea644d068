// The receipt status and the printer status. Both parameter forms write
// their out-parameters whatever the exchange gave; the caller looks at the
// result first.

#include "ecf.h"
#include "query.h"

namespace ecf::status {
namespace {

// Receipt status, reply 72 bytes. Fields A, B, C, D, E, F, G in reply
// order; the parameter form takes E before D.
//                                 position width out
constexpr Field kReceiptFields[] = {{3, 4, 0},    // A
                                    {7, 1, 1},    // B
                                    {8, 6, 2},    // C
                                    {16, 6, 4},   // D
                                    {22, 8, 3},   // E
                                    {30, 21, 5},  // F
                                    {51, 21, 6}}; // G
constexpr Query kReceipt{0xE0, false, 72, 72, fieldsOf(kReceiptFields), false, true};
static_assert(fitsItsReply(kReceipt) && fullTextLength(kReceipt) == 67);

ResultText<67> receiptText;

// Printer status, reply 7 bytes: byte values at 3, 5 and 6, no character fields.
constexpr Query kPrinter{0xDF, false, 7, 7, {}};
constexpr std::size_t kByte3 = 3;
constexpr std::size_t kByte5 = 5;
constexpr std::size_t kByte6 = 6;
constexpr uint8_t kRenderedFlags[] = {0x02, 0x04, 0x08};

ResultText<8> printerText;

char digit(unsigned value) { return static_cast<char>('0' + value % 10); }

// Two characters: the value's two digits with a leading zero, or the first
// two of its three digits.
void appendLeadingTwoDigits(ResultText<8>& text, unsigned value) {
    if (value >= 100) value /= 10;
    text.appendChar(digit(value / 10));
    text.appendChar(digit(value));
}

void appendThreeDigits(ResultText<8>& text, unsigned value) {
    text.appendChar(digit(value / 100));
    text.appendChar(digit(value / 10));
    text.appendChar(digit(value));
}

void renderPrinterStatus(ResultText<8>& text, const Reply& reply) {
    appendLeadingTwoDigits(text, reply[kByte3]);
    appendThreeDigits(text, reply[kByte5]);
    for (uint8_t bit : kRenderedFlags) text.appendChar((reply[kByte6] & bit) != 0 ? '1' : '0');
}

void store(unsigned char* out, uint8_t value) {
    if (out != nullptr) *out = value;
}

}  // namespace
}  // namespace ecf::status

using namespace ecf::status;

extern "C" {

char* ECF_API ecfStatusCupom(int32_t /*unused*/) { return answerText(receiptText, kReceipt, 0); }

int32_t ECF_API ecfParamStatusCup(char* a, char* b, char* c, char* e, char* d, char* f,
                                  char* g) {
    char* const outs[] = {a, b, c, e, d, f, g};
    return answerParameters(kReceipt, 0, outs);
}

char* ECF_API ecfStatusImp(void) {
    printerText.clear();
    Reply reply;
    const int32_t result = ask(kPrinter, Form::text, 0, reply);
    if (result != 0) return printerText.error(result);
    renderPrinterStatus(printerText, reply);
    return printerText.data();
}

int32_t ECF_API ecfParamStatusImp(unsigned char* byte3, unsigned char* byte5,
                                  unsigned char* byte6) {
    Reply reply;
    const int32_t result = ask(kPrinter, Form::parameter, 0, reply);
    store(byte3, reply[kByte3]);
    store(byte5, reply[kByte5]);
    store(byte6, reply[kByte6]);
    return result;
}

}  // extern "C"
