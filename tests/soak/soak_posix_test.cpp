// Twenty thousand exchanges of commands and queries, one after the other, on
// a real pseudo-terminal: not one may fail, no descriptor may stay open and
// the resident memory must stay flat.
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ecf.h"
#include "wire_printer.h"

namespace {

// Under AddressSanitizer freed blocks sit in quarantine and the resident
// size grows by design; there the leak checker at exit does the watching.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kResidentSizeMeans = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kResidentSizeMeans = false;
#else
constexpr bool kResidentSizeMeans = true;
#endif
#else
constexpr bool kResidentSizeMeans = true;
#endif

constexpr int kExchanges = 20000;
constexpr int kWarmUp = 1000;

int openDescriptors() {
    int n = 0;
    if (DIR* d = ::opendir("/proc/self/fd")) {
        while (const dirent* e = ::readdir(d))
            if (e->d_name[0] != '.') ++n;
        ::closedir(d);
    }
    return n - 1;  // the directory stream itself
}

long residentKiB() {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (f == nullptr) return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, f) != nullptr)
        if (std::strncmp(line, "VmRSS:", 6) == 0) kib = std::strtol(line + 6, nullptr, 10);
    std::fclose(f);
    return kib;
}

struct Step {
    const char* name;
    std::function<bool()> succeeds;
};

bool notAnError(const char* text) { return text != nullptr && std::strncmp(text, "Erro", 4) != 0; }

// A day at the till: sales, corrections, payment, closing, the queries a
// point of sale makes between them, free lines and a reading.
std::vector<Step> aDayAtTheTill() {
    static char a[50], b[50], c[50], d[6], e[6], f[20], g[16], h[18], i[10], j[7], k[10], l[7], m[6], n[23];
    return {
        {"ecfVendaItem", [] { return ecfVendaItem("ARROZ TIPO 1 5KG", "2390", 1) == 0; }},
        {"ecfVendaItem78", [] { return ecfVendaItem78("FEIJAO 1KG", "899", 2) == 0; }},
        {"ecfVenda_Item", [] { return ecfVenda_Item("789100", "LEITE", "2", "000", "459", 1) == 0; }},
        {"ecfStatusCupom", [] { return notAnError(ecfStatusCupom(0)); }},
        {"ecfCancItemDef", [] { return ecfCancItemDef("002", "") == 0; }},
        {"ecfSubTotal", [] { return ecfSubTotal() == 0; }},
        {"ecfStatusImp", [] { return notAnError(ecfStatusImp()); }},
        {"ecfPagamento", [] { return ecfPagamento(1, "DINHEIRO", "5000", 0) == 0; }},
        {"ecfStatusTroco", [] { return notAnError(ecfStatusTroco()); }},
        {"ecfFimTrans", [] { return ecfFimTrans("OBRIGADO") == 0; }},
        {"ecfImpLinha", [] { return ecfImpLinha("VOLTE SEMPRE") == 0; }},
        {"ecfParamStatusUser", [] { return ecfParamStatusUser(1, a, b, c, d, e, f, h, g, i, j, k, l, m, n) == 0; }},
        {"ecfStatusAliquotas", [] { return notAnError(ecfStatusAliquotas(1)); }},
        {"ecfLeituraX", [] { return ecfLeituraX("") == 0; }},
    };
}

TEST(Soak, TwentyThousandExchangesWithoutAFailureALeakOrGrowth) {
    ecf::bench::WirePrinter printer;
    ::setenv("ECF_COM1", printer.path().c_str(), 1);
    ChangePort(0);
    const std::vector<Step> steps = aDayAtTheTill();

    const int descriptorsBefore = openDescriptors();
    long residentAfterWarmUp = 0;
    int failures = 0;
    std::string firstFailure;
    for (int x = 0; x < kExchanges; ++x) {
        const Step& step = steps[static_cast<std::size_t>(x) % steps.size()];
        if (!step.succeeds()) {
            if (failures++ == 0) firstFailure = step.name + (" at exchange " + std::to_string(x));
        }
        if (x == kWarmUp) residentAfterWarmUp = residentKiB();
    }
    const long residentAtEnd = residentKiB();

    EXPECT_EQ(failures, 0) << "first: " << firstFailure;
    EXPECT_EQ(printer.frames(), static_cast<uint64_t>(kExchanges));
    EXPECT_EQ(openDescriptors(), descriptorsBefore);
    if (kResidentSizeMeans) {
        EXPECT_LT(residentAtEnd - residentAfterWarmUp, 512)
            << residentAfterWarmUp << " KiB after the warm-up, " << residentAtEnd << " KiB at the end";
    }
}

}  // namespace
