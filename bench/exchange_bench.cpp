// Exchanges on a real pseudo-terminal: as fast as the line allows, and paced
// as a 9600 baud 8E1 line is (wall time against wire time); the CPU the
// library burns while it waits; the largest fiscal memory read-out.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <vector>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench_support.h"
#include "ecf.h"
#include "ecf_ext.h"
#include "export_calls.h"
#include "link/link.h"
#include "wire_printer.h"

namespace {

using ecf::bench::WirePrinter;
using ecf::bench::wireMs;
using Clock = std::chrono::steady_clock;

// A printer on its own pty, the library pointed at it through ECF_COM1.
std::unique_ptr<WirePrinter> printerOn(bool paced) {
    auto printer = std::make_unique<WirePrinter>(paced);
    ::setenv("ECF_COM1", printer->path().c_str(), 1);
    ChangePort(0);
    return printer;
}

template <typename Call>
void exchanges(benchmark::State& state, bool paced, std::size_t record, std::size_t reply, Call call) {
    auto printer = printerOn(paced);
    ecf::bench::timeExchanges(state, paced, record, reply, call);
}

void BM_SubTotal(benchmark::State& state) {
    exchanges(state, state.range(0) != 0, 3, 1, [] { return ecfSubTotal(); });
}
BENCHMARK(BM_SubTotal)->ArgName("paced")->Arg(0)->UseRealTime();
BENCHMARK(BM_SubTotal)->ArgName("paced")->Arg(1)->Iterations(50)->UseRealTime();

void BM_VendaItem(benchmark::State& state) {
    exchanges(state, state.range(0) != 0, 84, 1, [] { return ecfVendaItem("ARROZ TIPO 1 5KG", "2390", 1); });
}
BENCHMARK(BM_VendaItem)->ArgName("paced")->Arg(0)->UseRealTime();
BENCHMARK(BM_VendaItem)->ArgName("paced")->Arg(1)->Iterations(30)->UseRealTime();

void BM_StatusCupom(benchmark::State& state) {
    exchanges(state, state.range(0) != 0, 4, 72, [] { return ecfStatusCupom(0); });
}
BENCHMARK(BM_StatusCupom)->ArgName("paced")->Arg(0)->UseRealTime();
BENCHMARK(BM_StatusCupom)->ArgName("paced")->Arg(1)->Iterations(20)->UseRealTime();

void BM_StatusUser(benchmark::State& state) {
    exchanges(state, state.range(0) != 0, 4, 268, [] { return ecfStatusUser(1); });
}
BENCHMARK(BM_StatusUser)->ArgName("paced")->Arg(0)->UseRealTime();
BENCHMARK(BM_StatusUser)->ArgName("paced")->Arg(1)->Iterations(10)->UseRealTime();

// A status-byte exchange (ecfSubTotal) with the wire trace off and on, in
// turn within each iteration so that both meet the same machine: over the
// pty to the bare printer, unpaced, or over the port that does nothing (the
// library's own CPU alone). The trace goes to a file in /tmp. Counters: the
// median microseconds of each, and on minus off.
void BM_TraceOffOn(benchmark::State& state) {
    const bool overNullPort = state.range(0) != 0;
    std::unique_ptr<WirePrinter> printer = overNullPort ? nullptr : printerOn(false);
    ecf::bench::nullPort = overNullPort;
    char trace[] = "/tmp/ecf-bench-trace-XXXXXX";
    const int fd = ::mkstemp(trace);
    if (fd >= 0) ::close(fd);
    std::vector<double> offUs, onUs;
    const auto timed = [](std::vector<double>& into) {
        const auto start = Clock::now();
        benchmark::DoNotOptimize(ecfSubTotal());
        into.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    };
    for (auto _ : state) {
        ecf_set_trace(nullptr);
        timed(offUs);
        ecf_set_trace(trace);
        timed(onUs);
        state.SetIterationTime((offUs.back() + onUs.back()) / 1e6);
    }
    ecf_set_trace(nullptr);
    ecf::bench::nullPort = false;
    ::unlink(trace);
    const double off = ecf::bench::median(offUs), on = ecf::bench::median(onUs);
    state.counters["off_us"] = off;
    state.counters["on_us"] = on;
    state.counters["on-off_us"] = on - off;
}
BENCHMARK(BM_TraceOffOn)->ArgName("null_port")->Arg(0)->Iterations(20000)->UseManualTime();
BENCHMARK(BM_TraceOffOn)->ArgName("null_port")->Arg(1)->Iterations(100000)->UseManualTime();

// The X reading over the line: 747 bytes after the link's 2 s pause. The
// figure given is the time beyond the pause; cpu_ms is the calling thread's
// CPU for the whole call, pause included.
void BM_XReadingBeyondThePause(benchmark::State& state) {
    auto printer = printerOn(state.range(0) != 0);
    const uint8_t record[3] = {'f', 0x12, 0x00};
    uint8_t reply[747];
    double cpuMs = 0;
    for (auto _ : state) {
        const double cpu0 = ecf::bench::threadCpuMs();
        const auto start = Clock::now();
        benchmark::DoNotOptimize(ecf::link::ComunicaECF(record, 3, reply, sizeof reply));
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        cpuMs += ecf::bench::threadCpuMs() - cpu0;
        state.SetIterationTime((ms - 2000.0) / 1000.0);
        if (state.range(0) != 0) state.counters["wall/wire"] = (ms - 2000.0) / wireMs(3, 747);
    }
    state.counters["cpu_ms"] = cpuMs / static_cast<double>(state.iterations());
}
BENCHMARK(BM_XReadingBeyondThePause)->ArgName("paced")->Arg(0)->Iterations(3)->UseManualTime();
BENCHMARK(BM_XReadingBeyondThePause)->ArgName("paced")->Arg(1)->Iterations(2)->UseManualTime();

// A printer that never answers a command: the library waits 25 s for the
// status byte, asleep in poll.
void BM_CpuDuringTheStatusByteWait(benchmark::State& state) {
    auto printer = printerOn(false);
    printer->setSilent(true);
    for (auto _ : state) {
        const double cpu0 = ecf::bench::threadCpuMs();
        benchmark::DoNotOptimize(ecfSubTotal());
        state.counters["cpu_ms"] = ecf::bench::threadCpuMs() - cpu0;
    }
}
BENCHMARK(BM_CpuDuringTheStatusByteWait)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

// The arguments of the read-out over the line by reduction numbers.
class ReadOutArguments final : public ecf::calls::Arguments {
public:
    explicit ReadOutArguments(const char* report) : report_(report) {}
    const char* text(std::size_t, const ecf::calls::Parameter& p) override {
        return std::string(p.name) == "report_file" ? report_ : "";
    }
    uint32_t number(std::size_t i, const ecf::calls::Parameter&) override { return i == 0 ? 4 : i == 3 ? 1 : 9999; }
    char* out(std::size_t, const ecf::calls::Parameter&) override { return nullptr; }
    unsigned char* outByte(std::size_t, const ecf::calls::Parameter&) override { return nullptr; }
    ecf_exchange_info* info(std::size_t, const ecf::calls::Parameter&) override { return nullptr; }

private:
    const char* report_;
};

// The largest read-out of the fiscal memory: 20 owners, 9999 reductions,
// 411,171 bytes over the line, then the report file.
void BM_LargestFiscalMemoryReadOut(benchmark::State& state) {
    const ecf::calls::ExportCall* call = ecf::calls::find("ecfLeitMemFisc");
    if (call == nullptr || !call->present) {
        state.SkipWithError("ecfLeitMemFisc is not in the library yet");
        return;
    }
    auto printer = printerOn(false);
    printer->setCounts(20, 9999);
    char report[] = "/tmp/ecf-bench-report-XXXXXX";
    const int fd = ::mkstemp(report);
    if (fd >= 0) ::close(fd);
    // The first read-out shows the growth; later ones reuse what the
    // allocator kept, so the largest growth of the runs is reported.
    long growth = 0;
    for (auto _ : state) {
        ecf::bench::resetPeak();
        const long before = ecf::bench::peakKiB();
        const double cpu0 = ecf::bench::threadCpuMs();
        ReadOutArguments arguments(report);
        const int32_t r = call->call(arguments).value;
        state.counters["cpu_ms"] = ecf::bench::threadCpuMs() - cpu0;
        growth = std::max(growth, ecf::bench::peakKiB() - before);
        state.counters["peak_growth_KiB"] = static_cast<double>(growth);
        state.counters["result"] = r;
    }
    ::unlink(report);
}
BENCHMARK(BM_LargestFiscalMemoryReadOut)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
