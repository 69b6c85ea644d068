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
    return ecf::cp850::toUtf8(std::string(text));
}

std::optional<std::string> unicodeToCp850(std::string_view utf8) {
    return ecf::cp850::fromUtf8(utf8, nullptr);
}

void Paper::emit(std::string_view cp850, Station station) {
    std::string utf8 = cp850ToUtf8(trimRight(cp850));
    ++lines_;
    if (holding_)
        held_.emplace_back(station, std::move(utf8));
    else
        deliver(station, utf8);
}

void Paper::hold() {
    holding_ = true;
    linesBeforeHold_ = lines_;
    onPrintedChequeLineBeforeHold_ = onPrintedChequeLine_;
}

void Paper::release() {
    holding_ = false;
    for (const auto& [station, utf8] : held_) deliver(station, utf8);
    held_.clear();
}

void Paper::drop() {
    holding_ = false;
    held_.clear();
    lines_ = linesBeforeHold_;
    onPrintedChequeLine_ = onPrintedChequeLineBeforeHold_;
}

void Paper::deliver(Station station, const std::string& utf8) {
    if (sink_) sink_(utf8);
    if (watcher_) watcher_(station, utf8);
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
    emit(cp850.substr(0, kChequeColumns), Station::cheque);
    onPrintedChequeLine_ = true;
}

void Paper::chequeAdvance(unsigned lines) {
    for (unsigned i = 0; i < lines; ++i) {
        if (onPrintedChequeLine_)
            onPrintedChequeLine_ = false;  // off the printed line: no row of its own
        else
            emit({}, Station::cheque);
    }
}

}  // namespace ecfsim
