#include "command_table.h"

#include <cerrno>
#include <cctype>
#include <cstdlib>
#include <limits>

#include "ecf.h"

namespace ecf::cli {

namespace {

struct Range {
    long long low;
    long long high;
};

Range rangeOf(Kind kind) {
    switch (kind) {
        case Kind::i32: return {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()};
        case Kind::u32: return {0, std::numeric_limits<uint32_t>::max()};
        case Kind::u8: return {0, 255};
        case Kind::s8: return {-128, 127};
        default: return {0, 0};
    }
}

long long parseNumber(const Param& param, const std::string& text) {
    const Range range = rangeOf(param.kind);
    const std::string expected = "an integer from " + std::to_string(range.low) + " to " +
                                 std::to_string(range.high);
    if (text.empty())
        throw BadArgument{std::string(param.name) + ": expected " + expected + ", got nothing"};
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end == nullptr || *end != '\0' || value < range.low || value > range.high)
        throw BadArgument{std::string(param.name) + ": expected " + expected + ", got '" + text + "'"};
    return value;
}

}  // namespace

Call::Call(const std::vector<Param>& params, const std::vector<std::string>& inputs) {
    std::size_t next = 0;
    values_.resize(params.size());
    for (std::size_t i = 0; i < params.size(); ++i) {
        const Param& p = params[i];
        Value& v = values_[i];
        if (p.kind == Kind::out || p.kind == Kind::outbyte) {
            // Room beyond the stated capacity, filled with NUL, so that a
            // misbehaving export could never be mistaken for a good one.
            v.buffer.assign((p.kind == Kind::out ? p.capacity : 1) + 8, '\0');
            continue;
        }
        if (next >= inputs.size()) throw BadArgument{std::string(p.name) + ": missing"};
        const std::string& text = inputs[next++];
        if (p.kind == Kind::str)
            v.text = text;
        else
            v.number = parseNumber(p, text);
    }
    if (next < inputs.size()) throw BadArgument{"too many arguments"};
}

std::string Call::output(std::size_t i) const {
    const std::vector<char>& b = values_[i].buffer;
    std::size_t n = 0;
    while (n < b.size() && b[n] != '\0') ++n;
    return std::string(b.data(), n);
}

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
#include "command_table.inc"
    };
    return table;
}

std::string shortName(const std::string& exportName) {
    return exportName.compare(0, 3, "ecf") == 0 ? exportName.substr(3) : exportName;
}

std::string kebabName(const std::string& exportName) {
    const std::string name = shortName(exportName);
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c == '_') {
            if (!out.empty() && out.back() != '-') out += '-';
            continue;
        }
        const bool upper = std::isupper(c) != 0;
        const bool afterLower = i > 0 && (std::islower(static_cast<unsigned char>(name[i - 1])) ||
                                          std::isdigit(static_cast<unsigned char>(name[i - 1])));
        const bool startsWord = i + 1 < name.size() && i > 0 &&
                                std::isupper(static_cast<unsigned char>(name[i - 1])) &&
                                std::islower(static_cast<unsigned char>(name[i + 1]));
        if (upper && (afterLower || startsWord) && !out.empty() && out.back() != '-') out += '-';
        out += static_cast<char>(std::tolower(c));
    }
    return out;
}

std::string cp850ToUtf8(const std::string& bytes) {
    // Code points of bytes 0x80..0xFF in code page 850.
    static const uint16_t high[128] = {
        0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8,
        0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2,
        0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, 0x00E1,
        0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD,
        0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2,
        0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510, 0x2514, 0x2534,
        0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560,
        0x2550, 0x256C, 0x00A4, 0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE,
        0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580, 0x00D3, 0x00DF, 0x00D4,
        0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE, 0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD,
        0x00AF, 0x00B4, 0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8, 0x00B0,
        0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0};
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes) {
        const unsigned code = c < 0x80 ? c : high[c - 0x80];
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

}  // namespace ecf::cli
