// The lines of a composed cheque; whole cheques are held against the line in
// the command tests.
#include <gtest/gtest.h>

#include <string>

#include "cheque/composition.h"
#include "cheque/layout.h"
#include "currency_dir.h"
#include "support/bytes.h"

namespace {

using namespace ecf::cheque;
using ecf::test::sp;

class Composition : public ecf::test::CurrencyDir {
protected:
    static Cheque compose(BuscaLayout table, uint32_t bank, const char* value, const char* payee,
                          const char* city, const char* date, const char* freeText) {
        Cheque cheque;
        EXPECT_EQ(ComporCheque(table, bank, value, payee, city, date, freeText, cheque), 0);
        return cheque;
    }
    // Bank 4 of the first table: figures end in column 77, free text from 6,
    // city ending in 54, day at 60, month at 66, year at 77.
    static Cheque bank4(const char* value, const char* city = "SAO PAULO",
                        const char* date = "150399") {
        return compose(LayoutBanco, 4, value, "FULANO DE TAL", city, date, "PAGAVEL");
    }
};

TEST_F(Composition, FiguresOfTheValue) {
    struct {
        const char* value;
        const char* figures;
    } cases[] = {
        {"5", "(5)"},        {"123", "(1,23)"}, {"0000", "("},       {nullptr, "("},
        {"12a4", "(12,a4)"}, {"00012345678", "(123.456,78)"},
        {"00000000000000001", "("},  // cut to its first 16 characters, all zeros
    };
    for (const auto& c : cases) {
        const std::string figures = c.figures;
        EXPECT_EQ(bank4(c.value)[0].texto.c_str(), sp(77 - figures.size()) + figures) << c.figures;
    }
    // Amounts too long for words on a cheque: the figures keep 14 digits.
    EXPECT_STREQ(valorEmAlgarismos("   12345678901234", 17).c_str(), "(123.456.789.012,34)");
    EXPECT_STREQ(valorEmAlgarismos("9912345678901234", 16).c_str(), "(123.456.789.012,34)");
    EXPECT_STREQ(valorEmAlgarismos("  ", 2).c_str(), "(");
}

TEST_F(Composition, DateLine) {
    const std::string before = sp(5) + "PAGAVEL" + sp(33) + "SAO PAULO";
    struct {
        const char* date;
        std::string tail;  // after the city
    } cases[] = {
        {"1503991234", sp(5) + "15" + sp(4) + "Mar\x87o" + sp(6) + "99"},
        {"151399", sp(5) + "15" + sp(4) + "ERRO MES" + sp(3) + "99"},
        {"1512", sp(5) + "15" + sp(4) + "Dezembro" + sp(3)},
        {"1", sp(5) + "1" + sp(5) + "ERRO MES" + sp(3)},
        {nullptr, sp(11) + "ERRO MES" + sp(3)},
        {"15:\xCE" "99", sp(5) + "15" + sp(4) + "Fevereiro" + sp(2) + "99"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(bank4("100", "SAO PAULO", c.date)[4].texto.c_str(), before + c.tail) << c.tail;
}

TEST_F(Composition, LongTextsAreCutAndNullTextsAreEmpty) {
    // Bank 48 of the second table: free text from column 6, city ending in
    // 46, day at 50, month at 62, year at 77.
    Cheque c = compose(LayoutBancoVexa, 48, "100", "", "CIDADE COM UM NOME MUITO LONGO", "150399",
                       "ABCDEFGHIJKLMNOPQRSTUVW");
    EXPECT_EQ(c[4].texto.c_str(), sp(5) + "ABCDEFGHIJKLMNOPQRST" + "CIDADE COM UM NOME MUITO" +
                                      "15" + sp(10) + "Mar\x87o" + sp(10) + "99");

    c = compose(LayoutBanco, 4, "1", std::string(200, 'P').c_str(), nullptr, "010100", nullptr);
    EXPECT_EQ(c[3].texto.c_str(), sp(6) + std::string(84, 'P'));
    EXPECT_EQ(c[4].texto.c_str(), sp(59) + "01" + sp(4) + "Janeiro" + sp(4) + "00");
}

}  // namespace
