// The X reading, the Z reduction and their managerial variants: one
// 10-byte record that differs only in the command code.
#pragma once

#include "../link/layout.h"

namespace ecf::program {

inline constexpr Field kReadingFields[] = {
    kLeadField,
    kCommandField,
    {"text", 2, 8, FieldKind::text},
};
inline constexpr Layout kLXGerencial{"ecfLXGerencial", 0x10, 10, tableOf(kReadingFields)};
inline constexpr Layout kRZGerencial{"ecfRZGerencial", 0x11, 10, tableOf(kReadingFields)};
inline constexpr Layout kReducaoZ{"ecfReducaoZ", 0x13, 10, tableOf(kReadingFields)};
inline constexpr Layout kLeituraX{"ecfLeituraX", 0x14, 10, tableOf(kReadingFields)};

}  // namespace ecf::program
