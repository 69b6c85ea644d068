// Debian's ser2net serving local lines (pseudo-terminals) on 127.0.0.1, one
// TCP port each, raw or Telnet with RFC 2217, for tests and benchmarks.
// Started with a YAML configuration of its own; stopped (or killed) by the
// object.
#pragma once

#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <netinet/in.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/scratch.h"

namespace ecf::test {

constexpr const char* kSer2net = "/usr/sbin/ser2net";

inline bool haveSer2net() { return ::access(kSer2net, X_OK) == 0; }

inline sockaddr_in loopback(uint16_t port = 0) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

// A connection to 127.0.0.1:port, started without waiting for it.
inline int connectTo(uint16_t port) {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    const sockaddr_in a = loopback(port);
    ::connect(s, reinterpret_cast<const sockaddr*>(&a), sizeof a);
    return s;
}

// A TCP socket on a free port of 127.0.0.1, listening if `backlog` >= 0; its port.
inline int boundSocket(int backlog, uint16_t* port) {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in a = loopback();
    socklen_t size = sizeof a;
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    if (backlog >= 0) ::listen(s, backlog);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &size);
    *port = ntohs(a.sin_port);
    return s;
}

// A TCP port on 127.0.0.1 that nothing listens on right now.
inline uint16_t freePort() {
    uint16_t port = 0;
    ::close(boundSocket(-1, &port));
    return port;
}

// Whether something listens on 127.0.0.1:port, read from /proc/net/tcp so
// that no connection is made (ser2net would count it as a client).
inline bool listening(uint16_t port) {
    std::ifstream table("/proc/net/tcp");
    std::string line;
    std::getline(table, line);
    char wanted[16];
    std::snprintf(wanted, sizeof wanted, ":%04X", port);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        fields >> slot >> local >> remote >> state;
        if (state == "0A" && local.size() > 5 && local.compare(local.size() - 5, 5, wanted) == 0)
            return true;
    }
    return false;
}

class Ser2net {
public:
    struct Line {
        std::string device;
        bool rfc2217 = false;
    };

    explicit Ser2net(const std::vector<Line>& lines) : lines_(lines) {
        std::ofstream config(dir_ / "ser2net.yaml");
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            ports_.push_back(freePort());
            config << "connection: &line" << i << "\n"
                   << "  accepter: " << (lines_[i].rfc2217 ? "telnet(rfc2217),tcp," : "tcp,")
                   << "127.0.0.1," << ports_.back() << "\n"
                   << "  connector: serialdev," << lines_[i].device << ",9600e81,local\n";
        }
        config.close();
        pid_ = ::fork();
        if (pid_ == 0) {
            std::FILE* out = std::freopen((dir_ / "ser2net.log").c_str(), "w", stdout);
            if (out != nullptr) ::dup2(::fileno(out), 2);
            const std::string conf = dir_ / "ser2net.yaml", pid = dir_ / "ser2net.pid";
            ::execl(kSer2net, kSer2net, "-n", "-u", "-P", pid.c_str(), "-c", conf.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int i = 0; i < 500 && !allListening(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!allListening()) throw std::runtime_error("ser2net did not start (" + dir_.path().string() + ")");
    }
    ~Ser2net() { stop(SIGTERM); }
    Ser2net(const Ser2net&) = delete;
    Ser2net& operator=(const Ser2net&) = delete;

    std::string url(std::size_t i = 0) const {
        return std::string(lines_[i].rfc2217 ? "rfc2217" : "tcp") + "://127.0.0.1:" +
               std::to_string(ports_[i]);
    }
    uint16_t port(std::size_t i = 0) const { return ports_[i]; }
    // Waits (a second at most) until ser2net has closed every line: it keeps
    // a line open for a few milliseconds after its client left, and reads
    // what arrives meanwhile.
    void waitUntilIdle() const {
        for (int i = 0; i < 1000 && holdsALine(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // Ends it at once, as a crash or a power cut would.
    void kill() { stop(SIGKILL); }

private:
    bool allListening() const {
        for (uint16_t p : ports_)
            if (!listening(p)) return false;
        return true;
    }
    bool holdsALine() const {
        if (pid_ <= 0) return false;
        // The process may be gone meanwhile (killed by a test): then it holds nothing.
        const std::string fds = "/proc/" + std::to_string(pid_) + "/fd";
        std::error_code gone;
        for (const auto& entry : std::filesystem::directory_iterator(fds, gone)) {
            std::error_code error;
            const auto target = std::filesystem::read_symlink(entry.path(), error);
            for (const Line& line : lines_)
                if (!error && target == line.device) return true;
        }
        return false;
    }
    void stop(int signal) {
        const pid_t pid = pid_.exchange(-1);
        if (pid <= 0) return;
        ::kill(pid, signal);
        int status = 0;
        ::waitpid(pid, &status, 0);
    }

    ScratchDir dir_;
    std::vector<Line> lines_;
    std::vector<uint16_t> ports_;
    std::atomic<pid_t> pid_{-1};
};

}  // namespace ecf::test
