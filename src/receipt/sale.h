// Item sale: the records that register one sold item on the open receipt.
#pragma once

#include <cstdint>

#include "../link/record.h"

namespace ecf::receipt {

constexpr uint8_t kVendaItem = 0xD2;
constexpr uint8_t kVendaItem78 = 0xD6;
constexpr uint8_t kQuantityItem = 0xD0;  // ecfVenda_Item and ecfVendaItem3d

using VendaItemRecord = Record<84>;
using VendaItem78Record = Record<91>;
using QuantityItemRecord = Record<113>;

VendaItemRecord vendaItemRecord(const char* description, const char* price, uint32_t rateIndex);

VendaItem78Record vendaItem78Record(const char* description, const char* price,
                                    uint8_t rateIndex);

// The item with code, quantity and unit price. ecfVenda_Item passes empty
// strings for the unit and the one-character field, which leaves them blank.
QuantityItemRecord quantityItemRecord(const char* itemCode, const char* description,
                                      const char* quantityInteger, const char* quantityDecimal,
                                      const char* unitPrice, uint8_t rateIndex, const char* unit,
                                      const char* lastCharacter);

}  // namespace ecf::receipt
