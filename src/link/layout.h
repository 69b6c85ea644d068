// Record layouts as data. A command record's layout is a table that lists
// every position of the record, in order, as the layout is written down: the
// lead byte, the command code, the fixed bytes and zero runs, and the fields
// that carry the export's arguments. The same table builds the record and
// names its fields when a record is read back. A reply's layout is a table of
// its fields, which also says how the text form and the parameter form of a
// query hand each field over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "record.h"

namespace ecf {

// A constant table: its rows and how many.
template <typename Row>
struct Table {
    const Row* first = nullptr;
    std::size_t count = 0;
    constexpr const Row* begin() const { return first; }
    constexpr const Row* end() const { return first + count; }
    constexpr std::size_t size() const { return count; }
    constexpr const Row& operator[](std::size_t i) const { return first[i]; }
    // The first n rows: the layout of a shorter form of the same record.
    constexpr Table prefix(std::size_t n) const { return {first, n < count ? n : count}; }
};

template <typename Row, std::size_t N>
constexpr Table<Row> tableOf(const Row (&rows)[N]) {
    return {rows, N};
}

// --- Command records --------------------------------------------------------

enum class FieldKind : uint8_t {
    fixed,           // a constant byte over the whole width (the lead byte, blanks, ',')
    zeros,           // 0x00 over the whole width
    command,         // the command code of the layout
    // The kinds below take one argument each, a string:
    text,            // left-aligned, blank-filled, cut at its end
    rightAligned,    // right-aligned, blank-filled, cut at its beginning
    bytes,           // copied as it stands up to its NUL; the rest stays 0x00
    // ... or a number:
    digits,          // its lowest decimal digits, leading zeros
    byte,            // its low 8 bits, as they are
    indexCharacter,  // itself plus '0', modulo 256
};

constexpr bool takesArgument(FieldKind k) { return k >= FieldKind::text; }
constexpr bool takesText(FieldKind k) {
    return k == FieldKind::text || k == FieldKind::rightAligned || k == FieldKind::bytes;
}

struct Field {
    const char* name;  // "" for bytes that carry no argument
    uint16_t position;
    uint16_t width;
    FieldKind kind;
    uint8_t value = 0;  // the byte of a fixed field
};

constexpr Field kLeadField{"lead", 0, 1, FieldKind::fixed, kLeadByte};
constexpr Field kFreeLineLeadField{"lead", 0, 1, FieldKind::fixed, kFreeLineLeadByte};
constexpr Field kCommandField{"command", 1, 1, FieldKind::command};

// A record of the code alone, zeros up to its length.
template <uint16_t Length>
inline constexpr Field kCodeOnlyFields[] = {
    kLeadField,
    kCommandField,
    {"", 2, Length - 2, FieldKind::zeros},
};

// A command record: its code, its length and its fields. Several codes may
// share one table of fields, and a shorter form may use the first rows of a
// longer one's.
struct Layout {
    const char* senders;  // the exports that send the record
    uint8_t code;         // unused by the free line, which has none
    uint16_t length;
    Table<Field> fields;
};

// Every position of the record lies in exactly one field, in table order.
constexpr bool coversEveryPosition(const Layout& layout) {
    std::size_t next = 0;
    for (const Field& f : layout.fields) {
        if (f.position != next || f.width == 0) return false;
        if (f.kind == FieldKind::command && (f.position != 1 || f.width != 1)) return false;
        next += f.width;
    }
    return next == layout.length;
}

constexpr std::size_t argumentCount(const Layout& layout) {
    std::size_t n = 0;
    for (const Field& f : layout.fields) n += takesArgument(f.kind) ? 1 : 0;
    return n;
}

// Leaves an argument's field as the zeroed record has it.
struct NotWritten {};
constexpr NotWritten kNotWritten{};

// One argument of a record: a string, a number (read as unsigned 32 bits: a
// signed byte is first extended with its sign) or nothing.
struct Argument {
    enum class Kind : uint8_t { text, number, notWritten };

    constexpr Argument(const char* s) : text(s), kind(Kind::text) {}
    template <typename Number, std::enable_if_t<std::is_integral_v<Number>, int> = 0>
    constexpr Argument(Number n) : number(static_cast<uint32_t>(n)), kind(Kind::number) {}
    constexpr Argument(NotWritten) : kind(Kind::notWritten) {}

