#include "ecfsim/paper.h"

#include <cstdint>

namespace ecfsim {

namespace {

// Unicode code points of the bytes 0x80 to 0xFF of code page 850.
constexpr uint16_t kUpperHalf[128] = {
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

void appendUtf8(std::string& out, uint32_t cp) {
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

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

}  // namespace

std::string cp850ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const auto b = static_cast<uint8_t>(ch);
        if (b < 0x20 || b == 0x7F)
            out += '.';
        else if (b < 0x80)
            out += static_cast<char>(b);
        else
            appendUtf8(out, kUpperHalf[b - 0x80]);
    }
    return out;
}

std::string cp850ToUnicode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const auto b = static_cast<uint8_t>(ch);
        if (b < 0x80)
            out += ch;
        else
            appendUtf8(out, kUpperHalf[b - 0x80]);
    }
    return out;
}

std::optional<std::string> unicodeToCp850(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<uint8_t>(utf8[i]);
        uint32_t cp = 0;
        std::size_t extra = 0;
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0F;
            extra = 2;
        } else {
            return std::nullopt;  // four-byte forms lie outside the code page anyway
        }
        if (i + extra >= utf8.size()) return std::nullopt;  // cut short
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto c = static_cast<uint8_t>(utf8[i + k]);
            if ((c & 0xC0) != 0x80) return std::nullopt;
            cp = (cp << 6) | (c & 0x3F);
        }
        i += extra + 1;
        bool found = false;
        for (std::size_t k = 0; k < 128 && !found; ++k) {
            if (kUpperHalf[k] == cp) {
                out += static_cast<char>(0x80 + k);
                found = true;
            }
        }
        if (!found) return std::nullopt;
    }
    return out;
}

void Paper::emit(std::string_view cp850) {
    const std::string utf8 = cp850ToUtf8(trimRight(cp850));
    ++lines_;
    if (sink_) sink_(utf8);
    if (keepLimit_ == 0) return;
    kept_ += utf8;
    kept_ += '\n';
    if (kept_.size() > keepLimit_) {
        const std::size_t cut = kept_.find('\n', kept_.size() - keepLimit_);
        kept_.erase(0, cut == std::string::npos ? kept_.size() : cut + 1);
    }
}

void Paper::line(std::string_view cp850) {
    onPrintedChequeLine_ = false;
    do {
        emit(cp850.substr(0, kPaperColumns));
        cp850.remove_prefix(cp850.size() < kPaperColumns ? cp850.size() : kPaperColumns);
    } while (!cp850.empty());
}

void Paper::centred(std::string_view cp850) {
    cp850 = trimRight(cp850);
    if (cp850.size() >= kPaperColumns) return line(cp850);
    std::string s((kPaperColumns - cp850.size()) / 2, ' ');
    s += cp850;
    line(s);
}

void Paper::columns(std::string_view left, std::string_view right) {
    if (right.size() > kPaperColumns) right = right.substr(0, kPaperColumns);
    const std::size_t room = kPaperColumns - right.size();
    std::string s(left.substr(0, room > 0 ? room - (right.empty() ? 0 : 1) : 0));
    s.append(kPaperColumns - right.size() - s.size(), ' ');
    s += right;
    line(s);
}

void Paper::rule(char c) { line(std::string(kPaperColumns, c)); }

void Paper::feed(unsigned lines) {
    onPrintedChequeLine_ = false;
    for (unsigned i = 0; i < lines; ++i) emit({});
}

void Paper::chequeLine(std::string_view cp850) {
    emit(cp850.substr(0, kChequeColumns));
    onPrintedChequeLine_ = true;
}

void Paper::chequeAdvance(unsigned lines) {
    for (unsigned i = 0; i < lines; ++i) {
        if (onPrintedChequeLine_)
            onPrintedChequeLine_ = false;  // off the printed line: no row of its own
        else
            emit({});
    }
}

}  // namespace ecfsim
