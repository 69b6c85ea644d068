#include "net_port.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

namespace ecf::link {

namespace {

constexpr std::size_t kGreetingKept = 128;
// At most this much is read in one go while nothing is awaited, so that a
// server that floods the connection cannot hold an exchange in one step.
constexpr std::size_t kDrainLimit = 64 * 1024;

constexpr std::string_view kDeviceMissing = "Device open failure";
// What ser2net says before it hangs up on a client it does not serve.
constexpr std::string_view kRefusals[] = {"Port already in use\r\n", "Port's device already in use\r\n",
                                          kDeviceMissing};

// Whether bytes from the server begin with a whole refusal line. A printer
// never answers a command with one of these texts.
bool beginsWithRefusal(const uint8_t* bytes, std::size_t length) {
    const std::string_view text(reinterpret_cast<const char*>(bytes), length);
    for (std::string_view refusal : kRefusals)
        if (text.compare(0, refusal.size(), refusal) == 0) return true;
    return false;
}

}  // namespace

uint32_t lookUpWithin(const std::string& host, uint16_t port, Clock::time_point deadline,
                      std::vector<net::Address>& out) {
    if (net::lookUp(host, port, true, out) == 0) return 0;
    struct Lookup {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        uint32_t error = 0;
        std::vector<net::Address> found;
    };
    auto lookup = std::make_shared<Lookup>();
    // The thread owns its share of the result: left behind at the deadline,
    // it ends on its own when the name service answers.
    std::thread([lookup, host, port] {
        net::NetworkSession session;
        std::vector<net::Address> found;
        const uint32_t error = session.error() != 0 ? session.error()
                                                    : net::lookUp(host, port, false, found);
        std::lock_guard<std::mutex> lock(lookup->mutex);
        lookup->error = error;
        lookup->found = std::move(found);
        lookup->finished = true;
        lookup->done.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(lookup->mutex);
    if (!lookup->done.wait_until(lock, deadline, [&] { return lookup->finished; }))
        return net::timedOutError();
    if (lookup->error != 0) return lookup->error;
    out = std::move(lookup->found);
    return 0;
}

OpenError NetPort::failOpen(OpenError error, uint32_t systemError) {
    details_.systemError = systemError;
    ended_ = true;  // a connection that failed to open is dropped, not closed politely
    close();
    return error;
}

OpenError NetPort::open(const char* name) {
    close();
    details_ = OpenDetails{};
    const std::string url = name != nullptr ? name : "";
    url.copy(details_.device, sizeof details_.device - 1);
    ended_ = false;
    greeting_.clear();
    client_ = telnet::Client{};
    const std::optional<PortUrl> parsed = parsePortUrl(url);
    if (!parsed) return failOpen(OpenError::other, net::badAddressError());
    url_ = *parsed;

    const Clock::time_point started = Clock::now();
    const Clock::time_point deadline = started + kConnectLimit;
    try {
        session_.emplace();
        if (session_->error() != 0) return failOpen(OpenError::other, session_->error());
        Clock::duration took{};
        if (const uint32_t e = connect(url_, deadline, &took); e != 0)
            return failOpen(OpenError::other, e);
        if (telnet()) {
            client_.start(queued_);
            std::size_t sent = 0;
            if (const uint32_t e = sendQueued(&deadline, &sent); e != 0)
                return failOpen(OpenError::other, e);
            return awaitService(deadline);
        }
        return awaitRefusal(std::min(deadline, Clock::now() + kRefusalWait + 2 * took));
    } catch (const std::exception&) {  // no memory, no thread for the lookup
        return failOpen(OpenError::other, net::notSupportedError());
    }
}

uint32_t NetPort::connect(const PortUrl& url, Clock::time_point deadline, Clock::duration* took) {
    std::vector<net::Address> addresses;
    if (const uint32_t e = lookUpWithin(url.host, url.port, deadline, addresses); e != 0) return e;
    uint32_t error = net::timedOutError();
    for (const net::Address& address : addresses) {
        if (millisecondsUntil(&deadline) == 0) break;
        const Clock::time_point start = Clock::now();
        error = socket_.connect(address, deadline);
        if (error == 0) {
            *took = Clock::now() - start;
            return 0;
        }
    }
    return error;
}

// Over RFC 2217 the server's first COM-PORT-OPTION answer shows that it
// serves us; a server that turns us away closes the connection instead.
OpenError NetPort::awaitService(Clock::time_point deadline) {
    for (;;) {
        if (!drainInput()) return refusal();
        if (client_.serving() || client_.comPortRefused()) break;
        sendAnswers();
        const int waitMs = millisecondsUntil(&deadline);
        if (waitMs == 0) return failOpen(OpenError::other, net::timedOutError());
        uint32_t error = 0;
        if (!socket_.wait(false, waitMs, &error) && error != 0)
            return failOpen(OpenError::other, error);
    }
    greeting_.clear();
    return OpenError::none;
}

// A raw server says nothing when it serves us: a connection it has not
// closed by the end of the wait is ours.
OpenError NetPort::awaitRefusal(Clock::time_point until) {
    for (;;) {
        if (!drainInput()) return refusal();
        const int waitMs = millisecondsUntil(&until);
        if (waitMs == 0) break;
        uint32_t error = 0;
        if (!socket_.wait(false, waitMs, &error) && error != 0)
            return failOpen(OpenError::other, error);
    }
    greeting_.clear();
    return OpenError::none;
}

OpenError NetPort::refusal() {
    if (greeting_.compare(0, kDeviceMissing.size(), kDeviceMissing) == 0)
        return failOpen(OpenError::other, net::connectionLostError());
    details_.lockFailed = true;
    return failOpen(OpenError::accessDenied, net::connectionLostError());
}

bool NetPort::drainInput() {
    uint8_t chunk[1024];
    uint8_t data[sizeof chunk];
    for (std::size_t total = 0; total < kDrainLimit && !ended_;) {
        std::size_t got = 0;
        bool end = false;
        if (socket_.receiveSome(chunk, sizeof chunk, &got, &end) != 0) end = true;
        if (end) {
            ended_ = true;
            break;
        }
        if (got == 0) break;
        total += got;
        const std::size_t n = telnet() ? client_.read(chunk, got, data) : got;
        const uint8_t* bytes = telnet() ? data : chunk;
        greeting_.append(reinterpret_cast<const char*>(bytes),
                         std::min(n, kGreetingKept - std::min(kGreetingKept, greeting_.size())));
    }
    return !ended_;
}

uint32_t NetPort::sendQueued(const Clock::time_point* deadline, std::size_t* sent) {
    *sent = 0;
    uint32_t error = 0;
    while (*sent < queued_.size()) {
        std::size_t n = 0;
        error = socket_.sendSome(queued_.data() + *sent, queued_.size() - *sent, &n);
        *sent += n;
        if (error != 0 || *sent == queued_.size()) break;
        // No room: wait for it until the deadline; what did not go stays
        // queued, so that the stream of commands stays whole.
        const int waitMs = millisecondsUntil(deadline);
        if (waitMs == 0) break;
        if (!socket_.wait(true, waitMs, &error) && error != 0) break;
    }
    queued_.erase(queued_.begin(), queued_.begin() + static_cast<std::ptrdiff_t>(*sent));
    if (error != 0) ended_ = true;
    return error;
}

void NetPort::sendAnswers() {
    client_.takeAnswers(queued_);
    std::size_t sent = 0;
    const Clock::time_point now = Clock::now();
    (void)sendQueued(&now, &sent);
}

uint32_t NetPort::applyLineSettings(const LineSettings& s) {
    if (!telnet()) return 0;
    if (client_.comPortRefused()) return net::notSupportedError();
    const uint8_t rate[4] = {static_cast<uint8_t>(s.baudRate >> 24), static_cast<uint8_t>(s.baudRate >> 16),
                             static_cast<uint8_t>(s.baudRate >> 8), static_cast<uint8_t>(s.baudRate)};
    client_.comPort(telnet::kSetBaudRate, rate, sizeof rate, queued_);
    client_.comPort(telnet::kSetDataSize, s.byteSize, queued_);
    // Win32 parity 0..4 (none, odd, even, mark, space) is 1..5 here; stop
    // bits 0, 1, 2 (one, one and a half, two) are 1, 3, 2.
    client_.comPort(telnet::kSetParity, static_cast<uint8_t>(std::min<int>(s.parity, 4) + 1), queued_);
    const uint8_t stopSize[3] = {1, 3, 2};
    client_.comPort(telnet::kSetStopSize, stopSize[std::min<int>(s.stopBits, 2)], queued_);
    const bool hardware = s.outxCtsFlow || s.rtsControl == 2;
    client_.comPort(telnet::kSetControl,
                    hardware ? telnet::kHardwareFlowControl : telnet::kNoFlowControl, queued_);
    return 0;
}

uint32_t NetPort::purge(uint32_t flags) {
    if (telnet()) {
        if ((flags & kPurgeTxClear) != 0)
            client_.comPort(telnet::kPurgeData, telnet::kPurgeTransmit, queued_);
        if ((flags & kPurgeRxClear) != 0)
            client_.comPort(telnet::kPurgeData, telnet::kPurgeReceive, queued_);
    }
    // What arrived before the exchange is stale either way.
    if ((flags & kPurgeRxClear) != 0) drainInput();
    return 0;
}

uint32_t NetPort::setTimeouts(const CommTimeouts& timeouts) {
    timeouts_ = timeouts;
    return 0;
}

// A server that reports every line off is taken as one that cannot see the
// lines (three-wire cabling, a pseudo-terminal behind it), as a local driver
// that cannot report them is: CTS counts as on.
uint32_t NetPort::modemStatus(uint32_t* status) {
    if (!telnet()) return net::notSupportedError();
    drainInput();
    const std::optional<uint8_t> state = client_.modemState();
    if (!state || (*state & telnet::kModemLines) == 0) return net::notSupportedError();
    *status = *state & telnet::kModemLines;  // CTS, DSR, RI, DCD: the MS_*_ON bits
    return 0;
}

void NetPort::escape(uint32_t function) {
    if (!telnet()) return;
    uint8_t control = 0;
    switch (function) {
        case kSetRts: control = telnet::kRtsOn; break;
        case kClrRts: control = telnet::kRtsOff; break;
        case kSetDtr: control = telnet::kDtrOn; break;
        case kClrDtr: control = telnet::kDtrOff; break;
        default: return;
    }
    client_.comPort(telnet::kSetControl, control, queued_);
}

// The byte leads the next write, after the commands already queued.
uint32_t NetPort::transmitPriority(uint8_t byte) {
    if (telnet())
        client_.data(&byte, 1, queued_);
    else
        queued_.push_back(byte);
    return 0;
}

uint32_t NetPort::write(const uint8_t* data, uint32_t length, uint32_t* written) {
    *written = 0;
    if (ended_) return net::connectionLostError();
    if (telnet()) client_.takeAnswers(queued_);  // the server's options answered first
    const std::size_t ahead = queued_.size();
    if (telnet())
        client_.data(data, length, queued_);
    else
        queued_.insert(queued_.end(), data, data + length);
    const WriteDeadline deadline(timeouts_, length);
    std::size_t sent = 0;
    const uint32_t error = sendQueued(deadline.at(), &sent);
    // The caller's bytes that went whole.
    std::size_t budget = sent > ahead ? sent - ahead : 0;
    while (*written < length) {
        const std::size_t size = telnet() ? client_.encodedSize(data + *written, 1) : 1;
        if (size > budget) break;
        budget -= size;
        ++*written;
    }
    return error;
}

uint32_t NetPort::read(uint8_t* data, uint32_t length, uint32_t* received) {
    *received = 0;
    if (length == 0) return 0;
    ReadDeadline deadline(timeouts_, length);
    uint8_t chunk[4096];
    while (*received < length) {
        if (deadline.doneWith(*received)) break;
        if (ended_) return net::connectionLostError();
        if (telnet()) sendAnswers();
        const uint32_t want = length - *received;
        std::size_t got = 0;
        bool end = false;
        // Never more of the line than is wanted: raw, at most that many bytes;
        // over Telnet, a look at what is there, then only the bytes the
        // reader took.
        // A raw server that turned us away later than awaitRefusal() waited:
        // its text is no answer of the printer.
        if (!telnet() && *received == 0 &&
            (socket_.receiveSome(chunk, 64, &got, &end, true) != 0 || beginsWithRefusal(chunk, got))) {
            ended_ = true;
            return net::connectionLostError();
        }
        const std::size_t room = telnet() ? sizeof chunk : std::min<std::size_t>(want, sizeof chunk);
        if (const uint32_t e = socket_.receiveSome(chunk, room, &got, &end, telnet()); e != 0) {
            ended_ = true;
            return e;
        }
        if (end) {
            ended_ = true;
            return net::connectionLostError();
        }
        if (got > 0) {
            const uint32_t before = *received;
            std::size_t taken = got;
            if (telnet())
                taken = readTelnet(chunk, got, data, length, received);
            else
                std::memcpy(data + *received, chunk, got), *received += static_cast<uint32_t>(got);
            if (telnet() && (socket_.receiveSome(chunk, taken, &got, &end) != 0 || got != taken)) {
                ended_ = true;
                return net::connectionLostError();
            }
            if (*received > before) deadline.byteArrived();
            continue;
        }
        if (deadline.immediate()) break;
        const int waitMs = deadline.waitMs(*received);
        if (waitMs == 0) break;  // timed out: a success with fewer bytes
        uint32_t error = 0;
        if (!socket_.wait(false, waitMs, &error) && error != 0) return error;
    }
    return 0;
}

std::size_t NetPort::readTelnet(const uint8_t* in, std::size_t length, uint8_t* data, uint32_t wanted,
                                uint32_t* received) {
    std::size_t taken = 0;
    while (taken < length && *received < wanted)
        *received += static_cast<uint32_t>(client_.read(in + taken++, 1, data + *received));
    return taken;
}

void NetPort::close() {
    if (socket_.isOpen()) {
        // The last commands (RTS and DTR raised) go if they can at once.
        if (telnet() && !ended_) sendAnswers();
        if (!ended_) closeGracefully();
        socket_.close();
    }
    queued_.clear();
    session_.reset();
}

void NetPort::closeGracefully() {
    socket_.shutdownSending();
    const Clock::time_point until = Clock::now() + kCloseWait;
    uint8_t chunk[1024];
    for (;;) {
        std::size_t got = 0;
        bool end = false;
        if (socket_.receiveSome(chunk, sizeof chunk, &got, &end) != 0 || end) return;
        const int waitMs = millisecondsUntil(&until);
        uint32_t error = 0;
        if (waitMs == 0) return;
        if (got == 0 && !socket_.wait(false, waitMs, &error) && error != 0) return;
    }
}

void NetPort::pause(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace ecf::link
