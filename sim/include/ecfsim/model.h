// What the printer knows: its tables, counters, day totals, the document in
// progress and the fiscal memory. Money is kept in integer centavos.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ecfsim {

using Money = int64_t;  // centavos

struct Date {
    int year = 0;  // four digits; 0 for "no date"
    int month = 0;
    int day = 0;
    bool empty() const { return year == 0; }
};

struct DateTime {
    Date date;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Days since 1970-01-01 of a civil date.
int64_t dayNumber(const Date& d);
bool isValidDate(const Date& d);
bool operator==(const Date& a, const Date& b);
bool operator<(const Date& a, const Date& b);
// A host time_t (seconds since the epoch) in local time, and back.
DateTime localDateTime(int64_t secondsSinceEpoch);
int64_t secondsOf(const DateTime& t);

// Receipt and document states, in the order the printer status reports them.
enum class DocState : uint8_t {
    idle = 0,
    receiptOpen = 1,   // items are being sold
    subtotalled = 2,   // subtotal asked: adjustments and payments may follow
    paying = 3,        // payments registered, not yet enough
    paid = 4,          // fully paid: the end of transaction closes it
    nonFiscal = 5,     // a non-fiscal receipt is open
    linkedVoucher = 6, // a voucher linked to a payment is open
};
const char* nameOf(DocState s);

constexpr int kTaxRates = 10;      // indexes 1..10
constexpr int kPaymentTypes = 10;  // indexes 1..10
constexpr int kNonFiscalDocuments = 10;
constexpr int kTaxSubstitution = 17;  // F: tax already collected
constexpr int kTaxExempt = 18;        // I: exempt
constexpr int kTaxNotLevied = 19;     // N: not levied
constexpr std::size_t kMaxOwners = 20;
constexpr std::size_t kMaxReductions = 9999;
constexpr int kCashPaymentType = 1;  // the only type that gives change
constexpr std::size_t kMaxItems = 999;    // per receipt
constexpr std::size_t kMaxPayments = 99;  // per receipt, cancelled ones included

// `hundredths` hundredths of a percent of an amount, truncated, without overflow.
inline Money percentOf(Money amount, uint32_t hundredths) {
    return amount / 10000 * hundredths + amount % 10000 * hundredths / 10000;
}

struct TaxRate {
    bool programmed = false;
    char kind = 'T';    // T: ICMS on goods, S: ISS on services
    uint32_t rate = 0;  // hundredths of a percent: 1700 is 17,00 %
    Money dayTotal = 0; // sold at this rate since the last Z, net of item discounts
};

struct PaymentType {
    bool programmed = false;
    std::string name;
    Money dayTotal = 0;    // since the last Z (cash net of change)
    Money shiftTotal = 0;  // since the last managerial reduction
    uint32_t dayVouchers = 0;  // linked vouchers issued since the last Z
};

struct NonFiscalDocument {
    bool programmed = false;
    std::string name;
    std::string flags = "     ";  // five one-character options, as programmed
    std::string code = "  ";      // a two-character code, as programmed
    uint32_t dayCount = 0;        // issued since the last Z
    uint32_t dayCancelled = 0;
    uint32_t shiftCount = 0;      // issued since the last managerial reduction
    uint64_t totalCount = 0;      // issued since installation
    uint64_t totalCancelled = 0;  // cancelled since installation
    uint32_t lastCoo = 0;         // COO of the last one issued
};

struct Item {
    uint32_t number = 0;  // 1-based position on the receipt
    std::string code;
    std::string description;
    std::string unit;
    int64_t quantity = 1000;  // thousandths
    Money unitPrice = 0;
    Money total = 0;  // quantity x unit price, truncated to the centavo
    int taxIndex = 0;
    Money discount = 0;
    bool cancelled = false;
};

struct Payment {
    int type = 0;
    Money amount = 0;
    bool term = false;  // a term (credit) payment
    std::string text;
    bool cancelled = false;
    Money linked = 0;  // part already covered by linked vouchers
};

struct Receipt {
    uint32_t coo = 0;
    uint32_t ccf = 0;
    DateTime opened;
    std::vector<Item> items;
    Money subtotalDiscount = 0;
    Money subtotalSurcharge = 0;
    std::vector<Payment> payments;
    bool cancelled = false;

