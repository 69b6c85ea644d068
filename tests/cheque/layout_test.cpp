#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "cheque/layout.h"

namespace {

using namespace ecf::cheque;

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

}  // namespace
