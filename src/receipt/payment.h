// The end of a receipt: subtotal, payments and their cancellation, end of
// transaction, cancellations, and the cash drawer.
#pragma once

#include <cstdint>

#include "../link/record.h"

namespace ecf::receipt {

constexpr uint8_t kFimTrans = 0x06;
constexpr uint8_t kCancVenda = 0x07;
constexpr uint8_t kCancDoc = 0xC7;
constexpr uint8_t kSubTotal = 0xD1;
constexpr uint8_t kPagamento = 0xD5;  // ecfPagamento and ecfPagCancPag
constexpr uint8_t kPrazoCancPrazo = 0xD8;
constexpr uint8_t kAbreGaveta = 0xFA;

using SubTotalRecord = Record<3>;
using AbreGavetaRecord = Record<4>;
using ClosingRecord = Record<12>;  // ecfFimTrans and ecfCancDoc
using CancVendaRecord = Record<16>;
using PaymentRecord = Record<27>;

SubTotalRecord subTotalRecord();
AbreGavetaRecord abreGavetaRecord();
ClosingRecord closingRecord(uint8_t code, const char* text);
CancVendaRecord cancVendaRecord(const char* text);

// Where a payment record carries its text: two characters at 15-16 with
// 5-14 blank (a payment), or ten characters at 5-14 with 15-16 left 0x00
// (a payment cancellation).
enum class PaymentText { twoCharacters, tenCharacters };

PaymentRecord paymentRecord(uint8_t code, uint8_t position2, uint8_t position3,
                            uint8_t paymentType, PaymentText where, const char* text,
                            const char* amount);

}  // namespace ecf::receipt
