#include "clock_header.h"

#include "ecf.h"
#include "short_result.h"

using ecf::build;
using namespace ecf::program;

extern "C" {

int32_t ECF_API ecfAcertaData(int32_t day, int32_t month, int32_t year, int32_t hour,
                              int32_t minute, int32_t second) {
    return ecf::send(build<kAcertaData>(second, minute, hour, day, month, year));
}

int32_t ECF_API ecfCabLoja(const char* line1, const char* line2, const char* line3,
                           int32_t number1, int32_t number2, const char* cgc, const char* ie) {
    return ecf::send(build<kCabLoja>(line1, line2, line3, number1, number2, cgc, ie));
}

int32_t ECF_API ecfProgHeader30(const char* line1, const char* line2, const char* line3,
                                int32_t number1, int32_t number2, const char* cgc,
                                const char* ie, const char* extra) {
    return ecf::send(
        build<kProgHeader30>(line1, line2, line3, number1, number2, cgc, ie, extra));
}

int16_t ECF_API ecfDescriEmpresa(const char* name, const char* cgc, const char* ie) {
    return lowHalf(ecf::send(build<kDescriEmpresa>(name, cgc, ie)));
}

}  // extern "C"
