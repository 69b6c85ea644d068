// Programming the printer through the library's exports: tables, codes, the
// clock, the header and the owner, seen in the simulated printer's model.
#include <array>
#include <tuple>

#include "printer_session.h"

namespace {

using namespace ecf::e2e;

TEST(Programming, TablesAndCodesLandInThePrinter) {
    SimFixture sim;
    ASSERT_EQ(ecfCargaTabAliq(6, "1800"), 0);
    ASSERT_EQ(ecfCargaTabAliq(10, "20350"), 0) << "index 10 travels as ':'";
    ASSERT_EQ(ecfCargaAliqSelect("7", "TS", "0500"), 0);
    ASSERT_EQ(ecfPayPatterns("5", "Vale Refeicao"), 0);
    ASSERT_EQ(ecfPayPatterns("10", "Transferencia Bancaria Imediata"), 0);
    ASSERT_EQ(ecfProgNFComprov("3", "Fundo de Troco", "1", "0", "XS", "", "N", "FT"), 0);
    ASSERT_EQ(ecfCargaCodCripto("0123456789ABC"), 0);
    ASSERT_EQ(ecfPrgCod(0xB7), 0);
    ASSERT_EQ(ecfGrava("OPERADOR1", "00012", "XYZ"), 0);
    Model m = sim.model();
    const auto& rates = m.taxRates;
    EXPECT_TRUE(rates[5].programmed && rates[5].kind == 'T' && rates[5].rate == 1800u);
    EXPECT_TRUE(rates[9].programmed && rates[9].rate == 350u) << "the last four digits";
    EXPECT_TRUE(rates[6].programmed && rates[6].kind == 'S' && rates[6].rate == 500u)
        << "the kind's last character";
    EXPECT_TRUE(m.paymentTypes[4].programmed);
    EXPECT_EQ(m.paymentTypes[4].name, "Vale Refeicao");
    EXPECT_EQ(m.paymentTypes[9].name, "Transferencia Bancar");
    const ecfsim::NonFiscalDocument& d = m.documents[2];
    EXPECT_TRUE(d.programmed);
    EXPECT_EQ(d.name + "|" + d.flags + "|" + d.code, "Fundo de Troco|10S N|FT");
    EXPECT_EQ(m.cipherCode, "3456789ABC") << "the last ten";
    EXPECT_EQ(m.programCode, 0xB7);
    EXPECT_EQ(m.userRecord, (std::array<std::string, 3>{"OPERADOR", "0001", "X"}));

    // What was programmed is what a sale then uses.
    ASSERT_EQ(ecfVendaItem("REFEICAO EXECUTIVA", "3200", 6), 0);
    ASSERT_EQ(ecfVendaItem("TAXA DE SERVICO", "320", 7), 0);
    ASSERT_EQ(ecfSubTotal(), 0);
    ASSERT_EQ(ecfPagamento(5, "", "3520", 0), 0);
    ASSERT_EQ(ecfFimTrans(""), 0);
    ASSERT_EQ(ecfInicCupomNFiscal(3), 0);
    ASSERT_EQ(ecfFimTrans(""), 0);
    m = sim.model();
    EXPECT_EQ(m.taxRates[5].dayTotal, 3200);
    EXPECT_EQ(m.taxRates[6].dayTotal, 320);
    EXPECT_EQ(m.paymentTypes[4].dayTotal, 3520);
    EXPECT_EQ(m.documents[2].dayCount, 1u);
    for (const char* text : {"T06", "S07", "Vale Refeicao", "Fundo de Troco"})
        EXPECT_TRUE(printed(sim.paper(), text)) << text << "\n" << sim.paper();
}

TEST(Programming, TheClockRunsFromTheTimeSet) {
    SimFixture sim;
    ASSERT_EQ(ecfAcertaData(15, 3, 2030, 10, 20, 30), 0) << "the year travels as 30";
    const int64_t offset = sim.model().clockOffset;
    const ecfsim::DateTime now = ecfsim::localDateTime(ecfsim::systemSeconds() + offset);
    EXPECT_EQ(shortDate(now.date, 4) + " " + hhmm(now), "15/03/2030 10:20");

    ASSERT_EQ(ecfLeituraX(""), 0);
    EXPECT_TRUE(printed(sim.paper(), "15/03/2030 10:20:")) << sim.paper();

    // The fiscal day then opens on that date, and the clock may not go back
    // before it.
    ASSERT_EQ(sellAndClose("PAO FRANCES", "85", 1, "100"), 0);
    EXPECT_EQ(sim.model().day.opened.year, 2030);
    EXPECT_EQ(ecfAcertaData(14, 3, 30, 23, 0, 0), refused(Status::badClock));
    EXPECT_EQ(ecfAcertaData(15, 3, 30, 23, 59, 0), 0);
}

TEST(Programming, HeaderAndCompanyDescription) {
    SimFixture sim;
    const std::string longLine(50, 'L');
    ASSERT_EQ(ecfCabLoja("MERCADO BOM PRECO", "AV. BRASIL, 2000", longLine.c_str(), 12, 123456,
                         "12.345.678/0001-90", "123.456.789.012"), 0);
    ecfsim::Header h = sim.model().header;
    EXPECT_EQ(h.lines,
              (std::array<std::string, 3>{"MERCADO BOM PRECO", "AV. BRASIL, 2000", longLine.substr(0, 48)}));
    EXPECT_EQ(std::make_tuple(h.number1, h.number2, h.cgc, h.ie, h.extra),
              std::make_tuple(12u, 3456u, "12.345.678/0001-90", "123.456.789.012", ""))
        << "the short form carries no fourth text";

    ASSERT_EQ(ecfProgHeader30("MERCADO BOM PRECO", "FILIAL 2", "", 1, 2, "12.345.678/0002-71",
                              "123.456.789.013", "IM 0012345-6/DESDE 1998"), 0);
    h = sim.model().header;
    EXPECT_EQ(std::make_tuple(h.lines[1], h.lines[2], h.cgc, h.extra),
              std::make_tuple("FILIAL 2", "", "12.345.678/0002-71", "IM 0012345-6/DE"));

    sim.clearPaper();
    ASSERT_EQ(ecfImpCab(0), 0);
    EXPECT_TRUE(printed(sim.paper(), "FILIAL 2")) << sim.paper();
    EXPECT_TRUE(printed(sim.paper(), "CNPJ:12.345.678/0002-71")) << sim.paper();

    // A new CGC and IE make a new owner in the fiscal memory; the same ones
    // again only rename the company.
    ASSERT_EQ(ecfDescriEmpresa("COMERCIAL BOM PRECO LTDA", "12.345.678/0002-71", "123.456.789.013"), 0);
    ASSERT_EQ(sim.model().owners.size(), 2u);
    EXPECT_TRUE(printed(sim.paper(), "ALTERACAO DE PROPRIETARIO")) << sim.paper();
    ASSERT_EQ(ecfDescriEmpresa("COMERCIAL BOM PRECO EIRELI-ME/MATRIZ SP", "12.345.678/0002-71",
                               "123.456.789.013"), 0);
    const Model m = sim.model();
    ASSERT_EQ(m.owners.size(), 2u);
    EXPECT_TRUE(m.owners[0].ended);
    EXPECT_EQ(m.owners[1].cgc + m.owners[1].ie, "12.345.678/0002-71" "123.456.789.013");
    EXPECT_EQ(m.owners[1].name, "COMERCIAL BOM PRECO EIRELI-ME/") << "thirty characters";
    EXPECT_EQ(m.companyName, m.owners[1].name);
}

}  // namespace
