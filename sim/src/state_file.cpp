#include "ecfsim/state_file.h"

#include "ecfsim/paper.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

namespace ecfsim {

using nlohmann::json;

NLOHMANN_JSON_SERIALIZE_ENUM(DocState, {{DocState::idle, "idle"},
                                        {DocState::receiptOpen, "receiptOpen"},
                                        {DocState::subtotalled, "subtotalled"},
                                        {DocState::paying, "paying"},
                                        {DocState::paid, "paid"},
                                        {DocState::nonFiscal, "nonFiscal"},
                                        {DocState::linkedVoucher, "linkedVoucher"}})

NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Date, year, month, day)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(DateTime, date, hour, minute, second)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(TaxRate, programmed, kind, rate, dayTotal)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(PaymentType, programmed, name, dayTotal,
                                                shiftTotal, dayVouchers)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(NonFiscalDocument, programmed, name, flags, code,
                                                dayCount, dayCancelled, shiftCount, totalCount,
                                                totalCancelled, lastCoo)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Item, number, code, description, unit, quantity,
                                                unitPrice, total, taxIndex, discount, cancelled)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Payment, type, amount, term, text, cancelled,
                                                linked)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Receipt, coo, ccf, opened, items,
                                                subtotalDiscount, subtotalSurcharge, payments,
                                                cancelled)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(OpenDocument, index, coo, linkedCoo, amount, lines)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Owner, cgc, ie, name, start, ended, end)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Reduction, number, restart, when, total)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Header, lines, number1, number2, cgc, ie, extra)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Counters, coo, ccf, gnf, cdc, crz, cro, cfc,
                                                managerialReductions, authentications,
                                                drawerOpenings)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(DayTotals, opened, gross, itemDiscounts,
                                                subtotalDiscounts, subtotalSurcharges,
                                                cancelledItems, cancelledReceipts, net, change,
                                                substitution, exempt, notLevied, linkedVouchers,
                                                receipts, cancelledReceiptCount,
                                                nonFiscalDocuments, itemsSold, firstCoo, lastCoo)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Equipment, serial, model, firmware, installed)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Model, equipment, header, companyName, taxRates,
                                                paymentTypes, documents, counters, day,
                                                grandTotal, lastReductionDate, state, receipt,
                                                lastReceipt, lastDocumentCoo, lastVoucherCoo, document, owners,
                                                reductions, clockOffset, lastStatus, drawerOpen,
                                                cipherCode, programCode, userRecord)

