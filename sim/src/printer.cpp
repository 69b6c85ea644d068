#include "ecfsim/printer.h"

#include <ctime>

#include "firmware.h"

namespace ecfsim {

int64_t systemSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

Printer::Printer(Model model, HostClock clock)
    : model_(std::move(model)), clock_(clock ? std::move(clock) : HostClock(systemSeconds)) {}

DateTime Printer::now() const { return localDateTime(clock_() + model_.clockOffset); }

Answer Printer::statusAnswer(Status s) {
    model_.lastStatus = byteOf(s);
    return Answer{{byteOf(s)}, s == Status::accepted};
}

std::optional<Status> Printer::mechanismStopped() const {
    if (conditions_.coverOpen) return Status::coverOpen;
    if (conditions_.paperOut) return Status::paperOut;
    return std::nullopt;
}

Answer Printer::answer(const FrameEvent& event) {
    switch (event.kind) {
        case FrameEvent::Kind::command: return execute(event.record);
        case FrameEvent::Kind::badChecksum: return statusAnswer(Status::badChecksum);
        case FrameEvent::Kind::unknownCode:
        case FrameEvent::Kind::badLead: return statusAnswer(Status::unknownCommand);
        case FrameEvent::Kind::cutShort: return statusAnswer(Status::frameCutShort);
    }
    return statusAnswer(Status::unknownCommand);
}

Answer Printer::execute(const std::vector<uint8_t>& record) {
    using namespace fw;
    if (record.empty()) return statusAnswer(Status::unknownCommand);
    Context c{model_, paper_, now()};
    if (record[0] == kFreeLineLead) {
        if (auto stopped = mechanismStopped()) return statusAnswer(*stopped);
        return statusAnswer(freeLine(c, record));
    }

    const CommandInfo* info = record.size() >= 2 && record[0] == kCommandLead
                                  ? findCommand(record[1])
                                  : nullptr;
    if (info == nullptr) return statusAnswer(Status::unknownCommand);
    if (record.size() != info->length && record.size() != info->longLength)
        return statusAnswer(Status::badField);
    // Everything answered by a status byte prints, or may: a stopped
    // mechanism refuses it; queries are still answered.
    const bool statusByte = info->answer == AnswerKind::statusByte ||
                            (info->answer == AnswerKind::readOut && record[2] <= 2);
    if (auto stopped = mechanismStopped(); stopped && statusByte) return statusAnswer(*stopped);

    switch (record[1]) {
        // Queries: a reply record, nothing changes.
        case 0x12: return {readingXOverLine(c, record)};
        case 0x26: return {fiscalMemoryCount(c, record)};
        case 0xDF: {
            Bytes reply = printerStatus(c, record);
            if (conditions_.paperNearEnd) reply[6] |= kFlagPaperNearEnd;
            if (conditions_.paperOut) reply[6] |= kFlagPaperOut;
            if (conditions_.coverOpen) reply[6] |= kFlagCoverOpen;
            return {reply};
        }
        case 0xE0: return {receiptStatus(c, record)};
        case 0xE1: return {taxRateStatus(c, record)};
        case 0xE2: return {paymentTypeStatus(c, record)};
        case 0xE3: return {documentStatus(c, record)};
        case 0xE4: return {equipmentStatus(c, record)};
        case 0xE5: return {userData(c, record)};
        case 0xE6: return {changeStatus(c, record)};
        case 0xE7: return {voucherStatus(c, record)};
        case 0x15:
            if (record[2] > 2) return {sendFiscalMemory(c, record)};
            return statusAnswer(record[2] == 0 ? Status::badField : printFiscalMemory(c, record));
        default: break;
    }

    Status s = Status::unknownCommand;
    switch (record[1]) {
        case 0x01: s = printHeader(c, record); break;
        case 0x06: s = endTransaction(c, record); break;
        case 0x07: s = cancelReceipt(c, record); break;
        case 0x10: s = managerialX(c, record); break;
        case 0x11: s = managerialZ(c, record); break;
        case 0x13: s = reductionZ(c, record); break;
        case 0x14: s = readingX(c, record); break;
        case 0x16: s = setClock(c, record); break;
        case 0x1B: s = userRecord(c, record); break;
        case 0x20: s = loadTaxRate(c, record); break;
        case 0x21: s = programCode(c, record); break;
        case 0x22: s = loadTaxRateWithKind(c, record); break;
        case 0x23: s = programDocument(c, record); break;
        case 0x24: s = programPaymentType(c, record); break;
        case 0x2A: s = loadCipherCode(c, record); break;
        case 0x6F: s = authenticate(c, record); break;
        case 0x78: s = companyDescription(c, record); break;
        case 0xC0: s = chequeLine(c, record); break;
        case 0xC1: s = chequeRecord(c, record); break;
        case 0xC7: s = cancelDocument(c, record); break;
        case 0xD0: s = sellItemQuantity(c, record); break;
        case 0xD1: s = subtotal(c, record); break;
        case 0xD2: s = sellItem(c, record); break;
        case 0xD3: s = itemOperation(c, record); break;
        case 0xD4: s = cancelItemByNumber(c, record); break;
        case 0xD5: s = payment(c, record, false); break;
        case 0xD6: s = sellItemLong(c, record); break;
        case 0xD8: s = payment(c, record, true); break;
        case 0xD9: s = subtotalAdjustment(c, record); break;
        case 0xDA: s = storeHeader(c, record); break;
        case 0xDD: s = openNonFiscal(c, record); break;
        case 0xDE: s = openLinkedVoucher(c, record); break;
        case 0xEC: s = lineFeed(c, record); break;
        case 0xFA: s = openDrawer(c, record); break;
        default: break;
    }
    return statusAnswer(s);
}

}  // namespace ecfsim
