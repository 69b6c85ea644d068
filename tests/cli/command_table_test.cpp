#include <gtest/gtest.h>

#include <set>
#include <string>

#include "command_table.h"
#include "exchange_view.h"

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

// The report tells a status byte from the library's code of the same value.
TEST(CommandTable, MeaningsFollowTheExchangeReport) {
    auto report = [](uint32_t exchanges, uint32_t step, uint32_t expected, uint32_t received) {
        ecf_exchange_info info{};
        info.exchanges = exchanges;
        info.failed_step = step;
        info.bytes_expected = expected;
        info.bytes_received = received;
        return info;
    };
    const struct {
        const char* exportName;
        int32_t result;
        ecf_exchange_info info;
        std::string meaning;
    } cases[] = {
        {"ecfVendaItem", 21, report(1, ECF_STEP_NONE, 1, 1), "the printer's status byte"},
        {"ecfImpCheque", 21, report(0, ECF_STEP_NONE, 0, 0), ecf_result_text(21, "en")},
        {"ecfVendaItem", 1010, report(1, ECF_STEP_LOCK, 1, 0), "the port is in use"},
        {"ecfStatusCupom", 1, report(1, ECF_STEP_READING, 72, 0), ecf_result_text(1, "en")},
        {"ecfSubTotal", 0, report(1, ECF_STEP_NONE, 1, 0), "no answer from the printer"},
        {"ecfParamStatusCup", 0, report(1, ECF_STEP_NONE, 72, 12), "reply cut short"},
        {"ecfParamStatusCup", 0, report(1, ECF_STEP_NONE, 72, 72), "ok"},
        {"ChangePort", 1, report(0, ECF_STEP_NONE, 0, 0), "COM2 selected"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ecf::cli::meaningOf(c.exportName, c.result, c.info), c.meaning) << c.exportName << " " << c.result;
}

TEST(CommandTable, TextsConvertBetweenUtf8AndCodePage850) {
    const std::string printed = "Mar\x87" "o TR\xD2S MILH\xC7O MILH\xE5" "ES \x90";
    EXPECT_EQ(ecf::cli::cp850ToUtf8(printed), "Março TRÊS MILHÃO MILHÕES É");
    EXPECT_EQ(ecf::cli::utf8ToCp850("Março TRÊS MILHÃO MILHÕES É", "text"), printed);

    const std::pair<std::string, std::string> refused[] = {
        {"CAF\xC9", "byte 0xC9 at position 4"},  // Latin-1, not UTF-8
        {"\xC3", "byte 0xC3 at position 1"},      // cut short
        {"\xC0\x80", "byte 0xC0"},                // overlong
        {"\xED\xA0\x80", "byte 0xED"},           // a surrogate
        {"5 \xE2\x82\xAC", "'\xE2\x82\xAC' (U+20AC)"},  // the euro sign: not in the code page
    };
    for (const auto& [text, named] : refused) {
        try {
            ecf::cli::utf8ToCp850(text, "description");
            ADD_FAILURE() << text;
        } catch (const BadArgument& bad) {
            EXPECT_NE(bad.message.find("description: "), std::string::npos) << bad.message;
            EXPECT_NE(bad.message.find(named), std::string::npos) << bad.message;
        }
    }
}

}  // namespace
