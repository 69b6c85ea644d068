// The status exports as a whole: query records on the line, failed
// exchanges, the result texts' addresses.
#include <set>

#include "status_harness.h"

namespace {

using namespace ecf::test;

TEST_F(StatusTest, QueryRecordsOnTheLine) {
    enum Form { text, param };
    struct {
        const char* query;
        Form form;
        uint8_t index;
        const char* frame;
    } cases[] = {
        {"Cupom", text, 0, "1B 66 E0 00 00 9F"},     {"Cupom", param, 0, "1B 66 E0 00 00 9F"},
        {"Aliquotas", text, 5, "1B 66 E1 30 35 39"}, {"Aliquotas", text, 0, "1B 66 E1 30 30 3E"},
        {"Aliquotas", text, 105, "1B 66 E1 30 35 39"}, {"Aliquotas", param, 42, "1B 66 E1 34 32 38"},
        {"PayTypes", text, 5, "1B 66 E2 30 35 38"},  {"PayTypes", param, 142, "1B 66 E2 34 32 37"},
        {"DocsNFs", text, 1, "1B 66 E3 30 31 3B"},   {"DocsNFs", param, 42, "1B 66 E3 34 32 36"},
        {"Equipo", text, 0, "1B 66 E4 00 00 9B"},    {"Equipo", param, 0, "1B 66 E4 00 00 9B"},
        {"User", text, 1, "1B 66 E5 30 31 39"},      {"User", param, 42, "1B 66 E5 34 32 34"},
        {"Troco", text, 0, "1B 66 E6 00 00 99"},     {"Troco", param, 0, "1B 66 E6 20 20 59"},
        {"Vincs", text, 1, "1B 66 E7 30 31 37"},     {"Vincs", param, 42, "1B 66 E7 34 32 32"},
    };
    for (const auto& c : cases) {
        const Export& e = exportNamed(c.query);
        std::vector<char*> nulls(e.outs.size(), nullptr);
        peer.serve({{kQueryFrame, Bytes(c.form == text ? e.textReply : e.paramReply, 0)}});
        if (c.form == text)
            e.text(c.index);
        else  // null out-parameters are skipped, never written
            EXPECT_EQ(e.param(c.index, nulls.data()), 0);
        EXPECT_EQ(hex(peer.wait()), c.frame) << c.query << " " << int{c.index};
    }
    for (bool textForm : {true, false}) {
        peer.serve({{kQueryFrame, Bytes(7, 0)}});
        if (textForm)
            ecfStatusImp();
        else
            EXPECT_EQ(ecfParamStatusImp(nullptr, nullptr, nullptr), 0);
        EXPECT_EQ(hex(peer.wait()), "1B 66 DF 00 00 A0");
    }
}

// Each text form with the length of its reply.
std::vector<std::pair<char* (*)(), std::size_t>> textForms() {
    return {{[] { return ecfStatusImp(); }, 7},
            {[] { return ecfStatusCupom(0); }, 72},
            {[] { return ecfStatusAliquotas(1); }, 41},
            {[] { return ecfStatusPayTypes(1); }, 47},
            {[] { return ecfStatusDocsNFs(1); }, 123},
            {[] { return ecfStatusEquipo(); }, 52},
            {[] { return ecfStatusUser(1); }, 268},
            {[] { return ecfStatusTroco(); }, 47},
            {[] { return ecfStatusVincs(1); }, 66}};
}

// Each text form keeps its own buffer: another query leaves it as it was,
// and a failed exchange puts the error text into that same buffer.
TEST_F(StatusTest, EachTextHasItsOwnBufferAndFailuresLeaveOutParametersAlone) {
    std::vector<char*> texts;
    std::vector<std::string> contents;
    for (const auto& [form, length] : textForms()) {
        peer.serve({{kQueryFrame, distinctReply(length)}});
        texts.push_back(form());
        contents.emplace_back(texts.back());
        peer.wait();
    }
    EXPECT_EQ(std::set<char*>(texts.begin(), texts.end()).size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(texts[i], contents[i]) << i;

    HeldDevice held(peer.path());
    const auto forms = textForms();
    for (std::size_t i = 0; i < forms.size(); ++i) {
        EXPECT_EQ(forms[i].first(), texts[i]) << i;
        EXPECT_STREQ(texts[i], "Erro: 1010");
    }
    for (const Export& e : fieldExports()) {
        OutBuffers out(e.outs);
        EXPECT_EQ(e.param(1, out.ptrs.data()), 1010) << e.name;
        // Only the receipt status writes after a failure, and then no reply bytes.
        for (std::size_t i = 0; i < e.outs.size(); ++i)
            EXPECT_EQ(out.written(i), std::string(e.name) == "Cupom" ? nul(e.outs[i].width + 1)
                                                                     : std::string())
                << e.name << " out " << i;
    }
    unsigned char bytes[3] = {0x5A, 0x5A, 0x5A};
    EXPECT_EQ(ecfParamStatusImp(&bytes[0], &bytes[1], &bytes[2]), 1010);
    EXPECT_EQ(bytes[0] | bytes[1] | bytes[2], 0);
}

}  // namespace
