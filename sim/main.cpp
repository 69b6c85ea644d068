// ecf-sim: a fiscal printer on a pseudo-terminal (or a serial device).
//
//   ecf-sim [--link PATH] [--device PATH | --listen HOST:PORT [--rfc2217]]
//           [--state FILE [--fresh]] [--paper FILE] [--frames FILE]
//           [--clock SECONDS] [--realtime] [--fault SPEC]
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "ecfsim/line.h"
#include "ecfsim/simulator.h"
#include "ecfsim/state_file.h"
#include "ecfsim/tcp_line.h"

namespace {

constexpr const char* kUsage =
    "usage: ecf-sim [options]\n"
    "  --link PATH      make PATH a symlink to the printer's line (removed at exit);\n"
    "                   only a symlink there is replaced\n"
    "  --device PATH    serve a serial device instead of a new pseudo-terminal\n"
    "  --listen HOST:PORT  serve TCP clients instead, one at a time (port 0: any)\n"
    "  --rfc2217        over TCP, speak Telnet with the COM-PORT-OPTION\n"
    "  --state FILE     keep the fiscal memory, counters and tables in FILE\n"
    "  --fresh          start a fresh printer, replacing what FILE holds\n"
    "  --paper FILE     append what the printer prints to FILE (default: stdout)\n"
    "  --frames FILE    append every frame read and its answer to FILE, in hex\n"
    "  --clock SECONDS  stop the printer's clock at SECONDS since 1970 (UTC)\n"
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
    std::string frames;
    std::string clock;
    bool realtime = false;
    bool fresh = false;
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
        else if (a == "--frames") ok = value(o.frames);
        else if (a == "--clock")
            ok = value(o.clock) && !o.clock.empty() && o.clock.size() <= 12 &&
                 o.clock.find_first_not_of("0123456789") == std::string::npos;
        else if (a == "--fault") ok = value(o.fault);
        else if (a == "--realtime") o.realtime = true;
        else if (a == "--fresh") o.fresh = true;
        else if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else ok = false;
        if (!ok) {
            std::fprintf(stderr, "ecf-sim: bad option %s\n%s", a.c_str(), kUsage);
            return false;
        }
    }
    // A symlink can only lead to a device or a pseudo-terminal.
    if (!o.listen.empty() && (!o.link.empty() || !o.device.empty())) {
        std::fprintf(stderr, "ecf-sim: --listen serves TCP clients: it takes no --link or --device\n");
        return false;
    }
    if (o.rfc2217 && o.listen.empty()) {
        std::fprintf(stderr, "ecf-sim: --rfc2217 goes with --listen\n");
        return false;
    }
    return true;
}

std::string linkTarget(const std::string& path) {
    char target[4096];
    const ssize_t n = ::readlink(path.c_str(), target, sizeof target);
    return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
}

// Whether two paths name one file (symbolic links followed when `follow`).
bool sameFile(const std::string& a, const std::string& b, bool follow) {
    struct stat sa {}, sb {};
    const auto look = follow ? ::stat : ::lstat;
    return look(a.c_str(), &sa) == 0 && look(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// The symlink to the line. Only a symlink (a stale one from an earlier run)
// is replaced; at exit it is removed only while it still points at our line.
class Link {
public:
    Link() = default;
    ~Link() {
        if (!path_.empty() && linkTarget(path_) == target_) ::unlink(path_.c_str());
    }
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;
    // Empty, or why not.
    std::string make(const std::string& path, const std::string& target) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0) {
            if (!S_ISLNK(st.st_mode))
                return path + ": " + (S_ISDIR(st.st_mode) ? "a directory" : "a file") +
                       " is there (only a symlink is replaced)";
            ::unlink(path.c_str());
        }
        if (::symlink(target.c_str(), path.c_str()) != 0) return path + ": " + std::strerror(errno);
        path_ = path;
        target_ = target;
        return {};
    }

private:
    std::string path_;
    std::string target_;
};

