// The paper the printer prints on: a journal of lines, 48 columns on the
// receipt station and 80 on the cheque station. Lines are composed in the
// printer's character set, code page 850, and handed out as UTF-8.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ecfsim {

constexpr std::size_t kPaperColumns = 48;
constexpr std::size_t kChequeColumns = 80;

// A byte string in code page 850 shown as UTF-8; control bytes become '.'.
std::string cp850ToUtf8(std::string_view text);
// The same, every byte kept (control bytes stay as they are), and back: the
// exact form for storing the printer's texts. Back fails on a character
// outside code page 850 or on bytes that are not UTF-8.
std::string cp850ToUnicode(std::string_view text);
std::optional<std::string> unicodeToCp850(std::string_view utf8);

class Paper {
public:
    // Receives every printed line, as UTF-8, without its line end.
    using Sink = std::function<void(const std::string& line)>;

    void setSink(Sink sink) { sink_ = std::move(sink); }
    // Keeps the printed text in memory too (for tests), at most `limit` bytes:
    // the oldest lines go first.
    void keepText(std::size_t limit) { keepLimit_ = limit; }

    // One line of the receipt station; longer text wraps at 48 columns.
    void line(std::string_view cp850 = {});
    // Text centred on the 48 columns.
    void centred(std::string_view cp850);
    // A left text and a right-aligned text on one line (the left is cut).
    void columns(std::string_view left, std::string_view right);
    void rule(char c = '-');
    void feed(unsigned lines);
    // One line of the cheque station, up to 80 columns. The station stays on
    // the line it printed until the next advance moves it off.
    void chequeLine(std::string_view cp850);
    // Moves the cheque station `lines` lines down; the lines it passes over
    // stay blank. The first line of a move leaves the line just printed.
    void chequeAdvance(unsigned lines);

    std::string text() const { return kept_; }
    void clear() { kept_.clear(); }
    std::size_t linesPrinted() const { return lines_; }

    // Lines printed from hold() on wait: release() hands them out, drop()
    // takes them back as if they had never been printed (a command the
    // printer refused after all).
    void hold();
    void release();
    void drop();

private:
    void emit(std::string_view cp850);
    void deliver(const std::string& utf8);

    Sink sink_;
    std::size_t keepLimit_ = 0;
    std::string kept_;
    std::size_t lines_ = 0;
    bool onPrintedChequeLine_ = false;
    bool holding_ = false;
    std::vector<std::string> held_;
    std::size_t linesBeforeHold_ = 0;
    bool onPrintedChequeLineBeforeHold_ = false;
};

}  // namespace ecfsim
