// The printer's clock, the store header and the company description.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../link/record.h"

namespace ecf::program {

constexpr uint8_t kAcertaData = 0x16;
constexpr uint8_t kStoreHeader = 0xDA;  // ecfCabLoja and ecfProgHeader30
constexpr uint8_t kDescriEmpresa = 0x78;  // 'x'

constexpr std::size_t kCabLojaLength = 187;
constexpr std::size_t kProgHeader30Length = 202;  // the same, plus a fourth text

using AcertaDataRecord = Record<15>;
using DescriEmpresaRecord = Record<65>;

// The time travels first, read backwards (second, minute, hour), then '0',
// then the date in its own order.
AcertaDataRecord acertaDataRecord(uint32_t day, uint32_t month, uint32_t year, uint32_t hour,
                                  uint32_t minute, uint32_t second);

// 0 f | 1 0xDA | 2-49, 50-97, 98-145 header lines | 146-149, 150-153 numbers,
// 4 digits | 154-171 CGC | 172-186 IE | 187-201 fourth text (202-byte record only)
template <std::size_t Length>
Record<Length> storeHeaderRecord(const char* line1, const char* line2, const char* line3,
                                 uint32_t number1, uint32_t number2, const char* cgc,
                                 const char* ie, const char* extra = nullptr) {
    static_assert(Length == kCabLojaLength || Length == kProgHeader30Length,
                  "the store header is 187 or 202 bytes");
    Record<Length> r(kLeadByte, kStoreHeader);
    r.text(2, 48, line1)
        .text(50, 48, line2)
        .text(98, 48, line3)
        .digits(146, 4, number1)
        .digits(150, 4, number2)
        .text(154, 18, cgc)
        .text(172, 15, ie);
    if constexpr (Length == kProgHeader30Length) r.text(187, 15, extra);
    return r;
}

DescriEmpresaRecord descriEmpresaRecord(const char* name, const char* cgc, const char* ie);

}  // namespace ecf::program
