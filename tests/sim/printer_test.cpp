#include <gtest/gtest.h>

#include "ecfsim/printer.h"
#include "ecfsim/state_file.h"
#include "records.h"

namespace {

using ecfsim::DocState;
using ecfsim::Model;
using ecfsim::Printer;
using ecfsim::Status;
using simtest::Bytes;
using simtest::Rec;
namespace r = simtest;

// 15/03/2024 10:00:00 on the host, plus whole days.
struct TestClock {
    int64_t seconds = ecfsim::secondsOf({{2024, 3, 15}, 10, 0, 0});
    void nextDay() { seconds += 24 * 3600; }
};

class PrinterTest : public ::testing::Test {
protected:
    TestClock clock;
    Printer printer{ecfsim::freshModel({{2024, 3, 1}, 9, 0, 0}), [this] { return clock.seconds; }};
    void SetUp() override { printer.paper().keepText(1 << 20); }
    const Model& m() { return printer.model(); }

    Status run(const Bytes& record) {
        const auto a = printer.execute(record);
        EXPECT_EQ(a.bytes.size(), 1u);
        return a.bytes.empty() ? Status::accepted : static_cast<Status>(a.bytes[0]);
    }
    Bytes ask(const Bytes& record) { return printer.execute(record).bytes; }

    struct Step {
        Bytes record;
        Status expected;
    };
    void steps(const char* name, const std::vector<Step>& list) {
        for (std::size_t i = 0; i < list.size(); ++i)
            EXPECT_EQ(run(list[i].record), list[i].expected) << name << ", step " << i;
    }
    void sellOneAndClose() {
        steps("sale", {{r::sellItem("ARROZ", "1000", 1), Status::accepted},
                       {r::subtotal(), Status::accepted},
                       {r::pay(1, "1000"), Status::accepted},
                       {r::endTransaction(), Status::accepted}});
    }
};

Bytes quantityItem(const std::string& whole, const std::string& thousandths,
                   const std::string& price, int index, char rounding = ' ') {
    return Rec(0xD0, 113).text(2, 4, "").text(6, 13, "789").byte(19, ' ').text(20, 62, "QUEIJO")
        .right(82, 3, whole).byte(85, ',').right(86, 3, thousandths).byte(89, 'x')
        .text(90, 11, "KG").byte(101, uint8_t(rounding)).right(102, 9, price)
        .text(111, 2, std::string(1, char('0' + index / 10)) + char('0' + index % 10));
}
Bytes itemOperation(uint8_t op, uint8_t kind, const std::string& item, const std::string& value) {
    return Rec(0xD3, 79).byte(2, op).byte(4, kind).text(5, 60, item).text(68, 2, "00")
        .right(70, 9, value);
}
Bytes cancelItemNumber(const std::string& number) {
    return Rec(0xD4, 36).text(2, 4, number).text(6, 30, "ERRO");
}
Bytes adjustment(uint8_t kind, uint8_t op, const std::string& value) {
    return Rec(0xD9, 39).byte(2, kind).byte(3, op).text(4, 22, "PROMO").right(29, 10, value);
}
Bytes payCancel(int type, const std::string& amount) {
    return Rec(0xD5, 27).byte(2, 1).byte(4, uint8_t(type)).text(5, 10, "").right(17, 10, amount);
}
Bytes cancelReceipt() { return Rec(0x07, 16).text(4, 8, ""); }
Bytes setClock(int d, int mo, int y, int h, int mi, int s) {
    auto two = [](int v) { return std::string(1, char('0' + v / 10 % 10)) + char('0' + v % 10); };
    return Rec(0x16, 15).text(2, 2, two(s)).text(4, 2, two(mi)).text(6, 2, two(h)).byte(8, '0')
        .text(9, 2, two(d)).text(11, 2, two(mo)).text(13, 2, two(y));
}
Bytes company(const std::string& name, const std::string& cgc, const std::string& ie) {
    return Rec(0x78, 65).text(2, 30, name).text(32, 18, cgc).text(50, 15, ie);
}

TEST_F(PrinterTest, CommandsOutOfOrderGetTheirStatus) {
    struct {
        const char* name;
        std::vector<Step> steps;
    } cases[] = {
        {"subtotal with no receipt", {{r::subtotal(), Status::noDocument}}},
        {"payment with no receipt", {{r::pay(1, "100"), Status::noDocument}}},
        {"end with no document", {{r::endTransaction(), Status::noDocument}}},
        {"payment before the subtotal",
         {{r::sellItem("A", "100", 1), Status::accepted}, {r::pay(1, "100"), Status::noSubtotal}}},
        {"end before the payment",
         {{r::sellItem("A", "100", 1), Status::accepted},
          {r::subtotal(), Status::accepted},
          {r::endTransaction(), Status::notFullyPaid}}},
        {"item after the subtotal",
         {{r::sellItem("A", "100", 1), Status::accepted},
          {r::subtotal(), Status::accepted},
          {r::sellItem("B", "100", 1), Status::wrongState}}},
        {"payment after full payment",
         {{r::sellItem("A", "100", 1), Status::accepted},
          {r::subtotal(), Status::accepted},
          {r::pay(1, "100"), Status::accepted},
          {r::pay(1, "100"), Status::wrongState}}},
        {"X reading with a receipt open",
         {{r::sellItem("A", "100", 1), Status::accepted}, {r::reading(0x14), Status::documentOpen}}},
        {"free line on a fiscal receipt",
         {{r::sellItem("A", "100", 1), Status::accepted}, {r::freeLine("X"), Status::wrongState}}},
        {"free line with no document", {{r::freeLine("X"), Status::noDocument}}},
    };
    for (const auto& c : cases) {
        printer.model() = ecfsim::freshModel({{2024, 3, 1}, 9, 0, 0});
        steps(c.name, c.steps);
    }
}

TEST_F(PrinterTest, ItemFieldsAreJudged) {
    struct {
        const char* name;
        Bytes record;
        Status expected;
        ecfsim::Money total;
    } cases[] = {
        {"price and index", r::sellItem("ARROZ", "1234", 1), Status::accepted, 1234},
        {"exempt index 18", r::sellItem("LIVRO", "500", 18), Status::accepted, 500},
        {"rate not programmed", r::sellItem("A", "100", 6), Status::notProgrammed, 0},
        {"index 0", r::sellItem("A", "100", 0), Status::notProgrammed, 0},
        {"price zero", r::sellItem("A", "0", 1), Status::badField, 0},
        {"price not digits", r::sellItem("A", "12A4", 1), Status::badField, 0},
        {"price all blanks", r::sellItem("A", "", 1), Status::badField, 0},
        {"1,500 kg at 10,00", quantityItem("1", "500", "1000", 1), Status::accepted, 1500},
        {"0,333 x 1,00 truncates", quantityItem("", "333", "100", 1), Status::accepted, 33},
        {"0,335 x 1,00 rounds with A", quantityItem("0", "335", "100", 1, 'A'), Status::accepted, 34},
        {"quantity zero", quantityItem("0", "000", "100", 1), Status::badField, 0},
        {"long description form", Rec(0xD6, 91).text(2, 78, "CAFE").right(80, 9, "799")
                                      .text(89, 2, "03"), Status::accepted, 799},
    };
    for (const auto& c : cases) {
        printer.model() = ecfsim::freshModel({{2024, 3, 1}, 9, 0, 0});
        EXPECT_EQ(run(c.record), c.expected) << c.name;
        if (c.expected == Status::accepted) {
            ASSERT_EQ(m().receipt.items.size(), 1u) << c.name;
            EXPECT_EQ(m().receipt.items[0].total, c.total) << c.name;
            EXPECT_EQ(m().state, DocState::receiptOpen) << c.name;
        } else {
            EXPECT_EQ(m().state, DocState::idle) << c.name;
            EXPECT_EQ(m().counters.coo, 0u) << c.name << ": no receipt opened";
        }
    }
}

TEST_F(PrinterTest, AWholeSaleMovesTheTotals) {
    steps("sale", {{r::sellItem("ARROZ", "1000", 1), Status::accepted},
                   {quantityItem("2", "000", "275", 2), Status::accepted},
                   {r::sellItem("BALA", "100", 1), Status::accepted},
                   {itemOperation(1, 0, "BALA", "000000000"), Status::accepted},
                   {itemOperation(3, 0, "1", "100"), Status::accepted},
                   {r::subtotal(), Status::accepted},
                   {adjustment('A', 0, "50"), Status::accepted},
                   {r::pay(2, "500"), Status::accepted},
                   {r::pay(1, "2000"), Status::accepted},
                   {r::endTransaction("OBRIGADO"), Status::accepted}});
    // 1000 + 550 - 100 discount + 50 surcharge = 1500; paid 2500; change 1000.
    EXPECT_EQ(m().state, DocState::idle);
    EXPECT_EQ(m().lastReceipt.due(), 1500);
    EXPECT_EQ(m().day.gross, 1550);
    EXPECT_EQ(m().day.net, 1500);
    EXPECT_EQ(m().day.cancelledItems, 100);
    EXPECT_EQ(m().day.itemDiscounts, 100);
    EXPECT_EQ(m().day.change, 1000);
    EXPECT_EQ(m().taxRates[0].dayTotal, 900);
    EXPECT_EQ(m().taxRates[1].dayTotal, 550);
    EXPECT_EQ(m().paymentTypes[0].dayTotal, 1000);  // cash, net of change
    EXPECT_EQ(m().paymentTypes[1].dayTotal, 500);
    EXPECT_EQ(m().grandTotal, 1550);
    EXPECT_EQ(m().counters.ccf, 1u);
    EXPECT_EQ(m().counters.coo, 1u);
    const std::string paper = printer.paper().text();
    for (const char* printed : {"CUPOM FISCAL", "001 ARROZ", "002 789 QUEIJO", "2,000 KG x 2,75",
                                "CANCELAMENTO ITEM 003", "DESCONTO ITEM 001", "ACRESCIMO SUBTOTAL",
                                "TROCO R$", "OBRIGADO"})
        EXPECT_NE(paper.find(printed), std::string::npos) << printed;
}

TEST_F(PrinterTest, CorrectionsNeedTheirItem) {
    struct {
        const char* name;
        Bytes record;
        Status expected;
    } cases[] = {
        {"cancel item 2", cancelItemNumber("2"), Status::accepted},
        {"cancel the last item", cancelItemNumber(""), Status::accepted},
        {"cancel item 9", cancelItemNumber("9"), Status::itemNotFound},
        {"cancel item not a number", cancelItemNumber("X1"), Status::badField},
        {"cancel by description", itemOperation(1, 0, "FEIJAO", "000000000"), Status::accepted},
        {"cancel an unknown description", itemOperation(1, 0, "SAL", "000000000"), Status::itemNotFound},
        {"discount by amount", itemOperation(3, 0, "1", "100"), Status::accepted},
        {"discount of 10,00 %", itemOperation(3, 1, "1", "1000"), Status::accepted},
        {"discount as large as the item", itemOperation(3, 0, "1", "1000"), Status::amountTooLarge},
        {"discount of zero", itemOperation(3, 0, "1", "0"), Status::badField},
        {"unknown item operation", itemOperation(2, 0, "1", "100"), Status::badField},
    };
    for (const auto& c : cases) {
        printer.model() = ecfsim::freshModel({{2024, 3, 1}, 9, 0, 0});
        run(r::sellItem("ARROZ", "1000", 1));
        run(r::sellItem("FEIJAO", "800", 1));
        EXPECT_EQ(run(c.record), c.expected) << c.name;
    }
    // Nothing is cancelled twice.
    printer.model() = ecfsim::freshModel({{2024, 3, 1}, 9, 0, 0});
    run(r::sellItem("ARROZ", "1000", 1));
    EXPECT_EQ(run(cancelItemNumber("1")), Status::accepted);
    EXPECT_EQ(run(cancelItemNumber("1")), Status::itemNotFound);
}

TEST_F(PrinterTest, PaymentsAndTheirCancellation) {
    run(r::sellItem("ARROZ", "1000", 1));
    run(r::subtotal());
    EXPECT_EQ(run(r::pay(3, "1500")), Status::amountTooLarge) << "only cash gives change";
    EXPECT_EQ(run(r::pay(9, "100")), Status::notProgrammed);
    EXPECT_EQ(run(payCancel(1, "0")), Status::nothingToCancel);
    EXPECT_EQ(run(r::pay(3, "400")), Status::accepted);
    EXPECT_EQ(m().state, DocState::paying);
    EXPECT_EQ(run(payCancel(3, "400")), Status::accepted);
    EXPECT_EQ(m().state, DocState::subtotalled);
    EXPECT_EQ(run(r::pay(1, "300")), Status::accepted);
    EXPECT_EQ(run(r::pay(1, "5000")), Status::accepted);
    EXPECT_EQ(m().state, DocState::paid);
    EXPECT_EQ(m().receipt.change(), 4300);
    EXPECT_EQ(run(r::endTransaction()), Status::accepted);
    EXPECT_EQ(m().paymentTypes[2].dayTotal, 0);
    EXPECT_EQ(m().paymentTypes[0].dayTotal, 1000) << "two cash payments, the change once";
}

TEST_F(PrinterTest, CancellingReceipts) {
    // The open receipt.
    run(r::sellItem("ARROZ", "1000", 1));
    EXPECT_EQ(run(cancelReceipt()), Status::accepted);
    EXPECT_EQ(m().state, DocState::idle);
    EXPECT_EQ(m().counters.cfc, 1u);
    EXPECT_EQ(m().day.gross, 0);
    // The last receipt, right after it: its totals leave the day, the grand total stays.
    sellOneAndClose();
    EXPECT_EQ(run(cancelReceipt()), Status::accepted);
    EXPECT_EQ(m().counters.cfc, 2u);
    EXPECT_EQ(m().taxRates[0].dayTotal, 0);
    EXPECT_EQ(m().day.net, 0);
    EXPECT_EQ(m().grandTotal, 1000);
    EXPECT_EQ(run(cancelReceipt()), Status::nothingToCancel) << "already cancelled";
    // Not after another document.
    sellOneAndClose();
    run(r::reading(0x14));
    EXPECT_EQ(run(cancelReceipt()), Status::nothingToCancel);
}

TEST_F(PrinterTest, TheFiscalDayClosesWithItsReduction) {
    sellOneAndClose();
    EXPECT_EQ(run(r::reading(0x13, "CAIXA1")), Status::accepted);
    ASSERT_EQ(m().reductions.size(), 1u);
    const auto& z = m().reductions[0];
    EXPECT_EQ(z.number, 1u);
    EXPECT_EQ(z.restart, 1u);
    EXPECT_EQ(z.total, 1000);
    EXPECT_TRUE(z.when.date == (ecfsim::Date{2024, 3, 15}));
    EXPECT_EQ(m().day.gross, 0);
    EXPECT_EQ(m().taxRates[0].dayTotal, 0);
    EXPECT_EQ(m().grandTotal, 1000) << "the grand total only grows";

    EXPECT_EQ(run(r::sellItem("A", "100", 1)), Status::dayClosed);
    EXPECT_EQ(run(r::reading(0x13)), Status::dayClosed);
    EXPECT_EQ(run(r::reading(0x14)), Status::accepted) << "X readings go on";
    clock.nextDay();
    EXPECT_EQ(run(r::sellItem("A", "100", 1)), Status::accepted);
}

TEST_F(PrinterTest, ADayLeftOpenNeedsItsReductionFirst) {
    sellOneAndClose();
    clock.nextDay();
    EXPECT_EQ(run(r::sellItem("A", "100", 1)), Status::reductionPending);
    const auto status = ask(r::query(0xDF));
    EXPECT_EQ(status[6] & 0x04, 0x04) << "reduction pending";
    EXPECT_EQ(run(r::reading(0x13)), Status::accepted);
    EXPECT_TRUE(m().reductions[0].when.date == (ecfsim::Date{2024, 3, 16}));
    EXPECT_TRUE(m().lastReductionDate == (ecfsim::Date{2024, 3, 15})) << "the day reduced";
    EXPECT_EQ(run(r::sellItem("A", "100", 1)), Status::accepted);
}

TEST_F(PrinterTest, ManagerialReadingsPrintAndClearTheShift) {
    sellOneAndClose();
    EXPECT_EQ(run(r::reading(0x10, "TURNO1")), Status::accepted);
    EXPECT_EQ(m().paymentTypes[0].shiftTotal, 1000) << "the X reading keeps the shift";
    EXPECT_EQ(run(r::reading(0x11, "TURNO1")), Status::accepted);
    EXPECT_EQ(m().paymentTypes[0].shiftTotal, 0);
    EXPECT_EQ(m().paymentTypes[0].dayTotal, 1000) << "the fiscal day is not touched";
    EXPECT_EQ(m().counters.managerialReductions, 1u);
    EXPECT_EQ(m().counters.gnf, 2u);
    EXPECT_EQ(m().counters.coo, 3u);
}

TEST_F(PrinterTest, OwnersAreRecordedInTheFiscalMemory) {
    EXPECT_EQ(run(company("NOVA LTDA", "22.333.444/0001-55", "123")), Status::accepted);
    ASSERT_EQ(m().owners.size(), 2u);
    EXPECT_TRUE(m().owners[0].ended);
    EXPECT_EQ(m().currentOwner().cgc, "22.333.444/0001-55");
    EXPECT_EQ(m().currentOwner().ie, "123            ");
    EXPECT_EQ(run(company("NOVO NOME", "22.333.444/0001-55", "123")), Status::accepted);
    EXPECT_EQ(m().owners.size(), 2u) << "the same numbers: a new name only";
    for (int i = 3; i <= 20; ++i)
        EXPECT_EQ(run(company("X", "CGC" + std::to_string(i), "IE")), Status::accepted) << i;
    EXPECT_EQ(run(company("X", "CGC21", "IE")), Status::fiscalMemoryFull);
    EXPECT_EQ(m().owners.size(), 20u);

    printer.model() = ecfsim::freshModel({{2024, 3, 1}, 9, 0, 0});
    run(r::sellItem("A", "100", 1));
    run(cancelReceipt());
    EXPECT_EQ(run(company("X", "OUTRO", "IE")), Status::dayHasMovement);
}

TEST_F(PrinterTest, ProgrammingNeedsADayWithoutMovement) {
    struct {
        const char* name;
        Bytes record;
        Status expected;
    } cases[] = {
        {"rate 3 by character", Rec(0x20, 7).byte(2, '3').right(3, 4, "1800"), Status::accepted},
        {"rate 10 as ':'", Rec(0x20, 7).byte(2, ':').right(3, 4, "400"), Status::accepted},
        {"rate 12 as '<'", Rec(0x20, 7).byte(2, '<').right(3, 4, "400"), Status::notProgrammed},
        {"rate with kind S", Rec(0x22, 9).right(2, 2, "7").byte(4, 'S').right(5, 4, "200"), Status::accepted},
        {"rate with kind Q", Rec(0x22, 9).right(2, 2, "7").byte(4, 'Q').right(5, 4, "200"), Status::badField},
        {"payment type 5", Rec(0x24, 24).right(2, 2, "5").text(4, 20, "VALE"), Status::accepted},
        {"payment type 11", Rec(0x24, 24).right(2, 2, "11").text(4, 20, "VALE"), Status::notProgrammed},
        {"document 3", Rec(0x23, 51).right(2, 2, "3").text(4, 20, "RECARGA").text(44, 5, "SSNNN")
                           .right(49, 2, "RC"), Status::accepted},
    };
    for (const auto& c : cases) {
        printer.model() = ecfsim::freshModel({{2024, 3, 1}, 9, 0, 0});
        EXPECT_EQ(run(c.record), c.expected) << c.name;
        sellOneAndClose();
        EXPECT_EQ(run(c.record), Status::dayHasMovement) << c.name << " after a sale";
    }
    printer.model() = ecfsim::freshModel({{2024, 3, 1}, 9, 0, 0});
    run(Rec(0x22, 9).right(2, 2, "7").byte(4, 'S').right(5, 4, "250"));
    EXPECT_EQ(m().taxRates[6].kind, 'S');
    EXPECT_EQ(m().taxRates[6].rate, 250u);
    EXPECT_EQ(run(r::sellItem("SERVICO", "1000", 7)), Status::accepted);
}

TEST_F(PrinterTest, TheClockTakesItsFieldsInTheirOrder) {
    EXPECT_EQ(run(setClock(31, 12, 24, 23, 59, 58)), Status::accepted);
    const auto now = printer.now();
    EXPECT_TRUE(now.date == (ecfsim::Date{2024, 12, 31}));
    EXPECT_EQ(now.hour, 23);
    EXPECT_EQ(now.minute, 59);
    EXPECT_EQ(now.second, 58);
    EXPECT_EQ(run(setClock(31, 2, 24, 10, 0, 0)), Status::badClock);
    EXPECT_EQ(run(setClock(1, 1, 24, 24, 0, 0)), Status::badClock);
    EXPECT_EQ(run(Rec(0x16, 15).text(2, 13, "585923X311224")), Status::badField);
    // Not before the last reduction.
    run(r::reading(0x13));
    EXPECT_EQ(run(setClock(30, 12, 24, 10, 0, 0)), Status::badClock);
}

TEST_F(PrinterTest, NonFiscalDocumentsAndLinkedVouchers) {
    EXPECT_EQ(run(Rec(0xDD, 3).byte(2, 9)), Status::notProgrammed);
    EXPECT_EQ(run(Rec(0xDD, 3).byte(2, 1)), Status::accepted);
    EXPECT_EQ(m().state, DocState::nonFiscal);
    EXPECT_EQ(run(r::freeLine("SANGRIA DO CAIXA")), Status::accepted);
    EXPECT_EQ(run(r::sellItem("A", "100", 1)), Status::documentOpen);
    EXPECT_EQ(run(r::endTransaction()), Status::accepted);
    EXPECT_EQ(m().documents[0].dayCount, 1u);
    EXPECT_EQ(m().counters.gnf, 1u);

    run(r::sellItem("ARROZ", "1000", 1));
    run(r::subtotal());
    run(r::pay(3, "1000"));
    run(r::endTransaction());
    const std::string coo = std::to_string(m().lastReceipt.coo);
    auto voucher = [&](const std::string& c, const std::string& type, const std::string& value) {
        return Rec(0xDE, 19).right(2, 6, c).right(8, 2, type).right(10, 9, value);
    };
    EXPECT_EQ(run(voucher("999", "3", "1000")), Status::noSuchReceipt);
    EXPECT_EQ(run(voucher(coo, "1", "1000")), Status::noSuchReceipt) << "not paid in cash";
    EXPECT_EQ(run(voucher(coo, "3", "1001")), Status::amountTooLarge);
    EXPECT_EQ(run(voucher(coo, "3", "600")), Status::accepted);
    EXPECT_EQ(m().state, DocState::linkedVoucher);
    EXPECT_EQ(run(r::freeLine("VIA DO CLIENTE")), Status::accepted);
    EXPECT_EQ(run(r::endTransaction()), Status::accepted);
    EXPECT_EQ(run(voucher(coo, "3", "500")), Status::amountTooLarge) << "400 left";
    EXPECT_EQ(run(voucher(coo, "3", "400")), Status::accepted);
    EXPECT_EQ(run(Rec(0xC7, 12)), Status::accepted);
    EXPECT_EQ(m().state, DocState::idle);
    EXPECT_EQ(run(voucher(coo, "3", "400")), Status::accepted) << "a cancelled voucher frees its amount";
    EXPECT_EQ(run(r::endTransaction()), Status::accepted);
    EXPECT_EQ(m().counters.cdc, 3u);
    EXPECT_EQ(run(r::reading(0x14)), Status::accepted);
    EXPECT_EQ(run(voucher(coo, "3", "1")), Status::noSuchReceipt) << "not after another document";
}

TEST_F(PrinterTest, ChequeLinesLandOnTheLinesTheirAdvancesName) {
    printer.paper().clear();
    // A layout with lines 3, 5, 6, 8 and 9: advances 2, 2, 1, 2, 1.
    const std::pair<char, const char*> lines[] = {
        {'2', "VALOR"}, {'2', "EXTENSO 1"}, {'1', "EXTENSO 2"}, {'2', "FAVORECIDO"}, {'1', "DATA"}};
    for (const auto& [advance, text] : lines)
        EXPECT_EQ(run(Rec(0xC0, 84).byte(2, uint8_t(advance)).text(4, 80, text)), Status::accepted);
    EXPECT_EQ(printer.paper().text(), "\n\nVALOR\n\nEXTENSO 1\nEXTENSO 2\n\nFAVORECIDO\nDATA\n");
}

TEST_F(PrinterTest, QueriesAnswerWithTheirLengths) {
    struct {
        Bytes record;
        std::size_t length;
    } cases[] = {
        {r::query(0xDF), 7},      {r::query(0xE0), 72},     {r::query(0xE1, 1), 41},
        {r::query(0xE2, 1), 47},  {r::query(0xE3, 1), 123}, {r::query(0xE4), 52},
        {r::query(0xE5, 1), 268}, {r::query(0xE6), 47},     {r::query(0xE7, 1), 66},
        {r::query(0xE1, 99), 41}, {r::query(0xE5, 42), 268}, {Rec(0x12, 3), 747},
        {r::selectByNumber(0x26, 4, 0, 1), 9}, {r::selectByNumber(0x15, 4, 0, 1), 59 + 12},
        {r::selectByNumber(0x15, 7, 0, 1), 12},
    };
    for (const auto& c : cases) {
        const std::size_t length = ask(c.record).size();
        EXPECT_EQ(length, c.length) << std::hex << int(c.record[1]);
    }
    EXPECT_EQ(m().counters.coo, 0u) << "queries print nothing";
}

TEST_F(PrinterTest, RepliesCarryTheModel) {
    run(r::sellItem("ARROZ", "1234", 1));
    run(r::subtotal());
    run(r::pay(1, "2000"));
    auto text = [](const Bytes& b, std::size_t pos, std::size_t width) {
        return std::string(b.begin() + long(pos), b.begin() + long(pos + width));
    };
    const Bytes status = ask(r::query(0xDF));
    EXPECT_EQ(status[3], 4) << "paid";
    EXPECT_EQ(status[5], 0) << "the last status";
    EXPECT_EQ(status[6] & 0x02, 0x02) << "the day has movement";
    const Bytes receipt = ask(r::query(0xE0));
    EXPECT_EQ(text(receipt, 3, 4), "0001");
    EXPECT_EQ(text(receipt, 7, 1), "4");
    EXPECT_EQ(text(receipt, 8, 6), "000001");
    EXPECT_EQ(text(receipt, 22, 8), "15/03/24");
    EXPECT_EQ(text(receipt, 30, 21), std::string(17, '0') + "1234");
    EXPECT_EQ(text(receipt, 51, 21), std::string(17, '0') + "2000");
    const Bytes change = ask(r::query(0xE6));
    EXPECT_EQ(text(change, 5, 21), std::string(18, '0') + "766");
    run(r::endTransaction());
    const Bytes rate = ask(r::query(0xE1, 1));
    EXPECT_EQ(text(rate, 2, 8), "T117,00%");
    EXPECT_EQ(text(rate, 10, 17), std::string(13, '0') + "1234");
    EXPECT_EQ(text(rate, 27, 14), std::string(11, '0') + "209");
    const Bytes cash = ask(r::query(0xE2, 1));
    EXPECT_EQ(text(cash, 2, 3), "S11");
    EXPECT_EQ(text(cash, 5, 21), "Dinheiro" + std::string(13, ' '));
    const Bytes user = ask(r::query(0xE5, 1));
    EXPECT_EQ(text(user, 160, 18), ecfsim::kDefaultCgc);
    EXPECT_EQ(text(user, 211, 8), std::string("01\0" "03\0" "24", 8));
    const Bytes equipment = ask(r::query(0xE4));
    EXPECT_EQ(text(equipment, 3, 11), std::string("SIM00000001"));
    // The status byte of a refused command shows in the printer status.
    run(r::subtotal());
    EXPECT_EQ(ask(r::query(0xDF))[5], uint8_t(Status::noDocument));
}

TEST_F(PrinterTest, FiscalMemorySelections) {
    for (int day = 0; day < 3; ++day) {
        sellOneAndClose();
        run(r::reading(0x13));
        clock.nextDay();
    }
    struct {
        const char* name;
        Bytes record;
        std::string counts;
    } cases[] = {
        {"reductions 1 to 2", r::selectByNumber(0x26, 2, 1, 2), "010002"},
        {"reductions 0 to 1", r::selectByNumber(0x26, 4, 0, 1), "010001"},
        {"reductions 5 to 9", r::selectByNumber(0x26, 4, 5, 9), "010000"},
        {"dates 16/03 to 17/03", r::selectByDate(0x26, 3, "160324", "170324"), "010002"},
        {"dates in 2023", r::selectByDate(0x26, 1, "010123", "311223"), "010000"},
        {"a date not valid", r::selectByDate(0x26, 3, "320324", "170324"), "000000"},
        {"mode 0", r::selectByNumber(0x26, 0, 1, 2), "000000"},
    };
    for (const auto& c : cases) {
        const Bytes reply = ask(c.record);
        EXPECT_EQ(std::string(reply.begin() + 3, reply.end()), c.counts) << c.name;
    }
    const Bytes all = ask(r::selectByNumber(0x15, 4, 1, 3));
    ASSERT_EQ(all.size(), 59u + 3 * 41 + 32);
    EXPECT_EQ(std::string(all.begin() + 5, all.begin() + 23), ecfsim::kDefaultCgc);
    const std::string first(all.begin() + 69, all.begin() + 110);
    EXPECT_EQ(first, "00010001" "15/03/24" "10:00" + std::string(16, '0') + "1000");
    EXPECT_EQ(run(r::selectByNumber(0x15, 2, 1, 3)), Status::accepted) << "printed";
    EXPECT_EQ(run(r::selectByNumber(0x15, 0, 1, 3)), Status::badField);
    EXPECT_NE(printer.paper().text().find("LEITURA DA MEMORIA FISCAL"), std::string::npos);
}

}  // namespace

