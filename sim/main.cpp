// ecf-sim: a fiscal printer on a pseudo-terminal (or a serial device).
//
//   ecf-sim [--link PATH] [--device PATH | --listen HOST:PORT [--rfc2217]]
//           [--state FILE] [--paper FILE] [--realtime] [--fault SPEC]
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

#include "ecfsim/line.h"
#include "ecfsim/simulator.h"
#include "ecfsim/state_file.h"
#include "ecfsim/tcp_line.h"

namespace {

constexpr const char* kUsage =
    "usage: ecf-sim [options]\n"
    "  --link PATH      make PATH a symlink to the printer's line (removed at exit)\n"
    "  --device PATH    serve a serial device instead of a new pseudo-terminal\n"
    "  --listen HOST:PORT  serve TCP clients instead, one at a time (port 0: any)\n"
    "  --rfc2217        over TCP, speak Telnet with the COM-PORT-OPTION\n"
    "  --state FILE     keep the fiscal memory, counters and tables in FILE\n"
    "  --paper FILE     append what the printer prints to FILE (default: stdout)\n"
    "  --realtime       pace the line at 9600 baud 8E1 (about 1.146 ms a byte)\n"
    "  --fault SPEC     misbehave: silent, late:MS, short:N, garbage, cut or\n"
    "                   status:N, each optionally /P for every P-th answer only\n"
    "  --help           this text\n"
    "Prints the path of the line (or HOST:PORT) on the first line of standard output.\n";

struct Options {
    std::string link;
    std::string device;
    std::string listen;
    bool rfc2217 = false;
    std::string state;
    std::string paper;
    bool realtime = false;
    std::string fault;
};

ecfsim::Simulator* g_simulator = nullptr;

void onSignal(int) {
    if (g_simulator != nullptr) g_simulator->stop();
}

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        bool ok = true;
        if (a == "--link") ok = value(o.link);
        else if (a == "--device") ok = value(o.device);
        else if (a == "--listen") ok = value(o.listen);
        else if (a == "--rfc2217") o.rfc2217 = true;
        else if (a == "--state") ok = value(o.state);
        else if (a == "--paper") ok = value(o.paper);
        else if (a == "--fault") ok = value(o.fault);
        else if (a == "--realtime") o.realtime = true;
        else if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else ok = false;
        if (!ok) {
            std::fprintf(stderr, "ecf-sim: bad option %s\n%s", a.c_str(), kUsage);
            return false;
        }
    }
    return true;
}

// Removes the symlink at exit.
class Link {
public:
    Link() = default;
    ~Link() {
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;
    bool make(const std::string& path, const std::string& target) {
        ::unlink(path.c_str());  // a stale link from an earlier run
        if (::symlink(target.c_str(), path.c_str()) != 0) return false;
        path_ = path;
        return true;
    }

private:
    std::string path_;
};

// Closes a FILE on every path.
struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f != nullptr) std::fclose(f);
    }
};

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) return 2;

    ecfsim::SimulatorOptions options;
    options.realtime = o.realtime;
    options.statePath = o.state;

    ecfsim::Model model;
    try {
        if (!o.state.empty() && ecfsim::stateExists(o.state))
            model = ecfsim::loadState(o.state);
        else
            model = ecfsim::freshModel(ecfsim::localDateTime(ecfsim::systemSeconds()));
    } catch (const ecfsim::StateFileError& e) {
        std::fprintf(stderr, "ecf-sim: corrupt state file: %s\n", e.what());
        return 2;
    }

    std::unique_ptr<std::FILE, FileCloser> paperFile;
    if (!o.paper.empty()) {
        paperFile.reset(std::fopen(o.paper.c_str(), "a"));
        if (!paperFile) {
            std::fprintf(stderr, "ecf-sim: cannot open %s: %s\n", o.paper.c_str(),
                         std::strerror(errno));
            return 2;
        }
    }

    try {
        std::unique_ptr<ecfsim::PseudoTerminal> pty;
        std::unique_ptr<ecfsim::SerialDevice> device;
        std::unique_ptr<ecfsim::TcpLine> network;
        std::string linePath;
        int fd = -1;
        if (!o.listen.empty()) {
            network = std::make_unique<ecfsim::TcpLine>(o.listen, o.rfc2217);
            fd = network->printerSide();
            linePath = network->address();
        } else if (!o.device.empty()) {
            device = std::make_unique<ecfsim::SerialDevice>(o.device);
            fd = device->fd();
            linePath = o.device;
        } else {
            pty = std::make_unique<ecfsim::PseudoTerminal>();
            fd = pty->master();
            linePath = pty->slavePath();
        }

        ecfsim::Simulator simulator(std::move(model), options);
        if (auto fault = o.fault.empty() ? std::nullopt : ecfsim::parseFault(o.fault)) {
            simulator.inject(*fault);
        } else if (!o.fault.empty()) {
            std::fprintf(stderr, "ecf-sim: bad fault %s\n", o.fault.c_str());
            return 2;
        }
        std::FILE* out = paperFile ? paperFile.get() : stdout;
        simulator.setPaperSink([out](const std::string& line) {
            std::fputs(line.c_str(), out);
            std::fputc('\n', out);
            std::fflush(out);
        });
        if (!o.state.empty() && !simulator.save()) return 2;

        Link link;
        if (!o.link.empty() && !link.make(o.link, linePath)) {
            std::fprintf(stderr, "ecf-sim: cannot link %s: %s\n", o.link.c_str(),
                         std::strerror(errno));
            return 2;
        }
        std::printf("%s\n", linePath.c_str());
        std::fflush(stdout);

        g_simulator = &simulator;
        struct sigaction sa {};
        sa.sa_handler = onSignal;
        sigemptyset(&sa.sa_mask);
        ::sigaction(SIGINT, &sa, nullptr);
        ::sigaction(SIGTERM, &sa, nullptr);
        ::signal(SIGPIPE, SIG_IGN);

        const bool ok = simulator.serve(fd);
        g_simulator = nullptr;
        const bool saved = simulator.save();
        if (!ok) std::fprintf(stderr, "ecf-sim: the line failed\n");
        return ok && saved ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ecf-sim: %s\n", e.what());
        return 1;
    }
}
