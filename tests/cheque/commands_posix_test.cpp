#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cheque/composition.h"
#include "cheque/layout.h"
#include "currency_dir.h"
#include "ecf.h"
#include "support/pty_peer.h"

namespace {

using ecf::test::Bytes;
using ecf::test::PtyPeer;
using ecf::test::ScopedEnv;

constexpr std::size_t kLineFrame = 1 + 84 + 1;
constexpr std::size_t kKorvanFrame = 1 + 209 + 1;

std::string sp(std::size_t n) { return std::string(n, ' '); }

// A frame is ESC, the record and a checksum that brings the sum to 0.
std::string recordOf(const Bytes& frame) {
    unsigned sum = 0;
    for (uint8_t b : frame) sum += b;
    EXPECT_EQ(sum % 256, 0u);
    EXPECT_EQ(frame.front(), 0x1B);
    return std::string(frame.begin() + 1, frame.end() - 1);
}

std::string lineRecord(char digit, const std::string& text) {
    return std::string("f\xC0") + digit + '\0' + (text + sp(80)).substr(0, 80);
}

class ChequeCommands : public ecf::test::CurrencyDir {
protected:
    PtyPeer peer;
    ScopedEnv env{"ECF_COM1", peer.path()};
    void SetUp() override {
        CurrencyDir::SetUp();
        writeNames("REAL", "REAIS");
        ChangePort(0);
    }

    // The records of the frames that reached the line.
    std::vector<std::string> records(std::size_t frameLength) {
        const Bytes all = peer.wait();
        std::vector<std::string> out;
        for (std::size_t at = 0; at + frameLength <= all.size(); at += frameLength)
            out.push_back(recordOf(Bytes(all.begin() + at, all.begin() + at + frameLength)));
        EXPECT_EQ(all.size() % frameLength, 0u);
        return out;
    }
};

TEST_F(ChequeCommands, LinhaChequeSendsTheLastDigitOfItsAdvanceAndEightyColumns) {
    const std::string longText = std::string(80, 'A') + "BEYOND";
    struct {
        uint32_t advance;
        const char* text;
        std::string record;
    } cases[] = {
        {3, "", lineRecord('3', "")},
        {12, "VALOR", lineRecord('2', "VALOR")},
        {static_cast<uint32_t>(-7), nullptr, lineRecord('9', "")},
        {UINT32_MAX, longText.c_str(), lineRecord('5', std::string(80, 'A'))},
    };
    for (const auto& c : cases) {
        peer.serve({{kLineFrame, {0x00}}});
        EXPECT_EQ(ecfLinhaCheque(c.advance, c.text), 0);
        EXPECT_EQ(records(kLineFrame), std::vector<std::string>{c.record}) << c.advance;
    }
}

TEST_F(ChequeCommands, ImpChequeSendsItsFiveLinesInOrder) {
    struct {
        int32_t (*command)(uint32_t, const char*, const char*, const char*, const char*,
                           const char*);
        ecf::cheque::BuscaLayout table;
        uint32_t bank;
        std::string digits;
    } cases[] = {
        {ecfImpCheque, ecf::cheque::LayoutBanco, 4, "12221"},
        {ecfImpChequeVexa, ecf::cheque::LayoutBancoVexa, 294, "03391"},
        {ecfImpChequeVexa, ecf::cheque::LayoutBancoVexa, 1, "03323"},
    };
    for (const auto& c : cases) {
        ecf::cheque::Cheque composed;
        ASSERT_EQ(ecf::cheque::ComporCheque(c.table, c.bank, "12345", "FULANO",
                                            "UMA CIDADE DE NOME BEM LONGO, MUITO LONGO",
                                            "150399", "PAGAVEL EM QUALQUER AGENCIA", composed),
                  0);
        peer.serve({{kLineFrame, {0}}, {kLineFrame, {0}}, {kLineFrame, {0}}, {kLineFrame, {0}},
                    {kLineFrame, {0}}});
        EXPECT_EQ(c.command(c.bank, "12345", "FULANO", "UMA CIDADE DE NOME BEM LONGO, MUITO LONGO",
                            "150399", "PAGAVEL EM QUALQUER AGENCIA"),
                  0);
        const std::vector<std::string> sent = records(kLineFrame);
        ASSERT_EQ(sent.size(), 5u) << c.bank;
        for (std::size_t i = 0; i < 5; ++i)
            EXPECT_EQ(sent[i], lineRecord(c.digits[i], composed[i].texto.c_str())) << c.bank;
    }
}

TEST_F(ChequeCommands, AFailingLineStopsTheCheque) {
    peer.serve({{kLineFrame, {0x00}}, {kLineFrame, {0x05}}});
    EXPECT_EQ(ecfImpCheque(4, "100", "", "", "010100", ""), 5);
    const std::vector<std::string> sent = records(kLineFrame);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], lineRecord('1', sp(71) + "(1,00)"));
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
        std::string valueField;
        std::string dateField;
        std::string extraField;
    } cases[] = {
        {"1234567890123", "15/03/99", "A", "34567890123", "15/03/99", "A" + sp(20)},
        {"12345", "150399", longText.c_str(), sp(6) + "12345", std::string("150399\0\0", 8),
         std::string(21, 'T')},
        {nullptr, "15/03/1999", nullptr, sp(11), "15/03/19", sp(21)},
        {"", nullptr, "", sp(11), std::string(8, '\0'), sp(21)},
    };
    for (const auto& c : cases) {
        peer.serve({{kKorvanFrame, {0x2A}}});
        EXPECT_EQ(ecfChequeKorvan(1, c.value, "FULANO DE TAL", "SAO PAULO", c.date, c.extra,
                                  c.extra, c.extra),
                  0x2A);
        const std::string expected = std::string("f\xC1") + c.valueField + '\0' +
                                     ("FULANO DE TAL" + sp(66)).substr(0, 66) +
                                     ("SAO PAULO" + sp(21)).substr(0, 21) + c.dateField + " " +
                                     c.extraField + c.extraField + c.extraField + row1;
        ASSERT_EQ(expected.size(), 209u);
        EXPECT_EQ(records(kKorvanFrame), std::vector<std::string>{expected}) << c.valueField;
    }
}

}  // namespace
