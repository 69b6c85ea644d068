// Corrections on the open receipt: item cancellation and discount, item
// cancellation by number, cancellation of a subtotal surcharge or discount.
#pragma once

#include <cstdint>

#include "../link/layout.h"

namespace ecf::receipt {

// Operation bytes of the item operation record.
constexpr uint8_t kCancelItem = 1;
constexpr uint8_t kDiscountItem = 3;

// ecfCancItem and ecfDescItem, 79 bytes: one layout that the two fill
// differently. A cancellation carries no code and no discount.
inline constexpr Field kItemOperationFields[] = {
    kLeadField,
    kCommandField,
    {"operation", 2, 1, FieldKind::byte},
    {"", 3, 1, FieldKind::zeros},
    {"code", 4, 1, FieldKind::byte},
    {"item", 5, 60, FieldKind::text},
    {"", 65, 3, FieldKind::zeros},
    {"number", 68, 2, FieldKind::digits},
    {"discount", 70, 9, FieldKind::rightAligned},
};
inline constexpr Layout kItemOperation{"ecfCancItem ecfDescItem", 0xD3, 79,
                                       tableOf(kItemOperationFields)};

// ecfCancItemDef, 36 bytes.
inline constexpr Field kCancItemDefFields[] = {
    kLeadField,
    kCommandField,
    {"item_number", 2, 4, FieldKind::text},
    {"text", 6, 30, FieldKind::text},
};
inline constexpr Layout kCancItemDef{"ecfCancItemDef", 0xD4, 36, tableOf(kCancItemDefFields)};

// ecfCancAcresDescSubTotal, 39 bytes.
inline constexpr Field kCancAcresDescSubTotalFields[] = {
    kLeadField,
    kCommandField,
    {"kind", 2, 1, FieldKind::byte},
    {"operation", 3, 1, FieldKind::byte},
    {"text", 4, 22, FieldKind::text},
    {"", 26, 3, FieldKind::zeros},
    {"value", 29, 10, FieldKind::rightAligned},
};
inline constexpr Layout kCancAcresDescSubTotal{"ecfCancAcresDescSubTotal", 0xD9, 39,
                                               tableOf(kCancAcresDescSubTotalFields)};

}  // namespace ecf::receipt
