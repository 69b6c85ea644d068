// The printer's command handlers. Each reads its record field by field, checks
// the state it needs, changes the model, prints, and returns its status byte
// (commands) or its reply record (queries).
#pragma once

#include "ecfsim/model.h"
#include "ecfsim/paper.h"
#include "ecfsim/register.h"
#include "ecfsim/status.h"
#include "fields.h"

namespace ecfsim::fw {

struct Context {
    Model& m;
    Paper& paper;
    DateTime now;
};

// --- shared by the handlers (documents.cpp)
Date today(const Context& c);
uint32_t nextCoo(Context& c);
void printDocumentHeader(Context& c, std::string_view title);
void printDocumentFooter(Context& c);
// Whether the fiscal day lets a receipt open now.
Status dayAllowsSales(const Context& c);
void markMovement(Context& c);
// The status for a command that needs the printer idle.
Status needIdle(const Context& c);
std::string taxLabel(const Model& m, int index);
// Whether a linked voucher may still follow the last receipt: nothing but
// vouchers printed since, on the same fiscal day.
bool vouchersMayFollow(const Model& m);

// --- sale cycle (receipt.cpp)
Status sellItem(Context& c, const Record& r);        // 0xD2
Status sellItemLong(Context& c, const Record& r);    // 0xD6
Status sellItemQuantity(Context& c, const Record& r);// 0xD0
Status itemOperation(Context& c, const Record& r);   // 0xD3
Status cancelItemByNumber(Context& c, const Record& r);  // 0xD4
Status subtotal(Context& c, const Record& r);        // 0xD1
Status subtotalAdjustment(Context& c, const Record& r);  // 0xD9
Status payment(Context& c, const Record& r, bool term);  // 0xD5, 0xD8
Status endTransaction(Context& c, const Record& r);  // 0x06
Status cancelReceipt(Context& c, const Record& r);   // 0x07
Status cancelDocument(Context& c, const Record& r);  // 0xC7
Status openDrawer(Context& c, const Record& r);      // 0xFA

// --- non-fiscal documents, free lines, cheques (documents.cpp)
Status printHeader(Context& c, const Record& r);     // 0x01
Status openNonFiscal(Context& c, const Record& r);   // 0xDD
Status openLinkedVoucher(Context& c, const Record& r);  // 0xDE
Status freeLine(Context& c, const Record& r);        // lead byte n
Status lineFeed(Context& c, const Record& r);        // 0xEC
Status authenticate(Context& c, const Record& r);    // 0x6F
Status chequeLine(Context& c, const Record& r);      // 0xC0
Status chequeRecord(Context& c, const Record& r);    // 0xC1
// The amount in Portuguese words, in capitals: 150 -> "UM REAL E CINQUENTA CENTAVOS".
std::string amountInWords(Money centavos);
// Closes the open non-fiscal receipt or linked voucher.
Status closeDocument(Context& c, const Record& r);
Status cancelOpenDocument(Context& c);

// --- programming (programming.cpp)
Status setClock(Context& c, const Record& r);        // 0x16
Status storeHeader(Context& c, const Record& r);     // 0xDA
Status companyDescription(Context& c, const Record& r);  // 0x78
Status userRecord(Context& c, const Record& r);      // 0x1B
Status loadTaxRate(Context& c, const Record& r);     // 0x20
Status loadTaxRateWithKind(Context& c, const Record& r); // 0x22
Status programPaymentType(Context& c, const Record& r);  // 0x24
Status programDocument(Context& c, const Record& r); // 0x23
Status loadCipherCode(Context& c, const Record& r);  // 0x2A
Status programCode(Context& c, const Record& r);     // 0x21

// --- readings and the fiscal memory (readings.cpp)
Status readingX(Context& c, const Record& r);        // 0x14
Status reductionZ(Context& c, const Record& r);      // 0x13
Status managerialX(Context& c, const Record& r);     // 0x10
Status managerialZ(Context& c, const Record& r);     // 0x11
Bytes fiscalMemoryCount(Context& c, const Record& r);    // 0x26
Status printFiscalMemory(Context& c, const Record& r);   // 0x15, modes 1 and 2
Bytes sendFiscalMemory(Context& c, const Record& r);     // 0x15, modes above 2
Bytes readingXOverLine(Context& c, const Record& r); // 0x12

// --- status queries (queries.cpp)
Bytes printerStatus(Context& c, const Record& r);    // 0xDF
Bytes receiptStatus(Context& c, const Record& r);    // 0xE0
Bytes taxRateStatus(Context& c, const Record& r);    // 0xE1
Bytes paymentTypeStatus(Context& c, const Record& r);// 0xE2
Bytes documentStatus(Context& c, const Record& r);   // 0xE3
Bytes equipmentStatus(Context& c, const Record& r);  // 0xE4
Bytes userData(Context& c, const Record& r);         // 0xE5
Bytes changeStatus(Context& c, const Record& r);     // 0xE6
Bytes voucherStatus(Context& c, const Record& r);    // 0xE7

}  // namespace ecfsim::fw
