// The printer's journal: code page 850 shown as UTF-8, lines laid out on 48
// columns, and the cheque station's 80 columns advanced line by line.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ecfsim/paper.h"

namespace {

TEST(Paper, ShowsCodePage850AsUtf8) {
    struct {
        std::string cp850;
        std::string utf8;
    } cases[] = {
        {"MAR\x87O", "MARçO"},
        {"\xC7\xD2\xE5", "ÃÊÕ"},
        {std::string("A\nB\0C", 5), "A.B.C"},
        {"\xB0\xDB\xFF", "░█\u00A0"},
        {"plain", "plain"},
    };
    for (const auto& c : cases) EXPECT_EQ(ecfsim::cp850ToUtf8(c.cp850), c.utf8) << c.utf8;
    // The exact form keeps every byte and comes back.
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const auto back = ecfsim::unicodeToCp850(ecfsim::cp850ToUnicode(all));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, all);
    for (const char* bad : {"\xE2\x82\xAC", "\xC3", "\xF0\x9F\x98\x80", "\x80"})
        EXPECT_FALSE(ecfsim::unicodeToCp850(bad)) << bad;
}

TEST(Paper, LaysLinesOutOn48Columns) {
    ecfsim::Paper paper;
    paper.keepText(1 << 16);
    std::vector<std::string> sunk;
    paper.setSink([&sunk](const std::string& l) { sunk.push_back(l); });
    paper.line(std::string(50, 'x'));
    paper.centred("MEIO");
    paper.columns("TOTAL R$", "12,34");
    paper.columns(std::string(60, 'L'), "1,00");
    paper.rule('=');
    paper.feed(2);
    paper.chequeLine(std::string(90, 'c'));
    const std::vector<std::string> expected = {
        std::string(48, 'x'), "xx", std::string(22, ' ') + "MEIO", "TOTAL R$" + std::string(35, ' ') + "12,34",
        std::string(43, 'L') + " 1,00", std::string(48, '='), "", "", std::string(80, 'c')};
    EXPECT_EQ(sunk, expected);
    EXPECT_EQ(paper.linesPrinted(), expected.size());
    std::string text;
    for (const auto& l : expected) text += l + "\n";
    EXPECT_EQ(paper.text(), text);
}

TEST(Paper, TheChequeStationAdvancesFromTheLineItPrinted) {
    struct Case {
        const char* name;
        bool receiptLineFirst;
        std::vector<std::pair<unsigned, const char*>> lines;  // advance, then the text
        std::string expected;
    };
    const Case cases[] = {
        {"layout lines 3, 5, 6", false, {{2, "A"}, {2, "B"}, {1, "C"}}, "\n\nA\n\nB\nC\n"},
        {"no advance at the start", false, {{0, "A"}, {3, "B"}}, "A\n\n\nB\n"},
        {"after the receipt station", true, {{1, "A"}}, "R\n\nA\n"},
    };
    for (const Case& c : cases) {
        ecfsim::Paper paper;
        paper.keepText(1 << 16);
        if (c.receiptLineFirst) paper.line("R");
        for (const auto& [advance, text] : c.lines) {
            paper.chequeAdvance(advance);
            paper.chequeLine(text);
        }
        EXPECT_EQ(paper.text(), c.expected) << c.name;
    }
}

TEST(Paper, KeepsOnlyTheNewestText) {
    ecfsim::Paper paper;
    paper.keepText(10);
    paper.line("AAAA");
    paper.line("BBBB");
    paper.line("CCCC");
    EXPECT_EQ(paper.text(), "CCCC\n");
}

}  // namespace
