// The status queries. Each one sends a 4-byte query record (f, query code,
// two index digits or two filler bytes), reads a reply record of fixed length
// and cuts it into fields. The text form lays the fields end to end into its
// result text; the parameter form copies each field into a caller buffer.
// A query is described by a table of fields; the few queries that do more
// (the printer status rendering) build on the same pieces.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "../link/record.h"
#include "result_text.h"

namespace ecf::status {

// The longest reply of any query (the user data).
constexpr std::size_t kLongestReply = 268;
using Reply = std::array<uint8_t, kLongestReply>;

constexpr std::size_t kQueryRecordLength = 4;
using QueryRecord = Record<kQueryRecordLength>;

enum class Form { text, parameter };

// How the parameter form hands a field to its out-parameter.
enum class Delivery : uint8_t {
    whole,         // the full width as received, NULs included, then a NUL
    withoutThird,  // as whole, then the third character taken out
    appended,      // added as a string (up to its first NUL) to what the out-parameter holds
};

constexpr int8_t kNotDelivered = -1;

// One field of a reply. The filled counts are the leading positions whose
// NUL bytes become `fill` before the field is used, per form.
struct Field {
    uint16_t position;
    uint16_t width;
    int8_t out;  // index of the out-parameter, or kNotDelivered
    uint16_t textFilled = 0;
    uint16_t paramFilled = 0;
    char fill = ' ';
    Delivery delivery = Delivery::whole;
};

struct Fields {
    const Field* first = nullptr;
    std::size_t count = 0;
    constexpr const Field* begin() const { return first; }
    constexpr const Field* end() const { return first + count; }
};

template <std::size_t N>
constexpr Fields fieldsOf(const Field (&fields)[N]) {
    return {fields, N};
}

struct Query {
    uint8_t code;
    bool indexed;
    uint16_t textReplyLength;
    uint16_t paramReplyLength;
    Fields fields;
    // The parameter form sends two blanks where a query without index sends zeros.
    bool paramRecordBlank = false;
    // The parameter form writes its out-parameters even after a failed exchange.
    bool deliversAfterFailure = false;
};

// Length of the text form's text when no unfilled position holds a NUL.
constexpr std::size_t fullTextLength(const Query& query) {
    std::size_t n = 0;
    for (const Field& f : query.fields) n += f.width;
    return n;
}

// Every field lies inside the reply that both forms ask for.
constexpr bool fitsItsReply(const Query& query) {
    if (query.textReplyLength > kLongestReply || query.paramReplyLength > kLongestReply)
        return false;
    for (const Field& f : query.fields) {
        const std::size_t end = std::size_t{f.position} + f.width;
        if (end > query.textReplyLength || end > query.paramReplyLength) return false;
        if (f.textFilled > f.width || f.paramFilled > f.width) return false;
    }
    return true;
}

// f, the code, then the index as two ASCII digits (its last two decimal
// digits), or 00 00 (20 20 for a blank parameter record) without index.
QueryRecord queryRecord(const Query& query, Form form, uint8_t index);

// One exchange with the query's reply length for the form. The reply is
// cleared first, so bytes that never arrived read as NUL; after a failed
// exchange it holds NULs only.
int32_t ask(const Query& query, Form form, uint8_t index, Reply& reply);

// Replaces the NUL bytes among the first `positions` bytes of a field.
void fillBlanks(uint8_t* field, std::size_t positions, char fill);

// Hands one field of a reply to its out-parameter, filled as the parameter
// form fills it.
void deliver(const Field& field, Reply& reply, char* out);

// The parameter form: exchange, then each field into its out-parameter
// (null out-parameters are skipped). Returns the exchange result; after a
// failed exchange the out-parameters stay untouched unless the query says
// otherwise.
int32_t answerParameters(const Query& query, uint8_t index, char* const* outs,
                         std::size_t outCount);

template <std::size_t N>
int32_t answerParameters(const Query& query, uint8_t index, char* const (&outs)[N]) {
    return answerParameters(query, index, outs, N);
}

// Lays the fields of a reply end to end into a text, each filled for the
// text form and then taken up to its first NUL.
template <std::size_t Longest>
void appendFields(ResultText<Longest>& text, const Query& query, Reply& reply) {
    for (const Field& f : query.fields) {
        uint8_t* field = &reply[f.position];
        fillBlanks(field, f.textFilled, f.fill);
        text.appendField(field, f.width);
    }
}

// The text form: the result text emptied, the exchange, then either the
// error text or the fields. Always returns the same buffer.
template <std::size_t Longest>
char* answerText(ResultText<Longest>& text, const Query& query, uint8_t index) {
    text.clear();
    Reply reply;
    const int32_t result = ask(query, Form::text, index, reply);
    if (result != 0) return text.error(result);
    appendFields(text, query, reply);
    return text.data();
}

}  // namespace ecf::status
