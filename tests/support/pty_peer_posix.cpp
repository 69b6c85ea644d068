#include "pty_peer.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace ecf::test {

PtyPeer::PtyPeer() {
    char name[256] = {0};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    termios tio{};
    ::tcgetattr(slave_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave_, TCSANOW, &tio);
    path_ = name;
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PtyPeer::~PtyPeer() {
    if (thread_.joinable()) thread_.join();
    hangUp();
}

bool PtyPeer::readFrame(std::size_t length) {
    std::size_t got = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (got < length && std::chrono::steady_clock::now() < deadline) {
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        uint8_t buf[512];
        const ssize_t n = ::read(master_, buf, std::min(length - got, sizeof buf));
        if (n <= 0) continue;
        std::lock_guard<std::mutex> lock(mutex_);
        received_.insert(received_.end(), buf, buf + n);
        got += static_cast<std::size_t>(n);
    }
    return got == length;
}

void PtyPeer::writeAnswer(const Bytes& answer) {
    std::size_t sent = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (sent < answer.size() && std::chrono::steady_clock::now() < deadline) {
        pollfd p{master_, POLLOUT, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        const ssize_t n = ::write(master_, answer.data() + sent, answer.size() - sent);
        if (n > 0) sent += static_cast<std::size_t>(n);
    }
}

void PtyPeer::hangUp() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = master_ = -1;
}

void PtyPeer::serve(std::vector<Step> script) {
    thread_ = std::thread([this, script = std::move(script)] {
        for (const Step& step : script) {
            // A frame that never arrived gets no answer: the library gave up
            // early, and a large answer would block against a full pty.
            if (!readFrame(step.frameLength)) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(step.delayMs));
            writeAnswer(step.answer);
            if (step.hangUp) return hangUp();
        }
    });
}

Bytes PtyPeer::wait() {
    if (thread_.joinable()) thread_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    Bytes out;
    out.swap(received_);
    return out;
}

std::size_t PtyPeer::arrived() {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_.size();
}

}  // namespace ecf::test
