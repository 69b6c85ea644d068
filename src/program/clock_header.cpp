#include "clock_header.h"

#include "ecf.h"
#include "short_result.h"

namespace ecf::program {

// 0 f | 1 0x16 | 2-3 part 6 | 4-5 part 5 | 6-7 part 4 | 8 '0'
// 9-10 part 1 | 11-12 part 2 | 13-14 part 3; every part 2 digits
AcertaDataRecord acertaDataRecord(uint32_t part1, uint32_t part2, uint32_t part3, uint32_t part4,
                                  uint32_t part5, uint32_t part6) {
    AcertaDataRecord r(kLeadByte, kAcertaData);
    r.digits(2, 2, part6)
        .digits(4, 2, part5)
        .digits(6, 2, part4)
        .byte(8, '0')
        .digits(9, 2, part1)
        .digits(11, 2, part2)
        .digits(13, 2, part3);
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
