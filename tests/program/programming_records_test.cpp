#include <gtest/gtest.h>

#include "program/clock_header.h"
#include "program/short_result.h"
#include "program/tables.h"
#include "support/records.h"

namespace {

using namespace ecf::program;
using namespace ecf::test;

const std::string s50(50, 'T');

TEST(ProgrammingRecords, FieldsCutLongArgumentsAndKeepExactOnes) {
    const std::string header187 = str(
        storeHeaderRecord<kCabLojaLength>(s50.c_str(), "", "", 12, 345, s50.c_str(), s50.c_str()));
    const std::string header202 = str(storeHeaderRecord<kProgHeader30Length>(
        s50.c_str(), "", "", 12, 345, s50.c_str(), s50.c_str(), s50.c_str()));
    expectFields({
        {"header line of 50 keeps 48", header187, 2, s50.substr(0, 48) + sp(48)},
        {"CGC keeps 18 and IE 15", header187, 146, "00120345" + s50.substr(0, 33)},
        {"the longer header begins with the shorter", header202, 0, header187},
        {"and ends in the fourth text", header202, 187, s50.substr(0, 15)},
        {"company name of 50 keeps 30", str(descriEmpresaRecord(s50.c_str(), "", s50.c_str())), 2,
         s50.substr(0, 30) + sp(18) + s50.substr(0, 15)},
        {"tax rate index 10 is ':'", str(cargaTabAliqRecord(10, "5")), 2, ":   5"},
        {"tax rate index 255 wraps to '/'", str(cargaTabAliqRecord(255, "")), 2, "/    "},
        {"selected rate keeps the ends", str(cargaAliqSelectRecord("123", "", "987654")), 2,
         "23 7654"},
        {"payment type keeps 20", str(payPatternsRecord("1234", s50.c_str())), 2,
         "34" + s50.substr(0, 20)},
        {"document name of 50 leaves 24-43 at 0x00",
         str(progNFComprovRecord("", s50.c_str(), "XY", "", "", "", "", "123")), 2,
         "  " + s50.substr(0, 20) + nul(20) + "Y    23"},
        {"code of twelve keeps the last ten", str(cargaCodCriptoRecord("ABCDEFGHIJKL")), 2,
         "CDEFGHIJKL"},
        {"write keeps the first characters", str(gravaRecord("ABCDEFGHIJ", "KLMNO", "XYZ")), 2,
         "ABCDEFGHKLMNX"},
    });
}

TEST(ProgrammingRecords, SixteenBitResultsKeepTheLowHalf) {
    const std::pair<int32_t, int16_t> cases[] = {{0, 0},        {200, 200},        {8005, 8005},
                                                 {70000, 4464}, {0x18000, -32768}, {-1, -1}};
    for (const auto& [result, low] : cases) EXPECT_EQ(lowHalf(result), low) << result;
}

}  // namespace
