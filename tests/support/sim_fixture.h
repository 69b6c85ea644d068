// The simulated printer for end-to-end tests of the library's exports.
//
// A SimFixture starts the simulator on its own thread over a fresh
// pseudo-terminal, points ECF_COM1 at the pty's slave and selects COM1
// (ChangePort(0)); the library's exports then talk to it as to a printer.
// The destructor stops the simulator and puts ECF_COM1 back.
//
//     ecf::test::SimFixture sim;                 // a printer as installed
//     EXPECT_EQ(ecfLeituraX(""), 0);
//     EXPECT_EQ(sim.model().counters.gnf, 1u);
//     EXPECT_NE(sim.paper().find("LEITURA X"), std::string::npos);
//     sim.inject({ecfsim::Fault::Kind::status, 77});   // the next answer is 77
//
// The model (ecfsim/model.h) and the status bytes (ecfsim/status.h) are
// documented in sim/README.md. Reading the model is thread-safe; do it
// between exchanges.
#pragma once

#include <string>
#include <memory>
#include <thread>
#include <utility>

#include "ecfsim/line.h"
#include "ecfsim/simulator.h"
#include "pty_peer.h"

namespace ecf::test {

class SimFixture {
public:
    struct Options {
        ecfsim::Model model;       // the printer's starting state; default: as installed
        bool useModel = false;     // start from `model` rather than a fresh printer
        ecfsim::Printer::HostClock clock;  // the host clock; default: the system's
        std::string statePath;     // a state file to keep; default: none
        bool realtime = false;     // pace the line at 9600 baud
    };

    SimFixture() : SimFixture(Options{}) {}
    explicit SimFixture(Options options);
    ~SimFixture();
    SimFixture(const SimFixture&) = delete;
    SimFixture& operator=(const SimFixture&) = delete;

    // The pty's slave, where ECF_COM1 points.
    const std::string& path() const { return pty_.slavePath(); }

    // A copy of the model now; or f(const Model&) run under the lock.
    ecfsim::Model model() const { return simulator_->snapshot(); }
    template <class F>
    auto withModel(F&& f) const {
        return simulator_->withModel(std::forward<F>(f));
    }

    // Everything printed since the start (or clearPaper()), as UTF-8 lines.
    std::string paper() const { return simulator_->paperText(); }
    void clearPaper() { simulator_->clearPaper(); }

    // Faults on the next answers (Fault::times, 1 by default), until cleared.
    void inject(const ecfsim::Fault& fault) { simulator_->inject(fault); }
    void clearFaults() { simulator_->clearFaults(); }

    ecfsim::Simulator& simulator() { return *simulator_; }

private:
    ecfsim::PseudoTerminal pty_;
    ScopedEnv env_;
    std::unique_ptr<ecfsim::Simulator> simulator_;
    std::thread thread_;
};

}  // namespace ecf::test
