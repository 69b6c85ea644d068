// Entries of the printer's tables (tax rates, payment types, non-fiscal
// documents) and its codes. The library keeps no copy of any table.
#pragma once

#include "../link/layout.h"

namespace ecf::program {

// ecfCargaTabAliq, 7 bytes: the only index sent as one character, the
// index plus '0' (10 gives ':').
inline constexpr Field kCargaTabAliqFields[] = {
    kLeadField,
    kCommandField,
    {"index", 2, 1, FieldKind::indexCharacter},
    {"rate", 3, 4, FieldKind::rightAligned},
};
inline constexpr Layout kCargaTabAliq{"ecfCargaTabAliq", 0x20, 7, tableOf(kCargaTabAliqFields)};

// ecfCargaAliqSelect, 9 bytes.
inline constexpr Field kCargaAliqSelectFields[] = {
    kLeadField,
    kCommandField,
    {"index", 2, 2, FieldKind::rightAligned},
    {"kind", 4, 1, FieldKind::rightAligned},
    {"rate", 5, 4, FieldKind::rightAligned},
};
inline constexpr Layout kCargaAliqSelect{"ecfCargaAliqSelect", 0x22, 9,
                                         tableOf(kCargaAliqSelectFields)};

// ecfPayPatterns, 24 bytes.
inline constexpr Field kPayPatternsFields[] = {
    kLeadField,
    kCommandField,
    {"index", 2, 2, FieldKind::rightAligned},
    {"name", 4, 20, FieldKind::text},
};
inline constexpr Layout kPayPatterns{"ecfPayPatterns", 0x24, 24, tableOf(kPayPatternsFields)};

// ecfProgNFComprov, 51 bytes. The one-character flags keep the last
// character of a longer argument.
inline constexpr Field kProgNFComprovFields[] = {
    kLeadField,
    kCommandField,
    {"index", 2, 2, FieldKind::rightAligned},
    {"name", 4, 20, FieldKind::text},
    {"", 24, 20, FieldKind::zeros},
    {"flag1", 44, 1, FieldKind::rightAligned},
    {"flag2", 45, 1, FieldKind::rightAligned},
    {"flag3", 46, 1, FieldKind::rightAligned},
    {"flag4", 47, 1, FieldKind::rightAligned},
    {"flag5", 48, 1, FieldKind::rightAligned},
    {"code", 49, 2, FieldKind::rightAligned},
};
inline constexpr Layout kProgNFComprov{"ecfProgNFComprov", 0x23, 51,
                                       tableOf(kProgNFComprovFields)};

// ecfCargaCodCripto, 12 bytes.
inline constexpr Field kCargaCodCriptoFields[] = {
    kLeadField,
    kCommandField,
    {"code", 2, 10, FieldKind::rightAligned},
};
inline constexpr Layout kCargaCodCripto{"ecfCargaCodCripto", 0x2A, 12,
                                        tableOf(kCargaCodCriptoFields)};

// ecfPrgCod, 3 bytes.
inline constexpr Field kPrgCodFields[] = {
    kLeadField,
    kCommandField,
    {"code", 2, 1, FieldKind::byte},
};
inline constexpr Layout kPrgCod{"ecfPrgCod", 0x21, 3, tableOf(kPrgCodFields)};

// ecfGrava, 15 bytes; its code equals ESC, an ordinary byte inside a
// record. The last text keeps its first character.
inline constexpr Field kGravaFields[] = {
    kLeadField,
    kCommandField,
    {"text1", 2, 8, FieldKind::text},
    {"text2", 10, 4, FieldKind::text},
    {"text3", 14, 1, FieldKind::text},
};
inline constexpr Layout kGrava{"ecfGrava", 0x1B, 15, tableOf(kGravaFields)};

}  // namespace ecf::program
