// The fiscal data read back through the library after several days of sales,
// each closed by its Z reduction: the fiscal memory report, its printed
// read-out, its counts, the X reading over the line and the owner's numbers.
#include <filesystem>

#include "printer_session.h"
#include "support/scratch.h"

namespace {

using namespace ecf::e2e;
using ecf::test::ScratchDir;
namespace fs = std::filesystem;

constexpr const char* kCgc = "12.345.678/0001-90";
constexpr const char* kIe = "123.456.789.012";
constexpr const char* kDayPrices[] = {"1250", "30075", "999"};

// A printer that changed owner on 10/03/2031 and then sold on the 10th, 11th
// and 12th, each day closed by its Z reduction, and sells again on the 13th.
class FiscalData : public ::testing::Test {
protected:
    SimFixture sim;
    ScratchDir scratch;
    fs::path dir = scratch.path();

    void SetUp() override {
        ASSERT_EQ(ecfAcertaData(10, 3, 31, 9, 0, 0), 0);
        ASSERT_EQ(ecfDescriEmpresa("COMERCIAL BOM PRECO", kCgc, kIe), 0);
        for (int day = 0; day < 3; ++day) {
            if (day > 0) {
                ASSERT_EQ(ecfAcertaData(10 + day, 3, 31, 9, 0, 0), 0);
            }
            ASSERT_EQ(sellAndClose("MERCADORIA", kDayPrices[day], 1, kDayPrices[day]), 0);
            ASSERT_EQ(ecfReducaoZ(""), 0);
        }
        ASSERT_EQ(ecfAcertaData(13, 3, 31, 9, 0, 0), 0);
        ASSERT_EQ(sellAndClose("MERCADORIA", "4321", 1, "5000"), 0);
        ASSERT_EQ(sim.model().reductions.size(), 3u);
    }

