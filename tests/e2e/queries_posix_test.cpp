// The status queries read back what the simulated printer holds, in the
// middle of a receipt and after it. The parameter forms split the same
// replies (their own tests hold that); only the printer status gives more.
#include <array>

#include "printer_session.h"

namespace {

using namespace ecf::e2e;

using ecf::test::pad;
std::string text(const char* s) { return s; }

// The state, the last status byte and the flags of the printer status.
std::array<unsigned, 3> printerStatus() {
    unsigned char state = 0xEE, status = 0xEE, flags = 0xEE;
    EXPECT_EQ(ecfParamStatusImp(&state, &status, &flags), 0);
    return {state, status, flags};
}

// Two items of 10,00 (17 %) and 5,50 (12 %), 5,00 paid by cheque: the
// queries in the middle of the receipt; then the rest paid, the drawer opened
// and a withdrawal printed: the queries after it.
TEST(Queries, InTheMiddleOfAReceiptAndAfterIt) {
    SimFixture sim;
    ASSERT_EQ(ecfVendaItem("CAMISETA ALGODAO", "1000", 1), 0);
    ASSERT_EQ(ecfVendaItem("MEIA ESPORTIVA", "550", 2), 0);
    ASSERT_EQ(ecfSubTotal(), 0);
    ASSERT_EQ(ecfPagamento(2, "", "500", 0), 0);
    EXPECT_EQ(ecfVendaItem("X", "1", 1), refused(Status::wrongState)) << "the last status: 10";
    Model m = sim.model();
    ASSERT_EQ(m.state, DocState::paying);
    const std::string receipt = "000002" + digits(m.counters.ccf, 6) + shortDate(m.receipt.opened.date);

    EXPECT_EQ(text(ecfStatusCupom(0)),
              digits(m.counters.coo, 4) + "3" + receipt + digits(1550, 21) + digits(500, 21));
    EXPECT_EQ(text(ecfStatusImp()), "03" "010" "100");
    EXPECT_EQ(text(ecfStatusPayTypes(2)), "S01" + pad("Cheque", 21) + digits(0, 21));
    EXPECT_EQ(text(ecfStatusTroco()), digits(0, 21) + digits(500, 21));
    EXPECT_EQ(printerStatus(), (std::array<unsigned, 3>{3, 10, 0x02}))
        << "paying; the refused item, which queries leave; the day has movement";

    ASSERT_EQ(ecfPagamento(1, "", "2000", 0), 0);
    ASSERT_EQ(ecfFimTrans(""), 0);
    const std::string voucherCoo = digits(sim.model().lastReceipt.coo, 7);
    ASSERT_EQ(ecfAbreGaveta(), 0);
    ASSERT_EQ(ecfInicCupomNFiscal(1), 0);
    ASSERT_EQ(ecfImpLinha("SANGRIA PARA O COFRE"), 0);
    ASSERT_EQ(ecfFimTrans(""), 0);
    m = sim.model();
    const std::string sangria = digits(m.documents[0].lastCoo, 19);

    EXPECT_EQ(text(ecfStatusCupom(0)),
              digits(m.counters.coo, 4) + "0" + receipt + digits(1550, 21) + digits(2500, 21));
    EXPECT_EQ(text(ecfStatusImp()), "00" "000" "100");
    EXPECT_EQ(text(ecfStatusAliquotas(1)), "T117,00%" + digits(1000, 17) + digits(170, 14));
    EXPECT_EQ(text(ecfStatusAliquotas(2)), "T112,00%" + digits(550, 17) + digits(66, 14));
    EXPECT_EQ(text(ecfStatusAliquotas(5)), "S1 5,00%" + digits(0, 17) + digits(0, 14));
    EXPECT_EQ(text(ecfStatusPayTypes(1)), "S11" + pad("Dinheiro", 21) + digits(1050, 21));
    EXPECT_EQ(text(ecfStatusPayTypes(4)), "S00" + pad("Cartao Debito", 21) + digits(0, 21));
    EXPECT_EQ(text(ecfStatusTroco()), digits(950, 21) + digits(2500, 21));
    EXPECT_EQ(text(ecfStatusDocsNFs(1)), "S1" + pad("Sangria", 21) + "     " + "   " + digits(1, 7) + digits(0, 7) +
                                             digits(1, 19) + digits(1, 19) + sangria + digits(0, 19));
    EXPECT_EQ(text(ecfStatusVincs(2)),
              "N002" + pad("Cheque", 21) + digits(500, 21) + voucherCoo + "000" + digits(500, 7))
        << "documents printed since the receipt: no voucher may follow it";
    EXPECT_EQ(printerStatus(), (std::array<unsigned, 3>{0, 0, 0x03}))
        << "drawer open (not in the text), day with movement";
}

TEST(Queries, EquipmentAndOwnerData) {
    SimFixture sim;
    const Model m = sim.model();
    const std::string installed = shortDate(m.equipment.installed.date, 4);
    const std::string startDate = shortDate(m.owners[0].start.date);
    const std::string startTime = hhmm(m.owners[0].start);
    const std::string lines[] = {pad("LOJA SIMULADA LTDA", 48), pad("RUA DAS FLORES, 100 - CENTRO", 48),
                                 pad("SAO PAULO - SP", 48)};

    // The model's texts are NUL-padded: the text form blanks all of a field
    // but its last position.
    EXPECT_EQ(text(ecfStatusEquipo()), "SIM00000001" + pad("ECF-SIM 48", 15) + "01.00" + installed);
    const std::string owner = lines[0] + lines[1] + lines[2] + "00001" + "00001" + "11.222.333/0001-81" +
                              "110.042.490.114" + pad("", 16) + startDate + startTime + "////////" +
                              pad("", 5) + "00001" + pad("LOJA SIMULADA LTDA", 22);
    EXPECT_EQ(text(ecfStatusUser(0)), owner) << "the current owner";
    EXPECT_EQ(text(ecfStatusUser(1)), owner);
    EXPECT_EQ(text(ecfStatusUser(7)), pad("", 48 * 3) + pad("", 18 + 14 + 16) + "////////" + pad("", 5) +
                                          "////////" + pad("", 5) + pad("", 5 + 22))
        << "no such owner";
}

}  // namespace
