// Corrections on the open receipt: item cancellation and discount, item
// cancellation by number, cancellation of a subtotal surcharge or discount.
#pragma once

#include <cstdint>

#include "../link/record.h"

namespace ecf::receipt {

constexpr uint8_t kItemOperation = 0xD3;  // ecfCancItem and ecfDescItem
constexpr uint8_t kCancItemDef = 0xD4;
constexpr uint8_t kCancAcresDescSubTotal = 0xD9;

// Operation bytes of the item operation record.
constexpr uint8_t kCancelItem = 1;
constexpr uint8_t kDiscountItem = 3;

using ItemOperationRecord = Record<79>;
using CancItemDefRecord = Record<36>;
using CancAcresDescSubTotalRecord = Record<39>;

// The item operation: the operation byte, a byte for position 4, the item,
// the amount digits (right-aligned) and a number sent as two digits.
ItemOperationRecord itemOperationRecord(uint8_t operation, uint8_t position4, const char* item,
                                        const char* amount, uint32_t twoDigits);

CancItemDefRecord cancItemDefRecord(const char* itemNumber, const char* text);

CancAcresDescSubTotalRecord cancAcresDescSubTotalRecord(uint8_t position2, uint8_t position3,
                                                        const char* text, const char* value);

}  // namespace ecf::receipt
