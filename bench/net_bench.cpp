// Network ports: the same status-byte exchange with the simulator over its
// pseudo-terminal and through ser2net (raw and RFC 2217) on loopback, side by
// side, unpaced and paced at 9600 baud 8E1, with the calling thread's CPU per
// exchange; and a shop of 1 and of 20 lanes behind one ser2net.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "ecf.h"
#include "lanes.h"
#include "ser2net.h"
#include "sim_on_pty.h"

namespace {

enum Path { pty = 0, raw = 1, rfc2217 = 2 };
const char* const kPathNames[] = {"pty", "ser2net_raw", "ser2net_rfc2217"};

// ecfSubTotal outside a receipt: refused with a status byte, which is as much
// an exchange as an acceptance.
void BM_NetStatusByte(benchmark::State& state) {
    const auto path = static_cast<Path>(state.range(0));
    const bool paced = state.range(1) != 0;
    if (path != pty && !ecf::test::haveSer2net()) {
        state.SkipWithError("ser2net is not installed");
        return;
    }
    ecf::bench::SimOnPty sim(paced);
    std::unique_ptr<ecf::test::Ser2net> server;
    if (path != pty) {
        server = std::make_unique<ecf::test::Ser2net>(
            std::vector<ecf::test::Ser2net::Line>{{sim.path(), path == rfc2217}});
        ::setenv("ECF_COM1", server->url().c_str(), 1);
    }
    state.SetLabel(kPathNames[path]);
    double cpuMs = 0;
    ecf::bench::timeExchanges(state, paced, 3, 1, [&cpuMs] {
        const double cpu0 = ecf::bench::threadCpuMs();
        const int32_t result = ecfSubTotal();
        cpuMs += ecf::bench::threadCpuMs() - cpu0;
        return result;
    });
    state.counters["cpu_us"] = cpuMs * 1000 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_NetStatusByte)->ArgNames({"path", "paced"})
    ->Args({pty, 0})->Args({raw, 0})->Args({rfc2217, 0})->Iterations(400)->UseRealTime();
BENCHMARK(BM_NetStatusByte)->ArgNames({"path", "paced"})
    ->Args({pty, 1})->Args({raw, 1})->Args({rfc2217, 1})->Iterations(100)->UseRealTime();

// Exchanges a second and latency percentiles over all lanes.
struct ShopFigures {
    double exchangesPerSecond = 0;
    double medianMs = 0;
    double p99Ms = 0;
};

ShopFigures figuresOf(const std::vector<ecf::test::Ledger>& ledgers, double seconds) {
    std::vector<float> all;
    uint64_t exchanges = 0;
    for (const ecf::test::Ledger& l : ledgers) {
        exchanges += l.exchanges;
        all.insert(all.end(), l.latencyMs.begin(), l.latencyMs.end());
    }
    ShopFigures f;
    f.exchangesPerSecond = static_cast<double>(exchanges) / seconds;
    if (all.empty()) return f;
    std::sort(all.begin(), all.end());
    f.medianMs = all[all.size() / 2];
    f.p99Ms = all[std::min(all.size() - 1, all.size() * 99 / 100)];
    return f;
}

// Lanes selling receipts for 10 s: exchanges a second over all lanes and the
// latency of one exchange.
void BM_Shop(benchmark::State& state) {
    if (!ecf::test::haveSer2net()) {
        state.SkipWithError("ser2net is not installed");
        return;
    }
    constexpr double kSeconds = 10;
    const auto lanes = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        ecf::test::Shop shop(ECF_SIM_PROGRAM, lanes);
        const auto ledgers = shop.run(kSeconds);
        const ShopFigures f = figuresOf(ledgers, kSeconds);
        uint64_t failures = 0;
        for (const auto& l : ledgers) failures += l.failures;
        state.counters["exchanges/s"] = f.exchangesPerSecond;
        state.counters["median_ms"] = f.medianMs;
        state.counters["p99_ms"] = f.p99Ms;
        state.counters["failures"] = static_cast<double>(failures);
    }
}
BENCHMARK(BM_Shop)->ArgName("lanes")->Arg(1)->Arg(20)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace
