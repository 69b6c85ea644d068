// Exchanges with the simulated printer on a pty: as fast as it answers, and
// with its line paced at 9600 baud 8E1 (wall time over wire time). The X
// reading over the line is timed beyond the link's 2 s pause. The same
// exchanges with the control page beside the line and a reader on its event
// stream, against none, show what the page costs the line.
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "ecf.h"
#include "control_page.h"
#include "link/link.h"
#include "bench_support.h"
#include "sim_on_pty.h"
#include "wire_printer.h"

namespace {

using ecf::bench::SimOnPty;
using ecf::bench::wireMs;

using Clock = std::chrono::steady_clock;

// The control page watching a simulator, with a reader following its event
// stream (as an open page does) on a thread of its own.
class WatchedByThePage {
public:
    explicit WatchedByThePage(ecfsim::Simulator& sim)
        : page_(std::make_unique<ecfsim::web::ControlPage>(sim,
                                                           ecfsim::web::Endpoint{"127.0.0.1", 0})) {
        reader_ = std::thread([this, port = page_->port()] {
            ::pthread_setname_np(::pthread_self(), "page-reader");
            httplib::Client client("127.0.0.1", port);
            client.Get("/api/events", [this](const char*, std::size_t n) {
                received_ += n;
                return true;
            });
        });
        while (received_ == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~WatchedByThePage() {
        page_.reset();  // ends the stream
        reader_.join();
    }
    WatchedByThePage(const WatchedByThePage&) = delete;
    WatchedByThePage& operator=(const WatchedByThePage&) = delete;

private:
    std::unique_ptr<ecfsim::web::ControlPage> page_;
    std::atomic<std::size_t> received_{0};
    std::thread reader_;
};

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

// CPU time of the whole process (every thread), in milliseconds.
double processCpuMs() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// The same exchanges with the page watching (page 1) and without (page 0):
// unpaced, as fast as the printer answers, where the page's share is
// largest; and paced at 9600 baud, as on a real line. ecfSubTotal prints
// nothing; the managerial X reading prints a 40-line document. Besides the
// rate, the CPU the whole process spends on an exchange: the caller, the
// printer and, with the page, its journal, the event stream and its reader.
// (The page's threads are named page-*: `perf record` and `perf report
// --sort comm` show their share whatever the machine's load does to the rate.)
template <typename Call>
void exchangesWatched(benchmark::State& state, std::size_t record, Call call) {
    const bool paced = state.range(1) != 0;
    SimOnPty sim(paced);
    std::unique_ptr<WatchedByThePage> page;
    if (state.range(0) != 0) page = std::make_unique<WatchedByThePage>(sim.simulator());
    const double cpuBefore = processCpuMs();
    ecf::bench::timeExchanges(state, paced, record, 1, call);
    state.counters["process_cpu_us"] =
        (processCpuMs() - cpuBefore) * 1e3 / static_cast<double>(state.iterations());
}
void BM_SimWatchedSubTotal(benchmark::State& state) {
    exchangesWatched(state, 3, [] { return ecfSubTotal(); });
}
BENCHMARK(BM_SimWatchedSubTotal)->ArgNames({"page", "paced"})->Args({0, 0})->Args({1, 0})
    ->UseRealTime();
BENCHMARK(BM_SimWatchedSubTotal)->ArgNames({"page", "paced"})->Args({0, 1})->Args({1, 1})
    ->Iterations(200)->UseRealTime();
void BM_SimWatchedManagerialX(benchmark::State& state) {
    exchangesWatched(state, 10, [] { return ecfLXGerencial(""); });
}
BENCHMARK(BM_SimWatchedManagerialX)->ArgNames({"page", "paced"})->Args({0, 0})->Args({1, 0})
    ->UseRealTime();
BENCHMARK(BM_SimWatchedManagerialX)->ArgNames({"page", "paced"})->Args({0, 1})->Args({1, 1})
    ->Iterations(100)->UseRealTime();

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
