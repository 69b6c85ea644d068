// Twenty lanes of a shop, each with its printer behind one ser2net, selling
// at once for a bounded time: at the end every lane's own ledger is what its
// printer holds, no exchange failed and none found its port in use.
#include <gtest/gtest.h>

#include "ecfsim/state_file.h"
#include "lanes.h"

namespace {

constexpr std::size_t kLanes = 20;
constexpr double kSeconds = 20;

TEST(ManyLanes, EveryLedgerMatchesItsPrinter) {
    if (!ecf::test::haveSer2net()) GTEST_SKIP() << "ser2net is not installed";
    ecf::test::Shop shop(ECF_SIM_PROGRAM, kLanes);
    const std::vector<ecf::test::Ledger> ledgers = shop.run(kSeconds);
    for (std::size_t i = 0; i < kLanes; ++i) {
        SCOPED_TRACE("lane " + std::to_string(i) + " (" + shop.url(i) + ")");
        const ecf::test::Ledger& l = ledgers[i];
        const ecfsim::Model m = ecfsim::loadState(shop.stateFile(i));
        EXPECT_EQ(l.failures, 0u) << l.busy << " of them 1010";
        EXPECT_GT(l.receipts, 0u);
        EXPECT_EQ(m.counters.ccf, l.receipts);
        EXPECT_EQ(m.day.itemsSold, l.items);
        EXPECT_EQ(m.grandTotal, l.total);
        EXPECT_EQ(m.lastReceipt.coo, l.lastCoo);
    }
}

}  // namespace
