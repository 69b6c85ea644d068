#include "sim_fixture.h"

#include "ecf.h"

namespace ecf::test {

namespace {

constexpr std::size_t kPaperKept = 4 * 1024 * 1024;

ecfsim::Model startingModel(const SimFixture::Options& o) {
    if (o.useModel) return o.model;
    const int64_t now = o.clock ? o.clock() : ecfsim::systemSeconds();
    return ecfsim::freshModel(ecfsim::localDateTime(now));
}

}  // namespace

SimFixture::SimFixture(Options options) : env_("ECF_COM1", pty_.slavePath()) {
    ecfsim::SimulatorOptions simOptions;
    simOptions.realtime = options.realtime;
    simOptions.statePath = options.statePath;
    simulator_ = std::make_unique<ecfsim::Simulator>(startingModel(options), simOptions,
                                                     options.clock);
    simulator_->keepPaper(kPaperKept);
    thread_ = std::thread([this] { simulator_->serve(pty_.master()); });
    ChangePort(0);
}

SimFixture::~SimFixture() {
    simulator_->stop();
    if (thread_.joinable()) thread_.join();
}

}  // namespace ecf::test
