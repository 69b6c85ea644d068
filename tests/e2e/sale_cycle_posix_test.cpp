// Whole receipts, cancellations, non-fiscal documents and the day's readings,
// through the library's exports against the simulated printer: what the
// printer did with them (its model) and what it printed (its paper).
#include "printer_session.h"

namespace {

using namespace ecf::e2e;

struct Goods {
    const char* code;
    const char* description;
    const char* price;  // centavos, as digits
};
const Goods kGoods[] = {
    {"7891000100103", "ARROZ TIPO 1 5KG", "1000"},
    {"7896006700017", "FEIJAO PRETO 1KG", "350"},
    {"7891107101621", "OLEO DE SOJA 900ML", "199"},
};

// One receipt per item format: three items, a discount on the first, the
// second cancelled, perhaps a subtotal adjustment (after one taken back), a
// cheque of 10,00 and 50,00 in cash, the change given.
TEST(SaleCycle, AWholeReceiptInEachItemFormat) {
    struct Case {
        const char* format;
        int32_t (*sell)(const Goods& g, const std::string& description);
        int taxIndex;
        int64_t quantity;     // thousandths, as the printer reads them
        const char* unit;     // as the printer keeps it
        int64_t totals[3];    // each item's total, in centavos
        int32_t discountKind; // 0: an amount, 1: hundredths of a percent
        const char* discount;
        int64_t discounted;   // the discount the printer gives
        bool cancelByNumberAndText;  // ecfCancItemDef, else ecfCancItem
        bool payWithCancel;          // ecfPagCancPag with a payment taken back
        const char* descriptionTail; // makes the description longer than 60
        unsigned char adjustment;    // 0 none, 1 discount, 2 surcharge on the subtotal
        int64_t adjusted;
        const char* change;          // on paper
    };
    const Case cases[] = {
        {"ecfVendaItem",
         [](const Goods& g, const std::string& d) { return ecfVendaItem(d.c_str(), g.price, 1); },
         1, 1000, "", {1000, 350, 199}, 0, "100", 100, false, false, "", 0, 0, "49,01"},
        {"ecfVendaItem78",
         [](const Goods& g, const std::string& d) { return ecfVendaItem78(d.c_str(), g.price, 2); },
         2, 1000, "", {1000, 350, 199}, 1, "1550", 155, true, true,
         " - PACOTE ECONOMICO COM CINCO UNIDADES DE UM QUILO", 2, 50, "49,06"},
        {"ecfVenda_Item",
         [](const Goods& g, const std::string& d) {
             return ecfVenda_Item(g.code, d.c_str(), "2", "500", g.price, 3);
         },
         3, 2500, "", {2500, 875, 497}, 0, "250", 250, false, true, "", 1, 100, "33,53"},
        {"ecfVendaItem3d",  // 'A' has the printer round the item total half up
         [](const Goods& g, const std::string& d) {
             return ecfVendaItem3d(g.code, d.c_str(), "2", "500", g.price, 5, "KG", "xA");
         },
         5, 2500, "KG", {2500, 875, 498}, 1, "1000", 250, true, false, "", 0, 0, "32,52"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        SimFixture sim;
        for (const Goods& g : kGoods) ASSERT_EQ(c.sell(g, std::string(g.description) + c.descriptionTail), 0);
        ASSERT_EQ(ecfDescItem(c.discountKind, "1", c.discount), 0);
        ASSERT_EQ(c.cancelByNumberAndText ? ecfCancItemDef("2", "DEVOLVIDO PELO CLIENTE")
                                          : ecfCancItem(kGoods[1].description),
                  0);
        ASSERT_EQ(ecfSubTotal(), 0);
        const int64_t sold = c.totals[0] - c.discounted + c.totals[2];
        const int64_t due = sold + (c.adjustment == 2 ? c.adjusted : -c.adjusted);
        if (c.adjustment != 0) {
            ASSERT_EQ(ecfCancAcresDescSubTotal(c.adjustment, 0, "", "999"), 0);
            ASSERT_EQ(ecfCancAcresDescSubTotal(c.adjustment, 1, "", ""), 0) << "taken back";
            ASSERT_EQ(ecfCancAcresDescSubTotal(c.adjustment, 0, "FIDELIDADE",
                                               std::to_string(c.adjusted).c_str()), 0);
        }
        EXPECT_EQ(sim.model().state, DocState::subtotalled);
        EXPECT_EQ(sim.model().receipt.due(), due);

        if (c.payWithCancel) {
            ASSERT_EQ(ecfPagCancPag(2, "BANCO 001", "1000", 0, 0), 0);
            ASSERT_EQ(ecfPagCancPag(2, "", "1000", 1, 0), 0) << "the cheque taken back";
            EXPECT_EQ(sim.model().state, DocState::subtotalled);
            ASSERT_EQ(ecfPagCancPag(2, "BANCO 237", "1000", 0, 0), 0);
            ASSERT_EQ(ecfPagCancPag(1, "", "5000", 0, 0), 0);
        } else {
            ASSERT_EQ(ecfPagamento(2, "CH", "1000", 0), 0);
            EXPECT_EQ(sim.model().state, DocState::paying);
            ASSERT_EQ(ecfPagamento(1, "", "5000", 0), 0);
        }
        EXPECT_EQ(sim.model().state, DocState::paid);
        ASSERT_EQ(ecfFimTrans("OBRIGADO VOLTE SEMPRE"), 0);

        const Model m = sim.model();
        EXPECT_EQ(m.state, DocState::idle);
        EXPECT_EQ(m.counters.ccf, 1u);
        const ecfsim::Receipt& r = m.lastReceipt;
        ASSERT_EQ(r.items.size(), 3u);
        for (std::size_t i = 0; i < 3; ++i) {
            SCOPED_TRACE(i + 1);
            EXPECT_EQ(r.items[i].total, c.totals[i]);
            EXPECT_EQ(r.items[i].quantity, c.quantity);
            EXPECT_EQ(r.items[i].unit, c.unit);
            EXPECT_EQ(r.items[i].taxIndex, c.taxIndex);
            EXPECT_EQ(r.items[i].description, std::string(kGoods[i].description) + c.descriptionTail);
        }
        EXPECT_EQ(r.items[0].code, c.quantity != 1000 ? kGoods[0].code : "") << "0xD0 only";
        EXPECT_EQ(r.items[0].discount, c.discounted);
        EXPECT_TRUE(r.items[1].cancelled);
        EXPECT_EQ(r.change(), 6000 - due);

        EXPECT_EQ(m.day.gross, c.totals[0] + c.totals[2]);
        EXPECT_EQ(m.day.cancelledItems, c.totals[1]);
        EXPECT_EQ(m.day.itemDiscounts, c.discounted);
        EXPECT_EQ(m.day.subtotalSurcharges, c.adjustment == 2 ? c.adjusted : 0);
        EXPECT_EQ(m.day.subtotalDiscounts, c.adjustment == 1 ? c.adjusted : 0);
        EXPECT_EQ(m.day.net, due);
        EXPECT_EQ(m.grandTotal, c.totals[0] + c.totals[2]);
        EXPECT_EQ(m.taxRates[static_cast<std::size_t>(c.taxIndex - 1)].dayTotal, sold);
        EXPECT_EQ(m.paymentTypes[1].dayTotal, 1000);
        EXPECT_EQ(m.paymentTypes[0].dayTotal, 5000 - r.change()) << "cash net of the change";

        const std::string paper = sim.paper();
        SCOPED_TRACE(paper);
        for (const char* text : {"CUPOM FISCAL", "001 ", kGoods[2].description, "DESCONTO ITEM 001",
                                 "CANCELAMENTO ITEM 002", "SUBTOTAL R$", "TROCO R$", c.change, "OBRIGADO"})
            EXPECT_TRUE(printed(paper, text)) << text;
        EXPECT_FALSE(printed(paper, "OBRIGADO VOLTE")) << "eight characters of the closing text";
        EXPECT_EQ(printed(paper, "DEVOLVIDO PELO CLIENTE"), c.cancelByNumberAndText);
        EXPECT_EQ(printed(paper, "ESTORNO Cheque"), c.payWithCancel);
        EXPECT_EQ(printed(paper, "BANCO 237"), c.payWithCancel);
        EXPECT_EQ(printed(paper, "FIDELIDADE"), c.adjustment != 0);
    }
}

// A receipt cancelled while it is open, and one cancelled after it closed.
TEST(SaleCycle, CancelledReceiptsLeaveTheDayAsItWas) {
    struct Case {
        const char* name;
        bool closeFirst;
        int32_t (*cancel)(const char*);
        const char* printedTitle;
    };
    const Case cases[] = {
        {"ecfCancVenda, receipt open", false, ecfCancVenda, "CUPOM FISCAL CANCELADO"},
        {"ecfCancDoc, receipt open", false, ecfCancDoc, "CUPOM FISCAL CANCELADO"},
        {"ecfCancVenda, last receipt", true, ecfCancVenda, "COO DO CUPOM CANCELADO:"},
        {"ecfCancDoc, last receipt", true, ecfCancDoc, "COO DO CUPOM CANCELADO:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimFixture sim;
        ASSERT_EQ(ecfVendaItem("CAFE 500G", "1290", 1), 0);
        ASSERT_EQ(ecfVendaItem("ACUCAR 1KG", "459", 3), 0);
        if (c.closeFirst) {
            ASSERT_EQ(ecfSubTotal(), 0);
            ASSERT_EQ(ecfPagamento(1, "", "2000", 0), 0);
            ASSERT_EQ(ecfFimTrans(""), 0);
        }
        const uint32_t cooBefore = sim.model().counters.coo;
        ASSERT_EQ(c.cancel("DESISTIU"), 0);

        const Model m = sim.model();
        EXPECT_EQ(m.state, DocState::idle);
        EXPECT_TRUE(m.lastReceipt.cancelled);
        EXPECT_EQ(m.counters.cfc, 1u);
        EXPECT_EQ(m.day.cancelledReceipts, 1749);
        EXPECT_EQ(m.day.net, 0);
        EXPECT_EQ(m.taxRates[0].dayTotal, 0);
        EXPECT_EQ(m.paymentTypes[0].dayTotal, 0);
        EXPECT_EQ(m.grandTotal, c.closeFirst ? 1749 : 0) << "the grand total never shrinks";
        EXPECT_EQ(m.counters.coo, cooBefore + (c.closeFirst ? 1 : 0))
            << "a closed receipt is cancelled by a document of its own";
        EXPECT_TRUE(printed(sim.paper(), c.printedTitle)) << sim.paper();
        EXPECT_TRUE(printed(sim.paper(), "DESISTIU")) << sim.paper();
        EXPECT_EQ(c.cancel(""), refused(Status::nothingToCancel)) << "nothing left to cancel";
    }
}

TEST(SaleCycle, ANonFiscalReceiptPrintsItsFreeLinesAndAnAuthentication) {
    SimFixture sim;
    const std::string longLine = "SUPRIMENTO DE TROCO PARA O CAIXA 01, TURNO DA MANHA, CONFERIDO";
    ASSERT_EQ(ecfInicCupomNFiscal(2), 0);
    EXPECT_EQ(sim.model().state, DocState::nonFiscal);
    for (const char* line : {"VALOR: R$ 150,00", longLine.c_str(), "nota: lead byte n inside"})
        ASSERT_EQ(ecfImpLinha(line), 0);
    ASSERT_EQ(ecfLineFeed(1, 2), 0);
    ASSERT_EQ(ecfImpLinha("ASSINATURA: ____________"), 0);
    ASSERT_EQ(ecfFimTrans("FIM"), 0);
    ASSERT_EQ(ecfAutentica("PAGO EM 10/03 - CAIXA 01 - OPERADORA MARIA DA SILVA"), 0);

    const Model m = sim.model();
    EXPECT_EQ(m.state, DocState::idle);
    EXPECT_EQ(m.documents[1].dayCount, 1u);
    EXPECT_EQ(m.documents[1].lastCoo, m.counters.coo);
    EXPECT_EQ(m.counters.gnf, 1u);
    EXPECT_EQ(m.counters.ccf, 0u) << "no fiscal receipt";
    EXPECT_EQ(m.counters.authentications, 1u);

    const std::vector<std::string> lines = linesOf(sim.paper());
    const auto first = std::find(lines.begin(), lines.end(), "VALOR: R$ 150,00");
    ASSERT_GE(std::distance(first, lines.end()), 6) << sim.paper();
    const std::vector<std::string> expected = {"VALOR: R$ 150,00",         longLine.substr(0, 48),
                                               "nota: lead byte n inside", "",
                                               "",                         "ASSINATURA: ____________"};
    EXPECT_EQ(std::vector<std::string>(first, first + 6), expected) << sim.paper();
    EXPECT_TRUE(printed(sim.paper(), "Suprimento"));
    EXPECT_EQ(lines.back(), "PAGO EM 10/03 - CAIXA 01 - OPERADORA MARIA DA SI") << "48 columns";
    EXPECT_EQ(lines[lines.size() - 2].rfind("AUT 0001 COO:", 0), 0u) << sim.paper();
}

// Vouchers follow the card payment until they cover it; a cancelled one
// gives its amount back. (The printer's refusals of a voucher for another
// receipt or payment are its own tests'.)
TEST(SaleCycle, LinkedVouchersCoverTheCardPaymentOnce) {
    SimFixture sim;
    ASSERT_EQ(sellAndClose("TENIS CORRIDA 42", "25990", 1, "25990", 3), 0);
    const std::string coo = std::to_string(sim.model().lastReceipt.coo);
    ASSERT_EQ(ecfInicCNFVinculado(coo.c_str(), "3", "15000"), 0);
    EXPECT_EQ(sim.model().state, DocState::linkedVoucher);
    ASSERT_EQ(ecfImpLinha("CARTAO: ************1234"), 0);
    ASSERT_EQ(ecfFimTrans(""), 0);
    EXPECT_EQ(ecfInicCNFVinculado(coo.c_str(), "3", "11000"), refused(Status::amountTooLarge)) << "109,90 left";
    ASSERT_EQ(ecfInicCNFVinculado(coo.c_str(), "3", "10990"), 0);
    ASSERT_EQ(ecfCancDoc(""), 0);
    EXPECT_EQ(sim.model().state, DocState::idle);
    ASSERT_EQ(ecfInicCNFVinculado(coo.c_str(), "3", "10990"), 0) << "the cancelled voucher's amount is free";
    ASSERT_EQ(ecfFimTrans(""), 0);
    EXPECT_EQ(ecfInicCNFVinculado(coo.c_str(), "3", "1"), refused(Status::noSuchReceipt)) << "all covered";

    const Model m = sim.model();
    EXPECT_EQ(m.counters.cdc, 3u);
    EXPECT_EQ(m.day.linkedVouchers, 25990);
    EXPECT_EQ(m.paymentTypes[2].dayVouchers, 3u) << "the cancelled one counts";
    const std::string paper = sim.paper();
    for (const char* text :
         {"COMPROVANTE CREDITO OU DEBITO", "Cartao Credito", "150,00", "CARTAO: ************1234"})
        EXPECT_TRUE(printed(paper, text)) << text << "\n" << paper;
}

// The four readings after a sale of 15,50 in cash: each prints under its title
// with the operator's first eight characters, and moves what it should.
TEST(SaleCycle, TheReadingsReportTheShiftAndCloseTheDay) {
    SimFixture sim;
    ASSERT_EQ(sellAndClose("PIZZA", "1550", 1, "1550"), 0);
    auto reading = [&sim](int32_t (*read)(const char*), const char* title) {
        SCOPED_TRACE(title);
        sim.clearPaper();
        const uint32_t coo = sim.model().counters.coo;
        ASSERT_EQ(read("CAIXA 01 E MAIS"), 0);
        EXPECT_EQ(sim.model().counters.coo, coo + 1);
        EXPECT_TRUE(printed(sim.paper(), title)) << sim.paper();
        EXPECT_TRUE(printed(sim.paper(), "OPERADOR: CAIXA 01")) << sim.paper();
        EXPECT_FALSE(printed(sim.paper(), "CAIXA 01 E")) << "eight characters";
    };
    reading(ecfLXGerencial, "LEITURA X GERENCIAL");
    EXPECT_EQ(sim.model().paymentTypes[0].shiftTotal, 1550);
    reading(ecfRZGerencial, "REDUCAO GERENCIAL");
    Model m = sim.model();
    EXPECT_EQ(m.counters.managerialReductions, 1u);
    EXPECT_EQ(m.paymentTypes[0].shiftTotal, 0);
    EXPECT_EQ(m.paymentTypes[0].dayTotal, 1550) << "the fiscal day is not touched";
    reading(ecfLeituraX, "LEITURA X");
    EXPECT_EQ(sim.model().day.gross, 1550) << "an X reading keeps the day";
    reading(ecfReducaoZ, "REDUCAO Z");
    m = sim.model();
    EXPECT_EQ(m.counters.gnf, 3u) << "the Z counts in CRZ";
    ASSERT_EQ(m.reductions.size(), 1u);
    EXPECT_EQ(m.reductions[0].number, 1u);
    EXPECT_EQ(m.reductions[0].total, 1550);
    EXPECT_FALSE(m.day.hasMovement());
    EXPECT_EQ(m.paymentTypes[0].dayTotal, 0);
    EXPECT_EQ(m.grandTotal, 1550);
}

}  // namespace
