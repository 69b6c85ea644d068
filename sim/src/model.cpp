#include "ecfsim/model.h"

#include <ctime>

namespace ecfsim {

int64_t dayNumber(const Date& d) {
    // Days from civil, proleptic Gregorian calendar.
    const int64_t y = d.year - (d.month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t mp = (d.month + 9) % 12;
    const int64_t doy = (153 * mp + 2) / 5 + d.day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool isValidDate(const Date& d) {
    if (d.year < 1 || d.month < 1 || d.month > 12 || d.day < 1) return false;
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (d.year % 4 == 0 && d.year % 100 != 0) || d.year % 400 == 0;
    const int last = kDays[d.month - 1] + (d.month == 2 && leap ? 1 : 0);
    return d.day <= last;
}

bool operator==(const Date& a, const Date& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day;
}
bool operator<(const Date& a, const Date& b) { return dayNumber(a) < dayNumber(b); }

DateTime localDateTime(int64_t secondsSinceEpoch) {
    const std::time_t t = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday}, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

int64_t secondsOf(const DateTime& t) {
    std::tm tm{};
    tm.tm_year = t.date.year - 1900;
    tm.tm_mon = t.date.month - 1;
    tm.tm_mday = t.date.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&tm));
}

const char* nameOf(DocState s) {
    switch (s) {
        case DocState::idle: return "idle";
        case DocState::receiptOpen: return "receipt open";
        case DocState::subtotalled: return "subtotalled";
        case DocState::paying: return "paying";
        case DocState::paid: return "paid";
        case DocState::nonFiscal: return "non-fiscal receipt";
        case DocState::linkedVoucher: return "linked voucher";
    }
    return "?";
}

Money Receipt::gross() const {
    Money sum = 0;
    for (const Item& i : items)
        if (!i.cancelled) sum += i.total;
    return sum;
}

Money Receipt::itemDiscounts() const {
    Money sum = 0;
    for (const Item& i : items)
        if (!i.cancelled) sum += i.discount;
    return sum;
}

Money Receipt::due() const {
    return gross() - itemDiscounts() - subtotalDiscount + subtotalSurcharge;
}

Money Receipt::paid() const {
    Money sum = 0;
    for (const Payment& p : payments)
        if (!p.cancelled) sum += p.amount;
    return sum;
}

Money Receipt::change() const {
    const Money over = paid() - due();
    return over > 0 ? over : 0;
}

std::size_t Receipt::liveItems() const {
    std::size_t n = 0;
    for (const Item& i : items)
        if (!i.cancelled) ++n;
    return n;
}

void clearDay(Model& m) {
    m.day = DayTotals{};
    for (TaxRate& t : m.taxRates) t.dayTotal = 0;
    for (PaymentType& p : m.paymentTypes) {
        p.dayTotal = 0;
        p.dayVouchers = 0;
    }
    for (NonFiscalDocument& d : m.documents) {
        d.dayCount = 0;
        d.dayCancelled = 0;
    }
}

Model freshModel(const DateTime& installed) {
    Model m;
    m.equipment.installed = installed;
    m.header.lines = {"LOJA SIMULADA LTDA", "RUA DAS FLORES, 100 - CENTRO",
                      "SAO PAULO - SP"};
    m.header.number1 = 1;
    m.header.number2 = 1;
    m.header.cgc = kDefaultCgc;
    m.header.ie = kDefaultIe;
    m.companyName = "LOJA SIMULADA LTDA";
    m.owners.push_back(Owner{kDefaultCgc, kDefaultIe, m.companyName, installed, false, {}});

    const struct {
        char kind;
        uint32_t rate;
    } rates[] = {{'T', 1700}, {'T', 1200}, {'T', 700}, {'T', 2500}, {'S', 500}};
    for (std::size_t i = 0; i < sizeof rates / sizeof rates[0]; ++i)
        m.taxRates[i] = TaxRate{true, rates[i].kind, rates[i].rate, 0};

    const char* payments[] = {"Dinheiro", "Cheque", "Cartao Credito", "Cartao Debito"};
    for (std::size_t i = 0; i < 4; ++i) {
        m.paymentTypes[i].programmed = true;
        m.paymentTypes[i].name = payments[i];
    }

    m.documents[0].programmed = true;
    m.documents[0].name = "Sangria";
    m.documents[1].programmed = true;
    m.documents[1].name = "Suprimento";
    return m;
}

}  // namespace ecfsim
