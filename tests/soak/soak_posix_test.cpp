// Twenty thousand exchanges of commands and queries, one after the other,
// with the simulated printer (the ecf-sim program, in a process of its own so
// that its growing journal is not counted here) on a real pseudo-terminal:
// not one may fail (the printer accepts every command of the cycle), no
// descriptor may stay open and the resident memory must stay flat.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ecf.h"
#include "support/scoped_env.h"
#include "support/sim_process.h"

namespace {

// Under AddressSanitizer freed blocks sit in quarantine and the resident
// size grows by design; there the leak checker at exit does the watching.
// (GCC and clang both define __SANITIZE_ADDRESS__ there.)
#ifdef __SANITIZE_ADDRESS__
constexpr bool kResidentSizeMeans = false;
#else
constexpr bool kResidentSizeMeans = true;
#endif

constexpr int kExchanges = 20000;
constexpr int kWarmUp = 1000;

long openDescriptors() {  // less the one the listing holds
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}) - 1;
}

long residentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

struct Step {
    const char* name;
    bool (*succeeds)();
};

bool notAnError(const char* text) { return text != nullptr && std::strncmp(text, "Erro", 4) != 0; }

// A receipt at the till, as the printer accepts it in this order: sales, a
// correction, the subtotal, the payment, the closing, and the queries a point
// of sale makes between them.
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
        {"ecfParamStatusUser", [] { return ecfParamStatusUser(1, a, b, c, d, e, f, h, g, i, j, k, l, m, n) == 0; }},
        {"ecfStatusAliquotas", [] { return notAnError(ecfStatusAliquotas(1)); }},
    };
}

TEST(Soak, TwentyThousandExchangesWithoutAFailureALeakOrGrowth) {
    ecf::test::SimProcess printer(ECF_SIM_PROGRAM, {"--paper", "/dev/null"});
    ASSERT_FALSE(printer.path().empty()) << "ecf-sim did not start";
    ecf::test::ScopedEnv port("ECF_COM1", printer.path());
    ChangePort(0);
    const std::vector<Step> steps = aDayAtTheTill();

    const long descriptorsBefore = openDescriptors();
    long residentAfterWarmUp = 0;
    int failures = 0;
    std::string firstFailure;
    for (int x = 0; x < kExchanges; ++x) {
        const Step& step = steps[static_cast<std::size_t>(x) % steps.size()];
        if (!step.succeeds() && failures++ == 0) firstFailure = step.name + (" at " + std::to_string(x));
        if (x == kWarmUp) residentAfterWarmUp = residentKiB();
    }
    const long residentAtEnd = residentKiB();

    EXPECT_EQ(failures, 0) << "first: " << firstFailure;
    EXPECT_EQ(openDescriptors(), descriptorsBefore);
    if (kResidentSizeMeans) {
        EXPECT_LT(residentAtEnd - residentAfterWarmUp, 512)
            << residentAfterWarmUp << " KiB after the warm-up, " << residentAtEnd << " KiB at the end";
    }
}

}  // namespace
