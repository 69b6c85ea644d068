#include "corrections.h"

#include "ecf.h"

namespace ecf::receipt {

// 0 f | 1 0xD3 | 2 operation | 3 0x00 | 4 byte | 5-64 item | 65-67 0x00
// 68-69 two digits | 70-78 amount, right-aligned
ItemOperationRecord itemOperationRecord(uint8_t operation, uint8_t position4, const char* item,
                                        const char* amount, uint32_t twoDigits) {
    ItemOperationRecord r(kLeadByte, kItemOperation);
    r.byte(2, operation)
        .byte(4, position4)
        .text(5, 60, item)
        .digits(68, 2, twoDigits)
        .rightAligned(70, 9, amount);
    return r;
}

// 0 f | 1 0xD4 | 2-5 item number | 6-35 text
CancItemDefRecord cancItemDefRecord(const char* itemNumber, const char* text) {
    CancItemDefRecord r(kLeadByte, kCancItemDef);
    r.text(2, 4, itemNumber).text(6, 30, text);
    return r;
}

// 0 f | 1 0xD9 | 2 byte | 3 byte | 4-25 text | 26-28 0x00 | 29-38 value, right-aligned
CancAcresDescSubTotalRecord cancAcresDescSubTotalRecord(uint8_t position2, uint8_t position3,
                                                        const char* text, const char* value) {
    CancAcresDescSubTotalRecord r(kLeadByte, kCancAcresDescSubTotal);
    r.byte(2, position2).byte(3, position3).text(4, 22, text).rightAligned(29, 10, value);
    return r;
}

}  // namespace ecf::receipt

using namespace ecf::receipt;

extern "C" {

// A cancellation carries no amount: nine zeros stand in the amount field.
int32_t ECF_API ecfCancItem(const char* item) {
    return ecf::send(itemOperationRecord(kCancelItem, 0, item, "000000000", 0));
}

int32_t ECF_API ecfDescItem(int32_t code, const char* item, const char* discount) {
    return ecf::send(
        itemOperationRecord(kDiscountItem, static_cast<uint8_t>(code), item, discount, 0));
}

int32_t ECF_API ecfCancItemDef(const char* item_number, const char* text) {
    return ecf::send(cancItemDefRecord(item_number, text));
}

int32_t ECF_API ecfCancAcresDescSubTotal(unsigned char kind, unsigned char operation,
                                         const char* text, const char* value) {
    return ecf::send(cancAcresDescSubTotalRecord(kind, operation, text, value));
}

}  // extern "C"
