// The exchange report and the wire trace, against a scripted printer on a
// pseudo-terminal: what each kind of exchange leaves in the report, the trace
// lines it appends, and trace files that cannot take a line.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "cheque/currency_dir.h"
#include "ecf_ext.h"
#include "support/wire.h"

namespace {

using namespace ecf::test;

constexpr std::size_t kSubTotalFrame = 5;
constexpr std::size_t kLineFrame = 86;

std::string hexOf(const Bytes& bytes) {
    std::string out = hex(bytes);
    out.erase(std::remove(out.begin(), out.end(), ' '), out.end());
    return out;
}

ecf_exchange_info lastExchange() {
    ecf_exchange_info info{};
    info.size = sizeof info;
    EXPECT_EQ(ecf_last_exchange(&info), 0);
    return info;
}

// The bytes a trace line says were sent.
std::string sentOf(const std::string& line) {
    const std::size_t from = line.find(" sent=") + 6;
    return line.substr(from, line.find(' ', from) - from);
}

class ExchangeReport : public CurrencyDir {
protected:
    void SetUp() override {
        CurrencyDir::SetUp();
        ChangePort(0);
        ASSERT_EQ(ecf_set_trace("trace.log"), 0);
    }
    void TearDown() override {
        ecf_set_trace(nullptr);
        CurrencyDir::TearDown();
    }

