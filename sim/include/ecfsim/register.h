// The printer's command register: for every command code, the length of its
// record (lead byte to last field, without ESC and checksum) and how the
// printer answers it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ecfsim {

constexpr uint8_t kEsc = 0x1B;
constexpr uint8_t kCommandLead = 'f';
constexpr uint8_t kFreeLineLead = 'n';
// A free text line: the lead byte `n`, 48 characters and a line feed; no
// command code and no checksum byte.
constexpr std::size_t kFreeLineLength = 50;

enum class AnswerKind {
    statusByte,  // one status byte
    reply,       // a reply record of `replyLength` bytes
    readOut,     // 0x15: a status byte in modes 1 and 2, a reply sized by the selection otherwise
};

struct CommandInfo {
    uint8_t code;
    uint16_t length;      // record length
    uint16_t longLength;  // a second, longer form sharing the code (0xDA), else 0
    AnswerKind answer;
    uint16_t replyLength;  // for AnswerKind::reply
    const char* name;
};

// The entry of a command code, or nullptr for a code the printer does not know.
const CommandInfo* findCommand(uint8_t code);

// Every known command, in code order (for tests and the documentation).
const CommandInfo* commandsBegin();
const CommandInfo* commandsEnd();

// A field of a command record, by the name the printer gives it: a run of
// characters, or one byte taken as a number.
struct FieldInfo {
    const char* name;
    uint16_t pos;
    uint16_t width;
    bool byteValue;  // one byte read as a number (a mode, an operation, an index)
};

struct FieldList {
    const FieldInfo* begin;
    const FieldInfo* end;
};

// The fields of a command record (lead byte `f` and `code`); of a free text
// line with kFreeLineLead. Empty for a code the printer does not know, and
// for records that carry nothing but their code.
FieldList fieldsOf(uint8_t lead, uint8_t code);

// The checksum byte that makes ESC, the record and the checksum sum to 0 modulo 256.
uint8_t checksumFor(const uint8_t* record, std::size_t length);

}  // namespace ecfsim
