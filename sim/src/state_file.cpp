#include "ecfsim/state_file.h"

#include "ecfsim/paper.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <vector>

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

// The fiscal memory only grows, one reduction per CRZ, and totals of sales
// are never below zero.
void checkFiscalMemory(const Model& m) {
    if (m.reductions.size() != m.counters.crz)
        throw StateFileError("the fiscal memory holds " + std::to_string(m.reductions.size()) +
                             " reductions but CRZ is " + std::to_string(m.counters.crz));
    for (std::size_t i = 0; i < m.reductions.size(); ++i) {
        const Reduction& z = m.reductions[i];
        if (z.number != i + 1)
            throw StateFileError("reduction " + std::to_string(i + 1) + " of the fiscal memory is numbered " +
                                 std::to_string(z.number));
        if (z.total < 0) throw StateFileError("reduction " + std::to_string(z.number) + " has a negative total");
    }
    const std::pair<const char*, Money> totals[] = {
        {"the grand total", m.grandTotal},     {"the day's gross sales", m.day.gross},
        {"the day's net sales", m.day.net},    {"the day's cancelled receipts", m.day.cancelledReceipts},
        {"the day's discounts", m.day.itemDiscounts + m.day.subtotalDiscounts},
    };
    for (const auto& [name, value] : totals)
        if (value < 0) throw StateFileError(std::string(name) + " is negative");
}

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
    checkFiscalMemory(m);
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

// The model read back must be the file's model exactly: a part the file
// lacks would silently start from its default (a printer without its
// reductions), and a number the model cannot hold would wrap (-5 as a
// counter).
void checkHeldAsWritten(const json& written, const Model& m) {
    const json patch = json::diff(written, json(m));
    if (patch.empty()) return;
    // A missing part says most: report it before what is there in its place.
    auto first = std::find_if(patch.begin(), patch.end(), [](const json& o) { return o["op"] == "add"; });
    if (first == patch.end()) first = patch.begin();
    const std::string path = (*first)["path"].get<std::string>();
    const std::string op = (*first)["op"].get<std::string>();
    if (op == "add") throw StateFileError("the model lacks " + path);
    if (op == "remove") throw StateFileError("the model holds " + path + ", which no printer has");
    throw StateFileError(path + " holds " + written.at(json::json_pointer(path)).dump() +
                         ", which the printer cannot hold");
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
    checkHeldAsWritten(j["model"], m);
    checkConsistent(m);
    return m;
}

Model loadState(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw StateFileError("cannot open " + path + ": " + errnoText());
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw StateFileError("cannot read " + path + ": " + errnoText());
    try {
        return modelFromJson(text.str());
    } catch (const StateFileError& e) {
        throw StateFileError(path + ": " + e.what());
    }
}

namespace {

constexpr int kMaxLinks = 40;  // as the kernel follows them

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

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string linkTarget(const std::string& link) {
    std::vector<char> buffer(4096);
    const ssize_t n = ::readlink(link.c_str(), buffer.data(), buffer.size());
    return n > 0 ? std::string(buffer.data(), static_cast<std::size_t>(n)) : std::string();
}

// A save's own file: "FILE.tmp." and six random characters.
constexpr const char* kTemporaryInfix = ".tmp.";

// A new file beside `path`, removed again unless it is renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& path) {
        std::random_device random;
        static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
        for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
            std::string name = path + kTemporaryInfix;
            for (int i = 0; i < 6; ++i) name += kAlphabet[random() % (sizeof kAlphabet - 1)];
            fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
            if (fd_ >= 0) path_ = name;
            else if (errno != EEXIST) break;
        }
        if (fd_ < 0) throw StateFileError("cannot create a file beside " + path + ": " + errnoText());
    }
    ~TemporaryFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    void write(const std::string& data) {
        std::size_t done = 0;
        while (done < data.size()) {
            const ssize_t n = ::write(fd_, data.data() + done, data.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) throw StateFileError("cannot write " + path_ + ": " + errnoText());
            done += static_cast<std::size_t>(n);
        }
    }

    // Flushed to disk, closed and renamed over `target`.
    void replace(const std::string& target) {
        if (::fsync(fd_) != 0) throw StateFileError("cannot flush " + path_ + ": " + errnoText());
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) throw StateFileError("cannot close " + path_ + ": " + errnoText());
        if (::rename(path_.c_str(), target.c_str()) != 0)
            throw StateFileError("cannot replace " + target + ": " + errnoText());
        path_.clear();
    }

