// The socket layer on POSIX systems.
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "socket.h"

namespace ecf::link::net {

NetworkSession::NetworkSession() = default;
NetworkSession::~NetworkSession() = default;

uint32_t connectionLostError() { return ECONNRESET; }
uint32_t timedOutError() { return ETIMEDOUT; }
uint32_t notSupportedError() { return ENOTSUP; }
uint32_t badAddressError() { return EINVAL; }

uint32_t lookUp(const std::string& host, uint16_t port, bool numericOnly, std::vector<Address>& out) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV | (numericOnly ? AI_NUMERICHOST : 0);
    addrinfo* found = nullptr;
    const int r = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (r != 0) return r == EAI_SYSTEM ? static_cast<uint32_t>(errno) : EHOSTUNREACH;
    out.clear();
    for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
        if (a->ai_addrlen > sizeof(Address::bytes)) continue;
        Address address;
        std::memcpy(address.bytes, a->ai_addr, a->ai_addrlen);
        address.length = static_cast<int>(a->ai_addrlen);
        address.family = a->ai_family;
        out.push_back(address);
    }
    ::freeaddrinfo(found);
    return out.empty() ? EHOSTUNREACH : 0;
}

uint32_t Socket::connect(const Address& address, Clock::time_point deadline) {
    close();
    const int fd = ::socket(address.family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return static_cast<uint32_t>(errno);
    handle_ = fd;
    const int on = 1;
    (void)::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);  // frames are small
    if (::connect(fd, reinterpret_cast<const sockaddr*>(address.bytes),
                  static_cast<socklen_t>(address.length)) == 0)
        return 0;
    if (errno != EINPROGRESS && errno != EINTR) {
        const uint32_t e = static_cast<uint32_t>(errno);
        close();
        return e;
    }
    uint32_t error = 0;
    while (!wait(true, millisecondsUntil(&deadline), &error)) {
        if (error == 0 && millisecondsUntil(&deadline) > 0) continue;  // interrupted
        close();
        return error != 0 ? error : timedOutError();
    }
    int soError = 0;
    socklen_t size = sizeof soError;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &size) != 0) soError = errno;
    if (soError != 0) {
        close();
        return static_cast<uint32_t>(soError);
    }
    return 0;
}

uint32_t Socket::sendSome(const uint8_t* data, std::size_t length, std::size_t* sent) {
    *sent = 0;
    while (*sent < length) {
        // MSG_NOSIGNAL: a closed connection is an error here, never a SIGPIPE
        // in the application's process.
        const ssize_t n = ::send(static_cast<int>(handle_), data + *sent, length - *sent, MSG_NOSIGNAL);
        if (n > 0) {
            *sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
        return n < 0 ? static_cast<uint32_t>(errno) : connectionLostError();
    }
    return 0;
}

uint32_t Socket::receiveSome(uint8_t* data, std::size_t room, std::size_t* got, bool* ended,
                             bool peek) {
    *got = 0;
    *ended = false;
    for (;;) {
        const ssize_t n = ::recv(static_cast<int>(handle_), data, room, peek ? MSG_PEEK : 0);
        if (n > 0) {
            *got = static_cast<std::size_t>(n);
            return 0;
        }
        if (n == 0) {
            *ended = room > 0;
            return 0;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        return static_cast<uint32_t>(errno);
    }
}

bool Socket::wait(bool forWriting, int timeoutMs, uint32_t* error) {
    *error = 0;
#ifdef TCP_QUICKACK
    // Acknowledge what comes at once: a server that answered commands (RFC
    // 2217) holds its next small segment, the printer's reply, until its
    // last one is acknowledged (Nagle), and a delayed acknowledgement costs
    // 40 ms. The system clears the flag by itself, so it is set at each wait.
    if (!forWriting) {
        const int on = 1;
        (void)::setsockopt(static_cast<int>(handle_), IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
    }
#endif
    pollfd p{static_cast<int>(handle_), static_cast<short>(forWriting ? POLLOUT : POLLIN), 0};
    const int r = ::poll(&p, 1, timeoutMs);
    if (r > 0) return true;  // ready, or failed: the next call tells which
    // Timed out, or interrupted (the caller's deadline bounds the total).
    if (r < 0 && errno != EINTR) *error = static_cast<uint32_t>(errno);
    return false;
}

void Socket::shutdownSending() { (void)::shutdown(static_cast<int>(handle_), SHUT_WR); }

void Socket::close() {
    if (handle_ == kNone) return;
    ::close(static_cast<int>(handle_));
    handle_ = kNone;
}

}  // namespace ecf::link::net
