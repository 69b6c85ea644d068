// The status queries as the tests drive them: every export through a scripted
// printer on a pseudo-terminal, out-parameters in guarded buffers.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "support/wire.h"

namespace ecf::test {

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

}  // namespace ecf::test
