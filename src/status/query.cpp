#include "query.h"

#include <cassert>

namespace ecf::status {

namespace {

uint16_t replyLengthFor(const Query& query, Form form) {
    return form == Form::text ? query.textReplyLength : query.paramReplyLength;
}

// Length of the string in a field: up to its first NUL or its width.
std::size_t stringLength(const uint8_t* field, std::size_t width) {
    std::size_t n = 0;
    while (n < width && field[n] != 0) ++n;
    return n;
}

void copyWhole(const uint8_t* field, std::size_t width, char* out) {
    for (std::size_t i = 0; i < width; ++i) out[i] = static_cast<char>(field[i]);
    out[width] = '\0';
}

// The out-parameter already holds the field as copied whole; the fourth
// character onwards moves one place forward over the third.
void dropThird(std::size_t width, char* out) {
    if (width < 3) return;
    for (std::size_t i = 2; i + 1 < width; ++i) out[i] = out[i + 1];
    out[width - 1] = '\0';
}

// The joined fields were written by this query, so the out-parameter holds
// a string of at most as many characters as the fields before this one.
void appendString(const uint8_t* field, std::size_t width, char* out) {
    std::size_t end = 0;
    while (out[end] != '\0') ++end;
    const std::size_t n = stringLength(field, width);
    for (std::size_t i = 0; i < n; ++i) out[end + i] = static_cast<char>(field[i]);
    out[end + n] = '\0';
}

}  // namespace

QueryRecord queryRecord(const Query& query, Form form, uint8_t index) {
    return (form == Form::text ? query.textRecord : query.paramRecord).build(index);
}

int32_t ask(const Query& query, Form form, uint8_t index, Reply& reply) {
    reply.fill(0);
    const uint16_t length = replyLengthFor(query, form);
    assert(length > 1 && length <= reply.size());
    const QueryRecord record = queryRecord(query, form, index);
    const int32_t result =
        link::ComunicaECF(record.data(), static_cast<uint32_t>(record.size()), reply.data(), length);
    // A read that failed part-way may have left a few bytes: they are no reply.
    if (result != 0) reply.fill(0);
    return result;
}

void fillBlanks(uint8_t* field, std::size_t positions, char fill) {
    for (std::size_t i = 0; i < positions; ++i)
        if (field[i] == 0) field[i] = static_cast<uint8_t>(fill);
}

void deliver(const ReplyField& field, Reply& reply, char* out) {
    uint8_t* bytes = &reply[field.position];
    switch (field.delivery) {
        case Delivery::whole:
            copyWhole(bytes, field.width, out);
            fillBlanks(reinterpret_cast<uint8_t*>(out), field.paramFilled, field.fill);
            break;
        case Delivery::withoutThird:
            copyWhole(bytes, field.width, out);
            fillBlanks(reinterpret_cast<uint8_t*>(out), field.paramFilled, field.fill);
            dropThird(field.width, out);
            break;
        case Delivery::appended:
            fillBlanks(bytes, field.paramFilled, field.fill);
            appendString(bytes, field.width, out);
            break;
    }
}

int32_t answerParameters(const Query& query, uint8_t index, char* const* outs,
                         std::size_t outCount) {
    Reply reply;
    const int32_t result = ask(query, Form::parameter, index, reply);
    if (result != 0 && !query.deliversAfterFailure) return result;
    for (const ReplyField& f : query.fields) {
        if (f.out < 0 || static_cast<std::size_t>(f.out) >= outCount) continue;
        if (char* out = outs[f.out]; out != nullptr) deliver(f, reply, out);
    }
    return result;
}

}  // namespace ecf::status
