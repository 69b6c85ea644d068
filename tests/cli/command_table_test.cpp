#include <gtest/gtest.h>

#include <set>
#include <string>

#include "command_table.h"

namespace {

using ecf::cli::BadArgument;
using ecf::cli::Call;
using ecf::cli::Kind;
using ecf::cli::Param;

TEST(CommandTable, EveryExportHasAUniqueNameAndAHelpLine) {
    std::set<std::string> names;
    for (const auto& c : ecf::cli::commands()) {
        EXPECT_TRUE(names.insert(ecf::cli::shortName(c.exportName)).second) << c.exportName;
        EXPECT_STRNE(ecf::cli::summaryOf(c.exportName), "") << c.exportName;
    }
    EXPECT_EQ(names.size(), 66u);
}

TEST(CommandTable, KebabAliases) {
    const std::pair<const char*, const char*> cases[] = {
        {"ecfStatusCupom", "status-cupom"},   {"ecfVendaItem", "venda-item"},
        {"ecfVendaItem78", "venda-item78"},    {"ecfCGC_IE", "cgc-ie"},
        {"ecfParamCGC_IE", "param-cgc-ie"},    {"ChangePort", "change-port"},
        {"ecfLXGerencial", "lx-gerencial"},    {"ecfInicCNFVinculado", "inic-cnf-vinculado"},
        {"ecfPagCancPag", "pag-canc-pag"},
    };
    for (const auto& [name, alias] : cases) EXPECT_EQ(ecf::cli::kebabName(name), alias) << name;
}

TEST(CommandTable, ArgumentsAreCheckedAgainstTheirTypes) {
    const std::vector<Param> params = {{Kind::u8, "index", 0},  {Kind::s8, "lines", 0},
                                       {Kind::i32, "code", 0},  {Kind::u32, "bank", 0},
                                       {Kind::str, "text", 0},  {Kind::out, "field", 5}};
    Call ok(params, {"255", "-128", "-2147483648", "4294967295", "ARROZ"});
    EXPECT_EQ(ok.u8(0), 255);
    EXPECT_EQ(ok.s8(1), -128);
    EXPECT_EQ(ok.i32(2), INT32_MIN);
    EXPECT_EQ(ok.u32(3), 4294967295u);
    EXPECT_STREQ(ok.str(4), "ARROZ");
    EXPECT_EQ(ok.output(5), "");

    const std::vector<std::vector<std::string>> refused = {
        {"256", "0", "0", "0", "x"},         {"0", "128", "0", "0", "x"},
        {"0", "0", "2147483648", "0", "x"},  {"0", "0", "0", "-1", "x"},
        {"1x", "0", "0", "0", "x"},          {"", "0", "0", "0", "x"},
        {"0", "0", "0", "0"},                {"0", "0", "0", "0", "x", "extra"},
    };
    for (const auto& inputs : refused) EXPECT_THROW(Call(params, inputs), BadArgument);
}

TEST(CommandTable, MeaningsBelongToTheExportsThatGiveThem) {
    EXPECT_EQ(ecf::cli::meaningOf("ecfVendaItem", 1010), "the port is in use");
    EXPECT_EQ(ecf::cli::meaningOf("ecfImpCheque", 21), "bank not in the layout table");
    EXPECT_EQ(ecf::cli::meaningOf("ecfVendaItem", 21), "the printer's status byte");
    EXPECT_EQ(ecf::cli::meaningOf("ecfLeitMemFisc", 1098), "report file could not be created");
    EXPECT_EQ(ecf::cli::meaningOf("ecfSubTotal", 2022), "setting the line failed, system error 22");
}

TEST(CommandTable, PrinterTextsAreShownAsUtf8) {
    EXPECT_EQ(ecf::cli::cp850ToUtf8("Mar\x87" "o TR\xD2S MILH\xC7O MILH\xE5" "ES"),
              "Março TRÊS MILHÃO MILHÕES");
}

}  // namespace
