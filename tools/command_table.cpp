#include "command_table.h"

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

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

std::string utf8ToCp850(const std::string& text, const char* paramName) {
    ecf::cp850::Unconvertible why;
    if (std::optional<std::string> bytes = ecf::cp850::fromUtf8(text, &why)) return *bytes;
    char detail[96];
    if (why.codePoint == 0) {
        std::snprintf(detail, sizeof detail, "byte 0x%02X at position %zu is not UTF-8 text",
                      static_cast<unsigned char>(text[why.offset]), why.offset + 1);
        throw BadArgument{std::string(paramName) + ": " + detail +
                          " (--raw sends the bytes as they are)"};
    }
    std::size_t end = why.offset;
    (void)ecf::cp850::nextUtf8(text, end);
    std::snprintf(detail, sizeof detail, "(U+%04X)", static_cast<unsigned>(why.codePoint));
    throw BadArgument{std::string(paramName) + ": '" + text.substr(why.offset, end - why.offset) +
                      "' " + detail + " has no code in code page 850, the printer's character set"};
}

namespace {

std::string lowered(const std::string& s) {
    std::string out = s;
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Edits (insert, delete, replace, swap two neighbours) from a to b.
std::size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                                d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

}  // namespace

std::vector<std::string> closestNames(const std::string& typed, const std::vector<std::string>& names) {
    const std::string wanted = lowered(typed);
    // A name that holds what was typed counts as close as one edit.
    std::vector<std::pair<std::size_t, std::string>> scored;
    for (const std::string& name : names) {
        const std::string candidate = lowered(name);
        std::size_t score = editDistance(wanted, candidate);
        if (!wanted.empty() && candidate.find(wanted) != std::string::npos) score = std::min<std::size_t>(score, 1);
        if (score <= std::max<std::size_t>(2, wanted.size() / 3)) scored.emplace_back(score, name);
    }
    std::stable_sort(scored.begin(), scored.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> best;
    for (const auto& entry : scored) {
        if (best.size() == 3) break;
        best.push_back(entry.second);
    }
    return best;
}

}  // namespace ecf::cli
