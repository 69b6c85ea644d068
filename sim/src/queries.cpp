// The status queries: each reply laid out field by field from the model.
#include "firmware.h"

namespace ecfsim::fw {

namespace {

constexpr uint8_t kAck = 0x06;

// The index of an indexed query: two ASCII digits at positions 2 and 3.
int queryIndex(const Record& r) {
    const auto v = digitsOf(r, 2, 2);
    return v ? static_cast<int>(*v) : -1;
}

Reply replyFor(const Record& r, std::size_t length, uint8_t fill = ' ') {
    Reply reply(length, fill);
    reply.byte(0, kAck).byte(1, r[1]);
    return reply;
}

uint64_t positive(Money v) { return static_cast<uint64_t>(v < 0 ? 0 : v); }

// The receipt in progress, or else the last one closed.
const Receipt& currentReceipt(const Model& m) {
    switch (m.state) {
        case DocState::receiptOpen:
        case DocState::subtotalled:
        case DocState::paying:
        case DocState::paid: return m.receipt;
        default: return m.lastReceipt;
    }
}

// "DD", NUL, "MM", NUL, "YY": the printer separates date parts with NULs.
std::string nulDate(const Date& d) {
    std::string s = zeroPadded(static_cast<uint64_t>(d.day), 2) + '\0' +
                    zeroPadded(static_cast<uint64_t>(d.month), 2) + '\0' +
                    zeroPadded(static_cast<uint64_t>(d.year), 2);
    return s;
}

}  // namespace

Bytes printerStatus(Context& c, const Record& r) {
    const Model& m = c.m;
    uint8_t flags = 0;
    if (m.drawerOpen) flags |= 0x01;
    if (m.day.hasMovement()) flags |= 0x02;
    if (m.day.hasMovement() && m.day.opened < today(c)) flags |= 0x04;
    if (dayAllowsSales(c) == Status::dayClosed) flags |= 0x08;
    if (m.owners.size() >= kMaxOwners) flags |= 0x10;
    Reply reply = replyFor(r, 7, 0x00);
    reply.byte(3, static_cast<uint8_t>(m.state)).byte(5, m.lastStatus).byte(6, flags);
    return reply.take();
}

Bytes receiptStatus(Context& c, const Record& r) {
    const Model& m = c.m;
    const Receipt& receipt = currentReceipt(m);
    Reply reply = replyFor(r, 72);
    reply.byte(2, 0x00)
        .number(3, 4, m.counters.coo)
        .byte(7, static_cast<uint8_t>('0' + static_cast<int>(m.state)))
        .number(8, 6, receipt.liveItems())
        .number(16, 6, m.counters.ccf)
        .text(22, 8, dateText(c.now.date, false))
        .number(30, 21, positive(receipt.due()))
        .number(51, 21, positive(receipt.paid()));
    return reply.take();
}

Bytes taxRateStatus(Context& c, const Record& r) {
    const int index = queryIndex(r);
    Reply reply = replyFor(r, 41);
    if (index < 1 || index > kTaxRates) {
        reply.text(2, 2, " 0").number(4, 6, 0).number(10, 17, 0).number(27, 14, 0);
        return reply.take();
    }
    const TaxRate& t = c.m.taxRates[static_cast<std::size_t>(index - 1)];
    reply.byte(2, t.programmed ? static_cast<uint8_t>(t.kind) : ' ')
        .byte(3, t.programmed ? '1' : '0')
        .text(4, 6, padLeft(rateText(t.rate) + "%", 6))
        .number(10, 17, positive(t.dayTotal))
        .number(27, 14, positive(percentOf(t.dayTotal, t.rate)));
    return reply.take();
}

Bytes paymentTypeStatus(Context& c, const Record& r) {
    const Model& m = c.m;
    const int index = queryIndex(r);
    Reply reply = replyFor(r, 47);
    if (index < 1 || index > kPaymentTypes) {
        reply.text(2, 3, "N00").number(26, 21, 0);
        return reply.take();
    }
    const PaymentType& p = m.paymentTypes[static_cast<std::size_t>(index - 1)];
    bool used = false;
    for (const Payment& pay : currentReceipt(m).payments) used = used || (!pay.cancelled && pay.type == index);
    reply.byte(2, p.programmed ? 'S' : 'N')
        .byte(3, index == kCashPaymentType ? '1' : '0')
        .byte(4, used ? '1' : '0')
        .text(5, 21, p.name)
        .number(26, 21, positive(p.dayTotal));
    return reply.take();
}

Bytes documentStatus(Context& c, const Record& r) {
    const int index = queryIndex(r);
    Reply reply = replyFor(r, 123);
    if (index < 1 || index > kNonFiscalDocuments) {
        reply.text(2, 2, "N0");
        for (std::size_t pos : {33u, 40u}) reply.number(pos, 7, 0);
        for (std::size_t pos : {47u, 66u, 85u, 104u}) reply.number(pos, 19, 0);
        return reply.take();
    }
    const NonFiscalDocument& d = c.m.documents[static_cast<std::size_t>(index - 1)];
    reply.byte(2, d.programmed ? 'S' : 'N')
        .byte(3, d.dayCount > 0 ? '1' : '0')
        .text(4, 21, d.name)
        .text(25, 5, d.flags)
        .text(30, 3, " " + d.code)
        .number(33, 7, d.dayCount)
        .number(40, 7, d.dayCancelled)
        .number(47, 19, d.shiftCount)
        .number(66, 19, d.totalCount)
        .number(85, 19, d.lastCoo)
        .number(104, 19, d.totalCancelled);
    return reply.take();
}

Bytes equipmentStatus(Context& c, const Record& r) {
    const Equipment& e = c.m.equipment;
    Reply reply = replyFor(r, 52, 0x00);
    reply.text(3, 11, e.serial, 0x00)
        .text(14, 16, e.model, 0x00)
        .text(30, 5, e.firmware, 0x00)
        .text(35, 10, dateText(e.installed.date), 0x00);
    return reply.take();
}

Bytes userData(Context& c, const Record& r) {
    const Model& m = c.m;
    int index = queryIndex(r);
    if (index == 0) index = static_cast<int>(m.owners.size());  // 0: the current owner
    Reply reply = replyFor(r, 268, 0x00);
    if (index < 1 || index > static_cast<int>(m.owners.size())) return reply.take();
    const Owner& o = m.owners[static_cast<std::size_t>(index - 1)];
    reply.text(3, 49, m.header.lines[0], 0x00)
        .text(52, 49, m.header.lines[1], 0x00)
        .text(101, 49, m.header.lines[2], 0x00)
        .number(150, 5, m.header.number1)
        .number(155, 5, m.header.number2)
        .text(160, 19, o.cgc, 0x00)
        .text(179, 15, o.ie, 0x00)
        .text(194, 17, m.header.extra, 0x00)
        .text(211, 9, nulDate(o.start.date), 0x00)
        .text(220, 6, timeText(o.start, false), 0x00);
    if (o.ended) reply.text(226, 9, nulDate(o.end.date), 0x00).text(235, 6, timeText(o.end, false), 0x00);
    reply.number(241, 5, static_cast<uint64_t>(index)).text(246, 22, o.name, 0x00);
    return reply.take();
}

Bytes changeStatus(Context& c, const Record& r) {
    const Receipt& receipt = currentReceipt(c.m);
    Reply reply = replyFor(r, 47);
    reply.number(5, 21, positive(receipt.change())).number(26, 21, positive(receipt.paid()));
    return reply.take();
}

Bytes voucherStatus(Context& c, const Record& r) {
    const Model& m = c.m;
    const int index = queryIndex(r);
    Reply reply = replyFor(r, 66);
    if (index < 1 || index > kPaymentTypes) {
        reply.text(3, 4, "N000").number(28, 21, 0).number(49, 7, 0).number(56, 3, 0).number(59, 7, 0);
        return reply.take();
    }
    const PaymentType& p = m.paymentTypes[static_cast<std::size_t>(index - 1)];
    const Receipt& last = m.lastReceipt;
    Money paid = 0;
    Money open = 0;
    if (!last.cancelled) {
        for (const Payment& pay : last.payments) {
            if (pay.cancelled || pay.type != index) continue;
            paid += pay.amount;
            open += pay.amount - pay.linked;
        }
    }
    const bool possible = open > 0 && m.state == DocState::idle && vouchersMayFollow(m);
    reply.byte(3, possible ? 'S' : 'N')
        .number(4, 3, static_cast<uint64_t>(index))
        .text(7, 21, p.name)
        .number(28, 21, positive(paid))
        .number(49, 7, last.coo)
        .number(56, 3, p.dayVouchers)
        .number(59, 7, positive(open));
    return reply.take();
}

}  // namespace ecfsim::fw