private:
    int fd_ = -1;
    std::string path_;
};

// Removes the files interrupted saves of `statePath` left: its temporary
// files, of today's naming and of the earlier "FILE.tmp".
void removeLeftovers(const std::string& statePath) {
    const std::string name = fileNameOf(statePath);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(directoryOf(statePath).c_str()), ::closedir);
    if (!dir) return;
    const std::string ours = name + kTemporaryInfix;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string entryName = entry->d_name;
        if (entryName == name + ".tmp" ||
            (entryName.size() == ours.size() + 6 && entryName.compare(0, ours.size(), ours) == 0))
            ::unlinkat(::dirfd(dir.get()), entryName.c_str(), 0);
    }
}

StateFileError linkToNothing(const std::string& path) {
    return StateFileError(path + " is a symbolic link to " + linkTarget(path) +
                          ", which does not exist");
}

}  // namespace

std::optional<Model> loadStateIfAny(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return std::nullopt;
        throw StateFileError("cannot read " + path + ": " + errnoText());
    }
    if (S_ISLNK(st.st_mode) && ::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) throw linkToNothing(path);
        throw StateFileError("cannot read " + path + ": " + errnoText());
    }
    return loadState(path);
}

std::string resolveLinks(const std::string& path, bool toNothingAllowed) {
    std::string p = path;
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0) {
            if (errno == ENOENT && p != path && !toNothingAllowed) throw linkToNothing(path);
            return p;
        }
        if (!S_ISLNK(st.st_mode)) return p;
        const std::string next = linkTarget(p);
        if (next.empty()) throw StateFileError("cannot read the link " + p + ": " + errnoText());
        p = next[0] == '/' ? next : directoryOf(p) + "/" + next;
    }
    throw StateFileError(path + ": " + std::strerror(ELOOP));
}

void saveState(const std::string& path, const Model& m) {
    TemporaryFile file(path);
    file.write(modelToJson(m));
    file.replace(path);
    Fd dir(::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0 || ::fsync(dir.get()) != 0)  // the rename itself reaches the disk
        throw StateFileError("cannot flush the directory of " + path + ": " + errnoText());
}

StateLock::StateLock(const std::string& statePath) : path_(statePath + ".lock") {
    // The lock file is removed with the lock: one opened just before its
    // removal is locked in vain, which the second look at the path shows.
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        Fd fd(::open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644));
        if (fd.get() < 0) throw StateFileError("cannot lock " + statePath + ": " + path_ + ": " + errnoText());
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK) throw StateFileError("cannot lock " + statePath + ": " + errnoText());
            char pid[32] = {};
            const ssize_t n = ::pread(fd.get(), pid, sizeof pid - 1, 0);
            const std::string holder = n > 0 ? std::string(pid, static_cast<std::size_t>(n)) : "";
            throw StateFileError(statePath + " is in use by another ecf-sim" +
                                 (holder.empty() ? std::string() : " (process " + holder.substr(0, holder.find('\n')) + ")") +
                                 "; its lock is " + path_);
        }
        struct stat held {}, named {};
        if (::fstat(fd.get(), &held) != 0 || ::stat(path_.c_str(), &named) != 0 ||
            held.st_ino != named.st_ino || held.st_dev != named.st_dev)
            continue;
        const std::string pid = std::to_string(::getpid()) + "\n";
        if (::ftruncate(fd.get(), 0) != 0 || ::pwrite(fd.get(), pid.data(), pid.size(), 0) < 0)
            throw StateFileError("cannot write " + path_ + ": " + errnoText());
        fd_ = fd.release();
    }
    if (fd_ < 0) throw StateFileError("cannot lock " + statePath + ": its lock file keeps changing");
    removeLeftovers(statePath);
}

StateLock::~StateLock() {
    ::unlink(path_.c_str());
    ::close(fd_);
}

}  // namespace ecfsim
