#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cheque/composition.h"
#include "cheque/layout.h"
#include "currency_dir.h"

namespace {

using namespace ecf::cheque;

std::string sp(std::size_t n) { return std::string(n, ' '); }

struct Composed {
    int32_t result;
    uint32_t advances[kLinhasCheque];
    std::string lines[kLinhasCheque];
};

Composed compose(BuscaLayout table, uint32_t bank, const char* value, const char* payee,
                 const char* city, const char* date, const char* freeText) {
    Cheque cheque;
    Composed c{};
    c.result = ComporCheque(table, bank, value, payee, city, date, freeText, cheque);
    for (std::size_t i = 0; i < kLinhasCheque; ++i) {
        c.advances[i] = cheque[i].avanco;
        c.lines[i] = cheque[i].texto.c_str();
    }
    return c;
}

class Composition : public ecf::test::CurrencyDir {
protected:
    void SetUp() override {
        CurrencyDir::SetUp();
        writeNames("REAL", "REAIS");
    }
    // Bank 4 of the first table: figures from column 59, words on 55 and 70
    // columns from 26 and 11, payee from 7, city ending in 54, day at 60,
    // month at 66, year at 77.
    static Composed bank4(const char* value, const char* city = "SAO PAULO",
                          const char* date = "150399") {
        return compose(LayoutBanco, 4, value, "FULANO DE TAL", city, date, "PAGAVEL");
    }
};

TEST_F(Composition, WholeChequeOnTheSharedLayout) {
    const Composed c = bank4("000000123456");
    ASSERT_EQ(c.result, 0);
    const uint32_t advances[] = {1, 2, 2, 2, 1};
    const std::string lines[] = {
        sp(67) + "(1.234,56)",
        sp(25) + "( UM MIL, DUZENTOS E TRINTA E QUATRO REAIS E " + std::string(10, '-'),
        sp(10) + "CINQUENTA E SEIS CENTAVOS ) " + std::string(42, '*'),
        sp(6) + "FULANO DE TAL",
        sp(5) + "PAGAVEL" + sp(33) + "SAO PAULO" + sp(5) + "15" + sp(4) + "Mar\x87o" + sp(6) +
            "99",
    };
    for (std::size_t i = 0; i < kLinhasCheque; ++i) {
        EXPECT_EQ(c.advances[i], advances[i]) << i;
        EXPECT_EQ(c.lines[i], lines[i]) << i;
    }
}

TEST_F(Composition, SecondTableBank294AdvancesBelowZeroAndBeyondNine) {
    const Composed c = compose(LayoutBancoVexa, 294, "100", "X", "", "010100", "");
    ASSERT_EQ(c.result, 0);
    EXPECT_EQ(c.advances[0], 0u);
    EXPECT_EQ(c.advances[1], 3u);
    EXPECT_EQ(c.advances[2], 3u);
    EXPECT_EQ(c.advances[3], static_cast<uint32_t>(-7));
    EXPECT_EQ(c.advances[4], 11u);
    EXPECT_EQ(c.lines[0], sp(71) + "(1,00)");
    EXPECT_EQ(c.lines[1], sp(12) + "( UM REAL) " + std::string(57, '*'));
    EXPECT_EQ(c.lines[2], sp(5) + std::string(75, '*'));
    EXPECT_EQ(c.lines[4], sp(55) + "01" + sp(7) + "Janeiro" + sp(7) + "00");
}

TEST_F(Composition, FiguresOfTheValue) {
    struct {
        const char* value;
        const char* figures;
    } cases[] = {
        {"000000123456", "(1.234,56)"}, {"5", "(5)"},   {"123", "(1,23)"}, {"12", "(12)"},
        {"0000", "("},                   {"", "("},      {nullptr, "("},    {"12a4", "(12,a4)"},
        {"00012345678", "(123.456,78)"},
        {"00000000000000001", "("},  // cut to its first 16 characters, all zeros
    };
    for (const auto& c : cases) {
        const Composed composed = bank4(c.value);
        ASSERT_EQ(composed.result, 0) << c.figures;
        const std::string figures = c.figures;
        EXPECT_EQ(composed.lines[0], sp(58 + 19 - figures.size()) + figures) << c.figures;
    }
    // Amounts too long for words on this layout, figures alone.
    const std::string fourteen = "   12345678901234";
    EXPECT_STREQ(valorEmAlgarismos(fourteen.c_str(), fourteen.size()).c_str(),
                 "(123.456.789.012,34)");
    EXPECT_STREQ(valorEmAlgarismos("9912345678901234", 16).c_str(), "(123.456.789.012,34)");
    EXPECT_STREQ(valorEmAlgarismos("  ", 2).c_str(), "(");
}

TEST_F(Composition, DateLine) {
    struct {
        const char* city;
        const char* date;
        std::string tail;  // after column 45, where a 9-character city starts
    } cases[] = {
        {"SAO PAULO", "150399", "SAO PAULO" + sp(5) + "15" + sp(4) + "Mar\x87o" + sp(6) + "99"},
        {"SAO PAULO", "1503991234", "SAO PAULO" + sp(5) + "15" + sp(4) + "Mar\x87o" + sp(6) + "99"},
        {"SAO PAULO", "151399", "SAO PAULO" + sp(5) + "15" + sp(4) + "ERRO MES" + sp(3) + "99"},
        {"SAO PAULO", "1512", "SAO PAULO" + sp(5) + "15" + sp(4) + "Dezembro" + sp(3)},
        {"SAO PAULO", "1", "SAO PAULO" + sp(5) + "1" + sp(5) + "ERRO MES" + sp(3)},
        {"SAO PAULO", nullptr, "SAO PAULO" + sp(11) + "ERRO MES" + sp(3)},
        {"SAO PAULO", "15:\xCE" "99", "SAO PAULO" + sp(5) + "15" + sp(4) + "Fevereiro" + sp(2) + "99"},
    };
    for (const auto& c : cases) {
        const Composed composed = bank4("100", c.city, c.date);
        ASSERT_EQ(composed.result, 0);
        EXPECT_EQ(composed.lines[4], sp(5) + "PAGAVEL" + sp(33) + c.tail) << c.tail;
    }
}

TEST_F(Composition, ALongCityFollowsTheFreeTextAndIsCutTo24) {
    // Bank 48 of the second table: free text from column 6, city ending in
    // 46, day at 50, month at 62, year at 77.
    const Composed c = compose(LayoutBancoVexa, 48, "100", "", "CIDADE COM UM NOME MUITO LONGO",
                               "150399", "ABCDEFGHIJKLMNOPQRSTUVW");
    ASSERT_EQ(c.result, 0);
    EXPECT_EQ(c.lines[4], sp(5) + "ABCDEFGHIJKLMNOPQRST" + "CIDADE COM UM NOME MUITO" + "15" +
                              sp(10) + "Mar\x87o" + sp(10) + "99");
}

TEST_F(Composition, PayeeIsCutTo84AndNullTextsAreEmpty) {
    const std::string payee(200, 'P');
    const Composed c = compose(LayoutBanco, 4, "1", payee.c_str(), nullptr, "010100", nullptr);
    ASSERT_EQ(c.result, 0);
    EXPECT_EQ(c.lines[3], sp(6) + std::string(84, 'P'));
    EXPECT_EQ(c.lines[4], sp(59) + "01" + sp(4) + "Janeiro" + sp(4) + "00");
}

TEST_F(Composition, UnknownBankMissingCurrencyAndTooManyWords) {
    EXPECT_EQ(bank4("77777777777777").result, 23);
    EXPECT_EQ(compose(LayoutBanco, 2, "100", "", "", "", "").result, 21);
    EXPECT_EQ(compose(LayoutBancoVexa, 1000, "100", "", "", "", "").result, 21);
    std::remove("moeda");
    EXPECT_EQ(bank4("100").result, 22);
}

}  // namespace
