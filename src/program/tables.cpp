#include "tables.h"

#include "ecf.h"
#include "short_result.h"

using ecf::build;
using namespace ecf::program;

extern "C" {

int32_t ECF_API ecfCargaTabAliq(unsigned char index, const char* rate) {
    return ecf::send(build<kCargaTabAliq>(index, rate));
}

int32_t ECF_API ecfCargaAliqSelect(const char* index, const char* kind, const char* rate) {
    return ecf::send(build<kCargaAliqSelect>(index, kind, rate));
}

int32_t ECF_API ecfPayPatterns(const char* index, const char* name) {
    return ecf::send(build<kPayPatterns>(index, name));
}

int32_t ECF_API ecfProgNFComprov(const char* index, const char* name, const char* flag1,
                                 const char* flag2, const char* flag3, const char* flag4,
                                 const char* flag5, const char* code) {
    return ecf::send(
        build<kProgNFComprov>(index, name, flag1, flag2, flag3, flag4, flag5, code));
}

int32_t ECF_API ecfCargaCodCripto(const char* code) {
    return ecf::send(build<kCargaCodCripto>(code));
}

int32_t ECF_API ecfPrgCod(unsigned char code) { return ecf::send(build<kPrgCod>(code)); }

int16_t ECF_API ecfGrava(const char* text1, const char* text2, const char* text3) {
    return lowHalf(ecf::send(build<kGrava>(text1, text2, text3)));
}

}  // extern "C"
