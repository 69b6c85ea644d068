#include "layout.h"

#include <algorithm>
#include <cstring>

namespace ecf {

namespace {

std::string_view bytesAt(const uint8_t* p, std::size_t width) {
    return {reinterpret_cast<const char*>(p), width};
}

std::string_view withoutTrailing(std::string_view s, std::string_view what) {
    const std::size_t end = s.find_last_not_of(what);
    return end == std::string_view::npos ? s.substr(0, 0) : s.substr(0, end + 1);
}

std::string_view withoutLeading(std::string_view s, char c) {
    const std::size_t start = s.find_first_not_of(c);
    return start == std::string_view::npos ? s.substr(s.size()) : s.substr(start);
}

// A run of ASCII digits short enough for 64 bits, as a number.
std::optional<uint64_t> digitsValue(std::string_view s) {
    if (s.empty() || s.size() > 19) return std::nullopt;
    uint64_t value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value;
}

bool allBytesAre(std::string_view s, uint8_t value) {
    return std::all_of(s.begin(), s.end(),
                       [value](char c) { return static_cast<uint8_t>(c) == value; });
}

// How the bytes of a command field read back.
void decodeCommandField(const Field& f, uint8_t code, FieldValue& v) {
    const uint8_t first = static_cast<uint8_t>(v.raw[0]);
    v.text = v.raw;
    switch (f.kind) {
        case FieldKind::fixed: v.asLaidOut = allBytesAre(v.raw, f.value); break;
        case FieldKind::zeros: v.asLaidOut = allBytesAre(v.raw, 0); break;
        case FieldKind::command:
            v.number = first;
            v.asLaidOut = first == code;
            break;
        case FieldKind::text: v.text = withoutTrailing(v.raw, " "); break;
        case FieldKind::rightAligned: v.text = withoutLeading(v.raw, ' '); break;
        case FieldKind::bytes: v.text = v.raw.substr(0, v.raw.find('\0')); break;
        case FieldKind::digits: v.number = digitsValue(v.raw); break;
        case FieldKind::byte: v.number = first; break;
        case FieldKind::indexCharacter: v.number = static_cast<uint8_t>(first - '0'); break;
    }
}

}  // namespace

bool buildRecord(const Layout& layout, uint8_t* record, const Argument* arguments,
                 std::size_t count) {
    std::memset(record, 0, layout.length);
    std::size_t k = 0;
    for (const Field& f : layout.fields) {
        if (!takesArgument(f.kind)) continue;
        if (k == count) return false;
        const Argument& a = arguments[k++];
        if (a.kind != Argument::Kind::notWritten &&
            (a.kind == Argument::Kind::text) != takesText(f.kind))
            return false;
    }
    if (k != count) return false;
    k = 0;
    for (const Field& f : layout.fields)
        writeField(record, f, layout.code,
                   takesArgument(f.kind) ? arguments[k++] : Argument(kNotWritten));
    return true;
}

std::vector<FieldValue> readRecord(const Layout& layout, const uint8_t* record,
                                   std::size_t length) {
    std::vector<FieldValue> values;
    values.reserve(layout.fields.size());
    for (const Field& f : layout.fields) {
        if (std::size_t{f.position} + f.width > length) break;
        FieldValue v;
        v.name = f.name;
        v.position = f.position;
        v.raw = bytesAt(record + f.position, f.width);
        decodeCommandField(f, layout.code, v);
        values.push_back(v);
    }
    return values;
}

void appendReplyFields(std::vector<FieldValue>& out, Table<ReplyField> fields,
                       const uint8_t* reply, std::size_t length, std::size_t at,
                       unsigned group) {
    for (const ReplyField& f : fields) {
        const std::size_t position = at + f.position;
        if (position > length || f.width > length - position) break;
        FieldValue v;
        v.name = f.name;
        v.group = f.group != 0 ? f.group : group;
        v.position = position;
        v.raw = bytesAt(reply + position, f.width);
        if (f.kind == ReplyKind::byteValue)
            v.number = static_cast<uint8_t>(v.raw[0]);
        else
            v.text = withoutTrailing(v.raw, std::string_view(" \0", 2));
        out.push_back(v);
    }
}

std::vector<FieldValue> withUncoveredBytes(const std::vector<FieldValue>& fields,
                                           const uint8_t* reply, std::size_t length) {
    std::vector<FieldValue> all;
    all.reserve(fields.size() * 2 + 1);
    std::size_t next = 0;
    const auto uncovered = [&](std::size_t upTo) {
        if (upTo <= next) return;
        FieldValue v;
        v.position = next;
        v.raw = bytesAt(reply + next, upTo - next);
        v.text = v.raw;
        all.push_back(v);
    };
    for (const FieldValue& f : fields) {
        uncovered(f.position);
        all.push_back(f);
        next = std::max(next, f.position + f.raw.size());
    }
    uncovered(length);
    return all;
}

std::vector<FieldValue> readReply(const ReplyLayout& layout, const uint8_t* reply,
                                  std::size_t length) {
    std::vector<FieldValue> fields;
    fields.reserve(layout.fields.size());
    appendReplyFields(fields, layout.fields, reply, length);
    return withUncoveredBytes(fields, reply, length);
}

}  // namespace ecf
