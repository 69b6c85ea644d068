#include "fields.h"

namespace ecfsim {

std::string_view fieldOf(const Record& r, std::size_t pos, std::size_t width) {
    if (pos >= r.size()) return {};
    if (width > r.size() - pos) width = r.size() - pos;
    return {reinterpret_cast<const char*>(r.data() + pos), width};
}

std::string textOf(const Record& r, std::size_t pos, std::size_t width) {
    std::string_view f = fieldOf(r, pos, width);
    while (!f.empty() && (f.back() == ' ' || f.back() == '\0')) f.remove_suffix(1);
    return std::string(f);
}

namespace {

std::optional<int64_t> parseDigits(std::string_view f) {
    if (f.empty() || f.size() > 18) return std::nullopt;
    int64_t v = 0;
    for (char c : f) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

}  // namespace

std::optional<int64_t> numberOf(const Record& r, std::size_t pos, std::size_t width) {
    std::string_view f = fieldOf(r, pos, width);
    if (f.size() != width) return std::nullopt;
    while (!f.empty() && f.front() == ' ') f.remove_prefix(1);
    return parseDigits(f);
}

std::optional<int64_t> digitsOf(const Record& r, std::size_t pos, std::size_t width) {
    const std::string_view f = fieldOf(r, pos, width);
    if (f.size() != width) return std::nullopt;
    return parseDigits(f);
}

std::string money(Money centavos) {
    const bool negative = centavos < 0;
    uint64_t v = negative ? 0 - static_cast<uint64_t>(centavos) : static_cast<uint64_t>(centavos);
    std::string units = std::to_string(v / 100);
    std::string grouped;
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (i > 0 && (units.size() - i) % 3 == 0) grouped += '.';
        grouped += units[i];
    }
    return (negative ? "-" : "") + grouped + "," + zeroPadded(v % 100, 2);
}

std::string zeroPadded(uint64_t value, std::size_t width) {
    std::string s(width, '0');
    for (std::size_t i = width; i > 0 && value > 0; --i) {
        s[i - 1] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return s;
}

std::string padRight(std::string_view s, std::size_t width, char fill) {
    std::string out(s.substr(0, width));
    out.append(width - out.size(), fill);
    return out;
}

std::string padLeft(std::string_view s, std::size_t width, char fill) {
    if (s.size() >= width) return std::string(s.substr(s.size() - width));
    return std::string(width - s.size(), fill) + std::string(s);
}

std::string dateText(const Date& d, bool fullYear) {
    return zeroPadded(static_cast<uint64_t>(d.day), 2) + "/" +
           zeroPadded(static_cast<uint64_t>(d.month), 2) + "/" +
           zeroPadded(static_cast<uint64_t>(d.year), fullYear ? 4 : 2);
}

std::string timeText(const DateTime& t, bool seconds) {
    std::string s = zeroPadded(static_cast<uint64_t>(t.hour), 2) + ":" +
                    zeroPadded(static_cast<uint64_t>(t.minute), 2);
    if (seconds) s += ":" + zeroPadded(static_cast<uint64_t>(t.second), 2);
    return s;
}

std::string rateText(uint32_t hundredths) {
    return std::to_string(hundredths / 100) + "," + zeroPadded(hundredths % 100, 2);
}

std::string quantityText(int64_t thousandths) {
    return std::to_string(thousandths / 1000) + "," +
           zeroPadded(static_cast<uint64_t>(thousandths % 1000), 3);
}

Reply& Reply::text(std::size_t pos, std::size_t width, std::string_view s, uint8_t pad) {
    for (std::size_t i = 0; i < width && pos + i < bytes_.size(); ++i)
        bytes_[pos + i] = i < s.size() ? static_cast<uint8_t>(s[i]) : pad;
    return *this;
}

Reply& Reply::number(std::size_t pos, std::size_t width, uint64_t value) {
    return text(pos, width, zeroPadded(value, width));
}

Reply& Reply::byte(std::size_t pos, uint8_t value) {
    if (pos < bytes_.size()) bytes_[pos] = value;
    return *this;
}

}  // namespace ecfsim