namespace {

constexpr const char* kFormat = "ecf-sim state";
constexpr int kVersion = 1;

// What the firmware relies on; a file that breaks it is refused.
void checkConsistent(const Model& m) {
    if (m.owners.empty() || m.owners.size() > kMaxOwners)
        throw StateFileError("the fiscal memory must hold 1 to 20 owners");
    // A century either way keeps the clock's arithmetic in range.
    constexpr int64_t kCentury = 100LL * 366 * 24 * 3600;
    if (m.clockOffset > kCentury || m.clockOffset < -kCentury)
        throw StateFileError("the clock offset is more than a century");
    if (m.receipt.items.size() > kMaxItems || m.receipt.payments.size() > kMaxPayments ||
        m.lastReceipt.items.size() > kMaxItems || m.lastReceipt.payments.size() > kMaxPayments)
        throw StateFileError("a receipt holds more items or payments than the printer takes");
    if (m.reductions.size() > kMaxReductions)
        throw StateFileError("the fiscal memory holds more than 9999 reductions");
    for (const Payment& p : m.receipt.payments)
        if (p.type < 1 || p.type > kPaymentTypes) throw StateFileError("a payment has no valid type");
    for (const Payment& p : m.lastReceipt.payments)
        if (p.type < 1 || p.type > kPaymentTypes) throw StateFileError("a payment has no valid type");
    if (m.state == DocState::nonFiscal &&
        (m.document.index < 1 || m.document.index > kNonFiscalDocuments))
        throw StateFileError("the open non-fiscal document has no valid index");
    if (m.state == DocState::linkedVoucher &&
        (m.document.index < 1 || m.document.index > kPaymentTypes))
        throw StateFileError("the open voucher has no valid payment type");
    for (const Item& i : m.receipt.items)
        if (!((i.taxIndex >= 1 && i.taxIndex <= kTaxRates) || i.taxIndex == kTaxSubstitution ||
              i.taxIndex == kTaxExempt || i.taxIndex == kTaxNotLevied))
            throw StateFileError("an item has no valid tax index");
    for (const Item& i : m.lastReceipt.items)
        if (!((i.taxIndex >= 1 && i.taxIndex <= kTaxRates) || i.taxIndex == kTaxSubstitution ||
              i.taxIndex == kTaxExempt || i.taxIndex == kTaxNotLevied))
            throw StateFileError("an item has no valid tax index");
}

std::string errnoText() { return std::strerror(errno); }

// The printer's texts are code page 850 bytes; the file holds them as the
// characters they are, in UTF-8, and they come back byte for byte.
void textsToUnicode(json& j) {
    if (j.is_string()) {
        j = cp850ToUnicode(j.get_ref<const std::string&>());
    } else if (j.is_structured()) {
        for (json& child : j) textsToUnicode(child);
    }
}

void textsToCp850(json& j) {
    if (j.is_string()) {
        const auto text = unicodeToCp850(j.get_ref<const std::string&>());
        if (!text) throw StateFileError("a text holds a character outside code page 850");
        j = *text;
    } else if (j.is_structured()) {
        for (json& child : j) textsToCp850(child);
    }
}

}  // namespace

std::string modelToJson(const Model& m) {
    json j;
    j["format"] = kFormat;
    j["version"] = kVersion;
    j["model"] = m;
    textsToUnicode(j["model"]);
    return j.dump(1);
}

Model modelFromJson(const std::string& text) {
    json j = json::parse(text, nullptr, false);
    if (j.is_discarded()) throw StateFileError("not valid JSON");
    if (!j.is_object() || j.value("format", std::string()) != kFormat)
        throw StateFileError("not an ecf-sim state (no \"format\": \"ecf-sim state\")");
    if (j.value("version", 0) != kVersion)
        throw StateFileError("unsupported state version " + j.value("version", json()).dump());
    if (!j.contains("model") || !j["model"].is_object()) throw StateFileError("no \"model\" object");
    textsToCp850(j["model"]);
    Model m;
    try {
        m = j["model"].get<Model>();
    } catch (const json::exception& e) {
        throw StateFileError(std::string("bad value in the model: ") + e.what());
    }
    checkConsistent(m);
    return m;
}

Model loadState(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw StateFileError("cannot open " + path + ": " + errnoText());
    std::ostringstream text;
    text << in.rdbuf();
    try {
        return modelFromJson(text.str());
    } catch (const StateFileError& e) {
        throw StateFileError(path + ": " + e.what());
    }
}

bool stateExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

namespace {

// Closes a descriptor on every path.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

void writeAll(int fd, const std::string& data, const std::string& path) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw StateFileError("cannot write " + path + ": " + errnoText());
        done += static_cast<std::size_t>(n);
    }
}

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

void saveState(const std::string& path, const Model& m) {
    const std::string data = modelToJson(m);
    const std::string tmp = path + ".tmp";
    {
        Fd fd(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (fd.get() < 0) throw StateFileError("cannot create " + tmp + ": " + errnoText());
        writeAll(fd.get(), data, tmp);
        if (::fsync(fd.get()) != 0) throw StateFileError("cannot flush " + tmp + ": " + errnoText());
        if (::close(fd.release()) != 0)
            throw StateFileError("cannot close " + tmp + ": " + errnoText());
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        const std::string reason = errnoText();
        ::unlink(tmp.c_str());
        throw StateFileError("cannot replace " + path + ": " + reason);
    }
    Fd dir(::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) (void)::fsync(dir.get());  // the rename itself reaches the disk
}

}  // namespace ecfsim