namespace {

// Every record the line can deliver, however hostile, gets an answer of the
// length the library waits for, and the model keeps its rules.
TEST(PrinterRobustness, AnyRecordGetsAnAnswerOfItsLength) {
    TestClock clock;
    Printer printer(ecfsim::freshModel({{2024, 3, 1}, 9, 0, 0}), [&clock] { return clock.seconds; });
    uint64_t seed = 12345;
    auto next = [&seed] {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        return seed;
    };
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

TEST(PrinterRobustness, RecordsOfTheWrongLengthAreRefused) {
    Printer printer(ecfsim::freshModel({{2024, 3, 1}, 9, 0, 0}));
    struct {
        Bytes record;
        Status expected;
    } cases[] = {
        {{}, Status::unknownCommand},
        {{'f'}, Status::unknownCommand},
        {{'f', 0x02, 0x00}, Status::unknownCommand},
        {{'f', 0xD1}, Status::badField},
        {{'f', 0xD1, 0x00, 0x00}, Status::badField},
        {{'n', 'A'}, Status::noDocument},
        {{'x', 0xD1, 0x00}, Status::unknownCommand},
    };
    for (const auto& c : cases) {
        const auto a = printer.execute(c.record);
        ASSERT_EQ(a.bytes.size(), 1u);
        EXPECT_EQ(a.bytes[0], uint8_t(c.expected)) << c.record.size();
    }
}

}  // namespace
