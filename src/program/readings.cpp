#include "readings.h"

#include "ecf.h"

using ecf::send;
using ecf::program::readingRecord;

extern "C" {

int32_t ECF_API ecfLXGerencial(const char* text) {
    return send(readingRecord(ecf::program::kLXGerencial, text));
}

int32_t ECF_API ecfRZGerencial(const char* text) {
    return send(readingRecord(ecf::program::kRZGerencial, text));
}

int32_t ECF_API ecfReducaoZ(const char* text) {
    return send(readingRecord(ecf::program::kReducaoZ, text));
}

int32_t ECF_API ecfLeituraX(const char* text) {
    return send(readingRecord(ecf::program::kLeituraX, text));
}

}  // extern "C"