    // The lines the trace gained since the last call.
    std::vector<std::string> newTraceLines() {
        std::ifstream trace("trace.log");
        std::vector<std::string> lines;
        for (std::string line; std::getline(trace, line);) lines.push_back(line);
        std::vector<std::string> fresh(lines.begin() + static_cast<std::ptrdiff_t>(seen_), lines.end());
        seen_ = lines.size();
        return fresh;
    }

private:
    std::size_t seen_ = 0;
};

TEST_F(ExchangeReport, EachKindOfExchangeAsReportedAndTraced) {
    const Bytes cutShort(30, 'A');
    const struct Case {
        const char* name;
        std::vector<PtyPeer::Step> script;
        const char* device;  // ECF_COM1; null: the printer's pty
        bool portHeld;
        std::function<int32_t()> call;
        int32_t result, code;
        uint32_t exchanges, sent, expected, received;
        ecf_step step;
        const char* stepName;  // in the trace
        int32_t error;
        const char* command;
    } cases[] = {
        {"a sale answered", {{1 + 84 + 1, {0x00}}}, nullptr, false,
         [] { return ecfVendaItem("ARROZ", "100", 1); }, 0, 0xD2, 1, 86, 1, 1, ECF_STEP_NONE, "", 0, "VendaItem"},
        {"a reply cut short", {{6, cutShort}}, nullptr, false,
         [] { return ecfStatusCupom(0) != nullptr ? 0 : -1; }, 0, 0xE0, 1, 6, 72, 30, ECF_STEP_NONE, "", 0,
         "StatusCupom"},
        {"a printer that drops off the line", {{kSubTotalFrame, {}, 0, true}}, nullptr, false, ecfSubTotal,
         8000 + EIO, 0xD1, 1, 5, 1, 0, ECF_STEP_READING, "reading", EIO, "SubTotal"},
        {"a missing device", {}, "/nonexistent/ecf-tty", false, ecfSubTotal, 1030, 0xD1, 1, 0, 1, 0,
         ECF_STEP_OPEN, "open", ENOENT, "SubTotal"},
        {"a port held by another program", {}, nullptr, true, ecfSubTotal, 1010, 0xD1, 1, 0, 1, 0,
         ECF_STEP_LOCK, "lock", EWOULDBLOCK, "SubTotal"},
        {"a cheque, five lines", std::vector<PtyPeer::Step>(5, {kLineFrame, {0x00}}), nullptr, false,
         [] { return ecfImpCheque(4, "100", "FULANO", "SAO PAULO", "150399", ""); }, 0, 0xC0, 5, 86, 1, 1,
         ECF_STEP_NONE, "", 0, "LinhaCheque"},
        {"a cheque for a bank not in the table", {}, nullptr, false,
         [] { return ecfImpCheque(2, "100", "", "", "", ""); }, 21, -1, 0, 0, 0, 0, ECF_STEP_NONE, "", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PtyPeer printer;
        const std::string device = c.device != nullptr ? c.device : printer.path();
        ScopedEnv port("ECF_COM1", device);
        std::unique_ptr<HeldDevice> held(c.portHeld ? new HeldDevice(device) : nullptr);
        printer.serve(c.script);
        EXPECT_EQ(c.call(), c.result);
        const Bytes wire = printer.wait();

        const ecf_exchange_info r = lastExchange();
        EXPECT_EQ(r.result, c.result);
        EXPECT_EQ(r.command_code, c.code);
        EXPECT_EQ(r.exchanges, c.exchanges);
        EXPECT_EQ(r.bytes_sent, c.sent);
        EXPECT_EQ(r.bytes_expected, c.expected);
        EXPECT_EQ(r.bytes_received, c.received);
        EXPECT_EQ(r.failed_step, static_cast<uint32_t>(c.step));
        EXPECT_EQ(r.system_error, c.error);
        EXPECT_STREQ(r.port, c.exchanges > 0 ? "COM1" : "");
        EXPECT_STREQ(r.device, c.exchanges > 0 ? device.c_str() : "");

        // One trace line per exchange; together they hold what reached the line.
        const std::vector<std::string> lines = newTraceLines();
        ASSERT_EQ(lines.size(), c.exchanges);
        std::string sent;
        for (const std::string& line : lines) sent += sentOf(line);
        EXPECT_EQ(sent, hexOf(wire));
        if (lines.empty()) continue;
        const std::string& last = lines.back();
        char code[3];
        std::snprintf(code, sizeof code, "%02X", static_cast<unsigned>(c.code));
        const std::string recv = c.received == 0 ? "" : c.code == 0xE0 ? hexOf(cutShort) : "00";
        std::string expected = " pid=" + std::to_string(::getpid()) + " port=COM1 device=" + device +
                               " cmd=" + c.command + " code=" + code + " sent=" + sentOf(last) +
                               " recv=" + recv + " result=" + std::to_string(c.result) +
                               " us=" + std::to_string(r.elapsed_us);
        if (c.step != ECF_STEP_NONE)
            expected += std::string(" step=") + c.stepName + " error=" + std::to_string(c.error);
        EXPECT_TRUE(std::regex_match(last.substr(0, 27), std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{6}Z)")));
        EXPECT_EQ(last.substr(27), expected);
    }
}

// A trace file that cannot take a line changes nothing of the exchange and
// never holds it up.
TEST_F(ExchangeReport, ATraceThatCannotBeWrittenLeavesTheExchangeAlone) {
    ASSERT_EQ(::mkdir("a-directory", 0700), 0);
    ASSERT_EQ(::mkfifo("fifo", 0600), 0);
    int reader = -1;
    const struct {
        const char* name;
        const char* path;
        std::function<void()> before, after;  // around ecf_set_trace
        int32_t started;
    } cases[] = {
        {"a directory", "a-directory", {}, {}, -1},
        {"a FIFO nobody reads", "fifo", {}, {}, -1},
        {"a full disk", "/dev/full", {}, {}, 0},
        {"a full pipe", "fifo", [&] { reader = ::open("fifo", O_RDONLY | O_NONBLOCK); },
         [] {
             const int writer = ::open("fifo", O_WRONLY | O_NONBLOCK);
             const std::string block(4096, 'x');
             while (::write(writer, block.data(), block.size()) > 0) {
             }
             ::close(writer);
         },
         0},
        {"a pipe whose reader left", "fifo", [&] { reader = ::open("fifo", O_RDONLY | O_NONBLOCK); },
         [&] { ::close(reader); reader = -1; }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.before) c.before();
        EXPECT_EQ(ecf_set_trace(c.path), c.started);
        if (c.after) c.after();
        PtyPeer printer;
        ScopedEnv port("ECF_COM1", printer.path());
        printer.serve({{kSubTotalFrame, {0x2A}}});
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(ecfSubTotal(), 0x2A);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_EQ(hexOf(printer.wait()), "1B66D100AE");
        EXPECT_EQ(lastExchange().bytes_received, 1u);
        if (reader >= 0) ::close(reader);
        reader = -1;
    }
}

}  // namespace
