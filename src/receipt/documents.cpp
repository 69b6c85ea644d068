#include "documents.h"

#include "ecf.h"

namespace ecf::receipt {

namespace {

// A signed byte reaches a digit field sign-extended and read as unsigned:
// -1 becomes 4294967295.
uint32_t asDigitValue(int8_t value) {
    return static_cast<uint32_t>(static_cast<int32_t>(value));
}

}  // namespace

// 0 f | 1 code | 2 byte
OneByteRecord oneByteRecord(uint8_t code, uint8_t argument) {
    OneByteRecord r(kLeadByte, code);
    r.byte(2, argument);
    return r;
}

// 0 f | 1 0xDE | 2-7 receipt | 8-9 payment type | 10-18 value; all right-aligned
InicCNFVinculadoRecord inicCNFVinculadoRecord(const char* receipt, const char* paymentType,
                                              const char* value) {
    InicCNFVinculadoRecord r(kLeadByte, kInicCNFVinculado);
    r.rightAligned(2, 6, receipt).rightAligned(8, 2, paymentType).rightAligned(10, 9, value);
    return r;
}

// 0 f | 1 0xEC | 2 lines, 1 digit | 3-4 count, 2 digits
LineFeedRecord lineFeedRecord(int8_t lines, int8_t count) {
    LineFeedRecord r(kLeadByte, kLineFeed);
    r.digits(2, 1, asDigitValue(lines)).digits(3, 2, asDigitValue(count));
    return r;
}

// 0 f | 1 'o' | 2-49 text
AutenticaRecord autenticaRecord(const char* text) {
    AutenticaRecord r(kLeadByte, kAutentica);
    r.text(2, 48, text);
    return r;
}

// 0 n | 1-48 line | 49 line feed
FreeLineRecord freeLineRecord(const char* line) {
    FreeLineRecord r(kFreeLineLeadByte);
    r.text(1, 48, line).byte(49, 0x0A);
    return r;
}

}  // namespace ecf::receipt

using namespace ecf::receipt;

extern "C" {

int32_t ECF_API ecfImpCab(unsigned char code) { return ecf::send(oneByteRecord(kImpCab, code)); }

int32_t ECF_API ecfInicCupomNFiscal(unsigned char document) {
    return ecf::send(oneByteRecord(kInicCupomNFiscal, document));
}

int32_t ECF_API ecfInicCNFVinculado(const char* receipt, const char* payment_type,
                                    const char* value) {
    return ecf::send(inicCNFVinculadoRecord(receipt, payment_type, value));
}

int32_t ECF_API ecfLineFeed(signed char lines, signed char count) {
    return ecf::send(lineFeedRecord(lines, count));
}

int32_t ECF_API ecfAutentica(const char* text) { return ecf::send(autenticaRecord(text)); }

int32_t ECF_API ecfImpLinha(const char* line) { return ecf::send(freeLineRecord(line)); }

}  // extern "C"
