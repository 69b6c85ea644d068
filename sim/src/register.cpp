#include "ecfsim/register.h"

#include <algorithm>
#include <iterator>

namespace ecfsim {

namespace {

constexpr AnswerKind S = AnswerKind::statusByte;
constexpr AnswerKind R = AnswerKind::reply;

// Sorted by code.
constexpr CommandInfo kCommands[] = {
    {0x01, 3, 0, S, 0, "print header"},
    {0x06, 12, 0, S, 0, "end of transaction"},
    {0x07, 16, 0, S, 0, "cancel receipt"},
    {0x10, 10, 0, S, 0, "managerial X reading"},
    {0x11, 10, 0, S, 0, "managerial reduction"},
    {0x12, 3, 0, R, 747, "X reading over the line"},
    {0x13, 10, 0, S, 0, "Z reduction"},
    {0x14, 10, 0, S, 0, "X reading"},
    {0x15, 23, 0, AnswerKind::readOut, 0, "fiscal memory read-out"},
    {0x16, 15, 0, S, 0, "set clock"},
    {0x1B, 15, 0, S, 0, "user record"},
    {0x20, 7, 0, S, 0, "load tax rate"},
    {0x21, 3, 0, S, 0, "program code"},
    {0x22, 9, 0, S, 0, "load tax rate with kind"},
    {0x23, 51, 0, S, 0, "program non-fiscal document"},
    {0x24, 24, 0, S, 0, "program payment type"},
    {0x26, 23, 0, R, 9, "fiscal memory count"},
    {0x2A, 12, 0, S, 0, "load cipher code"},
    {0x6F, 50, 0, S, 0, "authentication"},
    {0x78, 65, 0, S, 0, "company description"},
    {0xC0, 84, 0, S, 0, "cheque line"},
    {0xC1, 209, 0, S, 0, "cheque in one record"},
    {0xC7, 12, 0, S, 0, "cancel document"},
    {0xD0, 113, 0, S, 0, "sell item with quantity"},
    {0xD1, 3, 0, S, 0, "subtotal"},
    {0xD2, 84, 0, S, 0, "sell item"},
    {0xD3, 79, 0, S, 0, "item operation"},
    {0xD4, 36, 0, S, 0, "cancel item by number"},
    {0xD5, 27, 0, S, 0, "payment"},
    {0xD6, 91, 0, S, 0, "sell item, long description"},
    {0xD8, 27, 0, S, 0, "term payment"},
    {0xD9, 39, 0, S, 0, "subtotal adjustment"},
    {0xDA, 187, 202, S, 0, "store header"},
    {0xDD, 3, 0, S, 0, "open non-fiscal receipt"},
    {0xDE, 19, 0, S, 0, "open linked voucher"},
    {0xDF, 4, 0, R, 7, "printer status"},
    {0xE0, 4, 0, R, 72, "receipt status"},
    {0xE1, 4, 0, R, 41, "tax rate status"},
    {0xE2, 4, 0, R, 47, "payment type status"},
    {0xE3, 4, 0, R, 123, "non-fiscal document status"},
    {0xE4, 4, 0, R, 52, "equipment status"},
    {0xE5, 4, 0, R, 268, "user data"},
    {0xE6, 4, 0, R, 47, "change status"},
    {0xE7, 4, 0, R, 66, "linked voucher status"},
    {0xEC, 5, 0, S, 0, "line feed"},
    {0xFA, 4, 0, S, 0, "open drawer"},
};

}  // namespace

const CommandInfo* findCommand(uint8_t code) {
    const auto* end = std::end(kCommands);
    const auto* it = std::lower_bound(std::begin(kCommands), end, code,
                                      [](const CommandInfo& c, uint8_t v) { return c.code < v; });
    return it != end && it->code == code ? it : nullptr;
}

const CommandInfo* commandsBegin() { return std::begin(kCommands); }
const CommandInfo* commandsEnd() { return std::end(kCommands); }

uint8_t checksumFor(const uint8_t* record, std::size_t length) {
    uint8_t sum = kEsc;
    for (std::size_t i = 0; i < length; ++i) sum = static_cast<uint8_t>(sum + record[i]);
    return static_cast<uint8_t>(-sum);
}

}  // namespace ecfsim
