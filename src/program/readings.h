// The X reading, the Z reduction and their managerial variants: one
// 10-byte record that differs only in the command code.
#pragma once

#include <cstdint>

#include "../link/record.h"

namespace ecf::program {

constexpr uint8_t kLXGerencial = 0x10;
constexpr uint8_t kRZGerencial = 0x11;
constexpr uint8_t kReducaoZ = 0x13;
constexpr uint8_t kLeituraX = 0x14;

using ReadingRecord = Record<10>;

// f, code, 8-character text field.
inline ReadingRecord readingRecord(uint8_t code, const char* text) {
    ReadingRecord r(kLeadByte, code);
    r.text(2, 8, text);
    return r;
}

}  // namespace ecf::program
