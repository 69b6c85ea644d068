// The status exports as a whole: query records on the line, failed
// exchanges, the result texts' addresses, null out-parameters.
#include <functional>
#include <set>

#include "status_harness.h"

namespace {

using namespace ecf::test;

TEST_F(StatusTest, QueryRecordsOnTheLine) {
    char* o[14] = {};
    unsigned char* u = nullptr;
    struct {
        const char* call;
        std::function<void()> run;
        std::size_t replyLength;
        const char* frame;
    } cases[] = {
        {"StatusImp", [] { ecfStatusImp(); }, 7, "1B 66 DF 00 00 A0"},
        {"ParamStatusImp", [&] { ecfParamStatusImp(u, u, u); }, 7, "1B 66 DF 00 00 A0"},
        {"StatusCupom", [] { ecfStatusCupom(77); }, 72, "1B 66 E0 00 00 9F"},
        {"ParamStatusCup", [&] { ecfParamStatusCup(o[0], o[1], o[2], o[3], o[4], o[5], o[6]); }, 72,
         "1B 66 E0 00 00 9F"},
        {"StatusAliquotas 5", [] { ecfStatusAliquotas(5); }, 41, "1B 66 E1 30 35 39"},
        {"StatusAliquotas 0", [] { ecfStatusAliquotas(0); }, 41, "1B 66 E1 30 30 3E"},
        {"StatusAliquotas 105", [] { ecfStatusAliquotas(105); }, 41, "1B 66 E1 30 35 39"},
        {"ParamStatusAliquotas 42", [&] { ecfParamStatusAliquotas(42, o[0], o[1], o[2], o[3]); },
         41, "1B 66 E1 34 32 38"},
        {"StatusPayTypes 5", [] { ecfStatusPayTypes(5); }, 47, "1B 66 E2 30 35 38"},
        {"ParamStatusPayTypes 142", [&] { ecfParamStatusPayTypes(142, o[0], o[1], o[2], o[3]); },
         47, "1B 66 E2 34 32 37"},
        {"StatusDocsNFs 1", [] { ecfStatusDocsNFs(1); }, 123, "1B 66 E3 30 31 3B"},
        {"ParamStatusDocsNFs 42",
         [&] { ecfParamStatusDocsNFs(42, o[0], o[1], o[2], o[3], o[4], o[5], o[6], o[7], o[8], o[9]); },
         123, "1B 66 E3 34 32 36"},
        {"StatusEquipo", [] { ecfStatusEquipo(); }, 52, "1B 66 E4 00 00 9B"},
        {"ParamStatusEquipo", [&] { ecfParamStatusEquipo(o[0], o[1], o[2], o[3]); }, 50,
         "1B 66 E4 00 00 9B"},
        {"StatusUser 1", [] { ecfStatusUser(1); }, 268, "1B 66 E5 30 31 39"},
        {"ParamStatusUser 42",
         [&] {
             ecfParamStatusUser(42, o[0], o[1], o[2], o[3], o[4], o[5], o[6], o[7], o[8], o[9],
                                o[10], o[11], o[12], o[13]);
         },
         268, "1B 66 E5 34 32 34"},
        {"StatusTroco", [] { ecfStatusTroco(); }, 47, "1B 66 E6 00 00 99"},
        {"ParamStatusTroco", [&] { ecfParamStatusTroco(o[0], o[1]); }, 47, "1B 66 E6 20 20 59"},
        {"StatusVincs 1", [] { ecfStatusVincs(1); }, 66, "1B 66 E7 30 31 37"},
        {"ParamStatusVincs 42",
         [&] { ecfParamStatusVincs(42, o[0], o[1], o[2], o[3], o[4], o[5], o[6]); }, 66,
         "1B 66 E7 34 32 32"},
    };
    for (const auto& c : cases) {
        peer.serve({{kQueryFrame, Bytes(c.replyLength, 0)}});
        c.run();
        EXPECT_EQ(hex(peer.wait()), c.frame) << c.call;
    }
}

// Each text form with the text it gives for a successful exchange.
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

TEST_F(StatusTest, FailedExchangesGiveTheErrorTextAndLeaveOutParametersAlone) {
    std::vector<char*> texts;
    for (const auto& [form, length] : textForms()) {
        peer.serve({{kQueryFrame, distinctReply(length)}});
        texts.push_back(form());
        peer.wait();
    }
    HeldDevice held(peer.path());
    const auto forms = textForms();
    for (std::size_t i = 0; i < forms.size(); ++i) {
        EXPECT_EQ(forms[i].first(), texts[i]) << "the same buffer on failure";
        EXPECT_STREQ(texts[i], "Erro: 1010");
    }
    for (const Export& e : fieldExports()) {
        OutBuffers out(e.outs);
        EXPECT_EQ(e.param(1, out.ptrs.data()), 1010) << e.name;
        // Only the receipt status writes after a failure, and then no reply bytes.
        for (std::size_t i = 0; i < e.outs.size(); ++i)
            EXPECT_EQ(out.written(i), std::string(e.name) == "Cupom" ? std::string(e.outs[i].width + 1, '\0')
                                                                     : std::string())
                << e.name << " out " << i;
    }
    unsigned char bytes[3] = {0x5A, 0x5A, 0x5A};
    EXPECT_EQ(ecfParamStatusImp(&bytes[0], &bytes[1], &bytes[2]), 1010);
    EXPECT_EQ(bytes[0] | bytes[1] | bytes[2], 0);
}

TEST(StatusWithoutDevice, AMissingDeviceGives1030InBothForms) {
    ScopedEnv env("ECF_COM1", "/nonexistent/ecf-tty");
    ChangePort(0);
    for (const auto& [form, length] : textForms()) EXPECT_STREQ(form(), "Erro: 1030");
    for (const Export& e : fieldExports()) {
        OutBuffers out(e.outs);
        EXPECT_EQ(e.param(1, out.ptrs.data()), 1030) << e.name;
    }
}

TEST_F(StatusTest, EachTextKeepsItsAddressAndOnlyItsOwnCallOverwritesIt) {
    peer.serve({{kQueryFrame, Bytes(72, 'A')}});
    char* receipt = ecfStatusCupom(0);
    peer.wait();

    std::set<char*> buffers{receipt};
    for (const auto& [form, length] : textForms()) {
        if (length == 72) continue;
        peer.serve({{kQueryFrame, distinctReply(length)}});
        buffers.insert(form());
        peer.wait();
    }
    EXPECT_EQ(buffers.size(), 9u);
    EXPECT_EQ(std::string(receipt), std::string(67, 'A'));

    peer.serve({{kQueryFrame, Bytes(72, 'B')}});
    EXPECT_EQ(ecfStatusCupom(0), receipt);
    peer.wait();
    EXPECT_EQ(std::string(receipt), std::string(67, 'B'));
}

TEST_F(StatusTest, NullOutParametersAreSkipped) {
    for (const Export& e : fieldExports()) {
        std::vector<char*> nulls(e.outs.size(), nullptr);
        peer.serve({{kQueryFrame, distinctReply(e.paramReply)}});
        EXPECT_EQ(e.param(1, nulls.data()), 0) << e.name;
        peer.wait();
    }
    peer.serve({{kQueryFrame, distinctReply(7)}});
    EXPECT_EQ(ecfParamStatusImp(nullptr, nullptr, nullptr), 0);
    peer.wait();
}

}  // namespace
