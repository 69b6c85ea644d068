// Replies cut into fields, in both forms, as the printer's bytes arrive.
#include <functional>

#include "status_harness.h"

namespace {

using namespace ecf::test;

// What the parameter form hands over for a field that holds no NUL.
std::string outOfCleanField(const OutField& o, const Bytes& r) {
    const std::string f = slice(r, o.position, o.position + o.width);
    if (o.kind == Out::withoutThird) return f.substr(0, 2) + f.substr(3) + nul(2);
    return f + '\0';
}

TEST_F(StatusTest, RepliesWithoutNulReachTextAndOutParametersUnchanged) {
    for (const Export& e : fieldExports()) {
        SCOPED_TRACE(e.name);
        const Bytes textReply = distinctReply(e.textReply);
        std::string expected;
        for (const auto& [from, to] : e.textRanges) expected += slice(textReply, from, to);
        EXPECT_EQ(textOf(e, textReply), expected);

        const Bytes paramReply = distinctReply(e.paramReply);
        OutBuffers out(e.outs);
        EXPECT_EQ(paramsOf(e, paramReply, out), 0);
        for (std::size_t i = 0; i < e.outs.size(); ++i)
            EXPECT_EQ(out.written(i), outOfCleanField(e.outs[i], paramReply)) << "out " << i;
    }
}

using Expect = std::function<std::string(const Bytes&)>;

struct Edge {
    const char* query;
    std::vector<std::pair<std::size_t, std::size_t>> nulRuns;  // [from, to) made NUL
    std::vector<std::pair<std::size_t, std::string>> texts;    // characters put at a position
    Expect text;
    std::vector<std::pair<std::size_t, Expect>> outs;  // out index, exact bytes written
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

const Edge kEdges[] = {
    {"Cupom", {{9, 10}}, {}, [](const Bytes& r) { return slice(r, 3, 9) + slice(r, 16, 72); },
     {{2, [](const Bytes& r) { return slice(r, 8, 14) + '\0'; }}}},
    {"Cupom", {{0, kAll}}, {}, [](const Bytes&) { return std::string(); },
     {{0, [](const Bytes&) { return nul(5); }}, {3, [](const Bytes&) { return nul(9); }}}},
    {"Aliquotas", {{2, 3}}, {}, [](const Bytes& r) { return slice(r, 3, 41); },
     {{0, [](const Bytes& r) { return slice(r, 3, 4) + '\0'; }}}},
    {"Aliquotas", {{0, kAll}}, {}, [](const Bytes&) { return std::string(); },
     {{3, [](const Bytes&) { return nul(15); }}}},
    {"PayTypes", {{10, 11}}, {}, [](const Bytes& r) { return slice(r, 2, 10) + slice(r, 26, 47); },
     {{2, [](const Bytes& r) { return slice(r, 5, 26) + '\0'; }}}},
    {"DocsNFs", {{26, 27}}, {{25, "1"}, {27, "234"}},
     [](const Bytes& r) { return slice(r, 2, 25) + "1234" + slice(r, 30, 123); },
     {{2, [](const Bytes&) { return std::string("1234") + '\0'; }}}},
    {"DocsNFs", {{25, 30}}, {}, [](const Bytes& r) { return slice(r, 2, 25) + slice(r, 30, 123); },
     {{2, [](const Bytes&) { return nul(2); }}}},
    {"DocsNFs", {{10, 11}}, {}, [](const Bytes& r) { return slice(r, 2, 10) + slice(r, 25, 123); },
     {{1, [](const Bytes& r) { return slice(r, 4, 25) + '\0'; }}}},
    {"Equipo", {{0, kAll}}, {}, [](const Bytes&) { return sp(38); },
     {{0, [](const Bytes&) { return sp(11) + '\0'; }},
      {1, [](const Bytes&) { return sp(16) + '\0'; }},
      {2, [](const Bytes&) { return sp(5) + '\0'; }},
      {3, [](const Bytes&) { return sp(10) + '\0'; }}}},
    {"Equipo", {{13, 14}}, {}, [](const Bytes& r) { return slice(r, 3, 13) + slice(r, 14, 45); },
     {{0, [](const Bytes& r) { return slice(r, 3, 13) + " " + '\0'; }}}},
    {"User", {{225, 226}}, {{220, "12:34"}},
     [](const Bytes& r) { return slice(r, 3, 225) + slice(r, 226, 268); },
     {{9, [](const Bytes&) { return "1234" + nul(3); }}}},
    {"User", {{211, 220}}, {},
     [](const Bytes& r) { return slice(r, 3, 211) + "////////" + slice(r, 220, 268); },
     {{8, [](const Bytes&) { return "////////" + nul(2); }}}},
    {"User", {{150, 160}}, {}, [](const Bytes& r) { return slice(r, 3, 150) + slice(r, 160, 268); },
     {{3, [](const Bytes&) { return nul(6); }}, {4, [](const Bytes&) { return nul(6); }}}},
    {"User", {{0, kAll}}, {},
     [](const Bytes&) {
         return sp(48 * 3 + 18 + 14 + 16) + "////////" + sp(5) + "////////" + sp(32);
     },
     {{0, [](const Bytes&) { return sp(48) + nul(2); }},
      {6, [](const Bytes&) { return sp(16) + nul(2); }},
      {7, [](const Bytes&) { return sp(14) + nul(2); }},
      {11, [](const Bytes&) { return sp(4) + nul(3); }},
      {13, [](const Bytes&) { return sp(22) + '\0'; }}}},
    {"Troco", {{0, kAll}}, {}, [](const Bytes&) { return sp(42); },
     {{0, [](const Bytes&) { return sp(21) + '\0'; }},
      {1, [](const Bytes&) { return sp(21) + '\0'; }}}},
    {"Troco", {{10, 11}}, {}, [](const Bytes& r) { return slice(r, 5, 10) + " " + slice(r, 11, 47); },
     {{0, [](const Bytes& r) { return slice(r, 5, 10) + " " + slice(r, 11, 26) + '\0'; }}}},
    {"Vincs", {{7, 8}}, {}, [](const Bytes& r) { return slice(r, 3, 7) + slice(r, 28, 66); },
     {{2, [](const Bytes& r) { return " " + slice(r, 8, 28) + '\0'; }}}},
    {"Vincs", {{0, kAll}}, {}, [](const Bytes&) { return std::string(); },
     {{0, [](const Bytes&) { return sp(1) + '\0'; }},
      {3, [](const Bytes&) { return sp(21) + '\0'; }},
      {6, [](const Bytes&) { return sp(7) + '\0'; }}}},
};

TEST_F(StatusTest, NulBytesShortenOrAreFilledAsEachFieldSays) {
    for (const Edge& edge : kEdges) {
        const Export& e = exportNamed(edge.query);
        const Bytes textReply = replyFor(edge, e.textReply);
        SCOPED_TRACE(std::string(edge.query) + " " + hex(textReply));
        EXPECT_EQ(textOf(e, textReply), edge.text(textReply));

        const Bytes paramReply = replyFor(edge, e.paramReply);
        OutBuffers out(e.outs);
        EXPECT_EQ(paramsOf(e, paramReply, out), 0);
        for (const auto& [i, expected] : edge.outs)
            EXPECT_EQ(out.written(i), expected(paramReply)) << "out " << i;
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
        peer.serve({{kQueryFrame, reply}});
        EXPECT_STREQ(ecfStatusImp(), c.text);
        peer.wait();

        unsigned char got[3] = {0x5A, 0x5A, 0x5A};
        peer.serve({{kQueryFrame, reply}});
        EXPECT_EQ(ecfParamStatusImp(&got[0], &got[1], &got[2]), 0);
        peer.wait();
        EXPECT_EQ(got[0], c.b3);
        EXPECT_EQ(got[1], c.b5);
        EXPECT_EQ(got[2], c.b6);
    }
}

TEST_F(StatusTest, AReplyCutShortLeavesNulWhereNothingArrived) {
    const Export& cupom = exportNamed("Cupom");
    const Bytes part = distinctReply(10);
    EXPECT_EQ(textOf(cupom, part), slice(part, 3, 10));
}

}  // namespace
