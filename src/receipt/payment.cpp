#include "payment.h"

#include "ecf.h"

using ecf::build;
using ecf::kNotWritten;
using namespace ecf::receipt;

extern "C" {

int32_t ECF_API ecfSubTotal(void) { return ecf::send(build<kSubTotal>()); }

int32_t ECF_API ecfAbreGaveta(void) { return ecf::send(build<kAbreGaveta>()); }

int32_t ECF_API ecfFimTrans(const char* text) { return ecf::send(build<kFimTrans>(text)); }

int32_t ECF_API ecfCancDoc(const char* text) { return ecf::send(build<kCancDoc>(text)); }

int32_t ECF_API ecfCancVenda(const char* text) { return ecf::send(build<kCancVenda>(text)); }

int32_t ECF_API ecfPagamento(unsigned char payment_type, const char* text, const char* amount,
                             int32_t code) {
    return ecf::send(build<kPagamento>(kNotWritten, code, payment_type, "", text, amount));
}

int32_t ECF_API ecfPagCancPag(unsigned char payment_type, const char* text, const char* amount,
                              unsigned char operation, unsigned char code) {
    return ecf::send(
        build<kPagamento>(operation, code, payment_type, text, kNotWritten, amount));
}

int32_t ECF_API ecfPrazoCancPrazo(unsigned char payment_type, const char* text,
                                  const char* amount, unsigned char operation,
                                  unsigned char code) {
    return ecf::send(
        build<kPrazoCancPrazo>(operation, code, payment_type, text, kNotWritten, amount));
}

}  // extern "C"
