#include "tables.h"

#include "ecf.h"
#include "short_result.h"

namespace ecf::program {

// 0 f | 1 0x20 | 2 index + '0' (mod 256: 10 gives ':') | 3-6 rate, right-aligned
CargaTabAliqRecord cargaTabAliqRecord(uint8_t index, const char* rate) {
    CargaTabAliqRecord r(kLeadByte, kCargaTabAliq);
    r.byte(2, static_cast<uint8_t>(index + '0')).rightAligned(3, 4, rate);
    return r;
}

// 0 f | 1 '"' | 2-3 index | 4 kind, its last character | 5-8 rate; all right-aligned
CargaAliqSelectRecord cargaAliqSelectRecord(const char* index, const char* kind,
                                            const char* rate) {
    CargaAliqSelectRecord r(kLeadByte, kCargaAliqSelect);
    r.rightAligned(2, 2, index).rightAligned(4, 1, kind).rightAligned(5, 4, rate);
    return r;
}

// 0 f | 1 '$' | 2-3 index, right-aligned | 4-23 name
PayPatternsRecord payPatternsRecord(const char* index, const char* name) {
    PayPatternsRecord r(kLeadByte, kPayPatterns);
    r.rightAligned(2, 2, index).text(4, 20, name);
    return r;
}

// 0 f | 1 '#' | 2-3 index, right-aligned | 4-23 name | 24-43 0x00
// 44..48 one flag each, its last character | 49-50 code, right-aligned
ProgNFComprovRecord progNFComprovRecord(const char* index, const char* name, const char* flag1,
                                        const char* flag2, const char* flag3, const char* flag4,
                                        const char* flag5, const char* code) {
    ProgNFComprovRecord r(kLeadByte, kProgNFComprov);
    r.rightAligned(2, 2, index)
        .text(4, 20, name)
        .rightAligned(44, 1, flag1)
        .rightAligned(45, 1, flag2)
        .rightAligned(46, 1, flag3)
        .rightAligned(47, 1, flag4)
        .rightAligned(48, 1, flag5)
        .rightAligned(49, 2, code);
    return r;
}

// 0 f | 1 '*' | 2-11 code, right-aligned
CargaCodCriptoRecord cargaCodCriptoRecord(const char* code) {
    CargaCodCriptoRecord r(kLeadByte, kCargaCodCripto);
    r.rightAligned(2, 10, code);
    return r;
}

// 0 f | 1 '!' | 2 code
PrgCodRecord prgCodRecord(uint8_t code) {
    PrgCodRecord r(kLeadByte, kPrgCod);
    r.byte(2, code);
    return r;
}

// 0 f | 1 0x1B | 2-9 text 1 | 10-13 text 2 | 14 text 3, its first character
GravaRecord gravaRecord(const char* text1, const char* text2, const char* text3) {
    GravaRecord r(kLeadByte, kGrava);
    r.text(2, 8, text1).text(10, 4, text2).text(14, 1, text3);
    return r;
}

}  // namespace ecf::program

using namespace ecf::program;

extern "C" {

int32_t ECF_API ecfCargaTabAliq(unsigned char index, const char* rate) {
    return ecf::send(cargaTabAliqRecord(index, rate));
}

int32_t ECF_API ecfCargaAliqSelect(const char* index, const char* kind, const char* rate) {
    return ecf::send(cargaAliqSelectRecord(index, kind, rate));
}

int32_t ECF_API ecfPayPatterns(const char* index, const char* name) {
    return ecf::send(payPatternsRecord(index, name));
}

int32_t ECF_API ecfProgNFComprov(const char* index, const char* name, const char* flag1,
                                 const char* flag2, const char* flag3, const char* flag4,
                                 const char* flag5, const char* code) {
    return ecf::send(progNFComprovRecord(index, name, flag1, flag2, flag3, flag4, flag5, code));
}

int32_t ECF_API ecfCargaCodCripto(const char* code) {
    return ecf::send(cargaCodCriptoRecord(code));
}

int32_t ECF_API ecfPrgCod(unsigned char code) { return ecf::send(prgCodRecord(code)); }

int16_t ECF_API ecfGrava(const char* text1, const char* text2, const char* text3) {
    return lowHalf(ecf::send(gravaRecord(text1, text2, text3)));
}

}  // extern "C"
