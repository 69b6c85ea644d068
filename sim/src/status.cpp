#include "ecfsim/status.h"

namespace ecfsim {

const char* meaningOf(uint8_t status) {
    switch (static_cast<Status>(status)) {
        case Status::accepted: return "accepted";
        case Status::frameCutShort: return "frame cut short";
        case Status::badChecksum: return "wrong checksum";
        case Status::unknownCommand: return "unknown command";
        case Status::badField: return "a field the command cannot take";
        case Status::notProgrammed: return "no such table entry";
        case Status::wrongState: return "not allowed now";
        case Status::noDocument: return "no document open";
        case Status::documentOpen: return "a document is open";
        case Status::dayClosed: return "today's Z reduction is done";
        case Status::reductionPending: return "a Z reduction is due";
        case Status::notFullyPaid: return "not fully paid";
        case Status::itemNotFound: return "no such item";
        case Status::amountTooLarge: return "amount too large";
        case Status::fiscalMemoryFull: return "fiscal memory full";
        case Status::noSubtotal: return "no subtotal yet";
        case Status::badClock: return "invalid date or time";
        case Status::nothingToCancel: return "nothing to cancel";
        case Status::dayHasMovement: return "the day has movement";
        case Status::noSuchReceipt: return "no receipt to link to";
        case Status::receiptFull: return "the receipt is full";
        case Status::memoryNotWritten: return "fiscal memory cannot be written";
        case Status::paperOut: return "paper out";
        case Status::coverOpen: return "cover open";
    }
    return "";
}

}  // namespace ecfsim
