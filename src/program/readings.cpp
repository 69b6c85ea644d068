#include "readings.h"

#include "ecf.h"

using ecf::build;
using namespace ecf::program;

extern "C" {

int32_t ECF_API ecfLXGerencial(const char* text) { return ecf::send(build<kLXGerencial>(text)); }

int32_t ECF_API ecfRZGerencial(const char* text) { return ecf::send(build<kRZGerencial>(text)); }

int32_t ECF_API ecfReducaoZ(const char* text) { return ecf::send(build<kReducaoZ>(text)); }

int32_t ECF_API ecfLeituraX(const char* text) { return ecf::send(build<kLeituraX>(text)); }

}  // extern "C"
