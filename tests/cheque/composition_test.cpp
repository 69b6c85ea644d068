// The banks' layout tables, the month names and the lines of a composed
// cheque; whole cheques are held against the line in the command tests.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "cheque/composition.h"
#include "cheque/layout.h"
#include "currency_dir.h"
#include "support/bytes.h"

namespace {

using namespace ecf::cheque;
using ecf::test::sp;

const char* const kSharedRow = "025980042680061180080773090654606677";

TEST(LayoutTables, TranscriptionMatchesTheKnownFacts) {
    std::set<std::string> rows;
    std::set<std::string> rowsVexa;
    std::set<uint32_t> codes;
    std::vector<uint32_t> sharedRowCodes;
    for (std::size_t i = 0; i < kBancos; ++i) {
        const EntradaLayout& a = TabelaLayout[i];
        const EntradaLayout& b = TabelaLayoutVexa[i];
        EXPECT_EQ(a.banco, b.banco) << i;
        EXPECT_STRNE(a.layout, b.layout) << a.banco;
        for (const char* row : {a.layout, b.layout}) {
            ASSERT_EQ(std::string(row).size(), kDigitosLayout) << a.banco;
            EXPECT_EQ(std::string(row).find_first_not_of("0123456789"), std::string::npos);
        }
        codes.insert(a.banco);
        rows.insert(a.layout);
        rowsVexa.insert(b.layout);
        if (std::string(a.layout) == kSharedRow) sharedRowCodes.push_back(a.banco);
    }
    EXPECT_EQ(codes.size(), kBancos);
    EXPECT_EQ(rows.size(), 40u);
    EXPECT_EQ(rowsVexa.size(), 63u);
    EXPECT_EQ(sharedRowCodes,
              (std::vector<uint32_t>{4,   6,   28,  29,  31,  33,  34,  37,  39,  48,  70,  151,
                                     152, 168, 282, 302, 334, 344, 351, 353, 369, 370, 372, 388,
                                     415, 434, 472, 483, 494, 498, 602, 605, 607, 947, 998, 999}));
}

TEST(LayoutTables, LookupFindsKnownCodesAndLeavesTheAreaAloneOtherwise) {
    struct {
        uint32_t bank;
        int32_t result;
        std::string row;
        std::string rowVexa;
    } cases[] = {
        {1, 0, "036180051580060680080772090651536377", "016180041580070680090772120651536379"},
        {294, 0, "035980051380070680080773100653576577", "015980041380070680000773110653566579"},
        {999, 0, kSharedRow, "015980042680061180090773110654586679"},
        {0, 21, "", ""},
        {2, 21, "", ""},
        {1000, 21, "", ""},
        {UINT32_MAX, 21, "", ""},
    };
    for (const auto& c : cases) {
        const std::string untouched(kDigitosLayout, 'x');
        std::string row = untouched;
        std::string rowVexa = untouched;
        EXPECT_EQ(LayoutBanco(c.bank, row.data()), c.result) << c.bank;
        EXPECT_EQ(LayoutBancoVexa(c.bank, rowVexa.data()), c.result) << c.bank;
        EXPECT_EQ(row, c.result == 0 ? c.row : untouched) << c.bank;
        EXPECT_EQ(rowVexa, c.result == 0 ? c.rowVexa : untouched) << c.bank;
    }
}

TEST(MonthNames, OneToTwelveAndErroMesOtherwise) {
    const char* const names[] = {"Janeiro", "Fevereiro", "Mar\x87o",  "Abril",    "Maio",     "Junho",
                                 "Julho",   "Agosto",    "Setembro", "Outubro", "Novembro", "Dezembro"};
    for (int32_t month : {-528, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, INT32_MIN, INT32_MAX}) {
        char text[kTamanhoTextoMes];
        std::memset(text, 'x', sizeof text);
        NomeMes(month, text);
        EXPECT_STREQ(text, month >= 1 && month <= 12 ? names[month - 1] : "ERRO MES") << month;
    }
}

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
