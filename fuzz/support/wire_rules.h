// What every frame on the line must look like, whatever the caller passed:
// ESC, a record whose length is the one its command code has, and the
// checksum byte that brings the frame to 0 modulo 256 (none after a free line
// led by 'n'); and the reply length that the command code asks for.
// The register is written here from the printer's side, independently of the
// builders, so that the two check each other.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ecf::wire {

struct CodeRule {
    uint8_t code;
    std::vector<uint32_t> recordLengths;  // 0xDA has two forms
    std::vector<uint32_t> replyLengths;   // empty: any (the read-out: a status byte when
                                          // printed, a computed length over the line)
};

inline const std::vector<CodeRule>& commandRegister() {
    static const std::vector<CodeRule> rules = {
        {0x06, {12}, {1}},  {0x07, {16}, {1}},  {0xC7, {12}, {1}},  {0xD1, {3}, {1}},
        {0xD5, {27}, {1}},  {0xD8, {27}, {1}},  {0xFA, {4}, {1}},   {0xD0, {113}, {1}},
        {0xD2, {84}, {1}},  {0xD6, {91}, {1}},  {0xD3, {79}, {1}},  {0xD4, {36}, {1}},
        {0xD9, {39}, {1}},  {0x01, {3}, {1}},   {0x6F, {50}, {1}},  {0xDD, {3}, {1}},
        {0xDE, {19}, {1}},  {0xEC, {5}, {1}},   {0x10, {10}, {1}},  {0x11, {10}, {1}},
        {0x13, {10}, {1}},  {0x14, {10}, {1}},  {0x16, {15}, {1}},  {0x78, {65}, {1}},
        {0xDA, {187, 202}, {1}}, {0x1B, {15}, {1}}, {0x20, {7}, {1}}, {0x21, {3}, {1}},
        {0x22, {9}, {1}},   {0x23, {51}, {1}},  {0x24, {24}, {1}},  {0x2A, {12}, {1}},
        {0x12, {3}, {747}}, {0x26, {23}, {9}},  {0x15, {23}, {}},   {0xC0, {84}, {1}},
        {0xC1, {209}, {1}}, {0xDF, {4}, {7}},   {0xE0, {4}, {72}},  {0xE1, {4}, {41}},
        {0xE2, {4}, {47}},  {0xE3, {4}, {123}}, {0xE4, {4}, {52, 50}}, {0xE5, {4}, {268}},
        {0xE6, {4}, {47}},  {0xE7, {4}, {66}},
    };
    return rules;
}

// Empty when the frame and the reply length keep the rules, else what is wrong.
inline std::string wireFault(const std::vector<uint8_t>& frame, uint32_t readLength) {
    if (frame.size() < 2) return "frame shorter than ESC and a lead byte";
    if (frame[0] != 0x1B) return "frame does not start with ESC";
    if (frame[1] == 'n') {
        if (frame.size() != 51) return "free line is not 50 bytes";
        return readLength == 1 ? "" : "free line does not wait for a status byte";
    }
    if (frame[1] != 'f') return "lead byte is neither f nor n";
    if (frame.size() < 4) return "record without a command code";
    uint8_t sum = 0;
    for (uint8_t b : frame) sum = static_cast<uint8_t>(sum + b);
    if (sum != 0) return "checksum does not bring the frame to 0";
    const uint32_t recordLength = static_cast<uint32_t>(frame.size() - 2);
    for (const CodeRule& rule : commandRegister()) {
        if (rule.code != frame[2]) continue;
        bool lengthKnown = false;
        for (uint32_t n : rule.recordLengths) lengthKnown = lengthKnown || n == recordLength;
        if (!lengthKnown) return "record length " + std::to_string(recordLength) + " for its code";
        if (rule.replyLengths.empty()) return readLength >= 1 ? "" : "read-out without an answer";
        for (uint32_t n : rule.replyLengths)
            if (n == readLength) return "";
        return "reply length " + std::to_string(readLength) + " for its code";
    }
    return "unknown command code " + std::to_string(frame[2]);
}

}  // namespace ecf::wire
