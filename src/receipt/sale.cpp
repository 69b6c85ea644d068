#include "sale.h"

#include "ecf.h"

namespace ecf::receipt {

// 0 f | 1 0xD2 | 2-3 0x00 | 4-63 description | 64-68 0x00
// 69-77 price, right-aligned | 78-79 rate index, 2 digits | 80-83 0x00
VendaItemRecord vendaItemRecord(const char* description, const char* price, uint32_t rateIndex) {
    VendaItemRecord r(kLeadByte, kVendaItem);
    r.text(4, 60, description).rightAligned(69, 9, price).digits(78, 2, rateIndex);
    return r;
}

// 0 f | 1 0xD6 | 2-79 description | 80-88 price, right-aligned | 89-90 rate index
VendaItem78Record vendaItem78Record(const char* description, const char* price,
                                    uint8_t rateIndex) {
    VendaItem78Record r(kLeadByte, kVendaItem78);
    r.text(2, 78, description).rightAligned(80, 9, price).digits(89, 2, rateIndex);
    return r;
}

// 0 f | 1 0xD0 | 2-5 spaces | 6-18 item code | 19 space | 20-81 description
// 82-84 quantity integer part | 85 ',' | 86-88 decimal part | 89 'x'
// 90-91 unit | 92-100 spaces | 101 last character | 102-110 unit price
// 111-112 rate index, 2 digits
// Read as text, 82-110 is the item's quantity line: "  1,500xKG ...  price".
QuantityItemRecord quantityItemRecord(const char* itemCode, const char* description,
                                      const char* quantityInteger, const char* quantityDecimal,
                                      const char* unitPrice, uint8_t rateIndex, const char* unit,
                                      const char* lastCharacter) {
    QuantityItemRecord r(kLeadByte, kQuantityItem);
    r.fill(2, 4, ' ')
        .text(6, 13, itemCode)
        .byte(19, ' ')
        .text(20, 62, description)
        .rightAligned(82, 3, quantityInteger)
        .byte(85, ',')
        .rightAligned(86, 3, quantityDecimal)
        .byte(89, 'x')
        .rightAligned(90, 2, unit)
        .fill(92, 9, ' ')
        .rightAligned(101, 1, lastCharacter)
        .rightAligned(102, 9, unitPrice)
        .digits(111, 2, rateIndex);
    return r;
}

}  // namespace ecf::receipt

using namespace ecf::receipt;

extern "C" {

int32_t ECF_API ecfVendaItem(const char* description, const char* price, int32_t rate_index) {
    return ecf::send(vendaItemRecord(description, price, static_cast<uint32_t>(rate_index)));
}

int32_t ECF_API ecfVendaItem78(const char* description, const char* price,
                               unsigned char rate_index) {
    return ecf::send(vendaItem78Record(description, price, rate_index));
}

int32_t ECF_API ecfVenda_Item(const char* item_code, const char* description,
                              const char* quantity_integer, const char* quantity_decimal,
                              const char* unit_price, unsigned char rate_index) {
    return ecf::send(quantityItemRecord(item_code, description, quantity_integer,
                                        quantity_decimal, unit_price, rate_index, "", ""));
}

int32_t ECF_API ecfVendaItem3d(const char* item_code, const char* description,
                               const char* quantity_integer, const char* quantity_decimal,
                               const char* unit_price, unsigned char rate_index, const char* unit,
                               const char* flag) {
    return ecf::send(quantityItemRecord(item_code, description, quantity_integer,
                                        quantity_decimal, unit_price, rate_index, unit, flag));
}

}  // extern "C"
