// Command records and frames for the simulator's tests, written byte by byte
// the way the library lays them out (the simulator shares no code with it).
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace simtest {

using Bytes = std::vector<uint8_t>;

class Rec {
public:
    // `f`, the code, and zeros up to `length`.
    Rec(uint8_t code, std::size_t length) : b_(length, 0) {
        b_[0] = 'f';
        b_[1] = code;
    }
    // Text from pos, padded with blanks to width.
    Rec& text(std::size_t pos, std::size_t width, const std::string& s) {
        for (std::size_t i = 0; i < width; ++i) b_[pos + i] = i < s.size() ? uint8_t(s[i]) : ' ';
        return *this;
    }
    // Right-aligned in width, blanks on the left.
    Rec& right(std::size_t pos, std::size_t width, const std::string& s) {
        const std::string t = s.size() > width ? s.substr(s.size() - width) : s;
        return text(pos, width, std::string(width - t.size(), ' ') + t);
    }
    Rec& byte(std::size_t pos, uint8_t v) {
        b_[pos] = v;
        return *this;
    }
    operator const Bytes&() const { return b_; }

private:
    Bytes b_;
};

inline uint8_t checksum(const Bytes& record) {
    uint8_t sum = 0x1B;
    for (uint8_t c : record) sum = uint8_t(sum + c);
    return uint8_t(-sum);
}

// ESC, the record, and the checksum unless the record starts with `n`.
// Sized once and filled in place: growing a one-byte vector by insert() trips
// GCC 12's -Warray-bounds at -O3 (a false positive).
inline Bytes frame(const Bytes& record) {
    const bool summed = record.empty() || record[0] != 'n';
    Bytes f(1 + record.size() + (summed ? 1 : 0));
    f[0] = 0x1B;
    std::copy(record.begin(), record.end(), f.begin() + 1);
    if (summed) f.back() = checksum(record);
    return f;
}

// The free text line: `n`, 48 characters, line feed.
inline Bytes freeLine(const std::string& s) {
    Bytes r(50, ' ');
    r[0] = 'n';
    for (std::size_t i = 0; i < 48 && i < s.size(); ++i) r[1 + i] = uint8_t(s[i]);
    r[49] = 0x0A;
    return r;
}

// Two digits, the way the records carry indexes and clock fields.
inline std::string two(int v) { return {char('0' + v / 10 % 10), char('0' + v % 10)}; }

// The records the tests use most, as the library builds them.
inline Bytes sellItem(const std::string& description, const std::string& price, int index) {
    return Rec(0xD2, 84).text(4, 60, description).right(69, 9, price).text(78, 2, two(index));
}
inline Bytes subtotal() { return Rec(0xD1, 3); }
inline Bytes pay(int type, const std::string& amount) {
    return Rec(0xD5, 27).byte(4, uint8_t(type)).text(5, 10, "").right(17, 10, amount);
}
inline Bytes endTransaction(const std::string& text = "") { return Rec(0x06, 12).text(4, 8, text); }
inline Bytes reading(uint8_t code, const std::string& text = "") {
    return Rec(code, 10).text(2, 8, text);
}
// A query; with an index, as two digits.
inline Bytes query(uint8_t code, int index = -1) {
    Rec r(code, 4);
    if (index >= 0) r.text(2, 2, two(index));
    return r;
}
// A fiscal memory selection by reduction number (modes 2 and 4).
inline Bytes selectByNumber(uint8_t code, uint8_t mode, int from, int to) {
    auto digits = [](int v) {
        std::string s = std::to_string(v % 10000);
        return std::string(4 - s.size(), '0') + s;
    };
    return Rec(code, 23).byte(2, mode).text(15, 4, digits(from)).text(19, 4, digits(to));
}
// By date, DDMMYY (modes 1 and 3).
inline Bytes selectByDate(uint8_t code, uint8_t mode, const std::string& from,
                          const std::string& to) {
    return Rec(code, 23).byte(2, mode).right(3, 6, from).right(9, 6, to);
}

}  // namespace simtest
