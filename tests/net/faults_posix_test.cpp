// Network ports that cannot be had, or that never answer: each ends with the
// result a local port gives, within the time-outs of a local port, and a URL
// of a bad form never makes a connection.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>

#include "ecf.h"
#include "ecf_ext.h"
#include "link/net_check.h"
#include "ser2net.h"
#include "support/scoped_env.h"

namespace {

using ecf::test::ScopedEnv;
using Clock = std::chrono::steady_clock;

// A socket listening on 127.0.0.1 that never accepts: the system completes
// connections for it (up to its backlog), and nothing ever answers.
class Listener {
public:
    explicit Listener(int backlog) : fd_(ecf::test::boundSocket(backlog, &port_)) {}
    ~Listener() {
        for (int fd : fillers_) ::close(fd);
        ::close(fd_);
    }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    std::string at() const { return "127.0.0.1:" + std::to_string(port_); }
    bool connectedTo() const {
        const int s = ::accept(fd_, nullptr, nullptr);
        if (s >= 0) ::close(s);
        return s >= 0;
    }
    // Fills the backlog, so that a further connection is not even completed.
    void fill() {
        for (int i = 0; i < 4; ++i) fillers_.push_back(ecf::test::connectTo(port_));
        ::usleep(100000);
    }

private:
    uint16_t port_ = 0;
    int fd_;
    std::vector<int> fillers_;
};

// ecfSubTotal on a network port: its result, and that it took its time.
void expectSubTotalOn(const std::string& url, int32_t result, double atLeast, double atMost) {
    SCOPED_TRACE(url);
    ScopedEnv port("ECF_COM1", url);
    ChangePort(0);
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(ecfSubTotal(), result);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_GE(seconds, atLeast);
    EXPECT_LE(seconds, atMost);
}

TEST(NetworkFaults, PortsThatCannotBeOpenedGive1030) {
    Listener listener(8), full(0);
    full.fill();
    const std::string refused = "127.0.0.1:" + std::to_string(ecf::test::freePort());
    const struct {
        std::string url;
        double atLeast, atMost;
    } cases[] = {
        {"tcp://" + listener.at() + "/", 0, 0.5},
        {"tcp://" + listener.at() + "0", 0, 0.5},  // port out of range
        {"rfc2217://127.0.0.1", 0, 0.5},
        {"tcp://" + refused, 0, 0.5},
        {"tcp://no-such-printer.invalid:4001", 0, 3.5},
        {"tcp://" + full.at(), 2.9, 3.5},            // no connection within 3 s
        {"rfc2217://" + listener.at(), 2.9, 3.5},  // connected, but never a Telnet answer
    };
    for (const auto& c : cases) expectSubTotalOn(c.url, 1030, c.atLeast, c.atMost);
    // Only the last case reached the listener; the bad forms sent nothing.
    EXPECT_TRUE(listener.connectedTo());
    EXPECT_FALSE(listener.connectedTo());
}

// A server that takes the connection and never answers: the 25 s of a
// silent printer, and the result 0, as on a local port.
TEST(NetworkFaults, ASilentServerIsASilentPrinter) {
    Listener silent(8);
    expectSubTotalOn("tcp://" + silent.at(), 0, 25.0, 26.5);
    ecf_exchange_info info{};
    info.size = sizeof info;
    EXPECT_TRUE(ecf_last_exchange(&info) == 0 && info.bytes_sent == 5 && info.bytes_received == 0);
}

// The steps a diagnosis shows, each where it stops.
TEST(NetworkFaults, TheChecksOfAPortStopAtTheFailingStep) {
    using ecf::link::OpenError;
    Listener listener(8);
    const std::string refused = "127.0.0.1:" + std::to_string(ecf::test::freePort());
    const struct {
        std::string url;
        bool wellFormed, lookedUp;
        OpenError opened;
        uint32_t openError;
    } cases[] = {
        {"tcp://printer", false, false, OpenError::other, 0},
        {"tcp://no-such-printer.invalid:4001", true, false, OpenError::other, 0},
        {"tcp://" + refused, true, true, OpenError::other, ECONNREFUSED},
        {"tcp://" + listener.at(), true, true, OpenError::none, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        const ecf::link::NetworkCheck check = ecf::link::checkNetworkPort(c.url);
        EXPECT_EQ(check.wellFormed, c.wellFormed);
        EXPECT_EQ(check.wellFormed && check.lookupError == 0, c.lookedUp);
        EXPECT_EQ(check.opened, c.opened);
        EXPECT_EQ(check.openError, c.openError);
    }
}

}  // namespace
