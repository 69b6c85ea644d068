// Command records: a fixed-length byte string, zeroed first, whose fields are
// written by the field kinds below. Every record is built on the caller's
// stack.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "link.h"

namespace ecf {

constexpr uint8_t kLeadByte = 'f';
constexpr uint8_t kFreeLineLeadByte = 'n';

// A null string pointer is taken as the empty string.
inline const char* orEmpty(const char* s) { return s != nullptr ? s : ""; }

// Length of s without its NUL, looking at most `limit` bytes further.
inline std::size_t boundedLength(const char* s, std::size_t limit) {
    std::size_t n = 0;
    if (s == nullptr) return 0;
    while (n < limit && s[n] != '\0') ++n;
    return n;
}

// Text field: spaces, then the first min(L, width) bytes of s at the start.
inline void putText(uint8_t* field, std::size_t width, const char* s) {
    for (std::size_t i = 0; i < width; ++i) field[i] = ' ';
    const std::size_t n = boundedLength(s, width);
    for (std::size_t i = 0; i < n; ++i) field[i] = static_cast<uint8_t>(s[i]);
}

// Right-aligned field: spaces, then the last min(L, width) bytes of s so that
// its last byte lands on the field's last position.
void putRightAligned(uint8_t* field, std::size_t width, const char* s);

// Digit field: the `width` lowest decimal digits of value, leading zeros.
inline void putDigits(uint8_t* field, std::size_t width, uint32_t value) {
    for (std::size_t i = width; i > 0; --i) {
        field[i - 1] = static_cast<uint8_t>('0' + value % 10);
        value /= 10;
    }
}

// Bytes field: s as it stands, up to its NUL or the field's width; the rest
// of the field stays as it was.
inline void putBytes(uint8_t* field, std::size_t width, const char* s) {
    if (s == nullptr) return;
    for (std::size_t i = 0; i < width && s[i] != '\0'; ++i) field[i] = static_cast<uint8_t>(s[i]);
}

// A record's bytes, all 0x00 until its fields are written (layout.h).
template <std::size_t Length>
class Record {
public:
    const uint8_t* data() const { return bytes_.data(); }
    uint8_t* data() { return bytes_.data(); }
    static constexpr std::size_t size() { return Length; }
    const std::array<uint8_t, Length>& bytes() const { return bytes_; }

private:
    std::array<uint8_t, Length> bytes_{};
};

// Sends a command record and returns the printer's status byte or a link code.
template <std::size_t Length>
int32_t send(const Record<Length>& record) {
    static_assert(Length < 65536, "records are shorter than 64 KiB");
    return link::EnviaComando(record.data(), static_cast<uint32_t>(Length));
}

}  // namespace ecf
