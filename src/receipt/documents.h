// Non-fiscal documents and free text: header, non-fiscal receipt, linked
// voucher, paper feed, authentication and the free text line.
#pragma once

#include <cstdint>

#include "../link/record.h"

namespace ecf::receipt {

constexpr uint8_t kImpCab = 0x01;
constexpr uint8_t kAutentica = 0x6F;  // 'o'
constexpr uint8_t kInicCupomNFiscal = 0xDD;
constexpr uint8_t kInicCNFVinculado = 0xDE;
constexpr uint8_t kLineFeed = 0xEC;

using OneByteRecord = Record<3>;  // ecfImpCab and ecfInicCupomNFiscal
using InicCNFVinculadoRecord = Record<19>;
using LineFeedRecord = Record<5>;
using AutenticaRecord = Record<50>;
using FreeLineRecord = Record<50>;

OneByteRecord oneByteRecord(uint8_t code, uint8_t argument);
InicCNFVinculadoRecord inicCNFVinculadoRecord(const char* receipt, const char* paymentType,
                                              const char* value);
LineFeedRecord lineFeedRecord(int8_t lines, int8_t count);
AutenticaRecord autenticaRecord(const char* text);
// Lead byte 'n' and no code: the link sends it without checksum byte.
FreeLineRecord freeLineRecord(const char* line);

}  // namespace ecf::receipt
