// The end of a receipt: subtotal, payments and their cancellation, end of
// transaction, cancellations, and the cash drawer.
#pragma once

#include "../link/layout.h"

namespace ecf::receipt {

inline constexpr Layout kSubTotal{"ecfSubTotal", 0xD1, 3, tableOf(kCodeOnlyFields<3>)};
inline constexpr Layout kAbreGaveta{"ecfAbreGaveta", 0xFA, 4, tableOf(kCodeOnlyFields<4>)};

// ecfFimTrans and ecfCancDoc, 12 bytes; ecfCancVenda, 16 bytes, the same
// followed by four 0x00.
inline constexpr Field kClosingFields[] = {
    kLeadField,
    kCommandField,
    {"", 2, 2, FieldKind::zeros},
    {"text", 4, 8, FieldKind::text},
    {"", 12, 4, FieldKind::zeros},
};
inline constexpr Layout kFimTrans{"ecfFimTrans", 0x06, 12, tableOf(kClosingFields).prefix(4)};
inline constexpr Layout kCancDoc{"ecfCancDoc", 0xC7, 12, tableOf(kClosingFields).prefix(4)};
inline constexpr Layout kCancVenda{"ecfCancVenda", 0x07, 16, tableOf(kClosingFields)};

// ecfPagamento and ecfPagCancPag (0xD5), ecfPrazoCancPrazo (0xD8), 27 bytes.
// A payment leaves the operation 0x00, blanks the text and sends two
// characters at 15-16; a cancellation sends ten characters at 5-14 and
// leaves 15-16 at 0x00.
inline constexpr Field kPaymentFields[] = {
    kLeadField,
    kCommandField,
    {"operation", 2, 1, FieldKind::byte},
    {"code", 3, 1, FieldKind::byte},
    {"payment_type", 4, 1, FieldKind::byte},
    {"text", 5, 10, FieldKind::text},
    {"short_text", 15, 2, FieldKind::text},
    {"amount", 17, 10, FieldKind::rightAligned},
};
inline constexpr Layout kPagamento{"ecfPagamento ecfPagCancPag", 0xD5, 27,
                                   tableOf(kPaymentFields)};
inline constexpr Layout kPrazoCancPrazo{"ecfPrazoCancPrazo", 0xD8, 27, tableOf(kPaymentFields)};

}  // namespace ecf::receipt
