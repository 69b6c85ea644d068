// The status exports as a whole: query records on the line, failed
// exchanges, the result texts' addresses.
#include <set>

#include "status_harness.h"

namespace {

using namespace ecf::test;

// f, the query's code, then the index's last two digits, or two 0x00 without
// an index (two blanks in the parameter form of the change status). Null
// out-parameters are skipped, never written.
TEST_F(StatusTest, QueryRecordsOnTheLine) {
    for (const Export& e : fieldExports()) {
        for (bool textForm : {true, false}) {
            const uint8_t index = textForm ? 5 : 142;
            std::string tail = e.indexed ? (textForm ? "05" : "42") : nul(2);
            if (!textForm && std::string(e.name) == "Troco") tail = "  ";
            std::vector<char*> nulls(e.outs.size(), nullptr);
            peer.serve({{kQueryFrame, Bytes(textForm ? e.textReply : e.paramReply, 0)}});
            if (textForm)
                e.text(index);
            else
                EXPECT_EQ(e.param(index, nulls.data()), 0);
            const std::string record = std::string("f") + static_cast<char>(e.code) + tail;
            EXPECT_EQ(hex(peer.wait()), hex(frameOf(record))) << e.name << " " << textForm;
        }
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
