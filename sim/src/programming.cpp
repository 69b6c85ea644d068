// Programming: clock, header, company and owner, tables and codes.
#include "firmware.h"

namespace ecfsim::fw {

namespace {

// Tables may change only on a day without movement (a fresh day or after a Z).
Status tablesMayChange(const Context& c) {
    if (Status s = needIdle(c); s != Status::accepted) return s;
    return c.m.day.hasMovement() ? Status::dayHasMovement : Status::accepted;
}

// An index in a right-aligned field of width 2, within 1..count.
std::optional<std::size_t> tableIndex(const Record& r, std::size_t pos, int count) {
    const auto v = numberOf(r, pos, 2);
    if (!v || *v < 1 || *v > count) return std::nullopt;
    return static_cast<std::size_t>(*v - 1);
}

Status storeRate(Context& c, std::size_t slot, char kind, const Record& r, std::size_t ratePos) {
    const auto rate = numberOf(r, ratePos, 4);
    if (!rate) return Status::badField;
    TaxRate& t = c.m.taxRates[slot];
    t.programmed = true;
    t.kind = kind;
    t.rate = static_cast<uint32_t>(*rate);
    return Status::accepted;
}

}  // namespace

Status setClock(Context& c, const Record& r) {
    if (Status s = needIdle(c); s != Status::accepted) return s;
    const auto second = digitsOf(r, 2, 2);
    const auto minute = digitsOf(r, 4, 2);
    const auto hour = digitsOf(r, 6, 2);
    const auto day = digitsOf(r, 9, 2);
    const auto month = digitsOf(r, 11, 2);
    const auto year = digitsOf(r, 13, 2);
    if (!second || !minute || !hour || !day || !month || !year || r[8] != '0')
        return Status::badField;
    DateTime t{{2000 + static_cast<int>(*year), static_cast<int>(*month), static_cast<int>(*day)},
               static_cast<int>(*hour), static_cast<int>(*minute), static_cast<int>(*second)};
    if (!isValidDate(t.date) || t.hour > 23 || t.minute > 59 || t.second > 59)
        return Status::badClock;
    if (!c.m.lastReductionDate.empty() && t.date < c.m.lastReductionDate) return Status::badClock;
    if (c.m.day.hasMovement() && t.date < c.m.day.opened) return Status::badClock;
    // The clock runs on from the new time: keep its distance to the host's.
    c.m.clockOffset += secondsOf(t) - secondsOf(c.now);
    c.now = t;
    return Status::accepted;
}

Status storeHeader(Context& c, const Record& r) {
    if (Status s = needIdle(c); s != Status::accepted) return s;
    const auto number1 = digitsOf(r, 146, 4);
    const auto number2 = digitsOf(r, 150, 4);
    if (!number1 || !number2) return Status::badField;
    Header& h = c.m.header;
    h.lines = {textOf(r, 2, 48), textOf(r, 50, 48), textOf(r, 98, 48)};
    h.number1 = static_cast<uint32_t>(*number1);
    h.number2 = static_cast<uint32_t>(*number2);
    h.cgc = textOf(r, 154, 18);
    h.ie = textOf(r, 172, 15);
    h.extra = r.size() >= 202 ? textOf(r, 187, 15) : std::string();
    return Status::accepted;
}

Status companyDescription(Context& c, const Record& r) {
    Model& m = c.m;
    if (Status s = needIdle(c); s != Status::accepted) return s;
    const std::string name = textOf(r, 2, 30);
    const std::string cgc = padRight(textOf(r, 32, 18), 18);
    const std::string ie = padRight(textOf(r, 50, 15), 15);
    if (textOf(r, 32, 18).empty()) return Status::badField;
    Owner& current = m.owners.back();
    if (current.cgc == cgc && current.ie == ie) {  // same owner: a new name only
        m.companyName = name;
        current.name = name;
        return Status::accepted;
    }
    if (m.day.hasMovement()) return Status::dayHasMovement;
    if (m.owners.size() >= kMaxOwners) return Status::fiscalMemoryFull;
    current.ended = true;
    current.end = c.now;
    m.owners.push_back(Owner{cgc, ie, name, c.now, false, {}});
    m.companyName = name;
    nextCoo(c);
    printDocumentHeader(c, "ALTERACAO DE PROPRIETARIO");
    c.paper.line("PROPRIETARIO " + zeroPadded(m.owners.size(), 2));
    c.paper.line("CNPJ:" + cgc);
    c.paper.line("IE:" + ie);
    c.paper.line(name);
    printDocumentFooter(c);
    return Status::accepted;
}

Status userRecord(Context& c, const Record& r) {
    if (Status s = needIdle(c); s != Status::accepted) return s;
    c.m.userRecord = {textOf(r, 2, 8), textOf(r, 10, 4), textOf(r, 14, 1)};
    return Status::accepted;
}

Status loadTaxRate(Context& c, const Record& r) {
    if (Status s = tablesMayChange(c); s != Status::accepted) return s;
    const int index = r[2] - '0';  // '1'..'9', ':' for 10
    if (index < 1 || index > kTaxRates) return Status::notProgrammed;
    return storeRate(c, static_cast<std::size_t>(index - 1), 'T', r, 3);
}

Status loadTaxRateWithKind(Context& c, const Record& r) {
    if (Status s = tablesMayChange(c); s != Status::accepted) return s;
    const auto slot = tableIndex(r, 2, kTaxRates);
    if (!slot) return Status::notProgrammed;
    char kind = static_cast<char>(r[4]);
    if (kind == 't' || kind == 's') kind = static_cast<char>(kind - 'a' + 'A');
    if (kind != 'T' && kind != 'S') return Status::badField;
    return storeRate(c, *slot, kind, r, 5);
}

Status programPaymentType(Context& c, const Record& r) {
    if (Status s = tablesMayChange(c); s != Status::accepted) return s;
    const auto slot = tableIndex(r, 2, kPaymentTypes);
    if (!slot) return Status::notProgrammed;
    std::string name = textOf(r, 4, 20);
    if (name.empty()) return Status::badField;
    PaymentType& t = c.m.paymentTypes[*slot];
    t.programmed = true;
    t.name = std::move(name);
    return Status::accepted;
}

Status programDocument(Context& c, const Record& r) {
    if (Status s = tablesMayChange(c); s != Status::accepted) return s;
    const auto slot = tableIndex(r, 2, kNonFiscalDocuments);
    if (!slot) return Status::notProgrammed;
    std::string name = textOf(r, 4, 20);
    if (name.empty()) return Status::badField;
    NonFiscalDocument& d = c.m.documents[*slot];
    d.programmed = true;
    d.name = std::move(name);
    d.flags = std::string(fieldOf(r, 44, 5));
    d.code = std::string(fieldOf(r, 49, 2));
    return Status::accepted;
}

Status loadCipherCode(Context& c, const Record& r) {
    if (Status s = needIdle(c); s != Status::accepted) return s;
    std::string code(fieldOf(r, 2, 10));
    while (!code.empty() && code.front() == ' ') code.erase(0, 1);
    if (code.empty()) return Status::badField;
    c.m.cipherCode = std::move(code);
    return Status::accepted;
}

Status programCode(Context& c, const Record& r) {
    if (Status s = needIdle(c); s != Status::accepted) return s;
    c.m.programCode = r[2];
    return Status::accepted;
}

}  // namespace ecfsim::fw
