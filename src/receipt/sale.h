// Item sale: the records that register one sold item on the open receipt.
#pragma once

#include "../link/layout.h"

namespace ecf::receipt {

// ecfVendaItem, 84 bytes.
inline constexpr Field kVendaItemFields[] = {
    kLeadField,
    kCommandField,
    {"", 2, 2, FieldKind::zeros},
    {"description", 4, 60, FieldKind::text},
    {"", 64, 5, FieldKind::zeros},
    {"price", 69, 9, FieldKind::rightAligned},
    {"rate_index", 78, 2, FieldKind::digits},
    {"", 80, 4, FieldKind::zeros},
};
inline constexpr Layout kVendaItem{"ecfVendaItem", 0xD2, 84, tableOf(kVendaItemFields)};

// ecfVendaItem78, 91 bytes.
inline constexpr Field kVendaItem78Fields[] = {
    kLeadField,
    kCommandField,
    {"description", 2, 78, FieldKind::text},
    {"price", 80, 9, FieldKind::rightAligned},
    {"rate_index", 89, 2, FieldKind::digits},
};
inline constexpr Layout kVendaItem78{"ecfVendaItem78", 0xD6, 91, tableOf(kVendaItem78Fields)};

// The item with code, quantity and unit price, 113 bytes. ecfVenda_Item
// passes empty strings for the unit and the flag, which leaves them blank.
// Read as text, 82-110 is the item's quantity line: "  1,500xKG ...  price".
inline constexpr Field kQuantityItemFields[] = {
    kLeadField,
    kCommandField,
    {"", 2, 4, FieldKind::fixed, ' '},
    {"item_code", 6, 13, FieldKind::text},
    {"", 19, 1, FieldKind::fixed, ' '},
    {"description", 20, 62, FieldKind::text},
    {"quantity_integer", 82, 3, FieldKind::rightAligned},
    {"", 85, 1, FieldKind::fixed, ','},
    {"quantity_decimal", 86, 3, FieldKind::rightAligned},
    {"", 89, 1, FieldKind::fixed, 'x'},
    {"unit", 90, 2, FieldKind::rightAligned},
    {"", 92, 9, FieldKind::fixed, ' '},
    {"flag", 101, 1, FieldKind::rightAligned},
    {"unit_price", 102, 9, FieldKind::rightAligned},
    {"rate_index", 111, 2, FieldKind::digits},
};
inline constexpr Layout kQuantityItem{"ecfVenda_Item ecfVendaItem3d", 0xD0, 113,
                                      tableOf(kQuantityItemFields)};

}  // namespace ecf::receipt
