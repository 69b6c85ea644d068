// The simulator as installed at a shop, serving a fresh pty on its own thread,
// with the library's COM1 pointed at it (ECF_COM1) unless told otherwise.
#pragma once

#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "ecf.h"
#include "ecfsim/line.h"
#include "ecfsim/simulator.h"

namespace ecf::bench {

class SimOnPty {
public:
    explicit SimOnPty(bool realtime, bool pointCom1 = true) {
        ecfsim::SimulatorOptions options;
        options.realtime = realtime;
        sim_ = std::make_unique<ecfsim::Simulator>(
            ecfsim::freshModel(ecfsim::localDateTime(ecfsim::systemSeconds())), options);
        sim_->setPaperSink([](const std::string&) {});
        thread_ = std::thread([this] { sim_->serve(pty_.master()); });
        if (pointCom1) ::setenv("ECF_COM1", pty_.slavePath().c_str(), 1);
        ChangePort(0);
    }
    ~SimOnPty() {
        sim_->stop();
        thread_.join();
    }
    SimOnPty(const SimOnPty&) = delete;
    SimOnPty& operator=(const SimOnPty&) = delete;

    const std::string& path() const { return pty_.slavePath(); }
    ecfsim::Simulator& simulator() { return *sim_; }

private:
    ecfsim::PseudoTerminal pty_;
    std::unique_ptr<ecfsim::Simulator> sim_;
    std::thread thread_;
};

}  // namespace ecf::bench
