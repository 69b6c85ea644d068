// The register of every record the library sends and every reply of fixed
// layout it reads: what reads a record or a reply back (a trace, a test)
// finds its layout here.
#include <algorithm>
#include <iterator>

#include "../cheque/commands.h"
#include "../fiscaldata/fiscal_memory.h"
#include "../fiscaldata/x_reading.h"
#include "../program/clock_header.h"
#include "../program/readings.h"
#include "../program/tables.h"
#include "../receipt/corrections.h"
#include "../receipt/documents.h"
#include "../receipt/payment.h"
#include "../receipt/sale.h"
#include "../status/query.h"
#include "layout.h"

namespace ecf {

namespace {

// By subsystem; the status queries' records come with their queries.
constexpr const Layout* kCommands[] = {
    &receipt::kVendaItem,       &receipt::kVendaItem78,     &receipt::kQuantityItem,
    &receipt::kItemOperation,   &receipt::kCancItemDef,     &receipt::kCancAcresDescSubTotal,
    &receipt::kSubTotal,        &receipt::kPagamento,       &receipt::kPrazoCancPrazo,
    &receipt::kFimTrans,        &receipt::kCancDoc,         &receipt::kCancVenda,
    &receipt::kAbreGaveta,      &receipt::kImpCab,          &receipt::kInicCupomNFiscal,
    &receipt::kInicCNFVinculado, &receipt::kLineFeed,       &receipt::kAutentica,
    &receipt::kFreeLine,        &program::kLXGerencial,     &program::kRZGerencial,
    &program::kReducaoZ,        &program::kLeituraX,        &program::kAcertaData,
    &program::kCabLoja,         &program::kProgHeader30,    &program::kDescriEmpresa,
    &program::kCargaTabAliq,    &program::kCargaAliqSelect, &program::kPayPatterns,
    &program::kProgNFComprov,   &program::kCargaCodCripto,  &program::kPrgCod,
    &program::kGrava,           &fiscaldata::kCountQuery,   &fiscaldata::kReadOut,
    &fiscaldata::kLeituraXSerial, &cheque::kLinhaCheque,    &cheque::kChequeKorvan,
};

constexpr const status::Query* kQueries[] = {
    &status::kPrinterStatus,     &status::kReceiptStatus,   &status::kTaxRateStatus,
    &status::kPaymentTypeStatus, &status::kDocumentStatus,  &status::kEquipmentStatus,
    &status::kUserData,          &status::kChangeStatus,    &status::kLinkedStatus,
};

std::vector<const Layout*> allCommandLayouts() {
    std::vector<const Layout*> all(std::begin(kCommands), std::end(kCommands));
    for (const status::Query* q : kQueries) {
        all.push_back(&q->textRecord.layout);
        if (&q->paramRecord.layout != &q->textRecord.layout) all.push_back(&q->paramRecord.layout);
    }
    return all;
}

// Whether the record holds the layout's fixed bytes and code.
bool holdsFixedBytes(const Layout& layout, const uint8_t* record, std::size_t length) {
    const std::vector<FieldValue> fields = readRecord(layout, record, length);
    return std::all_of(fields.begin(), fields.end(),
                       [](const FieldValue& f) { return f.asLaidOut; });
}

}  // namespace

Table<const Layout*> commandLayouts() {
    static const std::vector<const Layout*> all = allCommandLayouts();
    return {all.data(), all.size()};
}

const Layout* layoutFor(uint8_t code, std::size_t length) {
    for (const Layout* layout : commandLayouts())
        if (layout != &receipt::kFreeLine && layout->code == code && layout->length == length)
            return layout;
    return nullptr;
}

const Layout* layoutOf(const uint8_t* record, std::size_t length) {
    if (length == 0) return nullptr;
    if (record[0] == kFreeLineLeadByte)
        return length == receipt::kFreeLine.length ? &receipt::kFreeLine : nullptr;
    if (record[0] != kLeadByte || length < 2) return nullptr;
    const Layout* first = nullptr;
    for (const Layout* layout : commandLayouts()) {
        if (layout == &receipt::kFreeLine || layout->code != record[1] || layout->length != length)
            continue;
        if (holdsFixedBytes(*layout, record, length)) return layout;
        if (first == nullptr) first = layout;
    }
    return first;
}

std::vector<ReplyLayout> replyLayouts() {
    std::vector<ReplyLayout> all;
    for (const status::Query* q : kQueries) {
        const Layout& text = q->textRecord.layout;
        all.push_back({text.senders, text.code, q->textReplyLength, q->fields});
        if (q->paramReplyLength != q->textReplyLength)
            all.push_back({q->paramRecord.layout.senders, text.code, q->paramReplyLength, q->fields});
    }
    all.push_back(fiscaldata::kXReadingReply);
    all.push_back(fiscaldata::kCountReply);
    return all;
}

std::optional<ReplyLayout> replyLayoutFor(uint8_t code, std::size_t length) {
    for (const ReplyLayout& layout : replyLayouts())
        if (layout.code == code && layout.length == length) return layout;
    return std::nullopt;
}

}  // namespace ecf
