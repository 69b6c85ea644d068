// The receipt status and the printer status. Both parameter forms write
// their out-parameters whatever the exchange gave; the caller looks at the
// result first.

#include "ecf.h"
#include "query.h"

namespace ecf::status {
namespace {

// Receipt status, reply 72 bytes. Fields A, B, C, D, E, F, G in reply
// order; the parameter form takes E before D.
constexpr Layout kReceiptRecord{"ecfStatusCupom ecfParamStatusCup", 0xE0, 4,
                                tableOf(kCodeOnlyFields<4>)};
//                                                    position width out
constexpr ReplyField kReceiptFields[] = {{"coo", 3, 4, 0},   // A
                                         {"state", 7, 1, 1},      // B
                                         {"items", 8, 6, 2},               // C
                                         {"ccf", 16, 6, 4},    // D
                                         {"date", 22, 8, 3},               // E
                                         {"total_due", 30, 21, 5},        // F
                                         {"total_paid", 51, 21, 6}};      // G

ResultText<67> receiptText;

// Printer status, reply 7 bytes: byte values at 3, 5 and 6, no character fields.
constexpr Layout kPrinterRecord{"ecfStatusImp ecfParamStatusImp", 0xDF, 4,
                                tableOf(kCodeOnlyFields<4>)};
constexpr ReplyField kPrinterFields[] = {byteValue("state", 3, 0),
                                         byteValue("last_status", 5, 1),
                                         byteValue("flags", 6, 2)};
constexpr const ReplyField& kDocumentState = kPrinterFields[0];
constexpr const ReplyField& kLastStatus = kPrinterFields[1];
constexpr const ReplyField& kFlags = kPrinterFields[2];
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
    appendLeadingTwoDigits(text, reply[kDocumentState.position]);
    appendThreeDigits(text, reply[kLastStatus.position]);
    for (uint8_t bit : kRenderedFlags)
        text.appendChar((reply[kFlags.position] & bit) != 0 ? '1' : '0');
}

void store(unsigned char* out, uint8_t value) {
    if (out != nullptr) *out = value;
}

}  // namespace

constexpr Query kReceiptStatus{recordOf<kReceiptRecord>(), recordOf<kReceiptRecord>(),
                               72, 72, tableOf(kReceiptFields), true};
static_assert(fitsItsReply(kReceiptStatus) && fullTextLength(kReceiptStatus) == 67);

constexpr Query kPrinterStatus{recordOf<kPrinterRecord>(), recordOf<kPrinterRecord>(),
                               7, 7, tableOf(kPrinterFields)};
static_assert(fitsItsReply(kPrinterStatus));

}  // namespace ecf::status

using namespace ecf::status;

extern "C" {

char* ECF_API ecfStatusCupom(int32_t /*unused*/) {
    return answerText(receiptText, kReceiptStatus, 0);
}

int32_t ECF_API ecfParamStatusCup(char* a, char* b, char* c, char* e, char* d, char* f,
                                  char* g) {
    char* const outs[] = {a, b, c, e, d, f, g};
    return answerParameters(kReceiptStatus, 0, outs);
}

char* ECF_API ecfStatusImp(void) {
    printerText.clear();
    Reply reply;
    const int32_t result = ask(kPrinterStatus, Form::text, 0, reply);
    if (result != 0) return printerText.error(result);
    renderPrinterStatus(printerText, reply);
    return printerText.data();
}

int32_t ECF_API ecfParamStatusImp(unsigned char* byte3, unsigned char* byte5,
                                  unsigned char* byte6) {
    Reply reply;
    const int32_t result = ask(kPrinterStatus, Form::parameter, 0, reply);
    store(byte3, reply[kDocumentState.position]);
    store(byte5, reply[kLastStatus.position]);
    store(byte6, reply[kFlags.position]);
    return result;
}

}  // extern "C"
