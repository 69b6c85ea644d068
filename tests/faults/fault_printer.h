// A printer that misbehaves on purpose, at the other end of a pseudo-terminal:
// it follows a script of steps (read a frame, answer, fall silent, answer
// late, drop the line) on a thread of its own.
#pragma once

#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ecf::test {

class FaultPrinter {
public:
    using Bytes = std::vector<uint8_t>;

    struct Step {
        enum Kind { read, write, sleep, hangUp } kind;
        std::size_t count = 0;  // read: bytes to take
        Bytes bytes;            // write: what to send
        int milliseconds = 0;   // sleep
    };
    static Step take(std::size_t n) { return {Step::read, n, {}, 0}; }
    static Step send(Bytes b) { return {Step::write, 0, std::move(b), 0}; }
    static Step wait(int ms) { return {Step::sleep, 0, {}, ms}; }
    static Step hangUp() { return {Step::hangUp, 0, {}, 0}; }

    FaultPrinter();
    ~FaultPrinter();
    FaultPrinter(const FaultPrinter&) = delete;
    FaultPrinter& operator=(const FaultPrinter&) = delete;

    const std::string& path() const { return path_; }

    // Runs the script on a thread; join() waits for it and returns the bytes
    // that arrived.
    void run(std::vector<Step> script);
    Bytes join();
    // The bytes that arrived so far.
    std::size_t arrived();

private:
    int master_ = -1;
    int slave_ = -1;  // kept open so that the pty lives between exchanges
    std::string path_;
    std::thread thread_;
    std::mutex mutex_;
    Bytes received_;
};

// Milliseconds a call took.
template <typename F>
long long millisecondsOf(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

inline FaultPrinter::FaultPrinter() {
    char name[256] = {0};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    termios tio{};
    ::tcgetattr(slave_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave_, TCSANOW, &tio);
    path_ = name;
}

inline FaultPrinter::~FaultPrinter() {
    if (thread_.joinable()) thread_.join();
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
}

inline void FaultPrinter::run(std::vector<Step> script) {
    thread_ = std::thread([this, script = std::move(script)] {
        for (const Step& step : script) {
            switch (step.kind) {
                case Step::read: {
                    std::size_t got = 0;
                    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
                    while (got < step.count && std::chrono::steady_clock::now() < deadline) {
                        pollfd p{master_, POLLIN, 0};
                        if (::poll(&p, 1, 50) <= 0) continue;
                        uint8_t buf[512];
                        const std::size_t want = step.count - got;
                        const ssize_t n = ::read(master_, buf, want < sizeof buf ? want : sizeof buf);
                        if (n <= 0) continue;
                        std::lock_guard<std::mutex> lock(mutex_);
                        received_.insert(received_.end(), buf, buf + n);
                        got += static_cast<std::size_t>(n);
                    }
                    break;
                }
                case Step::write:
                    (void)!::write(master_, step.bytes.data(), step.bytes.size());
                    break;
                case Step::sleep:
                    std::this_thread::sleep_for(std::chrono::milliseconds(step.milliseconds));
                    break;
                case Step::hangUp:
                    ::close(slave_);
                    ::close(master_);
                    slave_ = master_ = -1;
                    return;
            }
        }
    });
}

inline FaultPrinter::Bytes FaultPrinter::join() {
    if (thread_.joinable()) thread_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    Bytes out;
    out.swap(received_);
    return out;
}

inline std::size_t FaultPrinter::arrived() {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_.size();
}

}  // namespace ecf::test
