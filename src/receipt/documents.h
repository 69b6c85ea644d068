// Non-fiscal documents and free text: header, non-fiscal receipt, linked
// voucher, paper feed, authentication and the free text line.
#pragma once

#include "../link/layout.h"

namespace ecf::receipt {

// ecfImpCab, 3 bytes.
inline constexpr Field kImpCabFields[] = {
    kLeadField,
    kCommandField,
    {"code", 2, 1, FieldKind::byte},
};
inline constexpr Layout kImpCab{"ecfImpCab", 0x01, 3, tableOf(kImpCabFields)};

// ecfInicCupomNFiscal, 3 bytes.
inline constexpr Field kInicCupomNFiscalFields[] = {
    kLeadField,
    kCommandField,
    {"document", 2, 1, FieldKind::byte},
};
inline constexpr Layout kInicCupomNFiscal{"ecfInicCupomNFiscal", 0xDD, 3,
                                          tableOf(kInicCupomNFiscalFields)};

// ecfInicCNFVinculado, 19 bytes.
inline constexpr Field kInicCNFVinculadoFields[] = {
    kLeadField,
    kCommandField,
    {"receipt", 2, 6, FieldKind::rightAligned},
    {"payment_type", 8, 2, FieldKind::rightAligned},
    {"value", 10, 9, FieldKind::rightAligned},
};
inline constexpr Layout kInicCNFVinculado{"ecfInicCNFVinculado", 0xDE, 19,
                                          tableOf(kInicCNFVinculadoFields)};

// ecfLineFeed, 5 bytes. Its arguments are signed bytes: -1 reaches the
// digits as 4294967295.
inline constexpr Field kLineFeedFields[] = {
    kLeadField,
    kCommandField,
    {"lines", 2, 1, FieldKind::digits},
    {"count", 3, 2, FieldKind::digits},
};
inline constexpr Layout kLineFeed{"ecfLineFeed", 0xEC, 5, tableOf(kLineFeedFields)};

// ecfAutentica, 50 bytes.
inline constexpr Field kAutenticaFields[] = {
    kLeadField,
    kCommandField,
    {"text", 2, 48, FieldKind::text},
};
inline constexpr Layout kAutentica{"ecfAutentica", 0x6F, 50, tableOf(kAutenticaFields)};

// ecfImpLinha, 50 bytes: lead byte 'n' and no code, so the link sends it
// without checksum byte.
inline constexpr Field kFreeLineFields[] = {
    kFreeLineLeadField,
    {"line", 1, 48, FieldKind::text},
    {"", 49, 1, FieldKind::fixed, '\n'},
};
inline constexpr Layout kFreeLine{"ecfImpLinha", 0, 50, tableOf(kFreeLineFields)};

}  // namespace ecf::receipt