    Money gross() const;         // items sold, before discounts
    Money itemDiscounts() const;
    Money due() const;           // what the customer pays
    Money paid() const;
    Money change() const;        // paid beyond what is due
    std::size_t liveItems() const;
};

// The non-fiscal receipt or linked voucher in progress.
struct OpenDocument {
    int index = 0;  // non-fiscal document index, or the voucher's payment type
    uint32_t coo = 0;
    uint32_t linkedCoo = 0;
    Money amount = 0;
    uint32_t lines = 0;
};

struct Owner {
    std::string cgc;  // 18 characters, as programmed
    std::string ie;   // 15 characters
    std::string name; // company name
    DateTime start;
    bool ended = false;
    DateTime end;
};

struct Reduction {
    uint32_t number = 0;
    uint32_t restart = 0;
    DateTime when;
    Money total = 0;  // the day's gross sales
};

struct Header {
    std::array<std::string, 3> lines;
    uint32_t number1 = 0;
    uint32_t number2 = 0;
    std::string cgc;
    std::string ie;
    std::string extra;  // the fourth text of the long form
};

struct Counters {
    uint32_t coo = 0;  // every document printed
    uint32_t ccf = 0;  // fiscal receipts
    uint32_t gnf = 0;  // non-fiscal operations (readings, non-fiscal receipts)
    uint32_t cdc = 0;  // linked vouchers
    uint32_t crz = 0;  // Z reductions
    uint32_t cro = 1;  // restarts (technical interventions)
    uint32_t cfc = 0;  // cancelled fiscal receipts
    uint32_t managerialReductions = 0;
    uint32_t authentications = 0;
    uint32_t drawerOpenings = 0;
};

struct DayTotals {
    Date opened;  // date of the day's first movement; empty while there is none
    Money gross = 0;
    Money itemDiscounts = 0;
    Money subtotalDiscounts = 0;
    Money subtotalSurcharges = 0;
    Money cancelledItems = 0;
    Money cancelledReceipts = 0;
    Money net = 0;  // receipts closed minus receipts cancelled
    Money change = 0;
    Money substitution = 0;  // items at index 17 (F)
    Money exempt = 0;        // index 18 (I)
    Money notLevied = 0;     // index 19 (N)
    Money linkedVouchers = 0;
    uint32_t receipts = 0;
    uint32_t cancelledReceiptCount = 0;
    uint32_t nonFiscalDocuments = 0;
    uint32_t itemsSold = 0;
    uint32_t firstCoo = 0;
    uint32_t lastCoo = 0;

    bool hasMovement() const { return !opened.empty(); }
};

struct Equipment {
    std::string serial = "SIM00000001";
    std::string model = "ECF-SIM 48";
    std::string firmware = "01.00";
    DateTime installed;
};

struct Model {
    Equipment equipment;
    Header header;
    std::string companyName;
    std::array<TaxRate, kTaxRates> taxRates{};
    std::array<PaymentType, kPaymentTypes> paymentTypes{};
    std::array<NonFiscalDocument, kNonFiscalDocuments> documents{};
    Counters counters;
    DayTotals day;
    Money grandTotal = 0;  // only grows
    Date lastReductionDate;

    DocState state = DocState::idle;
    Receipt receipt;      // the receipt in progress
    Receipt lastReceipt;  // the last receipt closed (for cancelling and vouchers)
    uint32_t lastDocumentCoo = 0;  // COO of the last document of any kind
    uint32_t lastVoucherCoo = 0;   // COO of the last linked voucher
    OpenDocument document;

    std::vector<Owner> owners;          // fiscal memory: owners, oldest first
    std::vector<Reduction> reductions;  // fiscal memory: Z reductions, oldest first

    int64_t clockOffset = 0;  // seconds added to the host clock
    uint8_t lastStatus = 0;   // the status byte of the last command
    bool drawerOpen = false;
    std::string cipherCode;
    uint8_t programCode = 0;
    std::array<std::string, 3> userRecord;  // the three texts of the user record

    const Owner& currentOwner() const { return owners.back(); }
};

// Clears the day: its totals and the tables' figures of the day, as a Z
// reduction leaves them for the next day.
void clearDay(Model& m);

// A printer as installed at a shop on `installed`: one owner, default tax
// rates, payment types and non-fiscal documents, the clock on the host's.
Model freshModel(const DateTime& installed);

// The default owner of a fresh printer.
inline constexpr const char* kDefaultCgc = "11.222.333/0001-81";
inline constexpr const char* kDefaultIe = "110.042.490.114";

}  // namespace ecfsim
