// The fields of every command record, as the handlers read them; the exchange
// log names them.
#include <iterator>

#include "ecfsim/register.h"

namespace ecfsim {

namespace {

constexpr bool kByte = true;
constexpr bool kText = false;

constexpr FieldInfo kHeader[] = {{"option", 2, 1, kByte}};
constexpr FieldInfo kClosing[] = {{"text", 4, 8, kText}};
constexpr FieldInfo kReading[] = {{"operator", 2, 8, kText}};
constexpr FieldInfo kSelection[] = {{"mode", 2, 1, kByte},
                                    {"from date", 3, 6, kText},
                                    {"to date", 9, 6, kText},
                                    {"from reduction", 15, 4, kText},
                                    {"to reduction", 19, 4, kText}};
constexpr FieldInfo kClock[] = {{"second", 2, 2, kText}, {"minute", 4, 2, kText},
                                {"hour", 6, 2, kText},   {"day", 9, 2, kText},
                                {"month", 11, 2, kText}, {"year", 13, 2, kText}};
constexpr FieldInfo kUserRecord[] = {
    {"text 1", 2, 8, kText}, {"text 2", 10, 4, kText}, {"text 3", 14, 1, kText}};
constexpr FieldInfo kTaxRate[] = {{"index", 2, 1, kText}, {"rate", 3, 4, kText}};
constexpr FieldInfo kProgramCode[] = {{"code", 2, 1, kByte}};
constexpr FieldInfo kTaxRateWithKind[] = {
    {"index", 2, 2, kText}, {"kind", 4, 1, kText}, {"rate", 5, 4, kText}};
constexpr FieldInfo kDocument[] = {{"index", 2, 2, kText},
                                   {"name", 4, 20, kText},
                                   {"options", 44, 5, kText},
                                   {"code", 49, 2, kText}};
constexpr FieldInfo kPaymentType[] = {{"index", 2, 2, kText}, {"name", 4, 20, kText}};
constexpr FieldInfo kCipher[] = {{"cipher code", 2, 10, kText}};
constexpr FieldInfo kAuthentication[] = {{"text", 2, 48, kText}};
constexpr FieldInfo kCompany[] = {
    {"company name", 2, 30, kText}, {"CGC", 32, 18, kText}, {"IE", 50, 15, kText}};
constexpr FieldInfo kChequeLine[] = {{"advance", 2, 1, kText}, {"text", 4, 80, kText}};
constexpr FieldInfo kCheque[] = {{"value", 2, 11, kText},     {"payee", 14, 66, kText},
                                 {"city", 80, 21, kText},     {"date", 101, 8, kText},
                                 {"extra 1", 110, 21, kText}, {"extra 2", 131, 21, kText},
                                 {"extra 3", 152, 21, kText}, {"layout", 173, 36, kText}};
constexpr FieldInfo kItemWithQuantity[] = {
    {"code", 6, 13, kText},       {"description", 20, 62, kText}, {"quantity", 82, 7, kText},
    {"unit", 90, 2, kText},       {"rounding", 101, 1, kText},    {"unit price", 102, 9, kText},
    {"tax index", 111, 2, kText}};
constexpr FieldInfo kItem[] = {
    {"description", 4, 60, kText}, {"price", 69, 9, kText}, {"tax index", 78, 2, kText}};
constexpr FieldInfo kItemOperation[] = {{"operation", 2, 1, kByte},
                                        {"percent", 4, 1, kByte},
                                        {"item", 5, 60, kText},
                                        {"value", 70, 9, kText}};
constexpr FieldInfo kCancelItem[] = {{"item number", 2, 4, kText}, {"reason", 6, 30, kText}};
constexpr FieldInfo kPayment[] = {{"operation", 2, 1, kByte}, {"instalments", 3, 1, kByte},
                                  {"type", 4, 1, kByte},      {"text", 5, 10, kText},
                                  {"code", 15, 2, kText},     {"amount", 17, 10, kText}};
constexpr FieldInfo kLongItem[] = {
    {"description", 2, 78, kText}, {"price", 80, 9, kText}, {"tax index", 89, 2, kText}};
constexpr FieldInfo kAdjustment[] = {{"kind", 2, 1, kByte},
                                     {"operation", 3, 1, kByte},
                                     {"text", 4, 22, kText},
                                     {"value", 29, 10, kText}};
// The last field is the long form's only.
constexpr FieldInfo kStoreHeader[] = {{"line 1", 2, 48, kText},    {"line 2", 50, 48, kText},
                                      {"line 3", 98, 48, kText},   {"number 1", 146, 4, kText},
                                      {"number 2", 150, 4, kText}, {"CGC", 154, 18, kText},
                                      {"IE", 172, 15, kText},      {"extra", 187, 15, kText}};
constexpr FieldInfo kNonFiscal[] = {{"document", 2, 1, kByte}};
constexpr FieldInfo kVoucher[] = {
    {"COO", 2, 6, kText}, {"payment type", 8, 2, kText}, {"value", 10, 9, kText}};
constexpr FieldInfo kIndexedQuery[] = {{"index", 2, 2, kText}};
constexpr FieldInfo kLineFeed[] = {{"station", 2, 1, kText}, {"lines", 3, 2, kText}};
constexpr FieldInfo kFreeLine[] = {{"text", 1, 48, kText}};

template <std::size_t N>
constexpr FieldList all(const FieldInfo (&fields)[N]) {
    return {fields, fields + N};
}

struct Entry {
    uint8_t code;
    FieldList fields;
};

const Entry kEntries[] = {
    {0x01, all(kHeader)},         {0x06, all(kClosing)},          {0x07, all(kClosing)},
    {0x10, all(kReading)},        {0x11, all(kReading)},          {0x13, all(kReading)},
    {0x14, all(kReading)},        {0x15, all(kSelection)},        {0x16, all(kClock)},
    {0x1B, all(kUserRecord)},     {0x20, all(kTaxRate)},          {0x21, all(kProgramCode)},
    {0x22, all(kTaxRateWithKind)}, {0x23, all(kDocument)},        {0x24, all(kPaymentType)},
    {0x26, all(kSelection)},      {0x2A, all(kCipher)},           {0x6F, all(kAuthentication)},
    {0x78, all(kCompany)},        {0xC0, all(kChequeLine)},       {0xC1, all(kCheque)},
    {0xC7, all(kClosing)},        {0xD0, all(kItemWithQuantity)}, {0xD2, all(kItem)},
    {0xD3, all(kItemOperation)},  {0xD4, all(kCancelItem)},       {0xD5, all(kPayment)},
    {0xD6, all(kLongItem)},       {0xD8, all(kPayment)},          {0xD9, all(kAdjustment)},
    {0xDA, all(kStoreHeader)},    {0xDD, all(kNonFiscal)},        {0xDE, all(kVoucher)},
    {0xE1, all(kIndexedQuery)},   {0xE2, all(kIndexedQuery)},     {0xE3, all(kIndexedQuery)},
    {0xE5, all(kIndexedQuery)},   {0xE7, all(kIndexedQuery)},     {0xEC, all(kLineFeed)},
};

}  // namespace

FieldList fieldsOf(uint8_t lead, uint8_t code) {
    if (lead == kFreeLineLead) return all(kFreeLine);
    if (lead == kCommandLead)
        for (const Entry& e : kEntries)
            if (e.code == code) return e.fields;
    return {nullptr, nullptr};
}

}  // namespace ecfsim
