#include "documents.h"

#include "ecf.h"

using ecf::build;
using namespace ecf::receipt;

extern "C" {

int32_t ECF_API ecfImpCab(unsigned char code) { return ecf::send(build<kImpCab>(code)); }

int32_t ECF_API ecfInicCupomNFiscal(unsigned char document) {
    return ecf::send(build<kInicCupomNFiscal>(document));
}

int32_t ECF_API ecfInicCNFVinculado(const char* receipt, const char* payment_type,
                                    const char* value) {
    return ecf::send(build<kInicCNFVinculado>(receipt, payment_type, value));
}

int32_t ECF_API ecfLineFeed(signed char lines, signed char count) {
    return ecf::send(build<kLineFeed>(lines, count));
}

int32_t ECF_API ecfAutentica(const char* text) { return ecf::send(build<kAutentica>(text)); }

int32_t ECF_API ecfImpLinha(const char* line) { return ecf::send(build<kFreeLine>(line)); }

}  // extern "C"
