// Code page 850, the printer's character set, to and from UTF-8: used wherever
// a printer text is put in front of a person (the simulator's paper, the
// tools) or a person's text goes to the printer (the tools).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ecf::cp850 {

// Unicode code point of a byte of code page 850.
inline uint32_t codePoint(uint8_t byte) {
    static constexpr uint16_t kUpperHalf[128] = {
        0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
        0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
        0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
        0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192,
        0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
        0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
        0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0,
        0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510,
        0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,
        0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,
        0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE,
        0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
        0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,
        0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4,
        0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,
        0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,
    };
    return byte < 0x80 ? byte : kUpperHalf[byte - 0x80];
}

inline void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The bytes of a code page 850 text as UTF-8, each byte one character.
inline std::string toUtf8(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) appendUtf8(out, codePoint(static_cast<uint8_t>(c)));
    return out;
}

// The byte of code page 850 that shows code point `cp`, if the code page has one.
inline std::optional<uint8_t> byteOf(uint32_t cp) {
    if (cp < 0x80) return static_cast<uint8_t>(cp);
    for (unsigned b = 0x80; b <= 0xFF; ++b)
        if (codePoint(static_cast<uint8_t>(b)) == cp) return static_cast<uint8_t>(b);
    return std::nullopt;
}

// Why a text could not be converted: at which byte of it, and either bytes
// that are not UTF-8 (codePoint 0) or a character the code page lacks.
struct Unconvertible {
    std::size_t offset = 0;
    uint32_t codePoint = 0;
};

// The next character of UTF-8 text at `at`, advancing `at` past it; nullopt
// for bytes that are not UTF-8 (a stray or missing continuation byte, an
// overlong form, a surrogate, beyond U+10FFFF), `at` then left where it was.
inline std::optional<uint32_t> nextUtf8(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<uint8_t>(text[at]);
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    const std::size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : 0;
    if (extra == 0 || lead > 0xF4 || text.size() - at <= extra) return std::nullopt;
    uint32_t cp = lead & (0x3Fu >> extra);
    for (std::size_t k = 1; k <= extra; ++k) {
        const auto c = static_cast<uint8_t>(text[at + k]);
        if ((c & 0xC0) != 0x80) return std::nullopt;
        cp = (cp << 6) | (c & 0x3Fu);
    }
    static constexpr uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    at += extra + 1;
    return cp;
}

// UTF-8 text as code page 850 bytes; nullopt, with the reason in *why, when
// it holds bytes that are not UTF-8 or a character the code page lacks.
inline std::optional<std::string> fromUtf8(std::string_view text, Unconvertible* why) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t start = at;
        const std::optional<uint32_t> cp = nextUtf8(text, at);
        const std::optional<uint8_t> byte = cp ? byteOf(*cp) : std::nullopt;
        if (!byte) {
            if (why != nullptr) *why = Unconvertible{start, cp.value_or(0)};
            return std::nullopt;
        }
        out += static_cast<char>(*byte);
    }
    return out;
}

}  // namespace ecf::cp850
