// Reading the fields of a received record, and composing reply records and
// printed text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ecfsim/model.h"

namespace ecfsim {

using Record = std::vector<uint8_t>;
using Bytes = std::vector<uint8_t>;

// The bytes of a field; positions outside the record read as nothing.
std::string_view fieldOf(const Record& r, std::size_t pos, std::size_t width);
// A text field's content: without the blanks and NULs that fill its end.
std::string textOf(const Record& r, std::size_t pos, std::size_t width);
// A right-aligned number: blanks, then 1 to 18 digits; nothing else.
std::optional<int64_t> numberOf(const Record& r, std::size_t pos, std::size_t width);
// A number written with digits only (no blanks), as the digit fields are.
std::optional<int64_t> digitsOf(const Record& r, std::size_t pos, std::size_t width);

// 1234 -> "12,34"; 123456 -> "1.234,56".
std::string money(Money centavos);
// The last `width` decimal digits of `value`, with leading zeros.
std::string zeroPadded(uint64_t value, std::size_t width);
std::string padRight(std::string_view s, std::size_t width, char fill = ' ');
std::string padLeft(std::string_view s, std::size_t width, char fill = ' ');
// "DD/MM/YYYY" or "DD/MM/YY".
std::string dateText(const Date& d, bool fullYear = true);
// "HH:MM:SS" or "HH:MM".
std::string timeText(const DateTime& t, bool seconds = true);
// 1700 -> "17,00".
std::string rateText(uint32_t hundredths);
// 1500 thousandths -> "1,500".
std::string quantityText(int64_t thousandths);

// A reply record of fixed length, filled field by field.
class Reply {
public:
    explicit Reply(std::size_t length, uint8_t fill = ' ') : bytes_(length, fill) {}
    // Text from `pos`, cut to `width`, the rest of the field filled with `pad`.
    Reply& text(std::size_t pos, std::size_t width, std::string_view s, uint8_t pad = ' ');
    Reply& number(std::size_t pos, std::size_t width, uint64_t value);
    Reply& byte(std::size_t pos, uint8_t value);
    Bytes take() { return std::move(bytes_); }

private:
    Bytes bytes_;
};

}  // namespace ecfsim
