// X reading, Z reduction, managerial readings and the fiscal memory.
#include "firmware.h"

namespace ecfsim::fw {

namespace {

void printOperator(Context& c, const Record& r) {
    if (const std::string op = textOf(r, 2, 8); !op.empty()) c.paper.line("OPERADOR: " + op);
}

Money taxDue(const TaxRate& t) { return percentOf(t.dayTotal, t.rate); }

// The day's totals as the X reading and the Z reduction print them.
void printDayTotals(Context& c) {
    const Model& m = c.m;
    const DayTotals& d = m.day;
    c.paper.columns("GRANDE TOTAL", money(m.grandTotal));
    c.paper.columns("VENDA BRUTA DIARIA", money(d.gross));
    c.paper.columns("CANCELAMENTOS ITEM", money(d.cancelledItems));
    c.paper.columns("CANCELAMENTOS CUPOM", money(d.cancelledReceipts));
    c.paper.columns("DESCONTOS ITEM", money(d.itemDiscounts));
    c.paper.columns("DESCONTOS SUBTOTAL", money(d.subtotalDiscounts));
    c.paper.columns("ACRESCIMOS SUBTOTAL", money(d.subtotalSurcharges));
    c.paper.columns("VENDA LIQUIDA", money(d.net));
    c.paper.rule();
    c.paper.centred("TOTALIZADORES PARCIAIS");
    for (int i = 1; i <= kTaxRates; ++i) {
        const TaxRate& t = m.taxRates[static_cast<std::size_t>(i - 1)];
        if (!t.programmed) continue;
        c.paper.columns(taxLabel(m, i) + " " + rateText(t.rate) + "%  " + money(taxDue(t)),
                        money(t.dayTotal));
    }
    c.paper.columns("F1 SUBSTITUICAO TRIBUTARIA", money(d.substitution));
    c.paper.columns("I1 ISENTO", money(d.exempt));
    c.paper.columns("N1 NAO INCIDENCIA", money(d.notLevied));
    c.paper.rule();
    c.paper.centred("MEIOS DE PAGAMENTO");
    for (const PaymentType& p : m.paymentTypes)
        if (p.programmed) c.paper.columns(p.name, money(p.dayTotal));
    c.paper.columns("TROCO", money(d.change));
    c.paper.rule();
    c.paper.columns("CUPONS FISCAIS", std::to_string(d.receipts));
    c.paper.columns("CUPONS CANCELADOS", std::to_string(d.cancelledReceiptCount));
    c.paper.columns("COMPROVANTES NAO-FISCAIS", std::to_string(d.nonFiscalDocuments));
    c.paper.columns("COO INICIAL", zeroPadded(d.firstCoo, 6));
    c.paper.columns("COO FINAL", zeroPadded(m.counters.coo, 6));
    c.paper.columns("CRZ", zeroPadded(m.counters.crz, 4));
    c.paper.columns("CRO", zeroPadded(m.counters.cro, 4));
    c.paper.columns("GNF", zeroPadded(m.counters.gnf, 6));
    c.paper.columns("CCF", zeroPadded(m.counters.ccf, 6));
}

void printShiftTotals(Context& c) {
    const Model& m = c.m;
    c.paper.centred("MEIOS DE PAGAMENTO");
    for (const PaymentType& p : m.paymentTypes)
        if (p.programmed) c.paper.columns(p.name, money(p.shiftTotal));
    c.paper.centred("COMPROVANTES NAO-FISCAIS");
    for (const NonFiscalDocument& d : m.documents)
        if (d.programmed) c.paper.columns(d.name, std::to_string(d.shiftCount));
    c.paper.columns("REDUCOES GERENCIAIS", zeroPadded(m.counters.managerialReductions, 4));
}

// Starts a reading: a document of its own.
void startReading(Context& c, std::string_view title, const Record& r) {
    nextCoo(c);
    ++c.m.counters.gnf;
    printDocumentHeader(c, title);
    printOperator(c, r);
    c.paper.rule();
}

// A DDMMYY date; years 70 to 99 are the 1900s.
std::optional<Date> shortDate(const Record& r, std::size_t pos) {
    const auto day = digitsOf(r, pos, 2);
    const auto month = digitsOf(r, pos + 2, 2);
    const auto year = digitsOf(r, pos + 4, 2);
    if (!day || !month || !year) return std::nullopt;
    const Date d{static_cast<int>(*year < 70 ? 2000 + *year : 1900 + *year),
                 static_cast<int>(*month), static_cast<int>(*day)};
    if (!isValidDate(d)) return std::nullopt;
    return d;
}

struct Selection {
    bool valid = false;
    std::vector<const Reduction*> reductions;
};

// The reductions a selection record names: by date (modes 1, 3) or by
// number (modes 2, 4). Every selection holds all the owners.
Selection select(const Model& m, const Record& r) {
    Selection s;
    const uint8_t mode = r[2];
    if (mode == 1 || mode == 3) {
        const auto from = shortDate(r, 3);
        const auto to = shortDate(r, 9);
        if (!from || !to) return s;
        for (const Reduction& z : m.reductions)
            if (!(z.when.date < *from) && !(*to < z.when.date)) s.reductions.push_back(&z);
    } else if (mode == 2 || mode == 4) {
        const auto from = digitsOf(r, 15, 4);
        const auto to = digitsOf(r, 19, 4);
        if (!from || !to) return s;
        for (const Reduction& z : m.reductions)
            if (z.number >= *from && z.number <= *to) s.reductions.push_back(&z);
    } else {
        return s;
    }
    s.valid = true;
    return s;
}

std::string ownerRecord(const Owner& o) {
    std::string rec = padRight(o.cgc, 18) + padRight(o.ie, 15) + dateText(o.start.date, false) +
                      timeText(o.start, false);
    if (o.ended)
        rec += dateText(o.end.date, false) + timeText(o.end, false);
    else
        rec += std::string(13, ' ');
    return rec;
}

std::string reductionRecord(const Reduction& z) {
    return zeroPadded(z.number, 4) + zeroPadded(z.restart, 4) + dateText(z.when.date, false) +
           timeText(z.when, false) + zeroPadded(static_cast<uint64_t>(z.total), 20);
}

}  // namespace

Status readingX(Context& c, const Record& r) {
    if (Status s = needIdle(c); s != Status::accepted) return s;
    startReading(c, "LEITURA X", r);
    printDayTotals(c);
    printDocumentFooter(c);
    return Status::accepted;
}

Status reductionZ(Context& c, const Record& r) {
    Model& m = c.m;
    if (Status s = needIdle(c); s != Status::accepted) return s;
    // The day reduced is the day of its movement, or today when it had none.
    const Date reduced = m.day.hasMovement() ? m.day.opened : today(c);
    if (!m.lastReductionDate.empty() && !(m.lastReductionDate < reduced)) return Status::dayClosed;
    if (m.reductions.size() >= kMaxReductions) return Status::fiscalMemoryFull;
    nextCoo(c);
    const uint32_t number = ++m.counters.crz;
    printDocumentHeader(c, "REDUCAO Z");
    printOperator(c, r);
    c.paper.columns("MOVIMENTO DO DIA", dateText(reduced));
    c.paper.rule();
    printDayTotals(c);
    printDocumentFooter(c);
    m.reductions.push_back(Reduction{number, m.counters.cro, c.now, m.day.gross});
    m.lastReductionDate = reduced;
    clearDay(m);
    return Status::accepted;
}

Status managerialX(Context& c, const Record& r) {
    if (Status s = needIdle(c); s != Status::accepted) return s;
    startReading(c, "LEITURA X GERENCIAL", r);
    printShiftTotals(c);
    printDocumentFooter(c);
    return Status::accepted;
}

Status managerialZ(Context& c, const Record& r) {
    Model& m = c.m;
    if (Status s = needIdle(c); s != Status::accepted) return s;
    ++m.counters.managerialReductions;
    startReading(c, "REDUCAO GERENCIAL", r);
    printShiftTotals(c);
    printDocumentFooter(c);
    for (PaymentType& p : m.paymentTypes) p.shiftTotal = 0;
    for (NonFiscalDocument& d : m.documents) d.shiftCount = 0;
    return Status::accepted;
}

Bytes fiscalMemoryCount(Context& c, const Record& r) {
    const Selection s = select(c.m, r);
    const std::size_t owners = s.valid ? c.m.owners.size() : 0;
    Reply reply(9);
    reply.byte(0, s.valid ? 0x06 : 0x15).byte(1, 0x26).byte(2, r[2]);
    reply.number(3, 2, owners).number(5, 4, s.reductions.size());
    return reply.take();
}

Status printFiscalMemory(Context& c, const Record& r) {
    if (Status s = needIdle(c); s != Status::accepted) return s;
    const Selection s = select(c.m, r);
    if (!s.valid) return Status::badField;
    startReading(c, "LEITURA DA MEMORIA FISCAL", r);
    c.paper.centred("PROPRIETARIOS");
    for (const Owner& o : c.m.owners) {
        c.paper.line("CNPJ:" + o.cgc + " IE:" + o.ie);
        c.paper.line("  DE " + dateText(o.start.date) + " " + timeText(o.start, false) +
                     (o.ended ? " ATE " + dateText(o.end.date) + " " + timeText(o.end, false) : ""));
    }
    c.paper.rule();
    c.paper.line("CRZ  CRO  DATA       HORA");
    Money sum = 0;
    for (const Reduction* z : s.reductions) {
        c.paper.columns(zeroPadded(z->number, 4) + " " + zeroPadded(z->restart, 4) + " " +
                            dateText(z->when.date) + " " + timeText(z->when, false),
                        money(z->total));
        sum += z->total;
    }
    c.paper.rule();
    c.paper.columns("TOTAL DO PERIODO", money(sum));
    printDocumentFooter(c);
    return Status::accepted;
}

Bytes sendFiscalMemory(Context& c, const Record& r) {
    const Selection s = select(c.m, r);
    const std::size_t u = s.valid ? c.m.owners.size() : 0;
    const std::size_t n = s.reductions.size();
    Bytes out;
    out.reserve(59 * u + 41 * n + 32);
    auto append = [&out](const std::string& text) { out.insert(out.end(), text.begin(), text.end()); };
    append("FM" + zeroPadded(u, 2) + " ");
    for (std::size_t i = 0; i < u; ++i) append(ownerRecord(c.m.owners[i]));
    append("R" + zeroPadded(n, 4));
    Money sum = 0;
    for (const Reduction* z : s.reductions) {
        append(reductionRecord(*z));
        sum += z->total;
    }
    if (n > 0) append(zeroPadded(static_cast<uint64_t>(sum), 20));
    append("\r\n");
    return out;
}

Bytes readingXOverLine(Context& c, const Record&) {
    const Model& m = c.m;
    const DayTotals& d = m.day;
    const auto u = [](Money v) { return static_cast<uint64_t>(v < 0 ? 0 : v); };
    Reply reply(747);
    reply.byte(0, 0x06).byte(1, 0x12);
    reply.number(3, 4, m.counters.crz)
        .text(7, 8, dateText(c.now.date, false))
        .number(15, 4, m.counters.cro)
        .number(19, 6, m.counters.coo)
        .number(25, 6, m.counters.gnf)
        .number(31, 6, m.counters.ccf)
        .number(37, 21, u(m.grandTotal))
        .number(58, 21, u(d.gross))
        .number(79, 21, u(d.cancelledReceipts))
        .number(100, 21, u(d.itemDiscounts + d.subtotalDiscounts))
        .number(121, 18, u(d.substitution))
        .number(139, 18, u(d.exempt))
        .number(157, 18, u(d.notLevied));
    for (std::size_t k = 0; k < kTaxRates; ++k) {
        const TaxRate& t = m.taxRates[k];
        const std::size_t at = 175 + 41 * k;
        if (t.programmed)
            reply.text(at, 5, std::string(1, t.kind) + zeroPadded(t.rate, 4));
        reply.number(at + 5, 18, u(t.dayTotal)).number(at + 23, 18, u(taxDue(t)));
    }
    Money others = 0;
    for (std::size_t i = 1; i < m.paymentTypes.size(); ++i) others += m.paymentTypes[i].dayTotal;
    reply.number(585, 6, d.receipts)
        .number(591, 6, d.cancelledReceiptCount)
        .number(597, 6, d.nonFiscalDocuments)
        .number(603, 18, u(d.subtotalSurcharges))
        .number(621, 18, u(d.net))
        .number(639, 18, u(d.change))
        .number(657, 18, u(d.linkedVouchers))
        .number(675, 18, u(m.paymentTypes[0].dayTotal))
        .number(693, 18, u(others))
        .number(711, 18, u(d.cancelledItems))
        .number(729, 9, d.firstCoo)
        .number(738, 9, m.counters.coo);
    return reply.take();
}

}  // namespace ecfsim::fw
