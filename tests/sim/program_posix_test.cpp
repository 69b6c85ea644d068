// The ecf-sim program as its users run it: what it refuses to start on, and
// that what it acknowledged survives it being killed at any moment.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "ecfsim/state_file.h"
#include "raw_line.h"
#include "records.h"
#include "support/scratch.h"
#include "support/sim_process.h"

namespace {

namespace fs = std::filesystem;
using ecf::test::SimProcess;
using ecf::test::contentsOf;
using ecf::test::writeFile;
using simtest::Bytes;

const std::string kProgram = ECF_SIM_PROGRAM;

// A scratch directory, on a memory file system where there is one: the
// simulator flushes every save to disk.
struct Scratch : ecf::test::ScratchDir {
    Scratch() : ScratchDir(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") {}
};

// What is at a path: a link's target, a directory, or a file's bytes.
std::string whatIsAt(const fs::path& path) {
    if (fs::is_symlink(path)) return "-> " + fs::read_symlink(path).string();
    if (fs::is_directory(path)) return "a directory";
    return contentsOf(path);
}

std::string aState() {
    return ecfsim::modelToJson(ecfsim::freshModel({{2024, 3, 1}, 9, 0, 0}));
}

TEST(Program, RefusesToStartRatherThanLoseOrDestroyAFile) {
    const struct {
        const char* name;
        void (*prepare)(const Scratch&);
        std::vector<std::string> arguments;  // names in the scratch directory start with '@'
        const char* reason;
    } cases[] = {
        {"--link onto a file", [](const Scratch& s) { writeFile(s / "com1", "a file of the user's"); },
         {"--link", "@com1"}, "com1: a file is there"},
        {"--link onto a directory", [](const Scratch& s) { fs::create_directory(s / "com1"); },
         {"--link", "@com1"}, "com1: a directory is there"},
        {"--link onto the state file", [](const Scratch& s) { writeFile(s / "state.json", aState()); },
         {"--link", "@state.json", "--state", "@state.json"}, "state.json is the state file"},
        {"--paper into the state file", [](const Scratch& s) { writeFile(s / "state.json", aState()); },
         {"--paper", "@state.json", "--state", "@state.json"}, "state.json is the state file"},
        {"a state without its reductions", [](const Scratch& s) {
             std::string state = aState();
             state.replace(state.find("\"reductions\""), 12, "\"reductionz\"");
             writeFile(s / "state.json", state);
         }, {"--state", "@state.json"}, "lacks /reductions"},
        {"a state file that is a link to nothing",
         [](const Scratch& s) { fs::create_symlink("unmounted/state.json", s / "state.json"); },
         {"--state", "@state.json"}, "which does not exist"},
        {"a loop of links", [](const Scratch& s) { fs::create_symlink("state.json", s / "state.json"); },
         {"--state", "@state.json"}, "symbolic links"},
    };
    for (const auto& c : cases) {
        Scratch s;
        c.prepare(s);
        std::vector<std::string> arguments;
        for (const std::string& a : c.arguments) arguments.push_back(a[0] == '@' ? s / a.substr(1) : a);
        std::vector<std::pair<fs::path, std::string>> before;
        for (const auto& e : fs::directory_iterator(s.path())) before.emplace_back(e.path(), whatIsAt(e.path()));
        SimProcess sim(kProgram, arguments);
        EXPECT_EQ(sim.wait(), 2) << c.name;
        const std::string errors = sim.errors();
        EXPECT_NE(errors.find(c.reason), std::string::npos) << c.name << ": " << errors;
        EXPECT_EQ(s.entries(), before.size()) << c.name << ": nothing added or removed";
        for (const auto& [path, was] : before) EXPECT_EQ(whatIsAt(path), was) << c.name << ": " << path;
    }
}

TEST(Program, OneSimulatorPerStateFileAndLinksItOwns) {
    Scratch s;
    fs::create_symlink("/dev/pts/stale", s / "com1");
    SimProcess first(kProgram, {"--state", s / "state.json", "--link", s / "com1", "--paper", "/dev/null"});
    ASSERT_FALSE(first.path().empty()) << first.errors();
    EXPECT_EQ(fs::read_symlink(s / "com1"), first.path()) << "a stale link is replaced";

    SimProcess second(kProgram, {"--state", s / "state.json", "--paper", "/dev/null"});
    EXPECT_EQ(second.wait(), 2);
    const std::string errors = second.errors();
    EXPECT_NE(errors.find(s / "state.json"), std::string::npos) << errors;
    EXPECT_NE(errors.find("process " + std::to_string(first.pid())), std::string::npos) << errors;

    // A link someone else made in the meantime is theirs.
    fs::remove(s / "com1");
    fs::create_symlink("/dev/null", s / "com1");
    first.signal(SIGTERM);
    EXPECT_EQ(first.wait(), 0);
    EXPECT_EQ(fs::read_symlink(s / "com1"), "/dev/null");
    EXPECT_EQ(s.entries(), 2u) << "the state and the link; no lock file";
}

// The X readings the state file holds (GNF counts them), read off the
// file's text: quicker than the whole model, for every round.
uint32_t readingsKept(const std::string& state) {
    const std::string text = contentsOf(state);
    const std::size_t at = text.find("\"gnf\": ");
    return at == std::string::npos ? 0 : static_cast<uint32_t>(std::stoul(text.substr(at + 7)));
}

// X readings stream in, each counted by the printer and saved before it is
// acknowledged; the printer is killed at a random moment of a random
// command, started again on its state file, and must hold every reading it
// acknowledged.
TEST(Program, EveryAcknowledgedCommandSurvivesKill9) {
    constexpr int kRounds = 200;
    Scratch s;
    const std::string state = s / "state.json";
    std::mt19937 random(20240301);
    uint32_t acknowledged = 0;
    for (int round = 0; round < kRounds; ++round) {
        SimProcess sim(kProgram, {"--state", state, "--paper", "/dev/null"});
        ASSERT_FALSE(sim.path().empty()) << "round " << round << ": " << sim.errors();
        const uint32_t kept = readingsKept(state);
        ASSERT_GE(kept, acknowledged) << "round " << round << ": acknowledged readings lost";
        ASSERT_LE(kept, acknowledged + 1) << "round " << round;
        acknowledged = kept;  // the one in flight may have been kept
        ASSERT_EQ(s.entries(), 2u) << "round " << round << ": the state and its lock only";

        std::atomic<int> answered{0};
        const int killAt = static_cast<int>(random() % 4);
        const auto killAfter = std::chrono::microseconds(random() % 1000);
        std::thread killer([&] {
            while (answered < killAt) std::this_thread::sleep_for(std::chrono::microseconds(50));
            std::this_thread::sleep_for(killAfter);
            sim.signal(SIGKILL);
        });
        simtest::RawLine line(sim.path());
        for (; line.exchange(simtest::reading(0x14), 1) == Bytes{0}; ++answered) ++acknowledged;
        answered = killAt;  // a printer that stopped answering is killed all the same
        killer.join();
        EXPECT_EQ(sim.wait(), 128 + SIGKILL);
    }
    EXPECT_GT(acknowledged, uint32_t(kRounds)) << "commands went through between the kills";
}

}  // namespace
