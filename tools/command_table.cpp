#include "command_table.h"

#include <cerrno>
#include <cctype>
#include <cstdlib>
#include <limits>

#include "cp850.h"
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

std::string cp850ToUtf8(const std::string& bytes) { return ecf::cp850::toUtf8(bytes); }

}  // namespace ecf::cli
