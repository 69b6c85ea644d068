// What every document shares (counters, header, footer, the fiscal day), the
// non-fiscal documents, free lines and cheques.
#include <array>

#include "firmware.h"

namespace ecfsim::fw {

Date today(const Context& c) { return c.now.date; }

uint32_t nextCoo(Context& c) {
    c.m.lastDocumentCoo = ++c.m.counters.coo;
    return c.m.lastDocumentCoo;
}

void printDocumentHeader(Context& c, std::string_view title) {
    const Model& m = c.m;
    for (const std::string& l : m.header.lines)
        if (!l.empty()) c.paper.centred(l);
    c.paper.line("CNPJ:" + m.header.cgc);
    c.paper.line("IE:" + m.header.ie);
    c.paper.rule();
    c.paper.columns(dateText(c.now.date) + " " + timeText(c.now),
                    "COO:" + zeroPadded(m.counters.coo, 6));
    c.paper.centred(title);
}

void printDocumentFooter(Context& c) {
    const Model& m = c.m;
    c.paper.rule();
    c.paper.columns(m.equipment.model + " FAB:" + m.equipment.serial, "V" + m.equipment.firmware);
    c.paper.columns(dateText(c.now.date), timeText(c.now));
    c.paper.feed(1);
}

Status dayAllowsSales(const Context& c) {
    const Model& m = c.m;
    if (!m.lastReductionDate.empty() && !(m.lastReductionDate < today(c)))
        return Status::dayClosed;
    if (m.day.hasMovement() && m.day.opened < today(c)) return Status::reductionPending;
    return Status::accepted;
}

void markMovement(Context& c) {
    if (c.m.day.hasMovement()) return;
    c.m.day.opened = today(c);
    c.m.day.firstCoo = c.m.counters.coo;
}

Status needIdle(const Context& c) {
    return c.m.state == DocState::idle ? Status::accepted : Status::documentOpen;
}

Status printHeader(Context& c, const Record&) {
    if (Status s = needIdle(c); s != Status::accepted) return s;
    for (const std::string& l : c.m.header.lines)
        if (!l.empty()) c.paper.centred(l);
    c.paper.line("CNPJ:" + c.m.header.cgc);
    c.paper.line("IE:" + c.m.header.ie);
    return Status::accepted;
}

Status openNonFiscal(Context& c, const Record& r) {
    Model& m = c.m;
    if (Status s = needIdle(c); s != Status::accepted) return s;
    const int index = r[2];
    if (index < 1 || index > kNonFiscalDocuments ||
        !m.documents[static_cast<std::size_t>(index - 1)].programmed)
        return Status::notProgrammed;
    m.document = OpenDocument{};
    m.document.index = index;
    m.document.coo = nextCoo(c);
    ++m.counters.gnf;
    m.state = DocState::nonFiscal;
    printDocumentHeader(c, "COMPROVANTE NAO-FISCAL");
    c.paper.columns("GNF:" + zeroPadded(m.counters.gnf, 6), "COO:" + zeroPadded(m.document.coo, 6));
    c.paper.centred(m.documents[static_cast<std::size_t>(index - 1)].name);
    c.paper.rule();
    return Status::accepted;
}

bool vouchersMayFollow(const Model& m) {
    const Receipt& last = m.lastReceipt;
    return last.coo != 0 && !last.cancelled && m.day.hasMovement() && last.coo >= m.day.firstCoo &&
           (m.lastDocumentCoo == last.coo || m.lastDocumentCoo == m.lastVoucherCoo);
}

Status openLinkedVoucher(Context& c, const Record& r) {
    Model& m = c.m;
    if (Status s = needIdle(c); s != Status::accepted) return s;
    const auto coo = numberOf(r, 2, 6);
    const auto type = numberOf(r, 8, 2);
    const auto value = numberOf(r, 10, 9);
    if (!coo || !type || !value || *value == 0) return Status::badField;
    Receipt& last = m.lastReceipt;
    if (!vouchersMayFollow(m) || last.coo != *coo) return Status::noSuchReceipt;
    Money open = 0;
    for (const Payment& p : last.payments)
        if (!p.cancelled && p.type == *type) open += p.amount - p.linked;
    if (open == 0) return Status::noSuchReceipt;
    if (*value > open) return Status::amountTooLarge;

    Money left = *value;
    for (Payment& p : last.payments) {
        if (p.cancelled || p.type != *type || left == 0) continue;
        const Money take = std::min(left, p.amount - p.linked);
        p.linked += take;
        left -= take;
    }
    m.document = OpenDocument{};
    m.document.index = static_cast<int>(*type);
    m.document.coo = nextCoo(c);
    m.lastVoucherCoo = m.document.coo;
    m.document.linkedCoo = last.coo;
    m.document.amount = *value;
    ++m.counters.gnf;
    ++m.counters.cdc;
    PaymentType& pt = m.paymentTypes[static_cast<std::size_t>(*type - 1)];
    ++pt.dayVouchers;
    m.day.linkedVouchers += *value;
    m.state = DocState::linkedVoucher;
    printDocumentHeader(c, "COMPROVANTE CREDITO OU DEBITO");
    c.paper.columns("GNF:" + zeroPadded(m.counters.gnf, 6), "CDC:" + zeroPadded(m.counters.cdc, 4));
    c.paper.columns("COO DO CUPOM FISCAL:", zeroPadded(last.coo, 6));
    c.paper.columns(pt.name, money(*value));
    c.paper.rule();
    return Status::accepted;
}

Status closeDocument(Context& c, const Record& r) {
    Model& m = c.m;
    if (const std::string text = textOf(r, 4, 8); !text.empty()) c.paper.line(text);
    if (m.state == DocState::nonFiscal) {
        NonFiscalDocument& d = m.documents[static_cast<std::size_t>(m.document.index - 1)];
        ++d.dayCount;
        ++d.shiftCount;
        ++d.totalCount;
        d.lastCoo = m.document.coo;
        ++m.day.nonFiscalDocuments;
    }
    printDocumentFooter(c);
    m.document = OpenDocument{};
    m.state = DocState::idle;
    return Status::accepted;
}

Status cancelOpenDocument(Context& c) {
    Model& m = c.m;
    if (m.state == DocState::nonFiscal) {
        NonFiscalDocument& d = m.documents[static_cast<std::size_t>(m.document.index - 1)];
        ++d.dayCancelled;
        ++d.totalCancelled;
    } else {
        // The voucher's amount is free for another voucher again.
        Money left = m.document.amount;
        for (auto it = m.lastReceipt.payments.rbegin(); it != m.lastReceipt.payments.rend(); ++it) {
            if (it->type != m.document.index || left == 0) continue;
            const Money back = std::min(left, it->linked);
            it->linked -= back;
            left -= back;
        }
        m.day.linkedVouchers -= m.document.amount;
    }
    c.paper.centred("DOCUMENTO CANCELADO");
    printDocumentFooter(c);
    m.document = OpenDocument{};
    m.state = DocState::idle;
    return Status::accepted;
}

Status freeLine(Context& c, const Record& r) {
    switch (c.m.state) {
        case DocState::nonFiscal:
        case DocState::linkedVoucher: break;
        case DocState::idle: return Status::noDocument;
        default: return Status::wrongState;  // no free text on a fiscal receipt
    }
    if (r.size() != kFreeLineLength || r[49] != 0x0A) return Status::badField;
    c.paper.line(fieldOf(r, 1, 48));
    ++c.m.document.lines;
    return Status::accepted;
}

Status lineFeed(Context& c, const Record& r) {
    const auto station = digitsOf(r, 2, 1);
    const auto lines = digitsOf(r, 3, 2);
    if (!station || !lines) return Status::badField;
    c.paper.feed(static_cast<unsigned>(*lines));
    return Status::accepted;
}

Status authenticate(Context& c, const Record& r) {
    Model& m = c.m;
    ++m.counters.authentications;
    c.paper.line("AUT " + zeroPadded(m.counters.authentications, 4) + " COO:" +
                 zeroPadded(m.counters.coo, 6) + " " + dateText(c.now.date, false) + " " +
                 timeText(c.now, false));
    if (const std::string text = textOf(r, 2, 48); !text.empty()) c.paper.line(text);
    return Status::accepted;
}

Status chequeLine(Context& c, const Record& r) {
    const auto advance = digitsOf(r, 2, 1);
    if (!advance) return Status::badField;
    // The advance counts lines from the one last printed: a layout's lines
    // 3 and 5 are two lines apart.
    c.paper.chequeAdvance(static_cast<unsigned>(*advance));
    c.paper.chequeLine(fieldOf(r, 4, 80));
    return Status::accepted;
}

namespace {

const char* const kUnits[] = {"",      "UM",     "DOIS",    "TRES",    "QUATRO",
                              "CINCO", "SEIS",   "SETE",    "OITO",    "NOVE",
                              "DEZ",   "ONZE",   "DOZE",    "TREZE",   "QUATORZE",
                              "QUINZE", "DEZESSEIS", "DEZESSETE", "DEZOITO", "DEZENOVE"};
const char* const kTens[] = {"", "", "VINTE", "TRINTA", "QUARENTA", "CINQUENTA",
                             "SESSENTA", "SETENTA", "OITENTA", "NOVENTA"};
const char* const kHundreds[] = {"", "CENTO", "DUZENTOS", "TREZENTOS", "QUATROCENTOS",
                                 "QUINHENTOS", "SEISCENTOS", "SETECENTOS", "OITOCENTOS",
                                 "NOVECENTOS"};

// 1 to 999 in words.
std::string belowThousand(int n) {
    if (n == 100) return "CEM";
    std::string out;
    auto join = [&out](const std::string& w) {
        if (!out.empty()) out += " E ";
        out += w;
    };
    if (n >= 100) join(kHundreds[n / 100]);
    const int rest = n % 100;
    if (rest >= 20) {
        join(kTens[rest / 10]);
        if (rest % 10 != 0) join(kUnits[rest % 10]);
    } else if (rest > 0) {
        join(kUnits[rest]);
    }
    return out;
}

std::string wholeInWords(uint64_t n) {
    struct Scale {
        uint64_t size;
        const char* one;
        const char* many;
    };
    static const Scale kScales[] = {{1000000000000ULL, "TRILHAO", "TRILHOES"},
                                    {1000000000ULL, "BILHAO", "BILHOES"},
                                    {1000000ULL, "MILHAO", "MILHOES"},
                                    {1000ULL, "MIL", "MIL"}};
    std::string out;
    for (const Scale& s : kScales) {
        const auto count = static_cast<int>((n / s.size) % 1000);
        if (count == 0) continue;
        if (!out.empty()) out += " ";
        out += (s.size == 1000 && count == 1) ? std::string("MIL")
                                              : belowThousand(count) + " " + (count == 1 ? s.one : s.many);
    }
    if (const int units = static_cast<int>(n % 1000); units > 0) {
        if (!out.empty()) out += (units < 100 || units % 100 == 0) ? " E " : " ";
        out += belowThousand(units);
    }
    return out;
}

}  // namespace

std::string amountInWords(Money centavos) {
    if (centavos <= 0) return "ZERO REAIS";
    const auto whole = static_cast<uint64_t>(centavos / 100);
    const auto cents = static_cast<int>(centavos % 100);
    std::string out;
    if (whole > 0) {
        out = wholeInWords(whole);
        // "UM MILHAO DE REAIS": whole millions and above take "DE".
        if (whole >= 1000000 && whole % 1000000 == 0) out += " DE";
        out += whole == 1 ? " REAL" : " REAIS";
    }
    if (cents > 0) {
        if (!out.empty()) out += " E ";
        out += belowThousand(cents) + (cents == 1 ? " CENTAVO" : " CENTAVOS");
    }
    return out;
}

namespace {

// Breaks words over two lines of the given widths, filling the rest.
std::array<std::string, 2> wordsOnLines(const std::string& words, std::size_t first,
                                        std::size_t second) {
    std::array<std::string, 2> lines;
    const std::size_t widths[2] = {first, second};
    std::size_t line = 0;
    std::size_t pos = 0;
    while (pos < words.size() && line < 2) {
        std::size_t end = words.find(' ', pos);
        if (end == std::string::npos) end = words.size();
        const std::string word = words.substr(pos, end - pos);
        std::string& l = lines[line];
        const std::size_t need = word.size() + (l.empty() ? 0 : 1);
        if (l.size() + need > widths[line]) {
            if (l.empty()) {  // a word longer than the line: cut it
                l = word.substr(0, widths[line]);
                pos = end + 1;
            }
            l.append(widths[line] - l.size(), '-');
            ++line;
            continue;
        }
        if (!l.empty()) l += ' ';
        l += word;
        pos = end + 1;
    }
    for (std::size_t i = 0; i < 2; ++i)
        if (lines[i].size() < widths[i]) lines[i].append(widths[i] - lines[i].size(), '*');
    return lines;
}

std::string atColumn(std::string line, int column, std::string_view text) {
    const std::size_t start = column > 1 ? static_cast<std::size_t>(column - 1) : 0;
    if (line.size() < start) line.append(start - line.size(), ' ');
    return line + std::string(text);
}

}  // namespace

Status chequeRecord(Context& c, const Record& r) {
    const auto value = numberOf(r, 2, 11);
    if (!value) return Status::badField;
    int n[19] = {0};
    for (int i = 1; i <= 18; ++i) {
        const auto v = digitsOf(r, 173 + 2 * static_cast<std::size_t>(i - 1), 2);
        if (!v) return Status::badField;
        n[i] = static_cast<int>(*v);
    }
    const std::string payee = textOf(r, 14, 66);
    const std::string city = textOf(r, 80, 21);
    const std::string_view date = fieldOf(r, 101, 8);
    const auto width1 = static_cast<std::size_t>(n[6] > n[5] ? n[6] - n[5] + 1 : 1);
    const auto width2 = static_cast<std::size_t>(n[9] > n[8] ? n[9] - n[8] + 1 : 1);
    const auto words = wordsOnLines(amountInWords(*value), width1, width2);

    // Line advances from the layout; a line that would go back is printed next.
    int current = 1;
    auto printAt = [&c, &current](int lineNo, const std::string& text) {
        for (; current < lineNo; ++current) c.paper.chequeLine({});
        c.paper.chequeLine(text);
        ++current;
    };
    const std::string figures = "(" + money(*value) + ")";
    printAt(n[1], atColumn({}, n[2], padLeft(figures, 19)));
    printAt(n[4], atColumn({}, n[5], words[0]));
    printAt(n[7], atColumn({}, n[8], words[1]));
    printAt(n[10], atColumn({}, n[11], payee));
    std::string dateLine = atColumn({}, n[14], textOf(r, 110, 21));
    const int cityStart = n[15] - static_cast<int>(city.size()) + 1;
    dateLine = atColumn(dateLine, cityStart, city);
    dateLine = atColumn(dateLine, n[16], date.substr(0, 2));
    dateLine = atColumn(dateLine, n[17], date.substr(2, 2));
    dateLine = atColumn(dateLine, n[18], date.substr(4));
    printAt(n[13], dateLine);
    for (std::size_t pos : {std::size_t{131}, std::size_t{152}})
        if (const std::string extra = textOf(r, pos, 21); !extra.empty()) c.paper.chequeLine(extra);
    return Status::accepted;
}

}  // namespace ecfsim::fw
