// The records of the cheque commands: one cheque line (0xC0), and a whole
// cheque for the second cheque printer (0xC1).
#pragma once

#include <cstdint>

#include "../link/record.h"

namespace ecf::cheque {

constexpr uint8_t kLinhaCheque = 0xC0;
constexpr uint8_t kChequeKorvan = 0xC1;

using LinhaChequeRecord = Record<84>;
using ChequeKorvanRecord = Record<209>;

// f, 0xC0, the advance's last decimal digit, 0x00, the text in 80 columns.
inline LinhaChequeRecord linhaChequeRecord(uint32_t avanco, const char* texto) {
    LinhaChequeRecord r(kLeadByte, kLinhaCheque);
    r.byte(2, static_cast<uint8_t>('0' + avanco % 10));
    r.byte(3, 0x00);
    r.text(4, 80, texto);
    return r;
}

// The date field takes the first 8 bytes of the date as they stand; a
// shorter date is copied up to its NUL and the rest of the field stays 0x00,
// so that nothing past the caller's string is ever read.
inline void putDate(uint8_t* field, const char* date) {
    const std::size_t n = boundedLength(date, 8);
    for (std::size_t i = 0; i < n; ++i) field[i] = static_cast<uint8_t>(date[i]);
}

// f, 0xC1, value (11, right-aligned), 0x00, payee (66), city (21), date (8),
// a space, three extra texts (21 each), the bank's 36-digit layout row.
inline ChequeKorvanRecord chequeKorvanRecord(const char* value, const char* payee,
                                             const char* city, const char* date,
                                             const char* extra1, const char* extra2,
                                             const char* extra3, const char* layout) {
    ChequeKorvanRecord r(kLeadByte, kChequeKorvan);
    r.rightAligned(2, 11, value);
    r.byte(13, 0x00);
    r.text(14, 66, payee);
    r.text(80, 21, city);
    putDate(r.data() + 101, date);
    r.byte(109, ' ');
    r.text(110, 21, extra1);
    r.text(131, 21, extra2);
    r.text(152, 21, extra3);
    for (std::size_t i = 0; i < 36; ++i) r.byte(173 + i, static_cast<uint8_t>(layout[i]));
    return r;
}

}  // namespace ecf::cheque
