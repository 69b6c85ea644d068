// The six exports against a scripted printer at the other end of a
// pseudo-terminal: the records as they reach the line, and the answers.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "printer_script.h"
#include "support/scratch.h"
#include "support/wire.h"

namespace {

namespace fs = std::filesystem;
using namespace ecf::test;

class FiscalDataExports : public PrinterOnCom1 {
protected:
    ScratchDir scratch;
    fs::path file = scratch.path() / "report.txt";
};

// f, the code, the mode, 12 bytes of dates (or 0x00), 8 of reduction digits (or 0x00).
std::string record(char code, char mode, const std::string& dates, const std::string& reductions) {
    return std::string("f") + code + mode + (dates.empty() ? nul(12) : dates) +
           (reductions.empty() ? nul(8) : reductions);
}

TEST_F(FiscalDataExports, CountQueryRecordsAndDigitsOnTheLine) {
    const struct {
        uint8_t mode;
        const char *initial, *final;
        uint32_t first, last;
        std::string record;
    } cases[] = {
        {3, "010298", "310399", 7, 8, record('&', 3, "010298310399", "")},
        {3, "0298", "1310399", 0, 0, record('&', 3, "  0298310399", "")},
        {1, nullptr, "", 0, 0, record('&', 1, sp(12), "")},
        {2, "010298", "310399", 1, 30, record('&', 2, "", "00010030")},
        {4, nullptr, nullptr, 12345, 4294967295u, record('&', 4, "", "23457295")},
        {0, "x", "y", 9999, 10000, record('&', 0, "", "99990000")},
        {200, "x", "y", 5, 6, record('&', static_cast<char>(200), "", "00050006")},
    };
    for (const auto& c : cases) {
        peer.serve({{25, bytesOf(countReply("03", "0012"))}});
        char owners[3] = "??", reductions[5] = "????";
        EXPECT_EQ(ecfDispMemFisc(owners, reductions, c.mode, c.initial, c.final, c.first, c.last), 0);
        EXPECT_EQ(hex(peer.wait()), hex(frameOf(c.record))) << int{c.mode};
        EXPECT_STREQ(owners, "03");
        EXPECT_STREQ(reductions, "0012");
    }
}

TEST_F(FiscalDataExports, PrintedReadOutIsOneCommandAndWritesNoFile) {
    for (char mode : {0, 1, 2}) {
        peer.serve({{25, {0x07}}});
        EXPECT_EQ(ecfLeitMemFisc(mode, "010298", "310399", 1, 30, file.string().c_str()), 7);
        const std::string selection = mode == 1 ? record('\x15', 1, "010298310399", "")
                                                : record('\x15', mode, "", "00010030");
        EXPECT_EQ(hex(peer.wait()), hex(frameOf(selection))) << int{mode};
        EXPECT_FALSE(fs::exists(file));
    }
}

// The largest read-out (20 owners, 9999 reductions) arrives whole and every
// record reaches the file in its order.
TEST_F(FiscalDataExports, LargestReadOutArrivesWholeAndIsWrittenWhole) {
    const std::vector<std::string> owners(
        20, ownerRecord("12.345.678/0001-90", "123.456.789.012", "01/01/98", "10:00", "31/12/98", "23:00"));
    std::string expected = "#Numero de usuarios = 20. Total de 9999 registros\r\n\r\n"
                           "#\tCGC\t\tIE\t\t Data e hora de Inicio    Data e hora de Termino\r\n\r\n";
    for (int i = 0; i < 20; ++i)
        expected += "12.345.678/0001-90    123.456.789.012    01/01/98    10:00        31/12/98    23:00\r\n";
    expected += "\r\n# Relacao das Reducoes\r\n# Reducao   Reinicio  Data\t Hora\tTotal\r\n\r\n";
    std::vector<std::string> reductions;
    for (int i = 1; i <= 9999; ++i) {
        char n[5], line[80];
        std::snprintf(n, sizeof n, "%04d", i);
        reductions.push_back(reductionRecord(n, "0002", "28/02/99", "23:59", std::string(16, '0') + n));
        std::snprintf(line, sizeof line, "   %s     0002      28/02/99   23:59  %020d  \r\n", n, i);
        expected += line;
    }
    peer.serve({{25, bytesOf(countReply("20", "9999"))},
                {25, bytesOf(readOutReply(owners, reductions))}});
    EXPECT_EQ(ecfLeitMemFisc(4, nullptr, nullptr, 1, 9999, file.string().c_str()), 0);
    peer.wait();
    const std::string report = contentsOf(file);
    ASSERT_GE(report.size(), expected.size());
    EXPECT_TRUE(report.compare(report.size() - expected.size(), std::string::npos, expected) == 0);
}

TEST_F(FiscalDataExports, XReadingBlocksInArgumentOrder) {
    std::string reply = "\x01\x02\x03";
    for (int i = 3; i < 747; ++i) reply += static_cast<char>('A' + i % 26);
    peer.serve({{5, bytesOf(reply)}});
    char first[173], last[163], g[10][42];
    EXPECT_EQ(ecfParamLXSerial(first, last, g[0], g[1], g[2], g[3], g[4], g[5], g[6], g[7], g[8], g[9]), 0);
    EXPECT_EQ(hex(peer.wait()), "1B 66 12 00 6D");
    EXPECT_EQ(std::string(first), reply.substr(3, 172));
    EXPECT_EQ(std::string(last), reply.substr(585));
    for (int k = 0; k < 10; ++k) EXPECT_EQ(std::string(g[k]), reply.substr(175 + 41 * k, 41)) << k;
}

TEST(FiscalDataExportsWithoutPort, FailuresReachTheCaller) {
    ScopedEnv env{"ECF_COM1", "/nonexistent/ecf-port"};
    ChangePort(0);
    char owners[3] = "??", reductions[5] = "????";
    EXPECT_EQ(ecfDispMemFisc(owners, reductions, 4, nullptr, nullptr, 0, 1), 1030);
    EXPECT_STREQ(owners, "");
    EXPECT_STREQ(reductions, "");
    EXPECT_EQ(ecfLeitMemFisc(4, nullptr, nullptr, 0, 1, "/nonexistent/report"), 1030);
    EXPECT_STREQ(ecfLeituraXSerial(), "Erro: 1030");
    EXPECT_STREQ(ecfCGC_IE(), "Erro: 1030");
    EXPECT_EQ(ecfParamCGC_IE(nullptr, nullptr), 1030);
    EXPECT_EQ(ecfParamLXSerial(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr),
              1030);
}

}  // namespace
