// Whole receipts, cancellations and non-fiscal documents, through the
// library's exports against the simulated printer: what the printer did with
// them (its model) and what it printed (its paper).
#include "printer_session.h"

namespace {

using namespace ecf::e2e;

const Goods kGoods[] = {
    {"7891000100103", "ARROZ TIPO 1 5KG", "1000"},
    {"7896006700017", "FEIJAO PRETO 1KG", "350"},
    {"7891107101621", "OLEO DE SOJA 900ML", "199"},
};

// One receipt per item format: three items, a discount on the first, the
// second cancelled, a cheque of 10,00 and 50,00 in cash, the change given.
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
        const char* change;          // on paper
    };
    const Case cases[] = {
        {"ecfVendaItem",
         [](const Goods& g, const std::string& d) { return ecfVendaItem(d.c_str(), g.price, 1); },
         1, 1000, "", {1000, 350, 199}, 0, "100", 100, false, false, "", "49,01"},
        {"ecfVendaItem78",
         [](const Goods& g, const std::string& d) { return ecfVendaItem78(d.c_str(), g.price, 2); },
         2, 1000, "", {1000, 350, 199}, 1, "1550", 155, true, true,
         " - PACOTE ECONOMICO COM CINCO UNIDADES DE UM QUILO", "49,56"},
        {"ecfVenda_Item",
         [](const Goods& g, const std::string& d) {
             return ecfVenda_Item(g.code, d.c_str(), "2", "500", g.price, 3);
         },
         3, 2500, "", {2500, 875, 497}, 0, "250", 250, false, true, "", "32,53"},
        {"ecfVendaItem3d",  // 'A' has the printer round the item total half up
         [](const Goods& g, const std::string& d) {
             return ecfVendaItem3d(g.code, d.c_str(), "2", "500", g.price, 5, "KG", "xA");
         },
         5, 2500, "KG", {2500, 875, 498}, 1, "1000", 250, true, false, "", "32,52"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        SimFixture sim;
        for (const Goods& g : kGoods)
            ASSERT_EQ(c.sell(g, std::string(g.description) + c.descriptionTail), 0);
        EXPECT_EQ(sim.model().state, DocState::receiptOpen);

        ASSERT_EQ(ecfDescItem(c.discountKind, "1", c.discount), 0);
        ASSERT_EQ(c.cancelByNumberAndText ? ecfCancItemDef("2", "DEVOLVIDO PELO CLIENTE")
                                          : ecfCancItem(kGoods[1].description),
                  0);
        ASSERT_EQ(ecfSubTotal(), 0);
        const int64_t due = c.totals[0] - c.discounted + c.totals[2];
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
            EXPECT_EQ(r.items[i].total, c.totals[i]) << "item " << i + 1;
            EXPECT_EQ(r.items[i].quantity, c.quantity) << "item " << i + 1;
            EXPECT_EQ(r.items[i].unit, c.unit) << "item " << i + 1;
            EXPECT_EQ(r.items[i].taxIndex, c.taxIndex) << "item " << i + 1;
            EXPECT_EQ(r.items[i].description, std::string(kGoods[i].description) + c.descriptionTail);
        }
        EXPECT_EQ(r.items[0].code, c.quantity != 1000 ? kGoods[0].code : "") << "0xD0 only";
        EXPECT_EQ(r.items[0].discount, c.discounted);
        EXPECT_TRUE(r.items[1].cancelled);
        EXPECT_EQ(r.due(), due);
        EXPECT_EQ(r.paid(), 6000);
        EXPECT_EQ(r.change(), 6000 - due);

        EXPECT_EQ(m.day.gross, c.totals[0] + c.totals[2]);
        EXPECT_EQ(m.day.cancelledItems, c.totals[1]);
        EXPECT_EQ(m.day.itemDiscounts, c.discounted);
        EXPECT_EQ(m.day.net, due);
        EXPECT_EQ(m.grandTotal, c.totals[0] + c.totals[2]);
        EXPECT_EQ(m.taxRates[static_cast<std::size_t>(c.taxIndex - 1)].dayTotal, due);
        EXPECT_EQ(m.paymentTypes[1].dayTotal, 1000);
        EXPECT_EQ(m.paymentTypes[0].dayTotal, 5000 - r.change()) << "cash net of the change";

        const std::string paper = sim.paper();
        SCOPED_TRACE(paper);
        EXPECT_TRUE(printed(paper, "CUPOM FISCAL"));
        EXPECT_TRUE(printed(paper, "001 ")) << "the first item line";
        EXPECT_TRUE(printed(paper, kGoods[2].description));
        EXPECT_TRUE(printed(paper, "DESCONTO ITEM 001"));
        EXPECT_TRUE(printed(paper, "CANCELAMENTO ITEM 002"));
        EXPECT_EQ(printed(paper, "DEVOLVIDO PELO CLIENTE"), c.cancelByNumberAndText);
        EXPECT_TRUE(printed(paper, "SUBTOTAL R$"));
        EXPECT_EQ(printed(paper, "ESTORNO Cheque"), c.payWithCancel);
        EXPECT_EQ(printed(paper, "BANCO 237"), c.payWithCancel);
        EXPECT_TRUE(printed(paper, "TROCO R$"));
        EXPECT_TRUE(printed(paper, c.change));
        EXPECT_TRUE(printed(paper, "OBRIGADO")) << "the closing text";
        EXPECT_FALSE(printed(paper, "OBRIGADO VOLTE")) << "eight characters of it";

        EXPECT_EQ(ecfAbreGaveta(), 0);
        EXPECT_TRUE(sim.model().drawerOpen);
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
            EXPECT_EQ(sim.model().day.net, 1749);
        }
        const uint32_t cooBefore = sim.model().counters.coo;
        ASSERT_EQ(c.cancel("DESISTIU"), 0);

        const Model m = sim.model();
        EXPECT_EQ(m.state, DocState::idle);
        EXPECT_TRUE(m.lastReceipt.cancelled);
        EXPECT_EQ(m.counters.cfc, 1u);
        EXPECT_EQ(m.day.cancelledReceipts, 1749);
        EXPECT_EQ(m.day.net, 0);
        EXPECT_EQ(m.paymentTypes[0].dayTotal, 0);
        EXPECT_EQ(m.counters.coo, cooBefore + (c.closeFirst ? 1 : 0))
            << "a closed receipt is cancelled by a document of its own";
        const std::string paper = sim.paper();
        EXPECT_TRUE(printed(paper, c.printedTitle)) << paper;
        EXPECT_TRUE(printed(paper, "DESISTIU")) << paper;

        EXPECT_EQ(c.cancel(""), refused(Status::nothingToCancel)) << "nothing left to cancel";
    }
}

