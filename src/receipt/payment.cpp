#include "payment.h"

#include "ecf.h"

namespace ecf::receipt {

// 0 f | 1 0xD1 | 2 0x00
SubTotalRecord subTotalRecord() { return SubTotalRecord(kLeadByte, kSubTotal); }

// 0 f | 1 0xFA | 2-3 0x00
AbreGavetaRecord abreGavetaRecord() { return AbreGavetaRecord(kLeadByte, kAbreGaveta); }

// 0 f | 1 code | 2-3 0x00 | 4-11 text
ClosingRecord closingRecord(uint8_t code, const char* text) {
    ClosingRecord r(kLeadByte, code);
    r.text(4, 8, text);
    return r;
}

// 0 f | 1 0x07 | 2-3 0x00 | 4-11 text | 12-15 0x00
CancVendaRecord cancVendaRecord(const char* text) {
    CancVendaRecord r(kLeadByte, kCancVenda);
    r.text(4, 8, text);
    return r;
}

// 0 f | 1 code | 2 byte | 3 byte | 4 payment type
// 5-14 text of ten, or spaces | 15-16 text of two, or 0x00 | 17-26 amount, right-aligned
PaymentRecord paymentRecord(uint8_t code, uint8_t position2, uint8_t position3,
                            uint8_t paymentType, PaymentText where, const char* text,
                            const char* amount) {
    PaymentRecord r(kLeadByte, code);
    r.byte(2, position2).byte(3, position3).byte(4, paymentType);
    if (where == PaymentText::tenCharacters)
        r.text(5, 10, text);
    else
        r.fill(5, 10, ' ').text(15, 2, text);
    r.rightAligned(17, 10, amount);
    return r;
}

}  // namespace ecf::receipt

using namespace ecf::receipt;

extern "C" {

int32_t ECF_API ecfSubTotal(void) { return ecf::send(subTotalRecord()); }

int32_t ECF_API ecfAbreGaveta(void) { return ecf::send(abreGavetaRecord()); }

int32_t ECF_API ecfFimTrans(const char* text) { return ecf::send(closingRecord(kFimTrans, text)); }

int32_t ECF_API ecfCancDoc(const char* text) { return ecf::send(closingRecord(kCancDoc, text)); }

int32_t ECF_API ecfCancVenda(const char* text) { return ecf::send(cancVendaRecord(text)); }

// A payment keeps position 2 at 0x00 and takes position 3 from its last argument.
int32_t ECF_API ecfPagamento(unsigned char payment_type, const char* text, const char* amount,
                             int32_t code) {
    return ecf::send(paymentRecord(kPagamento, 0x00, static_cast<uint8_t>(code), payment_type,
                                   PaymentText::twoCharacters, text, amount));
}

int32_t ECF_API ecfPagCancPag(unsigned char payment_type, const char* text, const char* amount,
                              unsigned char operation, unsigned char code) {
    return ecf::send(paymentRecord(kPagamento, operation, code, payment_type,
                                   PaymentText::tenCharacters, text, amount));
}

int32_t ECF_API ecfPrazoCancPrazo(unsigned char payment_type, const char* text,
                                  const char* amount, unsigned char operation,
                                  unsigned char code) {
    return ecf::send(paymentRecord(kPrazoCancPrazo, operation, code, payment_type,
                                   PaymentText::tenCharacters, text, amount));
}

}  // extern "C"
