// The records of the cheque commands: one cheque line (0xC0), and a whole
// cheque for the second cheque printer (0xC1).
#pragma once

#include "../link/layout.h"

namespace ecf::cheque {

// ecfLinhaCheque, 84 bytes: the advance as its last decimal digit, then the
// text in 80 columns.
inline constexpr Field kLinhaChequeFields[] = {
    kLeadField,
    kCommandField,
    {"advance", 2, 1, FieldKind::digits},
    {"", 3, 1, FieldKind::zeros},
    {"text", 4, 80, FieldKind::text},
};
inline constexpr Layout kLinhaCheque{"ecfLinhaCheque ecfImpCheque ecfImpChequeVexa", 0xC0, 84,
                                     tableOf(kLinhaChequeFields)};

// ecfChequeKorvan, 209 bytes. The date's first 8 bytes go as they stand (a
// shorter date up to its NUL, the rest 0x00, so that nothing past the
// caller's string is read); the layout is the bank's 36-digit row.
inline constexpr Field kChequeKorvanFields[] = {
    kLeadField,
    kCommandField,
    {"value", 2, 11, FieldKind::rightAligned},
    {"", 13, 1, FieldKind::zeros},
    {"payee", 14, 66, FieldKind::text},
    {"city", 80, 21, FieldKind::text},
    {"date", 101, 8, FieldKind::bytes},
    {"", 109, 1, FieldKind::fixed, ' '},
    {"extra1", 110, 21, FieldKind::text},
    {"extra2", 131, 21, FieldKind::text},
    {"extra3", 152, 21, FieldKind::text},
    {"layout", 173, 36, FieldKind::bytes},
};
inline constexpr Layout kChequeKorvan{"ecfChequeKorvan", 0xC1, 209, tableOf(kChequeKorvanFields)};

}  // namespace ecf::cheque
