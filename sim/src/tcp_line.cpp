#include "ecfsim/tcp_line.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace ecfsim {

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250, SE = 240;
constexpr uint8_t BINARY = 0, SGA = 3, COM_PORT = 44;
constexpr const char* kInUse = "Port already in use\r\n";
// Bytes held for a side that does not read; beyond it the oldest are lost.
constexpr std::size_t kHeldLimit = 4 * 1024 * 1024;

std::runtime_error systemError(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

void nonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

// Writes what the descriptor takes now; false when it is gone.
bool flush(int fd, Bytes& out) {
    while (!out.empty()) {
        const ssize_t n = ::send(fd, out.data(), out.size(), MSG_NOSIGNAL);
        if (n > 0) {
            out.erase(out.begin(), out.begin() + n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
    return true;
}

void hold(Bytes& out, const uint8_t* bytes, std::size_t n) {
    out.insert(out.end(), bytes, bytes + n);
    if (out.size() > kHeldLimit) out.erase(out.begin(), out.end() - kHeldLimit);
}

// The access server's side of RFC 2217 for one client.
class ComPortServer {
public:
    // Set by PURGE-DATA: what the printer sent and the relay holds goes.
    bool purgeReceived = false;

    void greet(Bytes& toClient) const {
        toClient.insert(toClient.end(), {IAC, WILL, BINARY, IAC, DO, BINARY, IAC, DO, COM_PORT});
    }

    // What the client sent: data for the printer into `toLine` (only while
    // the line is set as the printer's), answers into `toClient`.
    void fromClient(const uint8_t* in, std::size_t n, Bytes& toLine, Bytes& toClient) {
        for (std::size_t i = 0; i < n; ++i) {
            const uint8_t c = in[i];
            switch (state_) {
                case State::data:
                    if (c == IAC) state_ = State::iac;
                    else if (lineMatches()) toLine.push_back(c);
                    break;
                case State::iac:
                    state_ = State::data;
                    if (c == IAC && lineMatches()) toLine.push_back(IAC);
                    else if (c >= WILL) verb_ = c, state_ = State::option;
                    else if (c == SB) sub_.clear(), state_ = State::sub;
                    break;
                case State::option:
                    negotiate(verb_, c, toClient);
                    state_ = State::data;
                    break;
                case State::sub:
                    if (c == IAC) state_ = State::subIac;
                    else if (sub_.size() < 64) sub_.push_back(c);
                    break;
                case State::subIac:
                    if (c == IAC) {
                        if (sub_.size() < 64) sub_.push_back(IAC);
                        state_ = State::sub;
                    } else {
                        command(toClient, toLine);
                        state_ = State::data;
                    }
                    break;
            }
        }
    }

    // What the printer answered, for the client.
    void fromLine(const uint8_t* in, std::size_t n, Bytes& toClient) const {
        if (!lineMatches()) return;
        for (std::size_t i = 0; i < n; ++i) {
            toClient.push_back(in[i]);
            if (in[i] == IAC) toClient.push_back(IAC);
        }
    }

private:
    enum class State { data, iac, option, sub, subIac };

    bool lineMatches() const { return baud_ == 9600 && dataSize_ == 8 && parity_ == 3 && stopSize_ == 1; }

    void negotiate(uint8_t verb, uint8_t option, Bytes& out) {
        const bool known = option == BINARY || option == SGA || (option == COM_PORT && verb == WILL);
        if (verb == WILL && !known) out.insert(out.end(), {IAC, DONT, option});
        if (verb == DO && !known) out.insert(out.end(), {IAC, WONT, option});
        if (verb == WILL && option == COM_PORT && !comPort_) {
            comPort_ = true;
            modemState(out);
        }
    }

    void reply(uint8_t code, const Bytes& value, Bytes& out) const {
        out.insert(out.end(), {IAC, SB, COM_PORT, static_cast<uint8_t>(code + 100)});
        for (uint8_t b : value) {
            out.push_back(b);
            if (b == IAC) out.push_back(IAC);
        }
        out.insert(out.end(), {IAC, SE});
    }

    void modemState(Bytes& out) const { reply(7, {0xB0}, out); }  // DCD, DSR, CTS on

    void command(Bytes& out, Bytes& toLine) {
        if (sub_.size() < 2 || sub_[0] != COM_PORT) return;
        const uint8_t code = sub_[1];
        const uint8_t v = sub_.size() > 2 ? sub_[2] : 0;
        switch (code) {
            case 0: reply(0, {'e', 'c', 'f', '-', 's', 'i', 'm'}, out); break;
            case 1:
                if (sub_.size() >= 6) {
                    const uint32_t rate = uint32_t{sub_[2]} << 24 | uint32_t{sub_[3]} << 16 |
                                          uint32_t{sub_[4]} << 8 | sub_[5];
                    if (rate != 0) baud_ = rate;
                }
                reply(1, {uint8_t(baud_ >> 24), uint8_t(baud_ >> 16), uint8_t(baud_ >> 8), uint8_t(baud_)}, out);
                break;
            case 2: reply(2, {v != 0 ? dataSize_ = v : dataSize_}, out); break;
            case 3: reply(3, {v != 0 ? parity_ = v : parity_}, out); break;
            case 4: reply(4, {v != 0 ? stopSize_ = v : stopSize_}, out); break;
            case 5: reply(5, {control(v)}, out); break;
            case 10: reply(10, {v}, out); break;
            case 11:
                reply(11, {v}, out);
                modemState(out);
                break;
            case 12:
                if (v == 1 || v == 3) purgeReceived = true;  // from the printer, not yet sent
                if (v == 2 || v == 3) toLine.clear();         // for the printer, not yet sent
                reply(12, {v}, out);
                break;
            default: break;  // nothing to answer (flow control suspend and resume)
        }
    }

    // SET-CONTROL: requests give the state, settings change it.
    uint8_t control(uint8_t v) {
        switch (v) {
            case 0: return flow_;
            case 1: case 2: case 3: return flow_ = v;
            case 4: return breakOn_ ? 5 : 6;
            case 5: case 6: breakOn_ = v == 5; return v;
            case 7: return dtrOn_ ? 8 : 9;
            case 8: case 9: dtrOn_ = v == 8; return v;
            case 10: return rtsOn_ ? 11 : 12;
            case 11: case 12: rtsOn_ = v == 11; return v;
            default: return v;
        }
    }

    State state_ = State::data;
    uint8_t verb_ = 0;
    Bytes sub_;
    bool comPort_ = false;
    uint32_t baud_ = 9600;
    uint8_t dataSize_ = 8, parity_ = 3, stopSize_ = 1, flow_ = 3;
    bool breakOn_ = false, dtrOn_ = true, rtsOn_ = true;
};

// Drops what the printer sent that the relay has not read yet.
void discardLine(int line, uint8_t* buffer, std::size_t size) {
    while (::read(line, buffer, size) > 0) {
    }
}

// "HOST:PORT" or "[IPv6]:PORT".
void splitHostPort(const std::string& text, std::string& host, std::string& port) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos) throw std::runtime_error("--listen wants HOST:PORT, not " + text);
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    if (port.empty()) throw std::runtime_error("--listen wants HOST:PORT, not " + text);
}

std::string boundAddress(int fd) {
    sockaddr_storage a{};
    socklen_t size = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
    char host[INET6_ADDRSTRLEN] = "?";
    uint16_t port = 0;
    if (a.ss_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&a);
        ::inet_ntop(AF_INET6, &v6->sin6_addr, host, sizeof host);
        return "[" + std::string(host) + "]:" + std::to_string(ntohs(v6->sin6_port));
    }
    const auto* v4 = reinterpret_cast<const sockaddr_in*>(&a);
    ::inet_ntop(AF_INET, &v4->sin_addr, host, sizeof host);
    port = ntohs(v4->sin_port);
    return std::string(host) + ":" + std::to_string(port);
}

}  // namespace

