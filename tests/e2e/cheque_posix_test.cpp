// Cheques printed through the library against the simulated printer: each
// item of the cheque lands on the cheque station at its bank's line and column.
#include "cheque/currency_dir.h"
#include "printer_session.h"

namespace {

using namespace ecf::e2e;

using ecf::test::sp;
using Cheques = ecf::test::CurrencyDir;

// Bank 1: figures on line 3 from column 61, words on lines 5 and 6 from
// columns 15 and 6, payee on line 8 at column 7, the date line 9.
TEST_F(Cheques, AComposedChequeFollowsItsBanksLayout) {
    SimFixture sim;
    ASSERT_EQ(ecfImpCheque(1, "000000123456", "FORNECEDORA DE PAPEIS LTDA", "SAO PAULO", "150324",
                           "PAGAVEL EM QQ AG"),
              0);
    const std::vector<std::string> rows = {
        "", "", sp(60) + sp(9) + "(1.234,56)", "",
        sp(14) + "( UM MIL, DUZENTOS E TRINTA E QUATRO REAIS E CINQUENTA E SEIS ----",
        sp(5) + "CENTAVOS ) " + std::string(64, '*'), "", sp(6) + "FORNECEDORA DE PAPEIS LTDA",
        sp(5) + "PAGAVEL EM QQ AG" + sp(21) + "SAO PAULO" + sp(1) + "15" + sp(8) + "Março" + sp(9) + "24"};
    EXPECT_EQ(linesOf(sim.paper()), rows) << sim.paper();
}

// The single-record cheque: the printer places the items by the layout row
// the library looked up (bank 4: figures on line 2 from column 59, words from
// line 4 column 26, payee on line 8 at column 7, date line 9).
TEST_F(Cheques, KorvanCarriesTheBanksLayoutToThePrinter) {
    SimFixture sim;
    ASSERT_EQ(ecfChequeKorvan(4, "0000123456", "DISTRIBUIDORA CENTRAL", "CAMPINAS", "15032024",
                              "PAGAR ATE 20/03", "REF. NF 1234", "SERIE 2"),
              0);
    const std::vector<std::string> r = linesOf(sim.paper());
    ASSERT_GE(r.size(), 11u) << sim.paper();
    EXPECT_EQ(r[0], "");
    EXPECT_EQ(r[1], sp(58) + sp(9) + "(1.234,56)");
    EXPECT_EQ(r[3].find_first_not_of(' '), 25u) << r[3];
    EXPECT_EQ(r[3].rfind("MIL", 25), 25u) << r[3];
    EXPECT_EQ(r[3].size(), 80u) << "filled to column 80";
    EXPECT_EQ(r[7], sp(6) + "DISTRIBUIDORA CENTRAL");
    EXPECT_EQ(r[8], sp(5) + "PAGAR ATE 20/03" + sp(26) + "CAMPINAS" + sp(5) + "15" + sp(4) + "03" +
                        sp(9) + "2024");
    EXPECT_EQ(r[9], "REF. NF 1234");
    EXPECT_EQ(r[10], "SERIE 2");
}

}  // namespace
