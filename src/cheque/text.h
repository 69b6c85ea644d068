// Texts of fixed capacity for the cheque lines: appending past the capacity
// drops the excess instead of writing past the buffer. Every capacity used
// here is far above what a cheque line can hold (the printer takes 80
// characters), so the cut is never visible on paper.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ecf::cheque {

template <std::size_t Capacity>
class Text {
public:
    static constexpr std::size_t capacity() { return Capacity; }

    const char* c_str() const { return text_; }
    std::size_t length() const { return length_; }
    char operator[](std::size_t i) const { return text_[i]; }

    void clear() {
        length_ = 0;
        text_[0] = '\0';
    }

    void append(const char* s, std::size_t n) {
        for (std::size_t i = 0; i < n && length_ < Capacity; ++i) text_[length_++] = s[i];
        text_[length_] = '\0';
    }
    void append(const char* s) { append(s, std::strlen(s)); }

    template <std::size_t Other>
    void assign(const Text<Other>& other) {
        clear();
        append(other.c_str(), other.length());
    }

    // Appends c `count` times; a count of zero or less appends nothing.
    void appendRepeated(char c, std::int64_t count) {
        for (; count > 0 && length_ < Capacity; --count) text_[length_++] = c;
        text_[length_] = '\0';
    }

    // Appends c until the text is `target` characters long.
    void padTo(std::int64_t target, char c = ' ') {
        appendRepeated(c, target - static_cast<std::int64_t>(length_));
    }

private:
    char text_[Capacity + 1] = {};
    std::size_t length_ = 0;
};

}  // namespace ecf::cheque
