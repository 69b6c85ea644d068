#include <gtest/gtest.h>

#include "program/short_result.h"

namespace {

TEST(ShortResult, SixteenBitResultsKeepTheLowHalf) {
    const std::pair<int32_t, int16_t> cases[] = {{0, 0},        {200, 200},        {8005, 8005},
                                                 {70000, 4464}, {0x18000, -32768}, {-1, -1}};
    for (const auto& [result, low] : cases) EXPECT_EQ(ecf::program::lowHalf(result), low) << result;
}

}  // namespace