TEST(SaleCycle, ANonFiscalReceiptPrintsItsFreeLines) {
    SimFixture sim;
    const std::string longLine =
        "SUPRIMENTO DE TROCO PARA O CAIXA 01, TURNO DA MANHA, CONFERIDO";
    ASSERT_EQ(ecfInicCupomNFiscal(2), 0);
    EXPECT_EQ(sim.model().state, DocState::nonFiscal);
    ASSERT_EQ(ecfImpLinha("VALOR: R$ 150,00"), 0);
    ASSERT_EQ(ecfImpLinha(longLine.c_str()), 0);
    ASSERT_EQ(ecfImpLinha("nota: lead byte n inside"), 0);
    ASSERT_EQ(ecfLineFeed(1, 2), 0);
    ASSERT_EQ(ecfImpLinha("ASSINATURA: ____________"), 0);
    ASSERT_EQ(ecfFimTrans("FIM"), 0);

    const Model m = sim.model();
    EXPECT_EQ(m.state, DocState::idle);
    EXPECT_EQ(m.documents[1].dayCount, 1u);
    EXPECT_EQ(m.documents[1].lastCoo, m.counters.coo);
    EXPECT_EQ(m.counters.gnf, 1u);
    EXPECT_EQ(m.counters.ccf, 0u) << "no fiscal receipt";
    EXPECT_EQ(m.day.nonFiscalDocuments, 1u);

    const std::vector<std::string> lines = linesOf(sim.paper());
    auto at = [&lines](const std::string& text) {
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i] == text) return i;
        return lines.size();
    };
    const std::size_t first = at("VALOR: R$ 150,00");
    ASSERT_LT(first, lines.size()) << sim.paper();
    EXPECT_EQ(at(longLine.substr(0, 48)), first + 1) << "a free line holds 48 columns";
    EXPECT_EQ(at("nota: lead byte n inside"), first + 2);
    EXPECT_EQ(at("ASSINATURA: ____________"), first + 5) << "two blank lines fed before it";
    EXPECT_EQ(lines[first + 3], "");
    EXPECT_EQ(lines[first + 4], "");
    EXPECT_TRUE(printed(sim.paper(), "Suprimento"));
}

