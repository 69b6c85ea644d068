#include "record.h"

#include <cstring>

namespace ecf {

void putRightAligned(uint8_t* field, std::size_t width, const char* s) {
    for (std::size_t i = 0; i < width; ++i) field[i] = ' ';
    const char* text = orEmpty(s);
    const std::size_t length = std::strlen(text);
    const std::size_t n = length < width ? length : width;
    for (std::size_t i = 0; i < n; ++i)
        field[width - 1 - i] = static_cast<uint8_t>(text[length - 1 - i]);
}

}  // namespace ecf
