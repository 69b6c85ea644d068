#include "wire_printer.h"

#include <poll.h>
#include <sys/prctl.h>
#include <pty.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <stdexcept>

#include "wire_rules.h"

namespace ecf::bench {
namespace {

int64_t nowNs() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t{t.tv_sec} * 1000000000 + t.tv_nsec;
}

void sleepUntilNs(int64_t ns) {
    timespec t{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) != 0) {
    }
}

const wire::CodeRule* ruleOf(uint8_t code) {
    for (const wire::CodeRule& r : wire::commandRegister())
        if (r.code == code) return &r;
    return nullptr;
}

}  // namespace

WirePrinter::WirePrinter(bool paced) : paced_(paced) {
    char name[256] = {0};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty");
    termios tio{};
    ::tcgetattr(slave_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave_, TCSANOW, &tio);
    path_ = name;
    thread_ = std::thread([this] { serve(); });
}

WirePrinter::~WirePrinter() {
    stop_ = true;
    thread_.join();
    ::close(slave_);
    ::close(master_);
}

// Bytes of the frame at the start of `pending` (ESC first), 0 while unknown.
std::size_t WirePrinter::frameLength(const std::vector<uint8_t>& pending) const {
    if (pending.size() < 2) return 0;
    if (pending[1] == 'n') return 51;
    if (pending.size() < 3) return 0;
    const wire::CodeRule* rule = ruleOf(pending[2]);
    return rule == nullptr ? 3 : 1 + rule->recordLengths.front() + 1;
}

uint32_t WirePrinter::replyLength(uint8_t code) const {
    if (code == 0x15) {
        const uint32_t u = static_cast<uint32_t>(lastOwners_), r = static_cast<uint32_t>(lastReductions_);
        return 59 * u + 41 * r + 12 + (r != 0 ? 20 : 0);
    }
    const wire::CodeRule* rule = ruleOf(code);
    return rule == nullptr || rule->replyLengths.empty() ? 1 : rule->replyLengths.front();
}

void WirePrinter::answer(const std::vector<uint8_t>& reply, int64_t frameStartNs, std::size_t frameBytes) {
    if (!paced_) {
        std::size_t done = 0;
        while (done < reply.size()) {
            const ssize_t n = ::write(master_, reply.data() + done, reply.size() - done);
            if (n > 0) done += static_cast<std::size_t>(n);
            else {
                pollfd p{master_, POLLOUT, 0};
                ::poll(&p, 1, 10);
            }
        }
        return;
    }
    const double byteNs = kByteMicroseconds * 1000.0;
    // The frame's last bit arrives, then each reply byte takes its 11 bits.
    for (std::size_t i = 0; i < reply.size(); ++i) {
        sleepUntilNs(frameStartNs + static_cast<int64_t>(byteNs * static_cast<double>(frameBytes + i + 1)));
        (void)!::write(master_, &reply[i], 1);
    }
}

void WirePrinter::serve() {
    ::prctl(PR_SET_TIMERSLACK, 1UL);  // wake on the bit time, not 50 µs later
    std::vector<uint8_t> pending;
    int64_t frameStart = 0;
    while (!stop_) {
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        uint8_t buf[4096];
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n <= 0) continue;
        if (pending.empty()) frameStart = nowNs();
        pending.insert(pending.end(), buf, buf + n);
        for (;;) {
            while (!pending.empty() && pending[0] != 0x1B) pending.erase(pending.begin());
            const std::size_t length = frameLength(pending);
            if (length == 0 || pending.size() < length) break;
            const uint8_t code = pending[1] == 'n' ? 0 : pending[2];
            const std::size_t frameBytes = length;
            std::vector<uint8_t> reply(pending[1] == 'n' ? 1 : replyLength(code), 0);
            if (code == 0x26 && reply.size() >= 9) {
                lastOwners_ = owners_;
                lastReductions_ = reductions_;
                const std::string digits = std::to_string(100 + lastOwners_).substr(1) +
                                           std::to_string(10000 + lastReductions_).substr(1);
                for (std::size_t i = 0; i < 6; ++i) reply[3 + i] = static_cast<uint8_t>(digits[i]);
            }
            pending.erase(pending.begin(), pending.begin() + static_cast<long>(length));
            ++frames_;
            if (!silent_) answer(reply, frameStart, frameBytes);
            frameStart = nowNs();
        }
    }
}

}  // namespace ecf::bench
