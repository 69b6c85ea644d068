// The fiscal receipt: items, corrections, subtotal, payments, closing and
// cancelling.
#include <cctype>

#include "firmware.h"

namespace ecfsim::fw {

namespace {

constexpr Money kMaxPrice = 999999999;  // nine digits

bool isTaxIndex(const Model& m, int index) {
    if (index >= 1 && index <= kTaxRates) return m.taxRates[static_cast<std::size_t>(index - 1)].programmed;
    return index == kTaxSubstitution || index == kTaxExempt || index == kTaxNotLevied;
}

// The status of a sale command in the current state, before its fields count.
Status saleAllowed(const Context& c) {
    switch (c.m.state) {
        case DocState::idle: return dayAllowsSales(c);
        case DocState::receiptOpen: return Status::accepted;
        case DocState::nonFiscal:
        case DocState::linkedVoucher: return Status::documentOpen;
        default: return Status::wrongState;  // subtotalled: no more items
    }
}

void openReceipt(Context& c) {
    Model& m = c.m;
    m.receipt = Receipt{};
    m.receipt.coo = nextCoo(c);
    m.receipt.ccf = ++m.counters.ccf;
    m.receipt.opened = c.now;
    m.drawerOpen = false;
    m.state = DocState::receiptOpen;
    markMovement(c);
    printDocumentHeader(c, "CUPOM FISCAL");
    c.paper.columns("CCF:" + zeroPadded(m.receipt.ccf, 6), "COO:" + zeroPadded(m.receipt.coo, 6));
    c.paper.line("ITEM CODIGO DESCRICAO");
    c.paper.columns("QTD. UN. VL.UNIT(R$)  ST", "VL.ITEM(R$)");
    c.paper.rule();
}

Status registerItem(Context& c, Item item, bool roundHalfUp) {
    if (Status s = saleAllowed(c); s != Status::accepted) return s;
    if (item.unitPrice <= 0 || item.unitPrice > kMaxPrice || item.quantity <= 0)
        return Status::badField;
    if (!isTaxIndex(c.m, item.taxIndex)) return Status::notProgrammed;
    if (c.m.receipt.items.size() >= kMaxItems && c.m.state == DocState::receiptOpen)
        return Status::receiptFull;

    const Money exact = item.quantity * item.unitPrice;  // thousandths of a centavo
    item.total = exact / 1000 + (roundHalfUp && exact % 1000 >= 500 ? 1 : 0);
    if (c.m.state == DocState::idle) openReceipt(c);
    Receipt& r = c.m.receipt;
    item.number = static_cast<uint32_t>(r.items.size() + 1);

    std::string first = zeroPadded(item.number, 3) + " ";
    if (!item.code.empty()) first += item.code + " ";
    c.paper.line(first + item.description);
    const std::string unit = item.unit.empty() ? "UN" : item.unit;
    c.paper.columns("    " + quantityText(item.quantity) + " " + unit + " x " +
                        money(item.unitPrice) + "  " + taxLabel(c.m, item.taxIndex),
                    money(item.total));
    r.items.push_back(std::move(item));
    return Status::accepted;
}

std::optional<int> taxIndexAt(const Record& r, std::size_t pos) {
    const auto v = digitsOf(r, pos, 2);
    if (!v) return std::nullopt;
    return static_cast<int>(*v);
}

// A quantity part: blanks, then digits; all blanks is 0.
std::optional<int64_t> quantityPart(const Record& r, std::size_t pos) {
    const std::string_view f = fieldOf(r, pos, 3);
    if (f == "   ") return 0;
    return numberOf(r, pos, 3);
}

// The item named by a text: its number, or else the last live item whose
// code or description is that text.
Item* findItem(Receipt& receipt, const std::string& name) {
    if (name.empty()) {
        for (auto it = receipt.items.rbegin(); it != receipt.items.rend(); ++it)
            if (!it->cancelled) return &*it;
        return nullptr;
    }
    bool digits = true;
    for (char ch : name) digits = digits && std::isdigit(static_cast<unsigned char>(ch)) != 0;
    if (digits && name.size() <= 6) {
        const auto n = static_cast<std::size_t>(std::stoul(name));
        if (n >= 1 && n <= receipt.items.size() && !receipt.items[n - 1].cancelled)
            return &receipt.items[n - 1];
        return nullptr;
    }
    for (auto it = receipt.items.rbegin(); it != receipt.items.rend(); ++it)
        if (!it->cancelled && (it->code == name || it->description == name)) return &*it;
    return nullptr;
}

Status itemCorrectionAllowed(const Context& c) {
    switch (c.m.state) {
        case DocState::receiptOpen: return Status::accepted;
        case DocState::idle: return Status::noDocument;
        case DocState::nonFiscal:
        case DocState::linkedVoucher: return Status::documentOpen;
        default: return Status::wrongState;
    }
}

Status cancelItem(Context& c, Item* item, const std::string& reason) {
    if (item == nullptr) return Status::itemNotFound;
    item->cancelled = true;
    c.paper.columns("CANCELAMENTO ITEM " + zeroPadded(item->number, 3),
                    "-" + money(item->total - item->discount));
    if (!reason.empty()) c.paper.line(reason);
    return Status::accepted;
}

Status discountItem(Context& c, const Record& r) {
    if (Status s = itemCorrectionAllowed(c); s != Status::accepted) return s;
    const auto value = numberOf(r, 70, 9);
    if (!value || *value == 0) return Status::badField;
    Item* item = findItem(c.m.receipt, textOf(r, 5, 60));
    if (item == nullptr) return Status::itemNotFound;
    if (item->discount != 0) return Status::wrongState;
    const bool percent = r[4] == 1;
    if (percent && *value >= 10000) return Status::amountTooLarge;
    const Money discount = percent ? percentOf(item->total, static_cast<uint32_t>(*value)) : *value;
    if (discount <= 0 || discount >= item->total) return Status::amountTooLarge;
    item->discount = discount;
    std::string label = "DESCONTO ITEM " + zeroPadded(item->number, 3);
    if (percent) label += " " + rateText(static_cast<uint32_t>(*value)) + "%";
    c.paper.columns(label, "-" + money(discount));
    return Status::accepted;
}

void printTotal(Context& c) {
    c.paper.columns("TOTAL R$", money(c.m.receipt.due()));
}

// Adds (sign +1) or takes back (-1) a receipt's payments in the totals of
// their types; the change leaves the cash drawer, so cash counts net of it.
void addPayments(Model& m, const Receipt& r, int sign) {
    for (const Payment& p : r.payments) {
        if (p.cancelled) continue;
        PaymentType& t = m.paymentTypes[static_cast<std::size_t>(p.type - 1)];
        t.dayTotal += sign * p.amount;
        t.shiftTotal += sign * p.amount;
    }
    PaymentType& cash = m.paymentTypes[kCashPaymentType - 1];
    cash.dayTotal -= sign * r.change();
    cash.shiftTotal -= sign * r.change();
}

// Adds a closed receipt to the day's totals.
void accumulate(Context& c, const Receipt& r) {
    Model& m = c.m;
    DayTotals& d = m.day;
    for (const Item& i : r.items) {
        if (i.cancelled) {
            d.cancelledItems += i.total;
            continue;
        }
        const Money net = i.total - i.discount;
        d.gross += i.total;
        d.itemDiscounts += i.discount;
        ++d.itemsSold;
        if (i.taxIndex >= 1 && i.taxIndex <= kTaxRates)
            m.taxRates[static_cast<std::size_t>(i.taxIndex - 1)].dayTotal += net;
        else if (i.taxIndex == kTaxSubstitution)
            d.substitution += net;
        else if (i.taxIndex == kTaxExempt)
            d.exempt += net;
        else
            d.notLevied += net;
    }
    d.subtotalDiscounts += r.subtotalDiscount;
    d.subtotalSurcharges += r.subtotalSurcharge;
    d.net += r.due();
    d.change += r.change();
    ++d.receipts;
    d.lastCoo = r.coo;
    addPayments(m, r, +1);
    m.grandTotal += r.gross();
}

// Takes a closed receipt back out of the day's totals; the grand total stays.
void reverse(Context& c, const Receipt& r) {
    Model& m = c.m;
    DayTotals& d = m.day;
    for (const Item& i : r.items) {
        if (i.cancelled) continue;
        const Money net = i.total - i.discount;
        if (i.taxIndex >= 1 && i.taxIndex <= kTaxRates)
            m.taxRates[static_cast<std::size_t>(i.taxIndex - 1)].dayTotal -= net;
        else if (i.taxIndex == kTaxSubstitution)
            d.substitution -= net;
        else if (i.taxIndex == kTaxExempt)
            d.exempt -= net;
        else
            d.notLevied -= net;
    }
    d.net -= r.due();
    addPayments(m, r, -1);
}

void noteCancelled(Context& c, Receipt& r) {
    r.cancelled = true;
    ++c.m.counters.cfc;
    ++c.m.day.cancelledReceiptCount;
    c.m.day.cancelledReceipts += r.gross();
}

// The last receipt may be cancelled while nothing was printed after it and
// its day is not reduced.
bool lastReceiptCancellable(const Context& c) {
    const Model& m = c.m;
    const Receipt& r = m.lastReceipt;
    return r.coo != 0 && !r.cancelled && m.lastDocumentCoo == r.coo && m.day.hasMovement() &&
           r.coo >= m.day.firstCoo;
}

}  // namespace

std::string taxLabel(const Model& m, int index) {
    if (index == kTaxSubstitution) return "F1";
    if (index == kTaxExempt) return "I1";
    if (index == kTaxNotLevied) return "N1";
    const TaxRate& t = m.taxRates[static_cast<std::size_t>(index - 1)];
    return std::string(1, t.kind) + zeroPadded(static_cast<uint64_t>(index), 2);
}

// The two price-and-description sales differ only in where their fields lie.
struct PricedItemLayout {
    std::size_t description, descriptionWidth, price, taxIndex;
};

Status sellPricedItem(Context& c, const Record& r, const PricedItemLayout& at) {
    const auto price = numberOf(r, at.price, 9);
    const auto index = taxIndexAt(r, at.taxIndex);
    if (!price || !index) return Status::badField;
    Item item;
    item.description = textOf(r, at.description, at.descriptionWidth);
    item.unitPrice = *price;
    item.taxIndex = *index;
    return registerItem(c, std::move(item), false);
}

Status sellItem(Context& c, const Record& r) { return sellPricedItem(c, r, {4, 60, 69, 78}); }

Status sellItemLong(Context& c, const Record& r) { return sellPricedItem(c, r, {2, 78, 80, 89}); }

Status sellItemQuantity(Context& c, const Record& r) {
    const auto whole = quantityPart(r, 82);
    const auto thousandths = quantityPart(r, 86);
    const auto price = numberOf(r, 102, 9);
    const auto index = taxIndexAt(r, 111);
    if (!whole || !thousandths || !price || !index || r[85] != ',' || r[89] != 'x')
        return Status::badField;
    Item item;
    item.code = textOf(r, 6, 13);
    item.description = textOf(r, 20, 62);
    item.quantity = *whole * 1000 + *thousandths;
    std::string unit = textOf(r, 90, 2);
    while (!unit.empty() && unit.front() == ' ') unit.erase(0, 1);
    item.unit = unit;
    item.unitPrice = *price;
    item.taxIndex = *index;
    // Position 101: 'A' rounds the item total half up; anything else truncates.
    return registerItem(c, std::move(item), r[101] == 'A' || r[101] == 'a');
}

Status itemOperation(Context& c, const Record& r) {
    switch (r[2]) {
        case 1: {
            if (Status s = itemCorrectionAllowed(c); s != Status::accepted) return s;
            const std::string name = textOf(r, 5, 60);
            if (name.empty()) return Status::badField;
            return cancelItem(c, findItem(c.m.receipt, name), {});
        }
        case 3: return discountItem(c, r);
        default: return Status::badField;
    }
}

Status cancelItemByNumber(Context& c, const Record& r) {
    if (Status s = itemCorrectionAllowed(c); s != Status::accepted) return s;
    std::string number = textOf(r, 2, 4);
    while (!number.empty() && number.front() == ' ') number.erase(0, 1);
    for (char ch : number)
        if (!std::isdigit(static_cast<unsigned char>(ch))) return Status::badField;
    return cancelItem(c, findItem(c.m.receipt, number), textOf(r, 6, 30));
}

Status subtotal(Context& c, const Record&) {
    Model& m = c.m;
    switch (m.state) {
        case DocState::idle: return Status::noDocument;
        case DocState::nonFiscal:
        case DocState::linkedVoucher: return Status::documentOpen;
        case DocState::receiptOpen:
            m.state = m.receipt.due() > 0 ? DocState::subtotalled : DocState::paid;
            break;
        default: break;  // asked again: printed again
    }
    c.paper.columns("SUBTOTAL R$", money(m.receipt.due()));
    return Status::accepted;
}

Status subtotalAdjustment(Context& c, const Record& r) {
    Model& m = c.m;
    switch (m.state) {
        case DocState::subtotalled: break;
        case DocState::idle: return Status::noDocument;
        case DocState::receiptOpen: return Status::noSubtotal;
        case DocState::nonFiscal:
        case DocState::linkedVoucher: return Status::documentOpen;
        default: return Status::wrongState;  // payments have begun
    }
    const uint8_t kind = r[2];
    const uint8_t operation = r[3];
    const bool discount = kind == 1 || kind == 'D' || kind == 'd';
    const bool surcharge = kind == 2 || kind == 'A' || kind == 'a';
    const bool apply = operation == 0;
    const bool cancel = operation == 1 || operation == 'C' || operation == 'c';
    if ((!discount && !surcharge) || (!apply && !cancel)) return Status::badField;
    Receipt& receipt = m.receipt;
    Money& adjustment = discount ? receipt.subtotalDiscount : receipt.subtotalSurcharge;
    const char* label = discount ? "DESCONTO SUBTOTAL" : "ACRESCIMO SUBTOTAL";

    if (cancel) {
        if (adjustment == 0) return Status::nothingToCancel;
        c.paper.columns(std::string("CANCELAMENTO ") + label, money(adjustment));
        adjustment = 0;
    } else {
        const auto value = numberOf(r, 29, 10);
        if (!value || *value == 0) return Status::badField;
        if (adjustment != 0) return Status::wrongState;
        if (discount && *value >= receipt.due()) return Status::amountTooLarge;
        adjustment = *value;
        c.paper.columns(label, std::string(discount ? "-" : "+") + money(*value));
        if (const std::string text = textOf(r, 4, 22); !text.empty()) c.paper.line(text);
    }
    c.paper.columns("SUBTOTAL R$", money(receipt.due()));
    return Status::accepted;
}

Status payment(Context& c, const Record& r, bool term) {
    Model& m = c.m;
    switch (m.state) {
        case DocState::subtotalled:
        case DocState::paying:
        case DocState::paid: break;
        case DocState::idle: return Status::noDocument;
        case DocState::receiptOpen: return Status::noSubtotal;
        default: return Status::documentOpen;
    }
    const uint8_t operation = r[2];
    const int type = r[4];
    if (operation > 1) return Status::badField;
    const auto amount = numberOf(r, 17, 10);
    if (!amount) return Status::badField;
    if (type < 1 || type > kPaymentTypes || !m.paymentTypes[static_cast<std::size_t>(type - 1)].programmed)
        return Status::notProgrammed;
    const std::string& name = m.paymentTypes[static_cast<std::size_t>(type - 1)].name;
    Receipt& receipt = m.receipt;

    if (operation == 1) {  // cancel a payment of this type (of this amount, if given)
        if (m.state == DocState::subtotalled) return Status::nothingToCancel;
        for (auto it = receipt.payments.rbegin(); it != receipt.payments.rend(); ++it) {
            if (it->cancelled || it->type != type || it->term != term) continue;
            if (*amount != 0 && it->amount != *amount) continue;
            it->cancelled = true;
            c.paper.columns("ESTORNO " + name, "-" + money(it->amount));
            const Money paid = receipt.paid();
            m.state = paid >= receipt.due() ? DocState::paid
                      : paid > 0            ? DocState::paying
                                            : DocState::subtotalled;
            return Status::accepted;
        }
        return Status::nothingToCancel;
    }

    if (m.state == DocState::paid) return Status::wrongState;
    if (*amount == 0) return Status::badField;
    if (receipt.payments.size() >= kMaxPayments) return Status::receiptFull;
    const Money remaining = receipt.due() - receipt.paid();
    if (type != kCashPaymentType && *amount > remaining) return Status::amountTooLarge;
    if (*amount > kMaxPrice * 10) return Status::amountTooLarge;

    Payment p;
    p.type = type;
    p.amount = *amount;
    p.term = term;
    p.text = textOf(r, 5, 10);
    const std::string code = textOf(r, 15, 2);
    receipt.payments.push_back(p);
    std::string label = name;
    if (term) label += r[3] > 1 ? " A PRAZO " + std::to_string(r[3]) + "x" : " A PRAZO";
    c.paper.columns(label, money(*amount));
    if (!p.text.empty() || !code.empty()) c.paper.line("  " + p.text + (code.empty() ? "" : " " + code));
    if (receipt.paid() >= receipt.due()) {
        m.state = DocState::paid;
        if (receipt.change() > 0) c.paper.columns("TROCO R$", money(receipt.change()));
    } else {
        m.state = DocState::paying;
    }
    return Status::accepted;
}

Status endTransaction(Context& c, const Record& r) {
    Model& m = c.m;
    switch (m.state) {
        case DocState::paid: break;
        case DocState::nonFiscal:
        case DocState::linkedVoucher: return closeDocument(c, r);
        case DocState::idle: return Status::noDocument;
        default: return Status::notFullyPaid;
    }
    Receipt& receipt = m.receipt;
    c.paper.rule();
    printTotal(c);
    if (receipt.change() > 0) c.paper.columns("TROCO R$", money(receipt.change()));
    if (const std::string text = textOf(r, 4, 8); !text.empty()) c.paper.line(text);
    accumulate(c, receipt);
    printDocumentFooter(c);
    m.lastReceipt = std::move(receipt);
    m.receipt = Receipt{};
    m.state = DocState::idle;
    return Status::accepted;
}

Status cancelReceipt(Context& c, const Record& r) {
    Model& m = c.m;
    switch (m.state) {
        case DocState::nonFiscal:
        case DocState::linkedVoucher: return Status::documentOpen;
        case DocState::idle: {
            if (!lastReceiptCancellable(c)) return Status::nothingToCancel;
            Receipt& last = m.lastReceipt;
            reverse(c, last);
            noteCancelled(c, last);
            nextCoo(c);
            printDocumentHeader(c, "CUPOM FISCAL CANCELADO");
            c.paper.columns("COO DO CUPOM CANCELADO:", zeroPadded(last.coo, 6));
            c.paper.columns("VALOR DO CUPOM R$", money(last.due()));
            break;
        }
        default: {
            Receipt& open = m.receipt;
            c.paper.rule();
            c.paper.centred("CUPOM FISCAL CANCELADO");
            c.paper.columns("TOTAL R$", money(open.due()));
            noteCancelled(c, open);
            m.lastReceipt = std::move(open);
            m.receipt = Receipt{};
            m.state = DocState::idle;
            break;
        }
    }
    if (const std::string text = textOf(r, 4, 8); !text.empty()) c.paper.line(text);
    printDocumentFooter(c);
    return Status::accepted;
}

Status cancelDocument(Context& c, const Record& r) {
    switch (c.m.state) {
        case DocState::nonFiscal:
        case DocState::linkedVoucher: return cancelOpenDocument(c);
        default: return cancelReceipt(c, r);
    }
}

Status openDrawer(Context& c, const Record&) {
    c.m.drawerOpen = true;
    ++c.m.counters.drawerOpenings;
    return Status::accepted;
}

}  // namespace ecfsim::fw
