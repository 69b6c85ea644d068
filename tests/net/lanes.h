// A shop of many lanes: N simulated printers (ecf-sim processes, each on its
// own pseudo-terminal, each keeping its state file) behind one ser2net, half
// of them raw and half with RFC 2217, and N client processes, one a lane,
// each selling receipts through the library for a bounded time and keeping
// its own ledger. Used by the many-lanes test and its benchmark.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ecf.h"
#include "ser2net.h"

namespace ecf::test {

// What a lane sold, as its own client counted it.
struct Ledger {
    uint32_t receipts = 0;
    uint32_t items = 0;
    int64_t total = 0;     // centavos
    uint32_t lastCoo = 0;  // the receipt number the printer gave the last receipt
    uint64_t exchanges = 0;
    uint64_t failures = 0;  // exchanges that did not give 0 (or the text of a query)
    uint64_t busy = 0;      // of those, 1010
    std::vector<float> latencyMs;
};

// The ecf-sim program on a pty of its own with a state file, stopped (and so
// saved) by stop() or the destructor.
class SimProgram {
public:
    SimProgram(const std::string& program, const std::string& state) {
        int out[2];
        if (::pipe(out) != 0) throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            ::close(out[1]);
            ::execl(program.c_str(), program.c_str(), "--state", state.c_str(), "--paper", "/dev/null",
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        char c;
        while (::read(out[0], &c, 1) == 1 && c != '\n') path_ += c;
        ::close(out[0]);
        if (path_.empty()) throw std::runtime_error("ecf-sim did not start");
    }
    ~SimProgram() { stop(); }
    SimProgram(const SimProgram&) = delete;
    SimProgram& operator=(const SimProgram&) = delete;
    const std::string& path() const { return path_; }
    void stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    std::string path_;
};

namespace lanes {

// One exchange, timed into the ledger; false when it failed.
template <typename Call>
bool timed(Ledger& ledger, Call call) {
    const auto start = std::chrono::steady_clock::now();
    const int32_t result = call();
    ledger.latencyMs.push_back(
        std::chrono::duration<float, std::milli>(std::chrono::steady_clock::now() - start).count());
    ++ledger.exchanges;
    if (result == 0) return true;
    ++ledger.failures;
    if (result == 1010) ++ledger.busy;
    return false;
}

// One receipt of one to three items, paid exactly in cash; false on the
// first failure (the lane stops there: its ledger would no longer be sure).
inline bool sellAReceipt(Ledger& ledger, uint32_t lane) {
    const uint32_t count = 1 + (ledger.receipts + lane) % 3;
    int64_t receiptTotal = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const int64_t price = 100 + (ledger.items * 37 + lane * 11) % 900;
        const std::string digits = std::to_string(price);
        if (!timed(ledger, [&] { return ecfVendaItem("MERCADORIA", digits.c_str(), 1); })) return false;
        ++ledger.items;
        receiptTotal += price;
    }
    const std::string paid = std::to_string(receiptTotal);
    if (!timed(ledger, [] { return ecfSubTotal(); }) ||
        !timed(ledger, [&] { return ecfPagamento(1, "", paid.c_str(), 0); }) ||
        !timed(ledger, [] { return ecfFimTrans(""); }))
        return false;
    ledger.total += receiptTotal;
    ++ledger.receipts;
    std::string status;
    if (!timed(ledger, [&] {
            status = ecfStatusCupom(0);
            return status.size() >= 4 && status.compare(0, 4, "Erro") != 0 ? 0 : 1;
        }))
        return false;
    ledger.lastCoo = static_cast<uint32_t>(std::stoul(status.substr(0, 4)));
    return true;
}

inline void save(const Ledger& l, const std::string& file) {
    std::ofstream out(file);
    out << l.receipts << ' ' << l.items << ' ' << l.total << ' ' << l.lastCoo << ' ' << l.exchanges << ' '
        << l.failures << ' ' << l.busy << '\n';
    for (float ms : l.latencyMs) out << ms << '\n';
}

inline Ledger load(const std::string& file) {
    Ledger l;
    std::ifstream in(file);
    in >> l.receipts >> l.items >> l.total >> l.lastCoo >> l.exchanges >> l.failures >> l.busy;
    for (float ms; in >> ms;) l.latencyMs.push_back(ms);
    return l;
}

}  // namespace lanes

// The shop: `count` printers behind one ser2net, `count` lanes selling for
// `seconds`. run() returns every lane's ledger; the printers' state files
// are then in stateFile(i).
class Shop {
public:
    Shop(const std::string& simProgram, std::size_t count) : count_(count) {
        char dir[] = "/dev/shm/ecf-shop-XXXXXX";  // the state files' fsync costs nothing here
        if (::mkdtemp(dir) == nullptr) throw std::runtime_error("mkdtemp");
        dir_ = dir;
        std::vector<Ser2net::Line> lines;
        for (std::size_t i = 0; i < count; ++i) {
            printers_.push_back(std::make_unique<SimProgram>(simProgram, stateFile(i)));
            lines.push_back({printers_.back()->path(), i % 2 == 1});
        }
        server_ = std::make_unique<Ser2net>(lines);
    }
    ~Shop() {
        server_.reset();
        printers_.clear();
        std::system(("rm -rf " + dir_).c_str());
    }
    Shop(const Shop&) = delete;
    Shop& operator=(const Shop&) = delete;

    std::string stateFile(std::size_t i) const { return dir_ + "/printer-" + std::to_string(i) + ".json"; }
    std::string url(std::size_t i) const { return server_->url(i); }

    // Runs the lanes, each in a process of its own, then stops the printers
    // (which saves their state).
    std::vector<Ledger> run(double seconds) {
        std::vector<pid_t> clients;
        for (std::size_t i = 0; i < count_; ++i) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::setenv("ECF_COM1", url(i).c_str(), 1);
                ChangePort(0);
                Ledger ledger;
                const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
                while (std::chrono::steady_clock::now() < end && lanes::sellAReceipt(ledger, static_cast<uint32_t>(i))) {
                }
                lanes::save(ledger, dir_ + "/lane-" + std::to_string(i) + ".txt");
                ::_exit(0);
            }
            clients.push_back(pid);
        }
        for (pid_t pid : clients) {
            int status = 0;
            ::waitpid(pid, &status, 0);
        }
        for (auto& printer : printers_) printer->stop();
        std::vector<Ledger> ledgers;
        for (std::size_t i = 0; i < count_; ++i)
            ledgers.push_back(lanes::load(dir_ + "/lane-" + std::to_string(i) + ".txt"));
        return ledgers;
    }

private:
    std::size_t count_;
    std::string dir_;
    std::vector<std::unique_ptr<SimProgram>> printers_;
    std::unique_ptr<Ser2net> server_;
};

// Exchanges a second and latency percentiles over all lanes.
struct ShopFigures {
    double exchangesPerSecond = 0;
    double medianMs = 0;
    double p99Ms = 0;
};

inline ShopFigures figuresOf(const std::vector<Ledger>& ledgers, double seconds) {
    std::vector<float> all;
    uint64_t exchanges = 0;
    for (const Ledger& l : ledgers) {
        exchanges += l.exchanges;
        all.insert(all.end(), l.latencyMs.begin(), l.latencyMs.end());
    }
    ShopFigures f;
    f.exchangesPerSecond = static_cast<double>(exchanges) / seconds;
    if (all.empty()) return f;
    std::sort(all.begin(), all.end());
    f.medianMs = all[all.size() / 2];
    f.p99Ms = all[std::min(all.size() - 1, all.size() * 99 / 100)];
    return f;
}

}  // namespace ecf::test
