#include "clock_header.h"

#include "ecf.h"
#include "short_result.h"

namespace ecf::program {

// 0 f | 1 0x16 | 2-3 second | 4-5 minute | 6-7 hour | 8 '0'
// 9-10 day | 11-12 month | 13-14 year; each 2 digits
AcertaDataRecord acertaDataRecord(uint32_t day, uint32_t month, uint32_t year, uint32_t hour,
                                  uint32_t minute, uint32_t second) {
    AcertaDataRecord r(kLeadByte, kAcertaData);
    r.digits(2, 2, second)
        .digits(4, 2, minute)
        .digits(6, 2, hour)
        .byte(8, '0')
        .digits(9, 2, day)
        .digits(11, 2, month)
        .digits(13, 2, year);
    return r;
}

// 0 f | 1 'x' | 2-31 company name | 32-49 CGC | 50-64 IE
DescriEmpresaRecord descriEmpresaRecord(const char* name, const char* cgc, const char* ie) {
    DescriEmpresaRecord r(kLeadByte, kDescriEmpresa);
    r.text(2, 30, name).text(32, 18, cgc).text(50, 15, ie);
    return r;
}

}  // namespace ecf::program

using namespace ecf::program;

namespace {

uint32_t asUnsigned(int32_t value) { return static_cast<uint32_t>(value); }

}  // namespace

extern "C" {

int32_t ECF_API ecfAcertaData(int32_t day, int32_t month, int32_t year, int32_t hour,
                              int32_t minute, int32_t second) {
    return ecf::send(acertaDataRecord(asUnsigned(day), asUnsigned(month), asUnsigned(year),
                                      asUnsigned(hour), asUnsigned(minute), asUnsigned(second)));
}

int32_t ECF_API ecfCabLoja(const char* line1, const char* line2, const char* line3,
                           int32_t number1, int32_t number2, const char* cgc, const char* ie) {
    return ecf::send(storeHeaderRecord<kCabLojaLength>(line1, line2, line3, asUnsigned(number1),
                                                       asUnsigned(number2), cgc, ie));
}

int32_t ECF_API ecfProgHeader30(const char* line1, const char* line2, const char* line3,
                                int32_t number1, int32_t number2, const char* cgc,
                                const char* ie, const char* extra) {
    return ecf::send(storeHeaderRecord<kProgHeader30Length>(
        line1, line2, line3, asUnsigned(number1), asUnsigned(number2), cgc, ie, extra));
}

int16_t ECF_API ecfDescriEmpresa(const char* name, const char* cgc, const char* ie) {
    return lowHalf(ecf::send(descriEmpresaRecord(name, cgc, ie)));
}

}  // extern "C"
