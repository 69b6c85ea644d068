// Shared by the benchmark files.
#pragma once

#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "wire_printer.h"

namespace ecf::bench {

// While set, every exchange goes to a port that does nothing.
extern bool nullPort;

// CPU time of the calling thread, in milliseconds: the scheduler's own count,
// to the nanosecond (getrusage samples at the tick here, too coarse for an
// exchange that runs for microseconds between waits).
inline double threadCpuMs() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Peak resident memory of the process (VmHWM), in KiB; resetPeak() starts a
// new peak from the current size.
inline long peakKiB() {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (f == nullptr) return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, f) != nullptr)
        if (std::strncmp(line, "VmHWM:", 6) == 0) kib = std::strtol(line + 6, nullptr, 10);
    std::fclose(f);
    return kib;
}
inline void resetPeak() {
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

// Wire time of one exchange at 9600 baud 8E1: ESC, record, checksum, reply.
inline double wireMs(std::size_t record, std::size_t reply) {
    return static_cast<double>(1 + record + 1 + reply) * kByteMicroseconds / 1000.0;
}

inline double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Times `call` once per iteration against a printer already on the line.
// Unpaced, median_us is the median exchange, steadier than the mean on a
// busy machine. Paced, the counters give the wall time of an exchange over
// its wire time, as the median and the mean of the iterations (the mean
// carries the scheduler's hiccups), and the median's time beyond the wire in
// byte times.
template <typename Call>
void timeExchanges(benchmark::State& state, bool paced, std::size_t record, std::size_t reply,
                   Call call) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> wallMs;
    for (auto _ : state) {
        const auto start = Clock::now();
        benchmark::DoNotOptimize(call());
        wallMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    state.counters["exchanges/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                      benchmark::Counter::kIsRate);
    if (!paced) state.counters["median_us"] = median(wallMs) * 1000.0;
    if (!paced || wallMs.empty()) return;
    const double wire = wireMs(record, reply);
    double sum = 0;
    for (double ms : wallMs) sum += ms;
    state.counters["wire_ms"] = wire;
    state.counters["wall/wire_median"] = median(wallMs) / wire;
    state.counters["beyond_wire_bytes_median"] = (median(wallMs) - wire) * 1000.0 / kByteMicroseconds;
    state.counters["wall/wire_mean"] = sum / static_cast<double>(wallMs.size()) / wire;
}

}  // namespace ecf::bench
