// The status queries: their records on the line, their replies cut into
// fields in both forms as the printer's bytes arrive, and failed exchanges.
#include <set>

#include "status_harness.h"

namespace {

using namespace ecf::test;

// What the parameter form hands over for a field that holds no NUL.
std::string outOfCleanField(const OutField& o, const Bytes& r) {
    const std::string f = slice(r, o.position, o.position + o.width);
    if (o.kind == Out::withoutThird) return f.substr(0, 2) + f.substr(3) + nul(2);
    return f + '\0';
}

// The record: f, the query's code, then the index's last two digits, or two
// 0x00 without an index (two blanks in the parameter form of the change
// status). A reply without NUL reaches the text and the out-parameters unchanged.
TEST_F(StatusTest, QueriesGoOutAsTheirRecordsAndRepliesWithoutNulArriveUnchanged) {
    for (const Export& e : fieldExports()) {
        SCOPED_TRACE(e.name);
        const std::string record = std::string("f") + static_cast<char>(e.code);
        const Bytes textReply = distinctReply(e.textReply);
        std::string expected;
        for (const auto& [from, to] : e.textRanges) expected += slice(textReply, from, to);
        EXPECT_EQ(textOf(e, textReply, 5), expected);
        EXPECT_EQ(hex(wire), hex(frameOf(record + (e.indexed ? "05" : nul(2)))));

        const Bytes paramReply = distinctReply(e.paramReply);
        OutBuffers out(e.outs);
        EXPECT_EQ(paramsOf(e, paramReply, out, 142), 0);
        const std::string tail = e.indexed ? "42" : std::string(e.name) == "Troco" ? "  " : nul(2);
        EXPECT_EQ(hex(wire), hex(frameOf(record + tail)));
        for (std::size_t i = 0; i < e.outs.size(); ++i)
            EXPECT_EQ(out.written(i), outOfCleanField(e.outs[i], paramReply)) << "out " << i;
    }
}

// What the library hands over, piece by piece: bytes [from, to) of the reply,
// or a text of its own.
struct Piece {
    std::size_t from, to;
    std::string text;
};
Piece range(std::size_t from, std::size_t to) { return {from, to, ""}; }
Piece literal(const std::string& text) { return {0, 0, text}; }
std::string assemble(const std::vector<Piece>& pieces, const Bytes& r) {
    std::string s;
    for (const Piece& p : pieces) s += p.text.empty() ? slice(r, p.from, p.to) : p.text;
    return s;
}

struct Edge {
    const char* query;
    std::vector<std::pair<std::size_t, std::size_t>> nulRuns;  // [from, to) made NUL
    std::vector<std::pair<std::size_t, std::string>> texts;    // characters put at a position
    std::vector<Piece> text;
    std::vector<std::pair<std::size_t, std::vector<Piece>>> outs;  // out index, exact bytes written
};

Bytes replyFor(const Edge& edge, std::size_t length) {
    Bytes r = distinctReply(length);
    for (const auto& [from, to] : edge.nulRuns)
        for (std::size_t i = from; i < to && i < length; ++i) r[i] = 0;
    for (const auto& [at, s] : edge.texts)
        for (std::size_t i = 0; i < s.size(); ++i) r[at + i] = static_cast<uint8_t>(s[i]);
    return r;
}

const std::size_t kAll = 1000;
const Piece kNul = literal(nul(1));

const Edge kEdges[] = {
    {"Cupom", {{9, 10}}, {}, {range(3, 9), range(16, 72)}, {{2, {range(8, 14), kNul}}}},
    {"Cupom", {{0, kAll}}, {}, {}, {{0, {literal(nul(5))}}, {3, {literal(nul(9))}}}},
    {"Aliquotas", {{2, 3}}, {}, {range(3, 41)}, {{0, {range(3, 4), kNul}}}},
    {"Aliquotas", {{0, kAll}}, {}, {}, {{3, {literal(nul(15))}}}},
    {"PayTypes", {{10, 11}}, {}, {range(2, 10), range(26, 47)}, {{2, {range(5, 26), kNul}}}},
    {"DocsNFs", {{26, 27}}, {{25, "1"}, {27, "234"}}, {range(2, 25), literal("1234"), range(30, 123)},
     {{2, {literal("1234"), kNul}}}},
    {"DocsNFs", {{25, 30}}, {}, {range(2, 25), range(30, 123)}, {{2, {literal(nul(2))}}}},
    {"DocsNFs", {{10, 11}}, {}, {range(2, 10), range(25, 123)}, {{1, {range(4, 25), kNul}}}},
    {"Equipo", {{0, kAll}}, {}, {literal(sp(38))},
     {{0, {literal(sp(11)), kNul}}, {1, {literal(sp(16)), kNul}}, {2, {literal(sp(5)), kNul}},
      {3, {literal(sp(10)), kNul}}}},
    {"Equipo", {{13, 14}}, {}, {range(3, 13), range(14, 45)}, {{0, {range(3, 13), literal(" "), kNul}}}},
    {"User", {{225, 226}}, {{220, "12:34"}}, {range(3, 225), range(226, 268)}, {{9, {literal("1234" + nul(3))}}}},
    {"User", {{211, 220}}, {}, {range(3, 211), literal("////////"), range(220, 268)},
     {{8, {literal("////////" + nul(2))}}}},
    {"User", {{150, 160}}, {}, {range(3, 150), range(160, 268)}, {{3, {literal(nul(6))}}, {4, {literal(nul(6))}}}},
    {"User", {{0, kAll}}, {}, {literal(sp(48 * 3 + 18 + 14 + 16) + "////////" + sp(5) + "////////" + sp(32))},
     {{0, {literal(sp(48) + nul(2))}}, {6, {literal(sp(16) + nul(2))}}, {7, {literal(sp(14) + nul(2))}},
      {11, {literal(sp(4) + nul(3))}}, {13, {literal(sp(22)), kNul}}}},
    {"Troco", {{0, kAll}}, {}, {literal(sp(42))}, {{0, {literal(sp(21)), kNul}}, {1, {literal(sp(21)), kNul}}}},
    {"Troco", {{10, 11}}, {}, {range(5, 10), literal(" "), range(11, 47)},
     {{0, {range(5, 10), literal(" "), range(11, 26), kNul}}}},
    {"Vincs", {{7, 8}}, {}, {range(3, 7), range(28, 66)}, {{2, {literal(" "), range(8, 28), kNul}}}},
    {"Vincs", {{0, kAll}}, {}, {},
     {{0, {literal(" "), kNul}}, {3, {literal(sp(21)), kNul}}, {6, {literal(sp(7)), kNul}}}},
};

TEST_F(StatusTest, NulBytesShortenOrAreFilledAsEachFieldSays) {
    for (const Edge& edge : kEdges) {
        const Export& e = exportNamed(edge.query);
        const Bytes textReply = replyFor(edge, e.textReply);
        SCOPED_TRACE(std::string(edge.query) + " " + hex(textReply));
        EXPECT_EQ(textOf(e, textReply), assemble(edge.text, textReply));

        const Bytes paramReply = replyFor(edge, e.paramReply);
        OutBuffers out(e.outs);
        EXPECT_EQ(paramsOf(e, paramReply, out), 0);
        for (const auto& [i, expected] : edge.outs)
            EXPECT_EQ(out.written(i), assemble(expected, paramReply)) << "out " << i;
    }
}

TEST_F(StatusTest, PrinterStatusRendersBytes3And5AndThreeFlagsOf6) {
    struct {
        uint8_t b3, b5, b6;
        const char* text;
    } cases[] = {{7, 0, 0x0E, "07000111"},   {7, 0, 0xF1, "07000000"}, {0, 5, 0x00, "00005000"},
                 {123, 42, 0x08, "12042001"}, {99, 7, 0x02, "99007100"}, {0xFF, 0x0D, 0xFF, "25013111"}};
    for (const auto& c : cases) {
        const Bytes reply = {0xFF, 0x0D, 0x00, c.b3, 0xFF, c.b5, c.b6};
        unsigned char got[3] = {0x5A, 0x5A, 0x5A};
        peer.serve({{kQueryFrame, reply}, {kQueryFrame, reply}});
        EXPECT_STREQ(ecfStatusImp(), c.text);
        EXPECT_EQ(ecfParamStatusImp(&got[0], &got[1], &got[2]), 0);
        EXPECT_EQ(hex(peer.wait()), "1B 66 DF 00 00 A0 1B 66 DF 00 00 A0");
        EXPECT_EQ(std::vector<unsigned>(got, got + 3), (std::vector<unsigned>{c.b3, c.b5, c.b6}));
    }
}

// Each text form keeps its own buffer: another query leaves it as it was,
// and a failed exchange puts the error text into that same buffer.
TEST_F(StatusTest, EachTextHasItsOwnBufferAndFailuresLeaveOutParametersAlone) {
    std::vector<std::pair<char* (*)(uint8_t), std::size_t>> forms = {
        {[](uint8_t) { return ecfStatusImp(); }, 7}};
    for (const Export& e : fieldExports()) forms.emplace_back(e.text, e.textReply);
    std::vector<char*> texts;
    std::vector<std::string> contents;
    for (const auto& [form, length] : forms) {
        peer.serve({{kQueryFrame, distinctReply(length)}});
        texts.push_back(form(1));
        contents.emplace_back(texts.back());
        peer.wait();
    }
    EXPECT_EQ(std::set<char*>(texts.begin(), texts.end()).size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(texts[i], contents[i]) << i;

    HeldDevice held(peer.path());
    for (std::size_t i = 0; i < forms.size(); ++i) {
        EXPECT_EQ(forms[i].first(1), texts[i]) << i;
        EXPECT_STREQ(texts[i], "Erro: 1010");
    }
    for (const Export& e : fieldExports()) {
        OutBuffers out(e.outs);
        EXPECT_EQ(e.param(1, out.ptrs.data()), 1010) << e.name;
        // Only the receipt status writes after a failure, and then no reply bytes.
        for (std::size_t i = 0; i < e.outs.size(); ++i)
            EXPECT_EQ(out.written(i), std::string(e.name) == "Cupom" ? nul(e.outs[i].width + 1)
                                                                     : std::string())
                << e.name << " out " << i;
    }
    unsigned char bytes[3] = {0x5A, 0x5A, 0x5A};
    EXPECT_EQ(ecfParamStatusImp(&bytes[0], &bytes[1], &bytes[2]), 1010);
    EXPECT_EQ(bytes[0] | bytes[1] | bytes[2], 0);
}

}  // namespace
