// The printer's clock, the store header and the company description.
#pragma once

#include "../link/layout.h"

namespace ecf::program {

// ecfAcertaData, 15 bytes: the time travels first, read backwards (second,
// minute, hour), then '0', then the date in its own order; each part two
// digits.
inline constexpr Field kAcertaDataFields[] = {
    kLeadField,
    kCommandField,
    {"second", 2, 2, FieldKind::digits},
    {"minute", 4, 2, FieldKind::digits},
    {"hour", 6, 2, FieldKind::digits},
    {"", 8, 1, FieldKind::fixed, '0'},
    {"day", 9, 2, FieldKind::digits},
    {"month", 11, 2, FieldKind::digits},
    {"year", 13, 2, FieldKind::digits},
};
inline constexpr Layout kAcertaData{"ecfAcertaData", 0x16, 15, tableOf(kAcertaDataFields)};

// ecfCabLoja, 187 bytes; ecfProgHeader30, 202 bytes, the same followed by a
// fourth text.
inline constexpr Field kStoreHeaderFields[] = {
    kLeadField,
    kCommandField,
    {"line1", 2, 48, FieldKind::text},
    {"line2", 50, 48, FieldKind::text},
    {"line3", 98, 48, FieldKind::text},
    {"number1", 146, 4, FieldKind::digits},
    {"number2", 150, 4, FieldKind::digits},
    {"cgc", 154, 18, FieldKind::text},
    {"ie", 172, 15, FieldKind::text},
    {"extra", 187, 15, FieldKind::text},
};
inline constexpr Layout kCabLoja{"ecfCabLoja", 0xDA, 187, tableOf(kStoreHeaderFields).prefix(9)};
inline constexpr Layout kProgHeader30{"ecfProgHeader30", 0xDA, 202, tableOf(kStoreHeaderFields)};

// ecfDescriEmpresa, 65 bytes.
inline constexpr Field kDescriEmpresaFields[] = {
    kLeadField,
    kCommandField,
    {"name", 2, 30, FieldKind::text},
    {"cgc", 32, 18, FieldKind::text},
    {"ie", 50, 15, FieldKind::text},
};
inline constexpr Layout kDescriEmpresa{"ecfDescriEmpresa", 0x78, 65,
                                       tableOf(kDescriEmpresaFields)};

}  // namespace ecf::program
