#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <string>

#include "cheque/extenso.h"
#include "currency_dir.h"

namespace {

using ecf::cheque::EstadoExtenso;
using ecf::cheque::Extenso;
using ecf::test::writeCurrencyFile;
using ecf::test::writeCurrencyNames;

// "1 234 567,89" as the 14-character amount "00000123456789".
std::string amount(const std::string& figures) {
    std::string digits;
    for (char c : figures)
        if (c != ' ' && c != ',') digits += c;
    return std::string(14 - digits.size(), '0') + digits;
}

struct Words {
    int32_t result;
    std::string line1;
    std::string line2;
};

// "REAL" and "REAIS": 4 and 5 characters, no trailing space.
class ExtensoTest : public ecf::test::CurrencyDir {
protected:
    static Words run(const std::string& amount14, int32_t width1 = 54, int32_t width2 = 69) {
        EstadoExtenso e;
        e.LarguraLinha1 = width1;
        e.LarguraLinha2 = width2;
        const int32_t r = Extenso(e, amount14.c_str());
        return {r, e.LinhaExtenso1.c_str(), e.LinhaExtenso2.c_str()};
    }

    // The words alone, on a line wide enough for any amount.
    static std::string words(const std::string& figures) {
        Words w = run(amount(figures), 300, 10);
        EXPECT_EQ(w.result, 0) << figures;
        EXPECT_EQ(w.line2, "***********") << figures;
        return w.line1.substr(0, w.line1.find_last_not_of('*') + 1);
    }
};

TEST_F(ExtensoTest, GroupsScalesCurrencyAndCentavos) {
    struct {
        const char* figures;
        const char* words;
    } cases[] = {
        {"0,00", "( ) "},
        {"1,00", "( UM REAL) "},
        {"0,01", "( UM CENTAVO ) "},
        {"21,01", "( VINTE E UM REAIS E UM CENTAVO ) "},
        {"10 001,05", "( DEZ MIL, UM REAIS E CINCO CENTAVOS ) "},
        {"1 000,00", "( UM MIL REAIS) "},
        {"1 000 000,00", "( UM MILH\xC7O DE  REAIS) "},
        {"1 001 000,00", "( UM MILH\xC7O, UM MIL REAIS) "},
        {"2 000 000 000,00", "( DOIS BILH\xE5" "ES DE  REAIS) "},
        {"1 001 000 000,00", "( UM BILH\xC7O, UM MILH\xC7O DE  REAIS) "},
        {"3 000 000,03", "( TR\xD2S MILH\xE5" "ES DE  REAIS E TR\xD2S CENTAVOS ) "},
        {"0,50", "( CINQUENTA CENTAVOS ) "},
        {"100,00", "( CEM REAIS) "},
        {"100 000,00", "( CEM MIL REAIS) "},
        {"101,00", "( CENTO E UM REAIS) "},
    };
    for (const auto& c : cases) EXPECT_EQ(words(c.figures), c.words) << c.figures;

    // Spaces and other non-digits count as zeros; a short amount is read by
    // position, the missing characters as zeros.
    EXPECT_EQ(run("          0100", 300).line1.substr(0, 13), "( UM REAL) **");
    EXPECT_EQ(run("ABCDEFGHIJKLMN", 300).line1.substr(0, 6), "( ) **");
    EXPECT_EQ(run("1", 300).line1.substr(0, 26), "( CEM BILH\xE5" "ES DE  REAIS) *");
}

// Every word of the four word tables: "ddd" for digits 2 to 9, "1d" for the
// ten-plus-digit words.
TEST_F(ExtensoTest, EveryWordOfTheTables) {
    const char* const units[] = {"DOIS", "TR\xD2S", "QUATRO", "CINCO", "SEIS", "SETE", "OITO", "NOVE"};
    const char* const tens[] = {"VINTE", "TRINTA", "QUARENTA", "CINQUENTA", "SESSENTA", "SETENTA",
                                "OITENTA", "NOVENTA"};
    const char* const hundreds[] = {"DUZENTOS", "TREZENTOS", "QUATROCENTOS", "QUINHENTOS",
                                    "SEISCENTOS", "SETECENTOS", "OITOCENTOS", "NOVECENTOS"};
    const char* const teens[] = {"DEZ", "ONZE", "DOZE", "TREZE", "QUATORZE",
                                 "QUINZE", "DEZESSEIS", "DEZESSETE", "DEZOITO", "DEZENOVE"};
    for (int d = 2; d <= 9; ++d) {
        const std::string w = std::string(hundreds[d - 2]) + " E " + tens[d - 2] + " E " + units[d - 2];
        EXPECT_EQ(words(std::string(3, char('0' + d)) + ",00"), "( " + w + " REAIS) ");
    }
    for (int d = 0; d <= 9; ++d)
        EXPECT_EQ(words("0,1" + std::string(1, char('0' + d))), "( " + std::string(teens[d]) + " CENTAVOS ) ");
}

// Line 1 takes a word that ends on its width but not one more; line 2 does
// not count its first word, and a long one makes it longer than its width + 1,
// uncut and unfilled.
TEST_F(ExtensoTest, WordsBreakBetweenTheLinesByTheirWidths) {
    const struct {
        const char* figures;
        int32_t width1, width2;
        std::string line1, line2;
    } cases[] = {
        {"1,00", 11, 20, "( UM REAL) *", std::string(21, '*')},  // ") " brings the count to 11
        {"1,00", 10, 20, "( UM REAL--", ") " + std::string(19, '*')},
        {"1,00", 1, 10, "--", "( UM REAL) "},  // "( " opens line 2 uncounted; then 9
        {"1 200,00", 10, 8, "( UM MIL, -", "DUZENTOS REAIS) "},
    };
    for (const auto& c : cases) {
        const Words w = run(amount(c.figures), c.width1, c.width2);
        EXPECT_EQ(w.result, 0) << c.line1;
        EXPECT_EQ(w.line1, c.line1);
        EXPECT_EQ(w.line2, c.line2) << c.line1;
    }
}

TEST_F(ExtensoTest, TooManyWordsGive23AndAnyWidthIsSafe) {
    EXPECT_EQ(run(amount("777 777 777 777,77")).result, 23);
    EXPECT_EQ(run(amount("1 234 567,89"), 54, 10).result, 23);
    EXPECT_EQ(run(amount("1,00"), 1, 9).result, 23) << "line 2 must stay below its width";
    const int32_t widths[] = {INT32_MIN, -100, -1, 0, 1, 1000, INT32_MAX};
    for (int32_t w1 : widths) {
        for (int32_t w2 : widths) {
            const Words w = run(amount("777 777 777 777,77"), w1, w2);
            EXPECT_TRUE(w.result == 0 || w.result == 23) << w1 << " " << w2;
            EXPECT_LE(w.line1.size(), ecf::cheque::kCapacidadeExtenso);
            EXPECT_LE(w.line2.size(), ecf::cheque::kCapacidadeExtenso);
        }
    }
}

// An empty or missing file gives 22 even for words without a currency name;
// a short one overwrites only its own bytes of the names.
TEST_F(ExtensoTest, TheCurrencyFile) {
    writeCurrencyFile("");
    EXPECT_EQ(run(amount("0,50")).result, 22);
    std::remove("moeda");
    EXPECT_EQ(run(amount("0,00")).result, 22);

    // Names without their NUL stop at 21 bytes.
    writeCurrencyFile(std::string(21, 'S') + std::string(21, 'P'));
    EXPECT_EQ(words("1,00"), "( UM " + std::string(21, 'S') + ") ");
    EXPECT_EQ(words("2,00"), "( DOIS " + std::string(21, 'P') + ") ");

    writeCurrencyNames("REAL", "REAIS");
    EXPECT_EQ(words("2,00"), "( DOIS REAIS) ");
    writeCurrencyFile("ABC");
    EXPECT_EQ(words("1,00"), "( UM ABCL) ");
    EXPECT_EQ(words("2,00"), "( DOIS REAIS) ");
#ifndef _WIN32
    // A directory opens but fails to read: the names stay as they were.
    std::remove("moeda");
    std::filesystem::create_directory("moeda");
    EXPECT_EQ(words("1,00"), "( UM ABCL) ");
#endif
}

}  // namespace
