// The CGC and IE of the last owner: both forms, and the counts that give no owner.
#include <gtest/gtest.h>

#include <string>

#include "fiscaldata/taxpayer.h"
#include "printer_script.h"

namespace {

using ecf::fiscaldata::cgcIe;
using ecf::fiscaldata::paramCgcIe;
using namespace ecf::test;

std::string owner(const std::string& cgc, const std::string& ie) {
    return ownerRecord(cgc, ie, "01/01/98", "08:00", "31/12/98", "18:00");
}

const std::string kReduction = reductionRecord("0001", "0000", "01/02/98", "23:59", "1,00");
const std::string kCgcWithNul("12.3\0" "5.678/0001-90", 18);

TEST(Taxpayer, TheLastOwnerRecordIsRead) {
    const struct {
        const char* what;
        std::string count, readOut;
        uint32_t replyLength;
        std::string text, cgc, ie;
    } cases[] = {
        {"one owner", countReply("01", "0000"),
         readOutReply({owner("11.111.111/0001-11", "111.111.111.111")}, {}), 59 + 12,
         "11.111.111/0001-11111.111.111.111", "11.111.111/0001-11", "111.111.111.111"},
        {"three owners, one reduction", countReply("03", "0001"),
         readOutReply({owner("A", "B"), owner("C", "D"), owner("33.333.333/0001-33", "333")},
                      {kReduction}),
         3 * 59 + 41 + 32, "33.333.333/0001-33333            ", "33.333.333/0001-33",
         "333            "},
        {"NUL in the CGC", countReply("01", "0002"),
         readOutReply({owner(kCgcWithNul, "444.444.444.444")}, {kReduction, kReduction}),
         59 + 2 * 41 + 32, "12.3444.444.444.444", kCgcWithNul, "444.444.444.444"},
    };
    for (const auto& c : cases) {
        ScriptedPrinter textPrinter({c.count, c.readOut});
        EXPECT_EQ(std::string(cgcIe(textPrinter)), c.text) << c.what;
        ASSERT_EQ(textPrinter.exchanges.size(), 2u);
        EXPECT_EQ(textPrinter.exchanges[1].replyLength, c.replyLength) << c.what;
        EXPECT_EQ(hex(textPrinter.exchanges[0].frame),
                  "1B 66 26 04 00 00 00 00 00 00 00 00 00 00 00 00 30 30 30 30 30 30 30 31 D4");
        EXPECT_EQ(textPrinter.exchanges[1].frame[2], 0x15);

        char cgc[19], ie[16];
        ScriptedPrinter paramPrinter({c.count, c.readOut});
        EXPECT_EQ(paramCgcIe(paramPrinter, cgc, ie), 0) << c.what;
        EXPECT_EQ(std::string(cgc, 19), c.cgc + '\0') << c.what;
        EXPECT_EQ(std::string(ie, 16), c.ie + '\0') << c.what;
    }
}

TEST(Taxpayer, FailuresAndMissingOwnersLeaveTheOutputsAlone) {
    const struct {
        const char* what;
        std::vector<std::string> answers;
        int32_t result;
        std::size_t exchanges;
    } cases[] = {
        {"no owner", {countReply("00", "0005")}, 67, 1},
        {"negative owner count", {countReply(std::string("\0\0", 2), "0000")}, 67, 1},
        {"negative reduction count", {countReply("01", "-000")}, 3, 1},
        {"count query fails", {kBusy}, 1010, 1},
        {"read-out fails", {countReply("02", "0000"), kBusy}, 1010, 2},
    };
    for (const auto& c : cases) {
        ScriptedPrinter textPrinter(c.answers);
        EXPECT_EQ(std::string(cgcIe(textPrinter)), "Erro: " + std::to_string(c.result)) << c.what;
        EXPECT_EQ(textPrinter.exchanges.size(), c.exchanges) << c.what;

        char cgc[19] = "untouched", ie[16] = "untouched";
        ScriptedPrinter paramPrinter(c.answers);
        EXPECT_EQ(paramCgcIe(paramPrinter, cgc, ie), c.result) << c.what;
        EXPECT_STREQ(cgc, "untouched");
        EXPECT_STREQ(ie, "untouched");
    }
}

}  // namespace
