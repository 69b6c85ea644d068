// The fiscal data replies over the line: the memory read-out's report file
// (asked for from the counts, byte for byte, nothing left behind when
// something fails), the last owner's CGC and IE taken from the read-out, and
// the X reading in its text and parameter forms.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <cstring>
#include <string>

#include "fiscaldata/fiscal_memory.h"
#include "fiscaldata/taxpayer.h"
#include "fiscaldata/x_reading.h"
#include "printer_script.h"
#include "support/scratch.h"

namespace {

namespace fs = std::filesystem;
using ecf::fiscaldata::cgcIe;
using ecf::fiscaldata::leituraXSerial;
using ecf::fiscaldata::paramLXSerial;
using ecf::fiscaldata::paramCgcIe;
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
const std::string kCgcWithNul("12.3\0" "5.678/0001-90", 18);
const std::string kOwnerWithNul =
    ownerRecord(kCgcWithNul, "123.456\n789.012", "01/02/98", "08:30", "31/12/99", "18:00");
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

std::string owner(const std::string& cgc, const std::string& ie) {
    return ownerRecord(cgc, ie, "01/01/98", "08:00", "31/12/98", "18:00");
}

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
                      {kReductions[0]}),
         3 * 59 + 41 + 32, "33.333.333/0001-33333            ", "33.333.333/0001-33",
         "333            "},
        {"NUL in the CGC", countReply("01", "0002"),
         readOutReply({owner(kCgcWithNul, "444.444.444.444")}, {kReductions[0], kReductions[1]}),
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

// 747 bytes: 3 leading bytes, then printable bytes that differ along the reply.
std::string xReply() {
    std::string reply = "\x01\x02\x03";
    for (int i = 3; i < 747; ++i) reply += static_cast<char>('!' + i % 90);
    return reply;
}

std::string withNulAt(std::string reply, std::size_t at) {
    reply[at] = '\0';
    return reply;
}

TEST(XReadingText, FieldsEndToEndEachCutAtItsFirstNul) {
    const std::string full = xReply();
    const struct {
        const char* what;
        std::string reply;
        std::string text;
    } cases[] = {
        {"no NUL", full, full.substr(3)},
        {"NUL inside A2", withNulAt(full, 8), full.substr(3, 5) + full.substr(15)},
        {"NUL at the start of A1", withNulAt(full, 3), full.substr(7)},
        // group 3 starts at 175 + 123 = 298; its G2 at 303, cut after 2 bytes
        {"NUL inside G2", withNulAt(full, 305), full.substr(3, 302) + full.substr(321)},
        {"NUL in the last byte", withNulAt(full, 746), full.substr(3, 743)},
        {"short reply", full.substr(0, 100), full.substr(3, 97)},
        {"nothing arrives", "", ""},
    };
    char* buffer = nullptr;  // the first answer's: every later one comes in it
    for (const auto& c : cases) {
        ScriptedPrinter printer({c.reply});
        char* const text = leituraXSerial(printer);
        if (buffer == nullptr) buffer = text;
        EXPECT_EQ(text, buffer);
        EXPECT_EQ(std::string(text), c.text) << c.what;
        EXPECT_EQ(hex(printer.exchanges[0].frame), "1B 66 12 00 6D");
        EXPECT_EQ(printer.exchanges[0].replyLength, 747u);
        EXPECT_EQ(printer.exchanges[0].pauses, std::vector<uint32_t>{2000});
    }
    ScriptedPrinter busy({kBusy});
    EXPECT_EQ(leituraXSerial(busy), buffer);
    EXPECT_STREQ(buffer, "Erro: 1010") << "a failure's text in the same buffer";
}

TEST(XReadingParam, BlocksAreCopiedWholeEvenAfterAFailure) {
    const std::string full = withNulAt(withNulAt(xReply(), 305), 8);
    const struct {
        const char* what;
        std::string answer;
        int32_t result;
        std::string reply;  // what the blocks must hold
    } cases[] = {
        {"reply with NULs", full, 0, full},
        {"link failure", kBusy, 1010, std::string(747, '\0')},
        {"short reply", full.substr(0, 200), 0, full.substr(0, 200) + std::string(547, '\0')},
    };
    // first block, last block, groups 1..10: offset and width in the reply
    const std::pair<std::size_t, std::size_t> blocks[12] = {
        {3, 172}, {585, 162}, {175, 41}, {216, 41}, {257, 41}, {298, 41},
        {339, 41}, {380, 41}, {421, 41}, {462, 41}, {503, 41}, {544, 41}};
    for (const auto& c : cases) {
        std::vector<std::string> out(12, std::string(200, '\x7F'));
        char* outs[12];
        for (int i = 0; i < 12; ++i) outs[i] = out[i].data();
        ScriptedPrinter printer({c.answer});
        EXPECT_EQ(paramLXSerial(printer, outs), c.result) << c.what;
        for (int i = 0; i < 12; ++i) {
            const auto [offset, width] = blocks[i];
            EXPECT_EQ(out[i].substr(0, width + 2), c.reply.substr(offset, width) + '\0' + '\x7F')
                << c.what << ", block " << i;
        }
    }
}

}  // namespace
