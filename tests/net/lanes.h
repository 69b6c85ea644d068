// A shop of many lanes: N simulated printers (ecf-sim processes, each on its
// own pseudo-terminal, each keeping its state file) behind one ser2net, half
// of them raw and half with RFC 2217, and N client processes, one a lane,
// each selling receipts through the library for a bounded time and keeping
// its own ledger. Used by the many-lanes test and its benchmark.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ecf.h"
#include "ser2net.h"
#include "support/scratch.h"
#include "support/sim_process.h"

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

    // One exchange, timed; false when it failed.
    template <typename Call>
    bool timed(Call call) {
        const auto start = std::chrono::steady_clock::now();
        const int32_t result = call();
        latencyMs.push_back(
            std::chrono::duration<float, std::milli>(std::chrono::steady_clock::now() - start).count());
        ++exchanges;
        failures += result != 0;
        busy += result == 1010;
        return result == 0;
    }

    // One receipt of one to three items, paid exactly in cash; false on the
    // first failure (the lane stops there: its ledger would no longer be sure).
    bool sellAReceipt(uint32_t lane) {
        const uint32_t count = 1 + (receipts + lane) % 3;
        int64_t receiptTotal = 0;
        for (uint32_t i = 0; i < count; ++i, ++items) {
            const int64_t price = 100 + (items * 37 + lane * 11) % 900;
            const std::string digits = std::to_string(price);
            if (!timed([&] { return ecfVendaItem("MERCADORIA", digits.c_str(), 1); })) return false;
            receiptTotal += price;
        }
        const std::string paid = std::to_string(receiptTotal);
        if (!timed(ecfSubTotal) || !timed([&] { return ecfPagamento(1, "", paid.c_str(), 0); }) ||
            !timed([] { return ecfFimTrans(""); }))
            return false;
        total += receiptTotal;
        ++receipts;
        std::string status;
        if (!timed([&] {
                status = ecfStatusCupom(0);
                return status.size() >= 4 && status.compare(0, 4, "Erro") != 0 ? 0 : 1;
            }))
            return false;
        lastCoo = static_cast<uint32_t>(std::stoul(status.substr(0, 4)));
        return true;
    }

    void save(const std::string& file) const {
        std::ofstream out(file);
        out << receipts << ' ' << items << ' ' << total << ' ' << lastCoo << ' ' << exchanges << ' '
            << failures << ' ' << busy << '\n';
        for (float ms : latencyMs) out << ms << '\n';
    }
    static Ledger load(const std::string& file) {
        Ledger l;
        std::ifstream in(file);
        in >> l.receipts >> l.items >> l.total >> l.lastCoo >> l.exchanges >> l.failures >> l.busy;
        for (float ms; in >> ms;) l.latencyMs.push_back(ms);
        return l;
    }
};

// The shop: `count` printers behind one ser2net, `count` lanes selling for
// `seconds`. run() returns every lane's ledger; the printers' state files
// are then in stateFile(i).
class Shop {
public:
    Shop(const std::string& simProgram, std::size_t count) {
        std::vector<Ser2net::Line> lines;
        for (std::size_t i = 0; i < count; ++i) {
            printers_.push_back(std::make_unique<SimProcess>(
                simProgram, std::vector<std::string>{"--state", stateFile(i), "--paper", "/dev/null"}));
            lines.push_back({printers_.back()->path(), i % 2 == 1});
        }
        server_ = std::make_unique<Ser2net>(lines);
    }

    std::string stateFile(std::size_t i) const { return dir_ / ("printer-" + std::to_string(i) + ".json"); }
    std::string url(std::size_t i) const { return server_->url(i); }

    // Runs the lanes, each in a process of its own, then stops the printers
    // (which saves their state).
    std::vector<Ledger> run(double seconds) {
        std::vector<pid_t> clients;
        for (std::size_t i = 0; i < printers_.size(); ++i) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::setenv("ECF_COM1", url(i).c_str(), 1);
                ChangePort(0);
                Ledger ledger;
                const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
                while (std::chrono::steady_clock::now() < end && ledger.sellAReceipt(static_cast<uint32_t>(i))) {
                }
                ledger.save(ledgerFile(i));
                ::_exit(0);
            }
            clients.push_back(pid);
        }
        for (pid_t pid : clients) ::waitpid(pid, nullptr, 0);
        std::vector<Ledger> ledgers;
        for (std::size_t i = 0; i < printers_.size(); ++i) {
            printers_[i]->signal(SIGTERM);
            printers_[i]->wait();
            ledgers.push_back(Ledger::load(ledgerFile(i)));
        }
        return ledgers;
    }

private:
    std::string ledgerFile(std::size_t i) const { return dir_ / ("lane-" + std::to_string(i) + ".txt"); }

    ScratchDir dir_{"/dev/shm"};  // the state files' fsync costs nothing here
    std::vector<std::unique_ptr<SimProcess>> printers_;
    std::unique_ptr<Ser2net> server_;
};

}  // namespace ecf::test
