// Result texts of the text forms: one module-wide buffer per text form,
// empty at load, whose address is returned on success and failure alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace ecf {

// The longest error text, "Erro: -2147483648", is 17 characters.
constexpr std::size_t kLongestErrorText = 17;

template <std::size_t LongestText>
class ResultText {
public:
    static constexpr std::size_t kCapacity =
        (LongestText > kLongestErrorText ? LongestText : kLongestErrorText) + 1;

    char* data() { return text_; }
    std::size_t length() const { return length_; }

    void clear() {
        length_ = 0;
        text_[0] = '\0';
    }

    // "Erro: %d" with the exchange result, replacing the text.
    char* error(int32_t result) {
        const int n = std::snprintf(text_, kCapacity, "Erro: %d", static_cast<int>(result));
        length_ = n > 0 ? static_cast<std::size_t>(n) : 0;
        return text_;
    }

    // Appends a reply field as a NUL-terminated string: its bytes up to its
    // last byte or its first NUL, whichever comes first.
    void appendField(const uint8_t* field, std::size_t width) {
        for (std::size_t i = 0; i < width && field[i] != 0 && length_ + 1 < kCapacity; ++i)
            text_[length_++] = static_cast<char>(field[i]);
        text_[length_] = '\0';
    }

    void appendChar(char c) {
        if (length_ + 1 >= kCapacity) return;
        text_[length_++] = c;
        text_[length_] = '\0';
    }

private:
    char text_[kCapacity] = {};
    std::size_t length_ = 0;
};

}  // namespace ecf
