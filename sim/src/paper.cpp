#include "ecfsim/paper.h"

#include <cstdint>

#include "cp850.h"

namespace ecfsim {

namespace {

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
            ecf::cp850::appendUtf8(out, ecf::cp850::codePoint(b));
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
            ecf::cp850::appendUtf8(out, ecf::cp850::codePoint(b));
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
            if (ecf::cp850::codePoint(static_cast<uint8_t>(0x80 + k)) == cp) {
                out += static_cast<char>(0x80 + k);
                found = true;
            }
        }
        if (!found) return std::nullopt;
    }
    return out;
}

void Paper::emit(std::string_view cp850) {
    std::string utf8 = cp850ToUtf8(trimRight(cp850));
    ++lines_;
    if (holding_)
        held_.push_back(std::move(utf8));
    else
        deliver(utf8);
}

void Paper::hold() {
    holding_ = true;
    linesBeforeHold_ = lines_;
    onPrintedChequeLineBeforeHold_ = onPrintedChequeLine_;
}

void Paper::release() {
    holding_ = false;
    for (const std::string& utf8 : held_) deliver(utf8);
    held_.clear();
}

void Paper::drop() {
    holding_ = false;
    held_.clear();
    lines_ = linesBeforeHold_;
    onPrintedChequeLine_ = onPrintedChequeLineBeforeHold_;
}

void Paper::deliver(const std::string& utf8) {
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
