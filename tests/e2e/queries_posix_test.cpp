// The status queries read back what the simulated printer holds, in their text
// form and in their parameter form, in the middle of a receipt and after it.
#include <array>
#include <cstring>

#include "printer_session.h"

namespace {

using namespace ecf::e2e;

std::string pad(const std::string& s, std::size_t width) {
    return s.size() >= width ? s.substr(0, width) : s + std::string(width - s.size(), ' ');
}

// Caller buffers for a parameter form, each read back as a C string.
struct Buffers {
    std::array<std::array<char, 300>, 14> b{};
    Buffers() {
        for (auto& one : b) one.fill('?');
    }
    char* operator[](std::size_t i) { return b[i].data(); }
    std::vector<std::string> strings(std::size_t n) const {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < n; ++i) out.emplace_back(b[i].data(), strnlen(b[i].data(), 300));
        return out;
    }
};

struct TextQuery {
    const char* name;
    const char* (*text)();
    std::string expected;
};

struct ParamQuery {
    const char* name;
    int32_t (*call)(Buffers& b);
    std::vector<std::string> expected;  // the out-parameters in their order
};

void expectReadBack(const std::vector<TextQuery>& texts, const std::vector<ParamQuery>& params) {
    for (const TextQuery& q : texts) EXPECT_EQ(q.text(), q.expected) << q.name;
    for (const ParamQuery& q : params) {
        Buffers b;
        EXPECT_EQ(q.call(b), 0) << q.name;
        EXPECT_EQ(b.strings(q.expected.size()), q.expected) << q.name;
    }
}

// Two items of 10,00 (17 %) and 5,50 (12 %), subtotalled, 5,00 paid by cheque.
void sellTwoItemsAndPayPartly() {
    ASSERT_EQ(ecfVendaItem("CAMISETA ALGODAO", "1000", 1), 0);
    ASSERT_EQ(ecfVendaItem("MEIA ESPORTIVA", "550", 2), 0);
    ASSERT_EQ(ecfSubTotal(), 0);
    ASSERT_EQ(ecfPagamento(2, "", "500", 0), 0);
}

TEST(Queries, InTheMiddleOfAReceipt) {
    SimFixture sim;
    sellTwoItemsAndPayPartly();
    EXPECT_EQ(ecfVendaItem("X", "1", 1), refused(Status::wrongState)) << "the last status: 10";
    const Model m = sim.model();
    ASSERT_EQ(m.state, DocState::paying);
    const std::string coo = digits(m.counters.coo, 4);
    const std::string ccf = digits(m.counters.ccf, 6);
    const std::string date = shortDate(m.receipt.opened.date);

    expectReadBack(
        {
            {"ecfStatusCupom", [] { return static_cast<const char*>(ecfStatusCupom(0)); },
             coo + "3" + "000002" + ccf + date + digits(1550, 21) + digits(500, 21)},
            {"ecfStatusImp", [] { return static_cast<const char*>(ecfStatusImp()); },
             "03" "010" "100"},
            {"ecfStatusPayTypes 2", [] { return static_cast<const char*>(ecfStatusPayTypes(2)); },
             "S01" + pad("Cheque", 21) + digits(0, 21)},
            {"ecfStatusTroco", [] { return static_cast<const char*>(ecfStatusTroco()); },
             digits(0, 21) + digits(500, 21)},
        },
        {
            {"ecfParamStatusCup",
             [](Buffers& b) { return ecfParamStatusCup(b[0], b[1], b[2], b[3], b[4], b[5], b[6]); },
             {coo, "3", "000002", date, ccf, digits(1550, 21), digits(500, 21)}},
            {"ecfParamStatusPayTypes 2",
             [](Buffers& b) { return ecfParamStatusPayTypes(2, b[0], b[1], b[2], b[3]); },
             {"0", "1", pad("Cheque", 21), digits(0, 21)}},
        });

    unsigned char state = 0xEE, status = 0xEE, flags = 0xEE;
    EXPECT_EQ(ecfParamStatusImp(&state, &status, &flags), 0);
    EXPECT_EQ(state, 3);
    EXPECT_EQ(status, 10) << "the refused item; queries leave it";
    EXPECT_EQ(flags, 0x02) << "the day has movement";
}

