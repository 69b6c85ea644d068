// The library against the real engine: Debian's ser2net serving the
// simulated printer's pseudo-terminal, raw and with RFC 2217. Whatever works
// on the pseudo-terminal works through ser2net, with the same results, and
// every fault of the network ends within the time-outs of a local port.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ecf.h"
#include "ecfsim/model.h"
#include "ser2net.h"
#include "support/scratch.h"
#include "support/sim_fixture.h"

namespace {

using ecf::test::Ser2net;
using ecf::test::ScopedEnv;
using ecf::test::SimFixture;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

// A printer with a long fiscal memory: enough reductions for a read-out of
// more than 100 KB over the line.
SimFixture::Options longMemory() {
    SimFixture::Options o;
    o.model = ecfsim::freshModel(ecfsim::localDateTime(ecfsim::systemSeconds()));
    o.useModel = true;
    ecfsim::DateTime when = o.model.owners.back().start;
    for (uint32_t n = 1; n <= 2600; ++n) {
        when.date.day = 1 + n % 28;
        o.model.reductions.push_back({n, 1, when, 1000 + n});
    }
    o.model.counters.crz = 2600;
    return o;
}

// The simulated printer behind ser2net, on one scheme or the other.
class ThroughSer2net : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (!ecf::test::haveSer2net()) GTEST_SKIP() << "ser2net is not installed";
        server_ = std::make_unique<Ser2net>(std::vector<Ser2net::Line>{{sim_.path(), GetParam()}});
        url_ = server_->url();
    }
    // Runs f with the port pointed at the network, then back at the pty.
    template <typename F>
    auto overTheNetwork(F f) {
        ScopedEnv port("ECF_COM1", url_);
        const auto result = f();
        server_->waitUntilIdle();  // the pty is the test's again
        return result;
    }

    SimFixture sim_{longMemory()};
    std::unique_ptr<Ser2net> server_;
    std::string url_;
};

INSTANTIATE_TEST_SUITE_P(Schemes, ThroughSer2net, ::testing::Values(false, true),
                         [](const auto& p) { return p.param ? "rfc2217" : "raw"; });

TEST_P(ThroughSer2net, ASaleCycleAndEveryQueryAnswerAsOnThePty) {
    EXPECT_EQ(overTheNetwork([] {
        // A name with 0xFF bytes: IAC in both directions, in a command and a reply.
        EXPECT_EQ(ecfPayPatterns("5", "\xFF\xFFPIX\xFF"), 0);
        EXPECT_EQ(ecfVendaItem("ARROZ TIPO 1 5KG", "2390", 1), 0);
        EXPECT_EQ(ecfVenda_Item("7891000100103", "FEIJAO", "2", "500", "899", 1), 0);
        EXPECT_EQ(ecfCancItemDef("001", ""), 0);
        EXPECT_EQ(ecfSubTotal(), 0);
        EXPECT_EQ(ecfPagamento(1, "", "5000", 0), 0);
        return ecfFimTrans("OBRIGADO");
    }), 0);
    const ecfsim::Model m = sim_.model();
    EXPECT_EQ(m.lastReceipt.items.size(), 2u);
    EXPECT_EQ(m.paymentTypes[4].name.substr(0, 6), "\xFF\xFFPIX\xFF");

    const std::vector<std::pair<const char*, std::function<std::string()>>> queries = {
        {"StatusCupom", [] { return std::string(ecfStatusCupom(0)); }},
        {"StatusImp", [] { return std::string(ecfStatusImp()); }},
        {"StatusAliquotas", [] { return std::string(ecfStatusAliquotas(1)); }},
        {"StatusPayTypes", [] { return std::string(ecfStatusPayTypes(5)); }},
        {"StatusDocsNFs", [] { return std::string(ecfStatusDocsNFs(1)); }},
        {"StatusEquipo", [] { return std::string(ecfStatusEquipo()); }},
        {"StatusUser", [] { return std::string(ecfStatusUser(1)); }},
        {"StatusTroco", [] { return std::string(ecfStatusTroco()); }},
        {"StatusVincs", [] { return std::string(ecfStatusVincs(1)); }},
        {"LeituraXSerial", [] { return std::string(ecfLeituraXSerial()); }},
        {"CGC_IE", [] { return std::string(ecfCGC_IE()); }},
    };
    for (const auto& [name, query] : queries) {
        const std::string local = query();
        EXPECT_EQ(overTheNetwork(query), local) << name;
        EXPECT_EQ(local.rfind("Erro", 0), std::string::npos) << name << ": " << local;
    }
    EXPECT_NE(std::string(ecfStatusPayTypes(5)).find("\xFF\xFFPIX\xFF"), std::string::npos);
}

TEST_P(ThroughSer2net, TheFiscalMemoryReportIsTheSameBytes) {
    const ecf::test::ScratchDir dir;
    const std::string local = dir / "local.txt", remote = dir / "remote.txt";
    ASSERT_EQ(ecfLeitMemFisc(4, "", "", 1, 9999, local.c_str()), 0);
    ASSERT_EQ(overTheNetwork([&] { return ecfLeitMemFisc(4, "", "", 1, 9999, remote.c_str()); }), 0);
    const std::string report = ecf::test::contentsOf(local);
    EXPECT_GT(report.size(), 100000u);
    EXPECT_TRUE(ecf::test::contentsOf(remote) == report) << "the reports differ";
}

// ser2net takes a second client's connection, says "Port already in use"
// and closes it: the port is busy, 1010, and nothing reaches the printer.
// A raw connection has no sign of being served and waits a few milliseconds
// for the refusal; a ser2net slower than that (a loaded machine) is seen at
// the read instead, as a lost connection.
TEST_P(ThroughSer2net, ASecondClientFindsThePortInUse) {
    const bool raw = !GetParam();
    const std::string lost = std::to_string(8000 + ECONNRESET);
    const uint32_t coo = sim_.model().counters.coo;
    {
        const int holder = ecf::test::connectTo(server_->port());
        std::this_thread::sleep_for(std::chrono::milliseconds(100));  // ser2net takes it
        const std::string status = std::to_string(overTheNetwork([] { return ecfLeituraX(""); }));
        const std::string text = overTheNetwork([] { return std::string(ecfStatusImp()); });
        EXPECT_TRUE(status == "1010" || (raw && status == lost)) << status;
        EXPECT_TRUE(text == "Erro: 1010" || (raw && text == "Erro: 1")) << text;
        ::close(holder);
    }
    EXPECT_EQ(sim_.model().counters.coo, coo);
    // Free again once ser2net has seen the first client go.
    int32_t result = 1010;
    for (int i = 0; i < 50 && result == 1010; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        result = overTheNetwork([] { return ecfLeituraX(""); });
    }
    EXPECT_EQ(result, 0);
}

// ser2net killed while the library waits for an answer: the read fails as
// a local port's does when its device goes, at once and not after 25 s.
TEST_P(ThroughSer2net, ServerKilledMidExchange) {
    struct Case {
        const char* name;
        std::function<std::string()> call;
        std::string result;
    };
    const Case cases[] = {
        {"status byte", [] { return std::to_string(ecfSubTotal()); }, std::to_string(8000 + ECONNRESET)},
        {"reply", [] { return std::string(ecfStatusCupom(0)); }, "Erro: 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();  // a fresh ser2net each time
        sim_.inject({ecfsim::Fault::Kind::silent, 0, 1, 1});
        std::thread killer([this] {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            server_->kill();
        });
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(overTheNetwork(c.call), c.result);
        EXPECT_LT(secondsSince(start), 2.0);
        killer.join();
        sim_.clearFaults();
    }
}

}  // namespace