TEST(SaleCycle, ALinkedVoucherFollowsTheCardPayment) {
    SimFixture sim;
    ASSERT_EQ(sellAndClose("TENIS CORRIDA 42", "25990", 1, "25990", 3), 0);
    const std::string coo = std::to_string(sim.model().lastReceipt.coo);

    EXPECT_EQ(ecfInicCNFVinculado(coo.c_str(), "3", "26000"), refused(Status::amountTooLarge));
    EXPECT_EQ(ecfInicCNFVinculado("999", "3", "100"), refused(Status::noSuchReceipt));
    ASSERT_EQ(ecfInicCNFVinculado(coo.c_str(), "3", "25990"), 0);
    EXPECT_EQ(sim.model().state, DocState::linkedVoucher);
    ASSERT_EQ(ecfImpLinha("CARTAO: ************1234"), 0);
    ASSERT_EQ(ecfImpLinha("PARCELA UNICA"), 0);
    ASSERT_EQ(ecfFimTrans(""), 0);

    const Model m = sim.model();
    EXPECT_EQ(m.state, DocState::idle);
    EXPECT_EQ(m.counters.cdc, 1u);
    EXPECT_EQ(m.day.linkedVouchers, 25990);
    EXPECT_EQ(m.paymentTypes[2].dayVouchers, 1u);
    const std::string paper = sim.paper();
    EXPECT_TRUE(printed(paper, "COMPROVANTE CREDITO OU DEBITO")) << paper;
    EXPECT_TRUE(printed(paper, "Cartao Credito")) << paper;
    EXPECT_TRUE(printed(paper, "259,90")) << paper;
    EXPECT_TRUE(printed(paper, "CARTAO: ************1234")) << paper;

    EXPECT_EQ(ecfInicCNFVinculado(coo.c_str(), "3", "1"), refused(Status::noSuchReceipt))
        << "the card payment is all covered";
}

// Commands that stand outside any document.
TEST(SaleCycle, HeaderAuthenticationLineFeedAndDrawer) {
    struct Case {
        const char* name;
        int32_t (*command)();
        std::vector<std::string> lines;  // printed, in this order, without leading blanks
        bool (*changed)(const Model& before, const Model& after);
    };
    const Case cases[] = {
        {"ecfImpCab", [] { return ecfImpCab(0); },
         {"LOJA SIMULADA LTDA", "RUA DAS FLORES, 100 - CENTRO", "SAO PAULO - SP",
          "CNPJ:11.222.333/0001-81", "IE:110.042.490.114"},
         [](const Model& b, const Model& a) { return a.counters.coo == b.counters.coo; }},
        {"ecfAutentica",
         [] { return ecfAutentica("PAGO EM 10/03 - CAIXA 01 - OPERADORA MARIA DA SILVA"); },
         {"AUT 0001 COO:", "PAGO EM 10/03 - CAIXA 01 - OPERADORA MARIA DA SI"},
         [](const Model& b, const Model& a) {
             return a.counters.authentications == b.counters.authentications + 1;
         }},
        {"ecfLineFeed", [] { return ecfLineFeed(0, 3); }, {"", "", ""},
         [](const Model& b, const Model& a) { return a.counters.coo == b.counters.coo; }},
        {"ecfAbreGaveta", [] { return ecfAbreGaveta(); }, {},
         [](const Model& b, const Model& a) {
             return a.drawerOpen && a.counters.drawerOpenings == b.counters.drawerOpenings + 1;
         }},
    };
    SimFixture sim;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim.clearPaper();
        const Model before = sim.model();
        ASSERT_EQ(c.command(), 0);
        EXPECT_TRUE(c.changed(before, sim.model()));
        const std::vector<std::string> lines = linesOf(sim.paper());
        ASSERT_EQ(lines.size(), c.lines.size()) << sim.paper();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::size_t text = std::min(lines[i].find_first_not_of(' '), lines[i].size());
            EXPECT_EQ(lines[i].compare(text, c.lines[i].size(), c.lines[i]), 0)
                << lines[i] << " should begin with " << c.lines[i];
        }
    }
}

}  // namespace
