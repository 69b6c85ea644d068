// Entries of the printer's tables (tax rates, payment types, non-fiscal
// documents) and its codes. The library keeps no copy of any table.
#pragma once

#include <cstdint>

#include "../link/record.h"

namespace ecf::program {

constexpr uint8_t kGrava = 0x1B;  // equal to ESC, an ordinary byte inside a record
constexpr uint8_t kCargaTabAliq = 0x20;
constexpr uint8_t kPrgCod = 0x21;
constexpr uint8_t kCargaAliqSelect = 0x22;
constexpr uint8_t kProgNFComprov = 0x23;
constexpr uint8_t kPayPatterns = 0x24;
constexpr uint8_t kCargaCodCripto = 0x2A;

using CargaTabAliqRecord = Record<7>;
using CargaAliqSelectRecord = Record<9>;
using PayPatternsRecord = Record<24>;
using ProgNFComprovRecord = Record<51>;
using CargaCodCriptoRecord = Record<12>;
using PrgCodRecord = Record<3>;
using GravaRecord = Record<15>;

CargaTabAliqRecord cargaTabAliqRecord(uint8_t index, const char* rate);
CargaAliqSelectRecord cargaAliqSelectRecord(const char* index, const char* kind, const char* rate);
PayPatternsRecord payPatternsRecord(const char* index, const char* name);
ProgNFComprovRecord progNFComprovRecord(const char* index, const char* name, const char* flag1,
                                        const char* flag2, const char* flag3, const char* flag4,
                                        const char* flag5, const char* code);
CargaCodCriptoRecord cargaCodCriptoRecord(const char* code);
PrgCodRecord prgCodRecord(uint8_t code);
GravaRecord gravaRecord(const char* text1, const char* text2, const char* text3);

}  // namespace ecf::program
