// Exchanges with the simulated printer on a pty: as fast as it answers, and
// with its line paced at 9600 baud 8E1 (wall time over wire time). The X
// reading over the line is timed beyond the link's 2 s pause.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "ecf.h"
#include "link/link.h"
#include "bench_support.h"
#include "sim_on_pty.h"
#include "wire_printer.h"

namespace {

using ecf::bench::SimOnPty;
using ecf::bench::wireMs;

using Clock = std::chrono::steady_clock;

template <typename Call>
void simExchanges(benchmark::State& state, std::size_t record, std::size_t reply, Call call) {
    const bool paced = state.range(0) != 0;
    SimOnPty sim(paced);
    ecf::bench::timeExchanges(state, paced, record, reply, call);
}

// ecfSubTotal outside a receipt: the printer refuses it with a status byte,
// which is as much an exchange as an acceptance.
void BM_SimSubTotal(benchmark::State& state) {
    simExchanges(state, 3, 1, [] { return ecfSubTotal(); });
}
BENCHMARK(BM_SimSubTotal)->ArgName("paced")->Arg(0)->UseRealTime();
BENCHMARK(BM_SimSubTotal)->ArgName("paced")->Arg(1)->Iterations(50)->UseRealTime();

void BM_SimStatusImp(benchmark::State& state) {
    simExchanges(state, 4, 7, [] { return ecfStatusImp(); });
}
BENCHMARK(BM_SimStatusImp)->ArgName("paced")->Arg(0)->UseRealTime();
BENCHMARK(BM_SimStatusImp)->ArgName("paced")->Arg(1)->Iterations(30)->UseRealTime();

void BM_SimStatusCupom(benchmark::State& state) {
    simExchanges(state, 4, 72, [] { return ecfStatusCupom(0); });
}
BENCHMARK(BM_SimStatusCupom)->ArgName("paced")->Arg(0)->UseRealTime();
BENCHMARK(BM_SimStatusCupom)->ArgName("paced")->Arg(1)->Iterations(20)->UseRealTime();

// The store header's short form: the printer tells it from the long form by
// the silence after its checksum.
void BM_SimCabLoja(benchmark::State& state) {
    simExchanges(state, 187, 1, [] {
        return ecfCabLoja("MERCADO BOA VISTA LTDA", "RUA DAS FLORES, 123", "SAO PAULO - SP", 1, 1,
                          "12.345.678/0001-95", "123.456.789.110");
    });
}
BENCHMARK(BM_SimCabLoja)->ArgName("paced")->Arg(0)->UseRealTime();
BENCHMARK(BM_SimCabLoja)->ArgName("paced")->Arg(1)->Iterations(20)->UseRealTime();

void BM_SimXReadingBeyondThePause(benchmark::State& state) {
    SimOnPty sim(state.range(0) != 0);
    const uint8_t record[3] = {'f', 0x12, 0x00};
    uint8_t reply[747];
    for (auto _ : state) {
        const auto start = Clock::now();
        benchmark::DoNotOptimize(ecf::link::ComunicaECF(record, 3, reply, sizeof reply));
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        state.SetIterationTime((ms - 2000.0) / 1000.0);
        state.counters["wall_ms"] = ms;
    }
    state.counters["wire_ms"] = wireMs(3, 747);
}
BENCHMARK(BM_SimXReadingBeyondThePause)->ArgName("paced")->Arg(0)->Iterations(2)->UseManualTime();
BENCHMARK(BM_SimXReadingBeyondThePause)->ArgName("paced")->Arg(1)->Iterations(2)->UseManualTime();

}  // namespace
