// The status queries: their records on the line, their replies cut into
// fields in both forms as the printer's bytes arrive, and failed exchanges.
// Every export goes through a scripted printer on a pseudo-terminal, its
// out-parameters in guarded buffers.
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/wire.h"

namespace {

using namespace ecf::test;

// Out-parameter buffers carry this byte beyond what the library writes.
constexpr char kGuard = static_cast<char>(0xA5);

// How the parameter form hands a reply field over.
enum class Out { whole, withoutThird, joined };

struct OutField {
    std::size_t position, width;
    Out kind = Out::whole;
    std::size_t capacity() const { return width + 1; }
};

struct Export {
    const char* name;
    uint8_t code;
    bool indexed;
    std::size_t textReply, paramReply;
    std::vector<std::pair<std::size_t, std::size_t>> textRanges;  // [from, to) of a NUL-free reply
    std::vector<OutField> outs;                                   // in out-parameter order
    char* (*text)(uint8_t index);
    int32_t (*param)(uint8_t index, char** outs);
};

// The eight queries whose replies are character fields.
inline const std::vector<Export>& fieldExports() {
    static const std::vector<Export> exports = {
        {"Cupom", 0xE0, false, 72, 72, {{3, 14}, {16, 72}},
         {{3, 4}, {7, 1}, {8, 6}, {22, 8}, {16, 6}, {30, 21}, {51, 21}},
         [](uint8_t) { return ecfStatusCupom(0); },
         [](uint8_t, char** o) { return ecfParamStatusCup(o[0], o[1], o[2], o[3], o[4], o[5], o[6]); }},
        {"Aliquotas", 0xE1, true, 41, 41, {{2, 41}}, {{3, 1}, {4, 6}, {10, 17}, {27, 14}},
         ecfStatusAliquotas,
         [](uint8_t i, char** o) { return ecfParamStatusAliquotas(i, o[0], o[1], o[2], o[3]); }},
        {"PayTypes", 0xE2, true, 47, 47, {{2, 47}}, {{3, 1}, {4, 1}, {5, 21}, {26, 21}}, ecfStatusPayTypes,
         [](uint8_t i, char** o) { return ecfParamStatusPayTypes(i, o[0], o[1], o[2], o[3]); }},
        {"DocsNFs", 0xE3, true, 123, 123, {{2, 123}},
         {{3, 1}, {4, 21}, {25, 5, Out::joined}, {30, 3}, {33, 7}, {40, 7}, {47, 19}, {66, 19},
          {85, 19}, {104, 19}},
         ecfStatusDocsNFs,
         [](uint8_t i, char** o) {
             return ecfParamStatusDocsNFs(i, o[0], o[1], o[2], o[3], o[4], o[5], o[6], o[7], o[8],
                                          o[9]);
         }},
        {"Equipo", 0xE4, false, 52, 50, {{3, 45}}, {{3, 11}, {14, 16}, {30, 5}, {35, 10}},
         [](uint8_t) { return ecfStatusEquipo(); },
         [](uint8_t, char** o) { return ecfParamStatusEquipo(o[0], o[1], o[2], o[3]); }},
        {"User", 0xE5, true, 268, 268, {{3, 268}},
         {{3, 49}, {52, 49}, {101, 49}, {150, 5}, {155, 5}, {160, 19}, {194, 17}, {179, 15},
          {211, 9}, {220, 6, Out::withoutThird}, {226, 9}, {235, 6, Out::withoutThird}, {241, 5},
          {246, 22}},
         ecfStatusUser,
         [](uint8_t i, char** o) {
             return ecfParamStatusUser(i, o[0], o[1], o[2], o[3], o[4], o[5], o[6], o[7], o[8],
                                       o[9], o[10], o[11], o[12], o[13]);
         }},
        {"Troco", 0xE6, false, 47, 47, {{5, 47}}, {{5, 21}, {26, 21}},
         [](uint8_t) { return ecfStatusTroco(); },
         [](uint8_t, char** o) { return ecfParamStatusTroco(o[0], o[1]); }},
        {"Vincs", 0xE7, true, 66, 66, {{3, 66}}, {{3, 1}, {4, 3}, {7, 21}, {28, 21}, {49, 7}, {56, 3}, {59, 7}},
         ecfStatusVincs,
         [](uint8_t i, char** o) {
             return ecfParamStatusVincs(i, o[0], o[1], o[2], o[3], o[4], o[5], o[6]);
         }},
    };
    return exports;
}

inline const Export& exportNamed(const std::string& name) {
    for (const Export& e : fieldExports())
        if (name == e.name) return e;
    throw std::invalid_argument(name);
}

// A reply with no NUL whose bytes differ from their neighbours' (so a field
// taken from the wrong position shows), with 0xFF and CR among them.
inline Bytes distinctReply(std::size_t length) {
    Bytes r(length);
    for (std::size_t i = 0; i < length; ++i) r[i] = static_cast<uint8_t>(0x21 + i % 94);
    for (std::size_t i = 6; i < length; i += 11) r[i] = 0xFF;
    for (std::size_t i = 9; i < length; i += 13) r[i] = 0x0D;
    return r;
}

inline std::string slice(const Bytes& r, std::size_t from, std::size_t to) {
    return std::string(r.begin() + static_cast<long>(from), r.begin() + static_cast<long>(to));
}

// Guarded out-parameter buffers, one per out field.
struct OutBuffers {
    std::vector<std::string> bufs;
    std::vector<char*> ptrs;
    explicit OutBuffers(const std::vector<OutField>& outs) {
        for (const OutField& o : outs) bufs.emplace_back(o.capacity() + 4, kGuard);
        for (std::string& b : bufs) ptrs.push_back(&b[0]);
    }
    // What the library wrote: the buffer up to its trailing guard bytes.
    std::string written(std::size_t i) const {
        std::string s = bufs[i];
        while (!s.empty() && s.back() == kGuard) s.pop_back();
        return s;
    }
};

// A printer on COM1 that answers each query frame (ESC, 4 bytes, checksum);
// `wire` holds the last frame it read.
class StatusTest : public PrinterOnCom1 {
protected:
    static constexpr std::size_t kQueryFrame = 6;
    Bytes wire;

    std::string textOf(const Export& e, const Bytes& reply, uint8_t index = 1) {
        peer.serve({{kQueryFrame, reply}});
        const std::string text = e.text(index);
        wire = peer.wait();
        return text;
    }
    int32_t paramsOf(const Export& e, const Bytes& reply, OutBuffers& out, uint8_t index = 1) {
        peer.serve({{kQueryFrame, reply}});
        const int32_t result = e.param(index, out.ptrs.data());
        wire = peer.wait();
        return result;
    }
};

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
