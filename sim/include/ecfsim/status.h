// The status byte the printer answers a command with. 0 is "accepted"; the
// error values avoid the codes the library returns of its own (1, 3, 4, 21,
// 22, 23, 66, 67), so that a caller can tell a printer refusal from those.
#pragma once

#include <cstdint>

namespace ecfsim {

enum class Status : uint8_t {
    accepted = 0,
    frameCutShort = 2,       // the line went quiet inside a frame
    badChecksum = 5,         // the frame's checksum byte is wrong
    unknownCommand = 6,      // unknown command code or lead byte
    badField = 8,            // a field holds something the command cannot take
    notProgrammed = 9,       // the index names no programmed table entry
    wrongState = 10,         // not allowed in the current document state
    noDocument = 11,         // needs an open document and none is open
    documentOpen = 12,       // a document is open; end or cancel it first
    dayClosed = 13,          // the Z reduction of today is done
    reductionPending = 14,   // the day that began on an earlier date needs its Z
    notFullyPaid = 15,       // closing before the payments cover the total
    itemNotFound = 16,       // no such item, or it is cancelled already
    amountTooLarge = 17,     // discount, payment or voucher over what it may be
    fiscalMemoryFull = 18,   // 20 owners, or 9999 reductions
    noSubtotal = 19,         // payment or adjustment before the subtotal
    badClock = 20,           // invalid date or time, or before the last Z
    nothingToCancel = 24,    // no document that may still be cancelled
    dayHasMovement = 25,     // programming that needs a day without movement
    noSuchReceipt = 26,      // a linked voucher names no receipt or payment it may follow
    receiptFull = 27,        // 999 items, or 99 payments, on one receipt
    memoryNotWritten = 28,   // the fiscal memory (the state file) cannot be written: nothing done
};

constexpr uint8_t byteOf(Status s) { return static_cast<uint8_t>(s); }

}  // namespace ecfsim
