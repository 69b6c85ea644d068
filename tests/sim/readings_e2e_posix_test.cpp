// The library's reading exports against the simulated printer on a pty.
#include <gtest/gtest.h>

#include "ecf.h"
#include "ecfsim/status.h"
#include "support/sim_fixture.h"

namespace {

using ecf::test::ScopedEnv;
using ecf::test::SimFixture;
using ecfsim::Fault;
using ecfsim::Model;
using ecfsim::Status;

constexpr int32_t status(Status s) { return static_cast<int32_t>(s); }

TEST(ReadingsAgainstTheSimulator, EachReadingChangesThePrinterAndPrints) {
    struct {
        const char* name;
        int32_t (*reading)(const char*);
        const char* title;
        void (*check)(const Model& before, const Model& after);
    } cases[] = {
        {"ecfLeituraX", ecfLeituraX, "LEITURA X",
         [](const Model& b, const Model& a) {
             EXPECT_EQ(a.counters.gnf, b.counters.gnf + 1);
             EXPECT_EQ(a.reductions.size(), b.reductions.size());
             EXPECT_EQ(a.day.gross, b.day.gross) << "an X reading keeps the day";
         }},
        {"ecfLXGerencial", ecfLXGerencial, "LEITURA X GERENCIAL",
         [](const Model& b, const Model& a) {
             EXPECT_EQ(a.counters.gnf, b.counters.gnf + 1);
             EXPECT_EQ(a.paymentTypes[0].shiftTotal, b.paymentTypes[0].shiftTotal);
         }},
        {"ecfRZGerencial", ecfRZGerencial, "REDUCAO GERENCIAL",
         [](const Model& b, const Model& a) {
             EXPECT_EQ(a.counters.managerialReductions, b.counters.managerialReductions + 1);
             EXPECT_EQ(a.paymentTypes[0].shiftTotal, 0);
             EXPECT_EQ(a.paymentTypes[0].dayTotal, b.paymentTypes[0].dayTotal);
         }},
        {"ecfReducaoZ", ecfReducaoZ, "REDUCAO Z",
         [](const Model& b, const Model& a) {
             ASSERT_EQ(a.reductions.size(), b.reductions.size() + 1);
             const auto& z = a.reductions.back();
             EXPECT_EQ(z.number, b.counters.crz + 1);
             EXPECT_EQ(z.total, b.day.gross);
             EXPECT_EQ(a.day.gross, 0);
             EXPECT_EQ(a.grandTotal, b.grandTotal);
             EXPECT_FALSE(a.day.hasMovement());
         }},
    };
    SimFixture sim;
    // A day with a sale on it, put in the model as if sold.
    sim.simulator().resetModel([&] {
        Model withSale = sim.model();
        withSale.day.opened = ecfsim::localDateTime(ecfsim::systemSeconds()).date;
        withSale.day.gross = 1550;
        withSale.grandTotal = 1550;
        withSale.paymentTypes[0].dayTotal = 1550;
        withSale.paymentTypes[0].shiftTotal = 1550;
        return withSale;
    }());
    for (const auto& c : cases) {
        const Model before = sim.model();
        sim.clearPaper();
        EXPECT_EQ(c.reading("CAIXA 01 E MAIS"), 0) << c.name;
        const Model after = sim.model();
        EXPECT_EQ(after.counters.coo, before.counters.coo + 1) << c.name;
        c.check(before, after);
        const std::string paper = sim.paper();
        EXPECT_NE(paper.find(c.title), std::string::npos) << c.name << "\n" << paper;
        EXPECT_NE(paper.find("OPERADOR: CAIXA 01"), std::string::npos) << c.name << ": 8 characters";
        EXPECT_EQ(paper.find("CAIXA 01 E"), std::string::npos) << c.name;
    }
}

TEST(ReadingsAgainstTheSimulator, ThePrintersRefusalsReachTheCaller) {
    SimFixture sim;
    EXPECT_EQ(ecfReducaoZ(""), 0);
    EXPECT_EQ(ecfReducaoZ(""), status(Status::dayClosed));
    EXPECT_EQ(ecfLeituraX(nullptr), 0);
    sim.inject({Fault::Kind::status, 200});
    EXPECT_EQ(ecfLeituraX(""), 200);
    EXPECT_EQ(sim.model().counters.coo, 2u) << "the refused reading printed nothing";
    sim.inject({Fault::Kind::garbage});
    const int32_t garbled = ecfLXGerencial("");
    EXPECT_GE(garbled, 0);
    EXPECT_LE(garbled, 255);
}

TEST(ReadingsAgainstTheSimulator, ChangePortSelectsTheLine) {
    SimFixture sim;
    ScopedEnv elsewhere("ECF_COM2", "/nonexistent/ecf-com2");
    EXPECT_EQ(ChangePort(7), 1);
    EXPECT_EQ(ecfLeituraX(""), 1030) << "COM2 leads nowhere";
    EXPECT_EQ(sim.model().counters.coo, 0u);
    EXPECT_EQ(ChangePort(0), 0);
    EXPECT_EQ(ecfLeituraX(""), 0);
    EXPECT_EQ(sim.model().counters.coo, 1u);
}

TEST(ReadingsAgainstTheSimulator, ManyExchangesInARow) {
    SimFixture sim;
    for (int i = 0; i < 200; ++i) ASSERT_EQ(ecfLXGerencial(""), 0) << i;
    EXPECT_EQ(sim.model().counters.gnf, 200u);
    EXPECT_EQ(sim.simulator().stats().badFrames, 0u);
}

}  // namespace
