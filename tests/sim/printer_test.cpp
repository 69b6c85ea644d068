// The printer's state machine, record by record: what it refuses and with
// which status, what only it decides (the day, owners, fiscal memory
// selections), and that no record, however hostile, breaks it. Whole sales
// and the replies' contents are held against the library in tests/e2e.
#include <gtest/gtest.h>

#include <random>

#include "ecfsim/printer.h"
#include "ecfsim/state_file.h"
#include "records.h"

namespace {

using ecfsim::Model;
using ecfsim::Printer;
using ecfsim::Status;
using simtest::Bytes;
using simtest::Rec;
namespace r = simtest;

const ecfsim::DateTime kInstalled{{2024, 3, 1}, 9, 0, 0};

// 15/03/2024 10:00:00 on the host, plus whole days.
struct TestClock {
    int64_t seconds = ecfsim::secondsOf({{2024, 3, 15}, 10, 0, 0});
    void nextDay() { seconds += 24 * 3600; }
};

Bytes quantityItem(const std::string& whole, const std::string& thousandths, const std::string& price,
                   int index, char rounding = ' ') {
    return Rec(0xD0, 113).text(6, 13, "789").text(20, 62, "QUEIJO").right(82, 3, whole).byte(85, ',')
        .right(86, 3, thousandths).byte(89, 'x').text(90, 11, "KG").byte(101, uint8_t(rounding))
        .right(102, 9, price).text(111, 2, r::two(index));
}
Bytes itemOperation(uint8_t op, uint8_t kind, const std::string& item, const std::string& value) {
    return Rec(0xD3, 79).byte(2, op).byte(4, kind).text(5, 60, item).text(68, 2, "00").right(70, 9, value);
}
Bytes cancelItem(const std::string& number) { return Rec(0xD4, 36).text(2, 4, number).text(6, 30, "ERRO"); }
Bytes adjustment(uint8_t kind, const std::string& value) {
    return Rec(0xD9, 39).byte(2, kind).text(4, 22, "PROMO").right(29, 10, value);
}
Bytes payCancel(int type, const std::string& amount) {
    return Rec(0xD5, 27).byte(2, 1).byte(4, uint8_t(type)).right(17, 10, amount);
}
Bytes cancelReceipt() { return Rec(0x07, 16); }
Bytes setClock(int d, int mo, int y, int h, int mi, int s) {
    return Rec(0x16, 15).text(2, 2, r::two(s)).text(4, 2, r::two(mi)).text(6, 2, r::two(h)).byte(8, '0')
        .text(9, 2, r::two(d)).text(11, 2, r::two(mo)).text(13, 2, r::two(y));
}
Bytes company(const std::string& name, const std::string& cgc, const std::string& ie) {
    return Rec(0x78, 65).text(2, 30, name).text(32, 18, cgc).text(50, 15, ie);
}
Bytes voucher(const std::string& coo, const std::string& type, const std::string& value) {
    return Rec(0xDE, 19).right(2, 6, coo).right(8, 2, type).right(10, 9, value);
}
Bytes taxRate(uint8_t index, const std::string& rate) { return Rec(0x20, 7).byte(2, index).right(3, 4, rate); }

// The printer brought into a state by accepted records; an empty record
// stands for midnight passing.
using Steps = std::vector<Bytes>;
Steps operator+(Steps a, const Steps& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
const Bytes kMidnight{};
const Steps kIdle{};
const Steps kOpen{r::sellItem("ARROZ", "1000", 1), r::sellItem("FEIJAO", "800", 1)};
const Steps kSubtotalled = kOpen + Steps{r::subtotal()};
const Steps kPaid = kSubtotalled + Steps{r::pay(1, "1800")};
const Steps kClosed = kPaid + Steps{r::endTransaction()};
const Steps kReduced = kClosed + Steps{r::reading(0x13)};
const Steps kNonFiscal{Rec(0xDD, 3).byte(2, 1)};

class PrinterTest : public ::testing::Test {
protected:
    TestClock clock;
    Printer printer{ecfsim::freshModel(kInstalled), [this] { return clock.seconds; }};
    const Model& m() { return printer.model(); }

    Status run(const Bytes& record) {
        const auto a = printer.execute(record);
        EXPECT_EQ(a.bytes.size(), 1u);
        return a.bytes.empty() ? Status::accepted : static_cast<Status>(a.bytes[0]);
    }
    Bytes ask(const Bytes& record) { return printer.execute(record).bytes; }
    void bringTo(const Steps& setup) {
        printer.model() = ecfsim::freshModel(kInstalled);
        clock = TestClock{};
        for (std::size_t i = 0; i < setup.size(); ++i) {
            if (setup[i].empty()) {
                clock.nextDay();
            } else {
                ASSERT_EQ(run(setup[i]), Status::accepted) << "setup step " << i;
            }
        }
    }
};

// Every refusal leaves the model as it was but for the status byte it shows.
TEST_F(PrinterTest, RecordsAreJudgedByTheirFieldsAndTheState) {
    struct {
        const char* name;
        Steps setup;
        Bytes record;
        Status expected;
    } cases[] = {
        // Records the line cannot have meant.
        {"empty record", kIdle, {}, Status::unknownCommand},
        {"unknown code", kIdle, {'f', 0x02, 0x00}, Status::unknownCommand},
        {"lead neither f nor n", kIdle, {'x', 0xD1, 0x00}, Status::unknownCommand},
        {"record too short", kIdle, {'f', 0xD1}, Status::badField},
        {"record too long", kIdle, {'f', 0xD1, 0x00, 0x00}, Status::badField},
        // Items.
        {"exempt index 18", kIdle, r::sellItem("LIVRO", "500", 18), Status::accepted},
        {"rate not programmed", kIdle, r::sellItem("A", "100", 6), Status::notProgrammed},
        {"index 0", kIdle, r::sellItem("A", "100", 0), Status::notProgrammed},
        {"price zero", kIdle, r::sellItem("A", "0", 1), Status::badField},
        {"price not digits", kIdle, r::sellItem("A", "12A4", 1), Status::badField},
        {"price blank", kIdle, r::sellItem("A", "", 1), Status::badField},
        {"quantity zero", kIdle, quantityItem("0", "000", "100", 1), Status::badField},
        {"quantity, blank whole part", kIdle, quantityItem("", "333", "100", 1), Status::accepted},
        {"item after the subtotal", kSubtotalled, r::sellItem("B", "100", 1), Status::wrongState},
        {"item in a non-fiscal receipt", kNonFiscal, r::sellItem("A", "100", 1), Status::documentOpen},
        {"item after today's Z", kReduced, r::sellItem("A", "100", 1), Status::dayClosed},
        {"item on the next day", kReduced + Steps{kMidnight}, r::sellItem("A", "1", 1), Status::accepted},
        {"item with yesterday open", kClosed + Steps{kMidnight}, r::sellItem("A", "1", 1),
         Status::reductionPending},
        // Corrections.
        {"cancel the last item", kOpen, cancelItem(""), Status::accepted},
        {"cancel item 9", kOpen, cancelItem("9"), Status::itemNotFound},
        {"cancel item X1", kOpen, cancelItem("X1"), Status::badField},
        {"cancel an item twice", kOpen + Steps{cancelItem("1")}, cancelItem("1"), Status::itemNotFound},
        {"cancel an unknown description", kOpen, itemOperation(1, 0, "SAL", "0"), Status::itemNotFound},
        {"discount the whole item", kOpen, itemOperation(3, 0, "1", "1000"), Status::amountTooLarge},
        {"discount of zero", kOpen, itemOperation(3, 0, "1", "0"), Status::badField},
        {"item operation 2", kOpen, itemOperation(2, 0, "1", "100"), Status::badField},
        {"discount after the subtotal", kSubtotalled, itemOperation(3, 0, "1", "10"), Status::wrongState},
        // Subtotal, adjustments, payments, closing.
        {"subtotal, nothing open", kIdle, r::subtotal(), Status::noDocument},
        {"adjustment before the subtotal", kOpen, adjustment('D', "10"), Status::noSubtotal},
        {"adjustment of kind X", kSubtotalled, adjustment('X', "10"), Status::badField},
        {"discount of the whole receipt", kSubtotalled, adjustment('D', "1800"), Status::amountTooLarge},
        {"second surcharge", kSubtotalled + Steps{adjustment('A', "10")}, adjustment('A', "5"),
         Status::wrongState},
        {"payment, nothing open", kIdle, r::pay(1, "100"), Status::noDocument},
        {"payment before the subtotal", kOpen, r::pay(1, "100"), Status::noSubtotal},
        {"change from a card", kSubtotalled, r::pay(3, "1801"), Status::amountTooLarge},
        {"payment type 9", kSubtotalled, r::pay(9, "100"), Status::notProgrammed},
        {"cancel a payment never made", kSubtotalled, payCancel(1, "0"), Status::nothingToCancel},
        {"payment once paid", kPaid, r::pay(1, "100"), Status::wrongState},
        {"end, nothing open", kIdle, r::endTransaction(), Status::noDocument},
        {"end before paid", kSubtotalled, r::endTransaction(), Status::notFullyPaid},
        {"end when 1,00 short", kSubtotalled + Steps{r::pay(2, "1700")}, r::endTransaction(),
         Status::notFullyPaid},
        // Cancelling receipts.
        {"cancel, nothing sold", kIdle, cancelReceipt(), Status::nothingToCancel},
        {"cancel after an X reading", kClosed + Steps{r::reading(0x14)}, cancelReceipt(),
         Status::nothingToCancel},
        {"cancel a cancelled receipt", kClosed + Steps{cancelReceipt()}, cancelReceipt(),
         Status::nothingToCancel},
        // Documents, free lines, vouchers.
        {"document 9", kIdle, Rec(0xDD, 3).byte(2, 9), Status::notProgrammed},
        {"free line, nothing open", kIdle, r::freeLine("X"), Status::noDocument},
        {"free line on a receipt", kOpen, r::freeLine("X"), Status::wrongState},
        {"free line without its line feed", kNonFiscal, Bytes(50, 'n'), Status::badField},
        {"voucher for COO 999", kClosed, voucher("999", "1", "100"), Status::noSuchReceipt},
        {"voucher for a type not paid", kClosed, voucher("1", "3", "100"), Status::noSuchReceipt},
        {"voucher over the payment", kClosed, voucher("1", "1", "1801"), Status::amountTooLarge},
        {"voucher after an X reading", kClosed + Steps{r::reading(0x14)}, voucher("1", "1", "1"),
         Status::noSuchReceipt},
        // Readings.
        {"X reading with a receipt open", kOpen, r::reading(0x14), Status::documentOpen},
        {"X reading after the Z", kReduced, r::reading(0x14), Status::accepted},
        {"second Z", kReduced, r::reading(0x13), Status::dayClosed},
        // Programming and the clock.
        {"rate 10 as ':'", kIdle, taxRate(':', "400"), Status::accepted},
        {"rate 12 as '<'", kIdle, taxRate('<', "400"), Status::notProgrammed},
        {"rate of kind Q", kIdle, Rec(0x22, 9).right(2, 2, "7").byte(4, 'Q').right(5, 4, "200"),
         Status::badField},
        {"payment type 11", kIdle, Rec(0x24, 24).right(2, 2, "11").text(4, 20, "VALE"), Status::notProgrammed},
        {"rate after a sale", kClosed, taxRate('3', "1800"), Status::dayHasMovement},
        {"rate with kind after a sale", kClosed, Rec(0x22, 9).right(2, 2, "7").byte(4, 'S').right(5, 4, "200"),
         Status::dayHasMovement},
        {"payment type after a sale", kClosed, Rec(0x24, 24).right(2, 2, "5").text(4, 20, "VALE"),
         Status::dayHasMovement},
        {"document after a sale", kClosed, Rec(0x23, 51).right(2, 2, "3").text(4, 20, "RECARGA"),
         Status::dayHasMovement},
        {"owner after a cancelled sale", kOpen + Steps{cancelReceipt()}, company("X", "OUTRO", "IE"),
         Status::dayHasMovement},
        {"31 February", kIdle, setClock(31, 2, 24, 10, 0, 0), Status::badClock},
        {"hour 24", kIdle, setClock(1, 1, 25, 24, 0, 0), Status::badClock},
        {"clock not digits", kIdle, Rec(0x16, 15).text(2, 13, "585923X311224"), Status::badField},
        {"clock before the Z", kReduced, setClock(14, 3, 24, 10, 0, 0), Status::badClock},
        {"clock with a receipt open", kOpen, setClock(16, 3, 24, 10, 0, 0), Status::documentOpen},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bringTo(c.setup);
        Model before = m();
        EXPECT_EQ(run(c.record), c.expected);
        if (c.expected != Status::accepted) {
            before.lastStatus = ecfsim::byteOf(c.expected);
            EXPECT_EQ(ecfsim::modelToJson(m()), ecfsim::modelToJson(before)) << "a refusal changes nothing";
        }
    }
}

TEST_F(PrinterTest, ADayLeftOpenPastMidnightIsReducedAsThatDay) {
    bringTo(kClosed + Steps{kMidnight});
    EXPECT_EQ(ask(r::query(0xDF)).at(6) & 0x06, 0x06) << "movement, reduction due";
    EXPECT_EQ(run(r::reading(0x13)), Status::accepted);
    EXPECT_TRUE(m().reductions.at(0).when.date == (ecfsim::Date{2024, 3, 16}));
    EXPECT_TRUE(m().lastReductionDate == (ecfsim::Date{2024, 3, 15}));
    EXPECT_EQ(ask(r::query(0xDF)).at(6), 0x00);
    EXPECT_EQ(run(r::sellItem("A", "100", 1)), Status::accepted) << "today is still open";
}

TEST_F(PrinterTest, TheFiscalMemoryHoldsTwentyOwners) {
    for (int i = 2; i <= 20; ++i)
        ASSERT_EQ(run(company("X", "CGC" + std::to_string(i), "IE")), Status::accepted) << i;
    EXPECT_EQ(ask(r::query(0xDF)).at(6), 0x10) << "full of owners";
    EXPECT_EQ(run(company("X", "CGC21", "IE")), Status::fiscalMemoryFull);
    EXPECT_EQ(run(company("NOVO NOME", "CGC20", "IE")), Status::accepted) << "a new name only";
    EXPECT_EQ(m().owners.size(), 20u);
    EXPECT_EQ(m().currentOwner().ie, "IE             ");
}

TEST_F(PrinterTest, SelectionsThatHoldNothing) {
    bringTo(kReduced);
    auto reply = [](const std::string& s) { return Bytes(s.begin(), s.end()); };
    struct {
        const char* name;
        Bytes record;
        Bytes reply;
    } cases[] = {
        {"a date not valid", r::selectByDate(0x26, 3, "320324", "170324"), reply("\x15\x26\x03" "000000")},
        {"mode 0", r::selectByNumber(0x26, 0, 1, 2), reply(std::string("\x15\x26\0", 3) + "000000")},
        {"dates in 2023", r::selectByDate(0x26, 1, "010123", "311223"), reply("\x06\x26\x01" "010000")},
        {"read-out in mode 7", r::selectByNumber(0x15, 7, 1, 2), reply("FM00 R0000\r\n")},
        {"read-out in mode 0", r::selectByNumber(0x15, 0, 1, 2), {uint8_t(Status::badField)}},
    };
    for (const auto& c : cases) EXPECT_EQ(ask(c.record), c.reply) << c.name;
}

// Every record the line can deliver, however hostile, gets an answer of the
// length the library waits for, and the model keeps its rules.
TEST(PrinterRobustness, AnyRecordGetsAnAnswerOfItsLength) {
    TestClock clock;
    Printer printer(ecfsim::freshModel(kInstalled), [&clock] { return clock.seconds; });
    std::mt19937_64 next(12345);
    const uint8_t alphabet[] = {'0', '1', '5', '9', ' ', 0x00, 0x01, 0x03, 'A', 'D', 'x', ',', 0xFF};
    std::vector<const ecfsim::CommandInfo*> commands;
    for (auto* c = ecfsim::commandsBegin(); c != ecfsim::commandsEnd(); ++c) commands.push_back(c);
    for (int round = 0; round < 60000; ++round) {
        const auto* info = commands[next() % commands.size()];
        const bool longForm = info->longLength != 0 && next() % 2 == 0;
        Bytes record(longForm ? info->longLength : info->length);
        record[0] = 'f';
        record[1] = info->code;
        for (std::size_t i = 2; i < record.size(); ++i)
            record[i] = (next() % 4 == 0) ? uint8_t(next()) : alphabet[next() % sizeof alphabet];
        const auto answer = printer.execute(record);
        std::size_t expected = 1;
        if (info->answer == ecfsim::AnswerKind::reply) expected = info->replyLength;
        if (info->answer == ecfsim::AnswerKind::readOut && record[2] > 2) {
            expected = answer.bytes.size();  // sized by the selection
            EXPECT_GE(expected, 12u);
        }
        ASSERT_EQ(answer.bytes.size(), expected) << std::hex << int(info->code);
        if (round % 5000 == 0) clock.nextDay();
    }
    const Model& m = printer.model();
    EXPECT_GE(m.owners.size(), 1u);
    EXPECT_LE(m.owners.size(), 20u);
    EXPECT_GE(m.grandTotal, 0);
    // Whatever happened, the state file takes it back.
    EXPECT_NO_THROW(ecfsim::modelFromJson(ecfsim::modelToJson(m)));
}

}  // namespace
