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

#include "../link/layout.h"
#include "result_text.h"

namespace ecf::status {

// The longest reply of any query (the user data).
constexpr std::size_t kLongestReply = 268;
using Reply = std::array<uint8_t, kLongestReply>;

constexpr std::size_t kQueryRecordLength = 4;
using QueryRecord = Record<kQueryRecordLength>;

// Query records: f, the query code, then the index as two digits, or two
// 0x00 for a query without index (two blanks in the change query's
// parameter form).
inline constexpr Field kIndexedQueryFields[] = {
    kLeadField,
    kCommandField,
    {"index", 2, 2, FieldKind::digits},
};
inline constexpr Field kBlankQueryFields[] = {
    kLeadField,
    kCommandField,
    {"", 2, 2, FieldKind::fixed, ' '},
};

enum class Form { text, parameter };

// The record a form sends: its layout, and the record built from it at
// compile time, with the index where the layout takes one.
struct QueryRecordLayout {
    const Layout& layout;
    QueryRecord (*build)(uint8_t index);
};

template <const Layout& L>
QueryRecord buildQueryRecord(uint8_t index) {
    static_assert(L.length == kQueryRecordLength);
    if constexpr (argumentCount(L) == 0)
        return build<L>();
    else
        return build<L>(index);
}

template <const Layout& L>
constexpr QueryRecordLayout recordOf() {
    return {L, &buildQueryRecord<L>};
}

// A query: the record of each form, the reply length each form asks for,
// and the reply's fields.
struct Query {
    QueryRecordLayout textRecord;
    QueryRecordLayout paramRecord;
    uint16_t textReplyLength;
    uint16_t paramReplyLength;
    Table<ReplyField> fields;
    // The parameter form writes its out-parameters even after a failed exchange.
    bool deliversAfterFailure = false;
};

extern const Query kPrinterStatus;
extern const Query kReceiptStatus;
extern const Query kTaxRateStatus;
extern const Query kPaymentTypeStatus;
extern const Query kDocumentStatus;
extern const Query kEquipmentStatus;
extern const Query kUserData;
extern const Query kChangeStatus;
extern const Query kLinkedStatus;

// Length of the text form's text when no unfilled position holds a NUL.
constexpr std::size_t fullTextLength(const Query& query) {
    std::size_t n = 0;
    for (const ReplyField& f : query.fields) n += f.width;
    return n;
}

// Every field lies inside the reply that both forms ask for.
constexpr bool fitsItsReply(const Query& query) {
    return query.textReplyLength <= kLongestReply && query.paramReplyLength <= kLongestReply &&
           fitsInOrder(query.fields, query.textReplyLength) &&
           fitsInOrder(query.fields, query.paramReplyLength);
}

// The record of the form, with the index if the query takes one.
QueryRecord queryRecord(const Query& query, Form form, uint8_t index);

// One exchange with the query's reply length for the form. The reply is
// cleared first, so bytes that never arrived read as NUL; after a failed
// exchange it holds NULs only.
int32_t ask(const Query& query, Form form, uint8_t index, Reply& reply);

// Replaces the NUL bytes among the first `positions` bytes of a field.
void fillBlanks(uint8_t* field, std::size_t positions, char fill);

// Hands one field of a reply to its out-parameter, filled as the parameter
// form fills it.
void deliver(const ReplyField& field, Reply& reply, char* out);

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
    for (const ReplyField& f : query.fields) {
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