TEST(Queries, AfterTheSale) {
    SimFixture sim;
    sellTwoItemsAndPayPartly();
    ASSERT_EQ(ecfPagamento(1, "", "2000", 0), 0);
    ASSERT_EQ(ecfFimTrans(""), 0);
    const uint32_t receiptCoo = sim.model().lastReceipt.coo;
    ASSERT_EQ(ecfAbreGaveta(), 0);
    ASSERT_EQ(ecfInicCupomNFiscal(1), 0);
    ASSERT_EQ(ecfImpLinha("SANGRIA PARA O COFRE"), 0);
    ASSERT_EQ(ecfFimTrans(""), 0);

    const Model m = sim.model();
    const std::string coo = digits(m.counters.coo, 4);
    const std::string ccf = digits(m.counters.ccf, 6);
    const std::string date = shortDate(m.lastReceipt.opened.date);
    const std::string sangria = digits(m.documents[0].lastCoo, 19);
    const std::string voucherCoo = digits(receiptCoo, 7);

    expectReadBack(
        {
            {"ecfStatusCupom", [] { return static_cast<const char*>(ecfStatusCupom(0)); },
             coo + "0" + "000002" + ccf + date + digits(1550, 21) + digits(2500, 21)},
            {"ecfStatusImp", [] { return static_cast<const char*>(ecfStatusImp()); },
             "00" "000" "100"},
            {"ecfStatusAliquotas 1", [] { return static_cast<const char*>(ecfStatusAliquotas(1)); },
             "T117,00%" + digits(1000, 17) + digits(170, 14)},
            {"ecfStatusAliquotas 2", [] { return static_cast<const char*>(ecfStatusAliquotas(2)); },
             "T112,00%" + digits(550, 17) + digits(66, 14)},
            {"ecfStatusAliquotas 5", [] { return static_cast<const char*>(ecfStatusAliquotas(5)); },
             "S1 5,00%" + digits(0, 17) + digits(0, 14)},
            {"ecfStatusPayTypes 1", [] { return static_cast<const char*>(ecfStatusPayTypes(1)); },
             "S11" + pad("Dinheiro", 21) + digits(1050, 21)},
            {"ecfStatusPayTypes 4", [] { return static_cast<const char*>(ecfStatusPayTypes(4)); },
             "S00" + pad("Cartao Debito", 21) + digits(0, 21)},
            {"ecfStatusTroco", [] { return static_cast<const char*>(ecfStatusTroco()); },
             digits(950, 21) + digits(2500, 21)},
            {"ecfStatusDocsNFs 1", [] { return static_cast<const char*>(ecfStatusDocsNFs(1)); },
             "S1" + pad("Sangria", 21) + "     " + "   " + digits(1, 7) + digits(0, 7) +
                 digits(1, 19) + digits(1, 19) + sangria + digits(0, 19)},
        },
        {
            {"ecfParamStatusCup",
             [](Buffers& b) { return ecfParamStatusCup(b[0], b[1], b[2], b[3], b[4], b[5], b[6]); },
             {coo, "0", "000002", date, ccf, digits(1550, 21), digits(2500, 21)}},
            {"ecfParamStatusAliquotas 2",
             [](Buffers& b) { return ecfParamStatusAliquotas(2, b[0], b[1], b[2], b[3]); },
             {"1", "12,00%", digits(550, 17), digits(66, 14)}},
            {"ecfParamStatusPayTypes 1",
             [](Buffers& b) { return ecfParamStatusPayTypes(1, b[0], b[1], b[2], b[3]); },
             {"1", "1", pad("Dinheiro", 21), digits(1050, 21)}},
            {"ecfParamStatusTroco", [](Buffers& b) { return ecfParamStatusTroco(b[0], b[1]); },
             {digits(950, 21), digits(2500, 21)}},
            {"ecfParamStatusDocsNFs 1",
             [](Buffers& b) {
                 return ecfParamStatusDocsNFs(1, b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7],
                                              b[8], b[9]);
             },
             {"1", pad("Sangria", 21), "     ", "   ", digits(1, 7), digits(0, 7), digits(1, 19),
              digits(1, 19), sangria, digits(0, 19)}},
            {"ecfParamStatusVincs 2",
             [](Buffers& b) { return ecfParamStatusVincs(2, b[0], b[1], b[2], b[3], b[4], b[5], b[6]); },
             {"N", "002", pad("Cheque", 21), digits(500, 21), voucherCoo, "000", digits(500, 7)}},
        });
    EXPECT_EQ(std::string(ecfStatusVincs(2)),
              "N002" + pad("Cheque", 21) + digits(500, 21) + voucherCoo + "000" + digits(500, 7))
        << "documents printed since the receipt: no voucher may follow it";

    unsigned char state = 0xEE, status = 0xEE, flags = 0xEE;
    EXPECT_EQ(ecfParamStatusImp(&state, &status, &flags), 0);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(flags, 0x03) << "drawer open (not in the text), day with movement";
}

TEST(Queries, EquipmentAndOwnerData) {
    SimFixture sim;
    const Model m = sim.model();
    const std::string installed = shortDate(m.equipment.installed.date, 4);
    const std::string startDate = shortDate(m.owners[0].start.date);
    const std::string startTime = hhmm(m.owners[0].start);
    const std::string lines[] = {pad("LOJA SIMULADA LTDA", 48), pad("RUA DAS FLORES, 100 - CENTRO", 48),
                                 pad("SAO PAULO - SP", 48)};

    expectReadBack(
        {
            // The model's texts are NUL-padded: the text form blanks all of a
            // field but its last position.
            {"ecfStatusEquipo", [] { return static_cast<const char*>(ecfStatusEquipo()); },
             "SIM00000001" + pad("ECF-SIM 48", 15) + "01.00" + installed},
            {"ecfStatusUser 0", [] { return static_cast<const char*>(ecfStatusUser(0)); },
             lines[0] + lines[1] + lines[2] + "00001" + "00001" + "11.222.333/0001-81" +
                 "110.042.490.114" + pad("", 16) + startDate + startTime + "////////" + pad("", 5) +
                 "00001" + pad("LOJA SIMULADA LTDA", 22)},
            {"ecfStatusUser 7, no such owner", [] { return static_cast<const char*>(ecfStatusUser(7)); },
             pad("", 48 * 3) + pad("", 18 + 14 + 16) + "////////" + pad("", 5) + "////////" +
                 pad("", 5) + pad("", 5 + 22)},
        },
        {
            {"ecfParamStatusEquipo",
             [](Buffers& b) { return ecfParamStatusEquipo(b[0], b[1], b[2], b[3]); },
             {"SIM00000001", pad("ECF-SIM 48", 16), "01.00", installed}},
            {"ecfParamStatusUser 1",
             [](Buffers& b) {
                 return ecfParamStatusUser(1, b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8],
                                           b[9], b[10], b[11], b[12], b[13]);
             },
             {lines[0], lines[1], lines[2], "00001", "00001", "11.222.333/0001-81", pad("", 16),
              "110.042.490.114", startDate, startTime.substr(0, 2) + startTime.substr(3), "////////",
              pad("", 4), "00001", pad("LOJA SIMULADA LTDA", 22)}},
        });
}

}  // namespace
