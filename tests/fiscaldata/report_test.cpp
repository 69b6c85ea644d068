// ecfLeitMemFisc over the line: the read-out asked for from the counts, the
// report file byte for byte, and what is left behind when something fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "fiscaldata/fiscal_memory.h"
#include "printer_script.h"
#include "support/scratch.h"

namespace {

namespace fs = std::filesystem;
using ecf::fiscaldata::readOutToFile;
using ecf::fiscaldata::Selection;
using namespace ecf::test;

const Selection kByReduction{4, nullptr, nullptr, 1, 9999};

const std::string kOwner1 = ownerRecord("12.345.678/0001-90", "123.456.789.012", "01/02/98",
                                        "08:30", "31/12/99", "18:00");
const std::string kOwner2 =
    ownerRecord("98.765.432/0001-10", "987.654.321.000", "01/01/00", "09:15", "", "");
const std::vector<std::string> kReductions = {
    reductionRecord("0001", "0000", "01/02/98", "23:59", "00000000000001234,56"),
    reductionRecord("0002", "0000", "02/02/98", "23:58", "00000000000000000,00"),
    reductionRecord("0003", "0001", "03/02/98", "00:01", "1.234.567,89")};
const std::string kOwnerWithNul = ownerRecord(std::string("12.3\0" "5.678/0001-90", 18),
                                              "123.456\n789.012", "01/02/98", "08:30", "31/12/99",
                                              "18:00");
const std::string kReductionWithNul =
    reductionRecord("0004", "0001", std::string("03\0" "02/98", 8), "00:01", "1234,56\n");

class Report : public ::testing::Test {
protected:
    ScratchDir scratch;
    fs::path dir = scratch.path();
    fs::path file = dir / "mf.txt";
    std::size_t filesInDir() const { return scratch.entries(); }
};

TEST_F(Report, FilesMatchTheExpectedReportsByteForByte) {
    const struct {
        const char* expected;
        std::string owners, reductions, reply;
        uint32_t replyLength;
    } cases[] = {
        {"empty.txt", "00", "0000", readOutReply({}, {}), 12},
        {"owners_only.txt", "02", "0000", readOutReply({kOwner1, kOwner2}, {}), 2 * 59 + 12},
        {"reductions_only.txt", "00", "0003", readOutReply({}, kReductions), 3 * 41 + 32},
        {"nul_in_fields.txt", "01", "0001", readOutReply({kOwnerWithNul}, {kReductionWithNul}),
         59 + 41 + 32},
    };
    for (const auto& c : cases) {
        ScriptedPrinter printer({countReply(c.owners, c.reductions), c.reply});
        ASSERT_EQ(readOutToFile(printer, kByReduction, file.string().c_str()), 0) << c.expected;
        ASSERT_EQ(printer.exchanges.size(), 2u);
        EXPECT_EQ(printer.exchanges[0].replyLength, 9u);
        EXPECT_EQ(printer.exchanges[1].replyLength, c.replyLength) << c.expected;
        EXPECT_EQ(printer.exchanges[1].frame[2], 0x15);
        EXPECT_EQ(contentsOf(file), contentsOf(fs::path(ECF_TEST_DATA_DIR) / "fiscaldata" / c.expected))
            << c.expected;
        EXPECT_EQ(filesInDir(), 1u) << "no temporary file stays behind";
    }
}

TEST_F(Report, OwnerAndReductionCountsDecideWhetherToReadOut) {
    const struct {
        std::string owners, reductions;
        int32_t result;
    } cases[] = {
        {"20", "0000", 0},
        {"21", "0000", 66},
        {"99", "9999", 66},
        {std::string("\0\0", 2), "0000", 66},  // negative owner count
        {"0/", "0001", 66},                    // -1
        {"05", std::string("\0\0\0\0", 4), 3},  // negative reduction count
        {"00", "000/", 3},
        {"0:", "ABCD", 0},  // 10 owners; 'A'..'D' count as 17..20: 19010 reductions
    };
    for (const auto& c : cases) {
        ScriptedPrinter printer({countReply(c.owners, c.reductions)});
        EXPECT_EQ(readOutToFile(printer, kByReduction, file.string().c_str()), c.result);
        EXPECT_EQ(printer.exchanges.size(), c.result == 0 ? 2u : 1u);
        EXPECT_EQ(filesInDir(), c.result == 0 ? 1u : 0u);
        fs::remove(file);
    }
}

TEST_F(Report, FailuresLeaveAnEarlierReportAsItWas) {
    const std::string earlier = "an earlier report\r\n";
    const fs::path missingDir = dir / "missing" / "mf.txt";
    const struct {
        const char* what;
        std::vector<std::string> answers;
        std::string path;
        int32_t result;
    } cases[] = {
        {"count query fails", {kBusy}, file.string(), 1010},
        {"read-out fails", {countReply("01", "0000"), kBusy}, file.string(), 1010},
        {"cannot create", {countReply("00", "0000"), ""}, missingDir.string(), 1098},
        {"a directory", {countReply("00", "0000"), ""}, dir.string(), 1098},
        {"no name", {countReply("00", "0000"), ""}, "", 1098},
    };
    for (const auto& c : cases) {
        std::ofstream(file, std::ios::binary) << earlier;
        ScriptedPrinter printer(c.answers);
        EXPECT_EQ(readOutToFile(printer, kByReduction, c.path.c_str()), c.result) << c.what;
        EXPECT_EQ(contentsOf(file), earlier) << c.what;
        EXPECT_EQ(filesInDir(), 1u) << c.what;
        EXPECT_FALSE(fs::exists(dir / "missing")) << c.what;
    }
}

}  // namespace