// The printer to start with, and the state file that keeps it.
struct Start {
    ecfsim::Model model;
    std::unique_ptr<ecfsim::StateLock> lock;
    std::string savedAt;  // where the state file's symlinks lead
    bool loaded = false;  // from the file; else a fresh printer, not saved yet
};

// The printer the state file holds, or a fresh one where there is no file
// yet or --fresh asks for one. The file is locked first.
Start startFrom(const Options& o, const ecfsim::Printer::HostClock& clock) {
    Start s;
    if (!o.state.empty()) {
        s.savedAt = ecfsim::resolveLinks(o.state, o.fresh);
        s.lock = std::make_unique<ecfsim::StateLock>(s.savedAt);
        if (!o.fresh) {
            try {
                if (auto model = ecfsim::loadStateIfAny(o.state)) {
                    s.model = std::move(*model);
                    s.loaded = true;
                    return s;
                }
            } catch (const ecfsim::StateFileError& e) {
                throw ecfsim::StateFileError(std::string(e.what()) +
                                             "\n(left as it is; --fresh starts a new printer in its place)");
            }
        }
    }
    s.model = ecfsim::freshModel(ecfsim::localDateTime(clock()));
    return s;
}

// Closes a FILE on every path.
struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f != nullptr) std::fclose(f);
    }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Opens `path` for appending; an empty path opens nothing.
bool openToAppend(const std::string& path, File& file) {
    if (path.empty()) return true;
    file.reset(std::fopen(path.c_str(), "a"));
    if (!file) {
        std::fprintf(stderr, "ecf-sim: cannot open %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

// One line per frame: how it ended, its record (lead byte onward, without ESC
// and checksum) and the printer's answer, both in hex.
void logExchange(std::FILE* out, const ecfsim::FrameEvent& frame,
                 const std::vector<uint8_t>& answer) {
    static const char* const kKinds[] = {"command", "bad-checksum", "unknown-code", "bad-lead",
                                         "cut-short"};
    std::fputs(kKinds[static_cast<int>(frame.kind)], out);
    std::fputc(' ', out);
    for (uint8_t b : frame.record) std::fprintf(out, "%02x", b);
    std::fputs(" -> ", out);
    for (uint8_t b : answer) std::fprintf(out, "%02x", b);
    std::fputc('\n', out);
    std::fflush(out);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) return 2;

    ecfsim::SimulatorOptions options;
    options.realtime = o.realtime;

    // A stopped clock: runs against fresh printers print the same dates and times.
    ecfsim::Printer::HostClock clock = ecfsim::systemSeconds;
    if (!o.clock.empty()) {
        const int64_t stopped = std::stoll(o.clock);
        clock = [stopped] { return stopped; };
    }

    Start start;
    try {
        start = startFrom(o, clock);
    } catch (const ecfsim::StateFileError& e) {
        std::fprintf(stderr, "ecf-sim: %s\n", e.what());
        return 2;
    }
    options.statePath = start.savedAt;
    for (const std::string& path : {o.link, o.paper}) {
        if (!path.empty() && !o.state.empty() &&
            (sameFile(path, o.state, false) || sameFile(path, options.statePath, true))) {
            std::fprintf(stderr, "ecf-sim: %s is the state file\n", path.c_str());
            return 2;
        }
    }

    File paperFile;
    File framesFile;
    if (!openToAppend(o.paper, paperFile) || !openToAppend(o.frames, framesFile)) return 2;

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
        Link link;
        if (!o.link.empty()) {
            if (const std::string refused = link.make(o.link, linePath); !refused.empty()) {
                std::fprintf(stderr, "ecf-sim: --link %s\n", refused.c_str());
                return 2;
            }
        }

        ecfsim::Simulator simulator(std::move(start.model), options, clock);
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
        if (framesFile) {
            simulator.setExchangeSink([out = framesFile.get()](const ecfsim::FrameEvent& frame,
                                                              const std::vector<uint8_t>& answer) {
                logExchange(out, frame, answer);
            });
        }
        if (!o.state.empty() && !start.loaded && !simulator.save()) return 2;  // a fresh printer

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
