// Building records: each builder alone, then each export over a port that
// does nothing (record, frame and the link's steps, no line).
#include <benchmark/benchmark.h>

#include <string>

#include "bench_support.h"
#include "export_calls.h"
#include "program/clock_header.h"
#include "program/readings.h"
#include "program/tables.h"
#include "receipt/corrections.h"
#include "receipt/documents.h"
#include "receipt/payment.h"
#include "receipt/sale.h"

namespace {

using ecf::build;

const char kDescription[] = "ARROZ TIPO 1 PACOTE 5KG MARCA BOA";
const char kPrice[] = "2390";

void BM_BuildVendaItem(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(build<ecf::receipt::kVendaItem>(kDescription, kPrice, 1));
}
BENCHMARK(BM_BuildVendaItem);

void BM_BuildQuantityItem(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(build<ecf::receipt::kQuantityItem>("7891234567890", kDescription, "2",
                                                                    "500", "KG", "X", kPrice, 1));
}
BENCHMARK(BM_BuildQuantityItem);

void BM_BuildPayment(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(build<ecf::receipt::kPagamento>(1, 0, 1, "", "DI", "5000"));
}
BENCHMARK(BM_BuildPayment);

void BM_BuildStoreHeader30(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(build<ecf::program::kProgHeader30>(
            "SUPERMERCADO BOM PRECO LTDA", "RUA DAS FLORES 123", "SAO PAULO SP", 1, 2,
            "12.345.678/0001-90", "123.456.789.012", "EXTRA"));
}
BENCHMARK(BM_BuildStoreHeader30);

void BM_BuildReading(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(build<ecf::program::kLeituraX>("OPERADOR"));
}
BENCHMARK(BM_BuildReading);

void BM_BuildFreeLine(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(build<ecf::receipt::kFreeLine>(kDescription));
}
BENCHMARK(BM_BuildFreeLine);

void BM_BuildCancItemDef(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(build<ecf::receipt::kCancItemDef>("001", "CANCELADO"));
}
BENCHMARK(BM_BuildCancItemDef);

void BM_BuildGrava(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(build<ecf::program::kGrava>("ABC", "DEF", "GHI"));
}
BENCHMARK(BM_BuildGrava);

// Plain arguments for any export: short strings, the number 1, real buffers.
class PlainArguments final : public ecf::calls::Arguments {
public:
    const char* text(std::size_t, const ecf::calls::Parameter&) override { return "12345678"; }
    uint32_t number(std::size_t, const ecf::calls::Parameter&) override { return 1; }
    char* out(std::size_t, const ecf::calls::Parameter&) override { return buffer_; }
    unsigned char* outByte(std::size_t, const ecf::calls::Parameter&) override {
        return reinterpret_cast<unsigned char*>(buffer_);
    }
    ecf_exchange_info* info(std::size_t, const ecf::calls::Parameter&) override { return nullptr; }

private:
    char buffer_[1024] = {};
};

void exportOverNullPort(benchmark::State& state, const ecf::calls::ExportCall* call) {
    ecf::bench::nullPort = true;
    PlainArguments arguments;
    for (auto _ : state) benchmark::DoNotOptimize(call->call(arguments));
    ecf::bench::nullPort = false;
}

}  // namespace

// Every export that is present, except the read-out that writes a report
// file and the extensions (no exchange; one would start a trace), over the
// port that does nothing; registered in main, once the table of exports is
// built.
int main(int argc, char** argv) {
    for (const ecf::calls::ExportCall& c : ecf::calls::all()) {
        if (!c.present || std::string(c.name) == "ecfLeitMemFisc" || std::string(c.family) == "ext")
            continue;
        benchmark::RegisterBenchmark((std::string("BM_ExportNullPort/") + c.name).c_str(), exportOverNullPort, &c);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