    // A reduction as the report shows it (its layout is held byte for byte
    // in the fiscal data tests): number, restart, date, time, total.
    static std::string reductionLine(const ecfsim::Reduction& z) {
        return "   " + digits(z.number, 4) + "     " + digits(z.restart, 4) + "      " +
               shortDate(z.when.date) + "   " + hhmm(z.when) + "  " +
               digits(static_cast<uint64_t>(z.total), 20) + "  \r\n";
    }
};

TEST_F(FiscalData, TheReportFileHoldsTheSelectedReductions) {
    const Model m = sim.model();
    ASSERT_EQ(m.owners.size(), 2u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(m.reductions[i].total, std::stoll(kDayPrices[i]));

    struct Case {
        const char* name;
        unsigned char mode;
        const char* from;
        const char* to;
        uint32_t first, last;
        std::size_t firstReduction, count;
    };
    const Case cases[] = {
        {"all, by number", 4, "", "", 1, 3, 0, 3},
        {"all, numbers beyond", 4, "", "", 0, 12345, 0, 3},  // 12345 travels as 2345
        {"the 11th and 12th, by date", 3, "110331", "120331", 0, 0, 1, 2},
        {"the 10th, by date", 3, "100331", "100331", 0, 0, 0, 1},
        {"no reduction", 4, "", "", 7, 9, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = dir / "memoria.txt";
        ASSERT_EQ(ecfLeitMemFisc(c.mode, c.from, c.to, c.first, c.last, file.c_str()), 0);
        const std::string report = ecf::test::contentsOf(file);
        EXPECT_TRUE(printed(report, "#Numero de usuarios = 2. Total de " + std::to_string(c.count)));
        for (const ecfsim::Owner& o : m.owners)
            EXPECT_TRUE(printed(report, o.cgc + "    " + o.ie + "    " + shortDate(o.start.date) + "    " +
                                            hhmm(o.start)))
                << report;
        for (std::size_t i = 0; i < 3; ++i) {
            const bool selected = i >= c.firstReduction && i < c.firstReduction + c.count;
            EXPECT_EQ(printed(report, reductionLine(m.reductions[i])), selected) << i << "\n" << report;
        }

        char owners[3] = "?", reductions[5] = "?";
        ASSERT_EQ(ecfDispMemFisc(owners, reductions, c.mode, c.from, c.to, c.first, c.last), 0);
        EXPECT_STREQ(owners, "02");
        EXPECT_EQ(std::string(reductions), digits(c.count, 4));
    }
}

TEST_F(FiscalData, ThePrintedReadOutShowsTheSelection) {
    struct Case {
        const char* name;
        unsigned char mode;
        const char* from;
        const char* to;
        uint32_t first, last;
        std::vector<std::string> shown, hidden;
    };
    const Case cases[] = {
        {"by number", 2, "", "", 2, 3,
         {"LEITURA DA MEMORIA FISCAL", std::string("CNPJ:") + kCgc, "0002 0001 11/03/2031",
          "0003 0001 12/03/2031", "300,75", "310,74"},
         {"0001 0001 10/03/2031"}},
        {"by date", 1, "100331", "100331", 0, 0, {"0001 0001 10/03/2031", "12,50"}, {"0002 0001", "0003 0001"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim.clearPaper();
        const uint32_t coo = sim.model().counters.coo;
        ASSERT_EQ(ecfLeitMemFisc(c.mode, c.from, c.to, c.first, c.last, ""), 0);
        EXPECT_EQ(sim.model().counters.coo, coo + 1);
        const std::string paper = sim.paper();
        SCOPED_TRACE(paper);
        for (const std::string& s : c.shown) EXPECT_TRUE(printed(paper, s)) << s;
        for (const std::string& s : c.hidden) EXPECT_FALSE(printed(paper, s)) << s;
    }
    EXPECT_EQ(ecfLeitMemFisc(1, "310231", "010331", 0, 0, ""), refused(Status::badField))
        << "no 31 February";
}

TEST_F(FiscalData, TheXReadingOverTheLineAndTheOwnersNumbers) {
    const Model m = sim.model();
    const std::string text = ecfLeituraXSerial();
    ASSERT_EQ(text.size(), 744u) << text;
    // Reply offset k is text position k - 3.
    auto field = [&text](std::size_t offset, std::size_t width) { return text.substr(offset - 3, width); };
    EXPECT_EQ(field(3, 4), "0003") << "Z reductions";
    EXPECT_EQ(field(7, 8), "13/03/31");
    EXPECT_EQ(field(19, 6), digits(m.counters.coo, 6));
    EXPECT_EQ(field(31, 6), "000004") << "fiscal receipts";
    EXPECT_EQ(field(37, 21), digits(1250 + 30075 + 999 + 4321, 21)) << "grand total";
    EXPECT_EQ(field(58, 21), digits(4321, 21)) << "sold today";
    EXPECT_EQ(field(175, 5), "T1700") << "tax rate 1";
    EXPECT_EQ(field(180, 18), digits(4321, 18));
    EXPECT_EQ(field(175 + 41 * 5, 5), "     ") << "tax rate 6 is not programmed";
    EXPECT_EQ(field(585, 6), "000001") << "receipts today";
    EXPECT_EQ(field(639, 18), digits(679, 18)) << "change";
    EXPECT_EQ(field(738, 9), digits(m.counters.coo, 9));

    EXPECT_EQ(std::string(ecfCGC_IE()), std::string(kCgc) + kIe);
    // A short IE is kept as the printer holds it: blank-filled to 15.
    ASSERT_EQ(ecfReducaoZ(""), 0);
    ASSERT_EQ(ecfAcertaData(14, 3, 31, 9, 0, 0), 0);
    ASSERT_EQ(ecfDescriEmpresa("FILIAL", "98.765.432/0001-10", "ISENTO"), 0);
    EXPECT_EQ(std::string(ecfCGC_IE()), "98.765.432/0001-10ISENTO         ");
}

}  // namespace
