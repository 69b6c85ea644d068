#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "currency_dir.h"
#include "ecf.h"
#include "support/wire.h"

namespace {

using namespace ecf::test;

constexpr std::size_t kLineFrame = 1 + 84 + 1;
constexpr std::size_t kKorvanFrame = 1 + 209 + 1;

// f, 0xC0, the advance's last digit, 0x00, the text in 80 columns.
std::string lineRecord(char digit, const std::string& text) {
    return std::string("f\xC0") + digit + '\0' + pad(text, 80);
}

class ChequeCommands : public CurrencyDir {
protected:
    PtyPeer peer;
    ScopedEnv env{"ECF_COM1", peer.path()};
    void SetUp() override {
        CurrencyDir::SetUp();
        ChangePort(0);
    }
};

TEST_F(ChequeCommands, LinhaChequeSendsTheLastDigitOfItsAdvanceAndEightyColumns) {
    const std::string longText = std::string(80, 'A') + "BEYOND";
    struct {
        uint32_t advance;
        const char* text;
        std::string record;
        uint8_t status;  // the printer's answer, returned as it is
    } cases[] = {
        {3, "", lineRecord('3', ""), 0x00},
        {12, "VALOR", lineRecord('2', "VALOR"), 0x7F},
        {static_cast<uint32_t>(-7), nullptr, lineRecord('9', ""), 0x80},
        {UINT32_MAX, longText.c_str(), lineRecord('5', std::string(80, 'A')), 0xFF},
    };
    for (const auto& c : cases) {
        peer.serve({{kLineFrame, {c.status}}});
        EXPECT_EQ(ecfLinhaCheque(c.advance, c.text), c.status);
        EXPECT_EQ(recordsOf(peer.wait(), kLineFrame), std::vector<std::string>{c.record});
    }
}

// Each export reads its own layout table; the five lines go in order, each
// with its advance (line 4 of bank 294's second row goes back 7 lines), until
// one is refused.
TEST_F(ChequeCommands, ACompleteChequeIsFiveLinesInOrder) {
    struct {
        int32_t (*command)(uint32_t, const char*, const char*, const char*, const char*,
                           const char*);
        uint32_t bank;
        const char* value;
        std::vector<std::string> records;
    } cases[] = {
        {ecfImpCheque, 4, "000000123456",
         {lineRecord('1', sp(67) + "(1.234,56)"),
          lineRecord('2', sp(25) + "( UM MIL, DUZENTOS E TRINTA E QUATRO REAIS E " +
                              std::string(10, '-')),
          lineRecord('2', sp(10) + "CINQUENTA E SEIS CENTAVOS ) " + std::string(42, '*')),
          lineRecord('2', sp(6) + "FULANO"),
          lineRecord('1', sp(5) + "PAGAVEL" + sp(33) + "SAO PAULO" + sp(5) + "15" + sp(4) +
                              "Mar\x87o" + sp(6) + "99")}},
        {ecfImpChequeVexa, 294, "100",
         {lineRecord('0', sp(71) + "(1,00)"),
          lineRecord('3', sp(12) + "( UM REAL) " + std::string(57, '*')),
          lineRecord('3', sp(5) + std::string(75, '*')), lineRecord('9', sp(6) + "FULANO"),
          lineRecord('1', sp(5) + "PAGAVEL" + sp(32) + "SAO PAULO" + sp(2) + "15" + sp(7) +
                              "Mar\x87o" + sp(9) + "99")}},
    };
    for (const auto& c : cases) {
        peer.serve(std::vector<PtyPeer::Step>(5, {kLineFrame, {0}}));
        EXPECT_EQ(c.command(c.bank, c.value, "FULANO", "SAO PAULO", "150399", "PAGAVEL"), 0);
        EXPECT_EQ(recordsOf(peer.wait(), kLineFrame), c.records) << c.bank;
    }
    // A line the printer refuses ends the cheque with its status.
    peer.serve({{kLineFrame, {0x00}}, {kLineFrame, {0x05}}});
    EXPECT_EQ(ecfImpCheque(4, "100", "", "", "010100", ""), 5);
    EXPECT_EQ(recordsOf(peer.wait(), kLineFrame).size(), 2u);
}

TEST_F(ChequeCommands, RefusedChequesSendNothing) {
    // No printer at all: anything sent would have ended in 1030.
    ScopedEnv nowhere{"ECF_COM1", "/nonexistent/ecf-port"};
    EXPECT_EQ(ecfImpCheque(2, "100", "", "", "", ""), 21);
    EXPECT_EQ(ecfImpChequeVexa(1000, "100", "", "", "", ""), 21);
    EXPECT_EQ(ecfChequeKorvan(0, "100", "", "", "", "", "", ""), 21);
    EXPECT_EQ(ecfImpCheque(4, "77777777777777", "", "", "", ""), 23);
    std::remove("moeda");
    EXPECT_EQ(ecfImpChequeVexa(4, "100", "", "", "", ""), 22);
    EXPECT_EQ(ecfImpCheque(4, "", nullptr, nullptr, nullptr, nullptr), 22);
    EXPECT_EQ(ecfLinhaCheque(1, "X"), 1030);
}

TEST_F(ChequeCommands, KorvanRecordCarriesTextsDateAndLayoutRow) {
    const std::string row1 = "036180051580060680080772090651536377";
    const std::string longText(100, 'T');
    struct {
        const char* value;
        const char* date;
        const char* extra;
        std::string valueField, dateField, extraField;
    } cases[] = {
        {"1234567890123", "15/03/99", "A", "34567890123", "15/03/99", pad("A", 21)},
        {"12345", "150399", longText.c_str(), sp(6) + "12345", "150399" + nul(2),
         std::string(21, 'T')},
        {nullptr, "15/03/1999", nullptr, sp(11), "15/03/19", sp(21)},
        {"", nullptr, "", sp(11), nul(8), sp(21)},
    };
    for (const auto& c : cases) {
        peer.serve({{kKorvanFrame, {0x2A}}});
        EXPECT_EQ(ecfChequeKorvan(1, c.value, "FULANO DE TAL", "SAO PAULO", c.date, c.extra,
                                  c.extra, c.extra),
                  0x2A);
        const std::string expected = "f\xC1" + c.valueField + '\0' + pad("FULANO DE TAL", 66) +
                                     pad("SAO PAULO", 21) + c.dateField + " " + c.extraField +
                                     c.extraField + c.extraField + row1;
        EXPECT_EQ(recordsOf(peer.wait(), kKorvanFrame), std::vector<std::string>{expected})
            << c.valueField;
    }
}

}  // namespace