TcpLine::TcpLine(const std::string& hostPort, bool rfc2217) : rfc2217_(rfc2217) {
    std::string host, port;
    splitHostPort(hostPort, host, port);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (const int r = ::getaddrinfo(host.empty() ? nullptr : host.c_str(), port.c_str(), &hints, &found); r != 0)
        throw std::runtime_error("--listen " + hostPort + ": " + ::gai_strerror(r));
    listener_ = ::socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const bool bound = listener_ >= 0 && ::bind(listener_, found->ai_addr, found->ai_addrlen) == 0 &&
                       ::listen(listener_, 8) == 0;
    ::freeaddrinfo(found);
    int pair[2] = {-1, -1};
    if (!bound || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0 ||
        ::pipe2(stopPipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        const auto error = systemError("--listen " + hostPort);
        if (listener_ >= 0) ::close(listener_);
        for (int fd : {pair[0], pair[1], stopPipe_[0], stopPipe_[1]})
            if (fd >= 0) ::close(fd);
        throw error;
    }
    printer_ = pair[0];
    line_ = pair[1];
    nonBlocking(listener_);
    nonBlocking(line_);
    address_ = boundAddress(listener_);
    thread_ = std::thread([this] { relay(); });
}

TcpLine::~TcpLine() {
    const char b = 's';
    (void)!::write(stopPipe_[1], &b, 1);
    if (thread_.joinable()) thread_.join();
    for (int fd : {listener_, printer_, line_, stopPipe_[0], stopPipe_[1]}) ::close(fd);
}

void TcpLine::relay() {
    int client = -1;
    ComPortServer server;
    Bytes toClient, toLine;
    uint8_t buffer[8192];
    auto drop = [&] {
        ::close(client);
        client = -1;
        toClient.clear();
        toLine.clear();
    };
    for (;;) {
        pollfd fds[4] = {{stopPipe_[0], POLLIN, 0},
                         {listener_, POLLIN, 0},
                         {line_, static_cast<short>(POLLIN | (toLine.empty() ? 0 : POLLOUT)), 0},
                         {client, static_cast<short>(POLLIN | (toClient.empty() ? 0 : POLLOUT)), 0}};
        if (::poll(fds, client >= 0 ? 4 : 3, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents != 0) return;
        if ((fds[1].revents & POLLIN) != 0) {
            const int s = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (s >= 0 && client >= 0) {  // busy: say so and hang up, as ser2net does
                Bytes refusal;
                if (rfc2217_) ComPortServer().greet(refusal);
                refusal.insert(refusal.end(), kInUse, kInUse + std::strlen(kInUse));
                (void)flush(s, refusal);
                ::close(s);
            } else if (s >= 0) {
                client = s;
                const int on = 1;
                ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
                server = ComPortServer();
                if (rfc2217_) server.greet(toClient);
                discardLine(line_, buffer, sizeof buffer);  // said to nobody
            }
        }
        if ((fds[2].revents & POLLIN) != 0) {
            const ssize_t n = ::read(line_, buffer, sizeof buffer);
            if (n > 0 && client >= 0) {
                if (rfc2217_) server.fromLine(buffer, static_cast<std::size_t>(n), toClient);
                else hold(toClient, buffer, static_cast<std::size_t>(n));
            }
        }
        if (client >= 0 && (fds[3].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
                drop();
            } else if (n > 0) {
                if (rfc2217_) server.fromClient(buffer, static_cast<std::size_t>(n), toLine, toClient);
                else hold(toLine, buffer, static_cast<std::size_t>(n));
                if (server.purgeReceived) discardLine(line_, buffer, sizeof buffer);
                server.purgeReceived = false;
            }
        }
        if (!flush(line_, toLine)) return;
        if (client >= 0 && !flush(client, toClient)) drop();
    }
}

}  // namespace ecfsim