    const char* text = nullptr;
    uint32_t number = 0;
    Kind kind;
};

// Writes a string into a field of kind K.
template <FieldKind K>
void putString(uint8_t* at, std::size_t width, const char* s) {
    static_assert(takesText(K));
    if constexpr (K == FieldKind::text) putText(at, width, s);
    if constexpr (K == FieldKind::rightAligned) putRightAligned(at, width, s);
    if constexpr (K == FieldKind::bytes) putBytes(at, width, s);
}

// Writes a number into a field of kind K.
template <FieldKind K>
void putNumber(uint8_t* at, std::size_t width, uint32_t n) {
    static_assert(takesArgument(K) && !takesText(K));
    if constexpr (K == FieldKind::digits) putDigits(at, width, n);
    if constexpr (K == FieldKind::byte) *at = static_cast<uint8_t>(n);
    if constexpr (K == FieldKind::indexCharacter) *at = static_cast<uint8_t>(n + '0');
}

// Writes a fixed field or the code; leaves zeros alone.
inline void putConstant(uint8_t* record, const Field& f, uint8_t code) {
    if (f.kind == FieldKind::fixed)
        for (std::size_t i = 0; i < f.width; ++i) record[f.position + i] = f.value;
    if (f.kind == FieldKind::command) record[f.position] = code;
}

// Writes one field into a zeroed record, its kind known at run time only. An
// argument of the other sort (a number for a string field) writes nothing.
inline void writeField(uint8_t* record, const Field& f, uint8_t code, const Argument& a) {
    uint8_t* at = record + f.position;
    if (!takesArgument(f.kind)) {
        putConstant(record, f, code);
    } else if (a.kind == Argument::Kind::text) {
        switch (f.kind) {
            case FieldKind::text: putString<FieldKind::text>(at, f.width, a.text); break;
            case FieldKind::rightAligned:
                putString<FieldKind::rightAligned>(at, f.width, a.text);
                break;
            case FieldKind::bytes: putString<FieldKind::bytes>(at, f.width, a.text); break;
            default: break;
        }
    } else if (a.kind == Argument::Kind::number) {
        switch (f.kind) {
            case FieldKind::digits: putNumber<FieldKind::digits>(at, f.width, a.number); break;
            case FieldKind::byte: putNumber<FieldKind::byte>(at, f.width, a.number); break;
            case FieldKind::indexCharacter:
                putNumber<FieldKind::indexCharacter>(at, f.width, a.number);
                break;
            default: break;
        }
    }
}

namespace detail {

template <typename Arg>
constexpr Argument::Kind argumentKindOf() {
    using A = std::decay_t<Arg>;
    if constexpr (std::is_same_v<A, NotWritten>) return Argument::Kind::notWritten;
    else if constexpr (std::is_integral_v<A>) return Argument::Kind::number;
    else return Argument::Kind::text;
}

// One argument per field that takes one: a string for a string field, a
// number for a number field, or kNotWritten for either.
template <const Layout& L, typename... Args>
constexpr bool argumentsFit() {
    constexpr Argument::Kind given[] = {argumentKindOf<Args>()..., Argument::Kind::notWritten};
    std::size_t k = 0;
    for (const Field& f : L.fields) {
        if (!takesArgument(f.kind)) continue;
        if (k == sizeof...(Args)) return false;
        const Argument::Kind g = given[k++];
        if (g != Argument::Kind::notWritten && (g == Argument::Kind::text) != takesText(f.kind))
            return false;
    }
    return k == sizeof...(Args);
}

template <const Layout& L, std::size_t I>
constexpr std::size_t argumentIndex() {
    std::size_t n = 0;
    for (std::size_t i = 0; i < I; ++i) n += takesArgument(L.fields[i].kind) ? 1 : 0;
    return n;
}

// Field I of the layout, its kind and place known at compile time.
template <const Layout& L, std::size_t I, typename Arguments>
void writeField(uint8_t* record, const Arguments& arguments) {
    constexpr Field f = L.fields[I];
    if constexpr (!takesArgument(f.kind)) {
        putConstant(record, f, L.code);
    } else {
        const auto& a = std::get<argumentIndex<L, I>()>(arguments);
        using A = std::decay_t<decltype(a)>;
        if constexpr (std::is_integral_v<A>)
            putNumber<f.kind>(record + f.position, f.width, static_cast<uint32_t>(a));
        else if constexpr (!std::is_same_v<A, NotWritten>)
            putString<f.kind>(record + f.position, f.width, a);
    }
}

template <const Layout& L, typename Arguments, std::size_t... I>
void writeFields(uint8_t* record, const Arguments& arguments, std::index_sequence<I...>) {
    (writeField<L, I>(record, arguments), ...);
}

}  // namespace detail

// Builds the record of a layout known at compile time from the arguments of
// its fields in table order; the table is walked at compile time, so this is
// as quick as writing each field by hand.
template <const Layout& L, typename... Args>
Record<L.length> build(const Args&... args) {
    static_assert(coversEveryPosition(L), "the fields cover every position of the record once");
    static_assert(detail::argumentsFit<L, Args...>(),
                  "one argument per field that takes one, a string or a number as the field's kind");
    Record<L.length> record;
    detail::writeFields<L>(record.data(), std::forward_as_tuple(args...),
                           std::make_index_sequence<L.fields.size()>{});
    return record;
}

// The same for a layout chosen at run time: `record` receives layout.length
// bytes. False, with the record all zeros, when the arguments do not fit.
bool buildRecord(const Layout& layout, uint8_t* record, const Argument* arguments,
                 std::size_t count);

// --- Replies ---------------------------------------------------------------

enum class ReplyKind : uint8_t {
    characters,  // taken as characters, as the printer sends them
    byteValue,   // one byte taken as a number
};

// How the parameter form of a query hands a field to its out-parameter.
enum class Delivery : uint8_t {
    whole,         // the full width as received, NULs included, then a NUL
    withoutThird,  // as whole, then the third character taken out
    appended,      // added as a string (up to its first NUL) to what the out-parameter holds
};

constexpr int8_t kNotDelivered = -1;

// One field of a reply. For the status queries: the out-parameter it goes to
// and how many leading positions have their NUL bytes replaced by `fill`
// before the text form (textFilled) or the parameter form (paramFilled) uses
// it. A field of a repeated group (a block of the X reading, an entry of the
// fiscal memory) carries the group's number, from 1.
struct ReplyField {
    const char* name;
    uint16_t position;
    uint16_t width;
    int8_t out = kNotDelivered;
    uint16_t textFilled = 0;
    uint16_t paramFilled = 0;
    char fill = ' ';
    Delivery delivery = Delivery::whole;
    ReplyKind kind = ReplyKind::characters;
    uint8_t group = 0;
};

// A byte of a reply taken as a number, handed to out-parameter `out`.
constexpr ReplyField byteValue(const char* name, uint16_t position, int8_t out) {
    ReplyField f{name, position, 1, out};
    f.kind = ReplyKind::byteValue;
    return f;
}

struct ReplyLayout {
    const char* senders;  // the exports that ask for it
    uint8_t code;         // the command that asks for it
    uint16_t length;
    Table<ReplyField> fields;  // in reply order
};

// Every field lies inside the reply, after the one before it.
constexpr bool fitsInOrder(Table<ReplyField> fields, std::size_t length) {
    std::size_t next = 0;
    for (const ReplyField& f : fields) {
        if (f.position < next || f.width == 0) return false;
        next = std::size_t{f.position} + f.width;
        if (f.textFilled > f.width || f.paramFilled > f.width) return false;
    }
    return next <= length;
}

// --- Reading records and replies back ---------------------------------------

// One field as read from a record or a reply.
struct FieldValue {
    std::string_view name;  // "" for fixed bytes, zeros and bytes no reply field covers
    unsigned group = 0;
    std::size_t position = 0;
    std::string_view raw;   // the field's bytes
    // Text fields without their trailing blanks (right-aligned ones without
    // their leading blanks), reply fields up to their trailing blanks and NULs.
    std::string_view text;
    std::optional<uint64_t> number;  // digit, byte and index fields; reply byte values
    bool asLaidOut = true;  // false where a fixed byte or the code is not the layout's
};

// The fields of a record as its layout names them; only fields that lie
// wholly inside `length` bytes.
std::vector<FieldValue> readRecord(const Layout& layout, const uint8_t* record,
                                   std::size_t length);

// The fields of a reply, shifted by `at` and numbered `group`, that lie wholly
// inside `length` bytes, appended to `out`.
void appendReplyFields(std::vector<FieldValue>& out, Table<ReplyField> fields,
                       const uint8_t* reply, std::size_t length, std::size_t at = 0,
                       unsigned group = 0);

// The fields read so far (in reply order) with unnamed pieces for the bytes
// between them and after them that no field covers.
std::vector<FieldValue> withUncoveredBytes(const std::vector<FieldValue>& fields,
                                           const uint8_t* reply, std::size_t length);

std::vector<FieldValue> readReply(const ReplyLayout& layout, const uint8_t* reply,
                                  std::size_t length);

// --- The register of layouts --------------------------------------------------

// Every command record the library sends, the free line included.
Table<const Layout*> commandLayouts();

// The first layout registered for a code and a record length, or null.
const Layout* layoutFor(uint8_t code, std::size_t length);

// The layout of a record as it stands: the free line by its lead byte,
// otherwise by code and length, preferring the layout whose fixed bytes the
// record holds (the change query's two forms share code and length). Null
// when none fits.
const Layout* layoutOf(const uint8_t* record, std::size_t length);

// Every reply of fixed layout: the status queries (both of the equipment
// query's lengths), the X reading over the line, the fiscal memory count.
std::vector<ReplyLayout> replyLayouts();

std::optional<ReplyLayout> replyLayoutFor(uint8_t code, std::size_t length);

}  // namespace ecf
