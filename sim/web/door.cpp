#include "door.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "priority.h"

namespace ecfsim::web {

namespace {

using Clock = std::chrono::steady_clock;

// Closes a descriptor on every path.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

int msLeft(Clock::time_point deadline) {
    using std::chrono::milliseconds;
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

// Writes all of `data` to a non-blocking socket, waiting at most `seconds`
// for the peer to take each part; false when it will not, or `stop` fires.
bool writeAll(int fd, const char* data, std::size_t size, int seconds, int stop) {
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
        pollfd fds[2] = {{fd, POLLOUT, 0}, {stop, POLLIN, 0}};
        const int ready = ::poll(fds, 2, seconds * 1000);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0 || (fds[1].revents & POLLIN) != 0) return false;
    }
    return true;
}

// Answers with an error and ends the connection. What the client is still
// sending is read away for a moment first: closing on unread bytes would
// reset the connection and could lose the answer.
void refuse(int fd, const char* status, const char* why, int stop, bool drain = true) {
    const std::string body = std::string("{\"error\":\"") + why + "\"}\n";
    const std::string text = std::string("HTTP/1.1 ") + status +
                             "\r\nContent-Type: application/json\r\nContent-Length: " +
                             std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    if (!writeAll(fd, text.data(), text.size(), 1, stop) || !drain) return;
    ::shutdown(fd, SHUT_WR);
    const auto deadline = Clock::now() + std::chrono::milliseconds(500);
    char sink[4096];
    for (std::size_t drained = 0; drained < (1u << 20);) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, msLeft(deadline)) <= 0) return;
        const ssize_t n = ::recv(fd, sink, sizeof sink, 0);
        if (n <= 0 && !(n < 0 && errno == EINTR)) return;
        if (n > 0) drained += static_cast<std::size_t>(n);
    }
}

int listenOn(const std::string& host, int port, int& bound) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const int e = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (e != 0)
        throw std::runtime_error("cannot listen on " + host + ": " + ::gai_strerror(e));
    std::string why = "no address";
    int fd = -1;
    for (addrinfo* a = found; a != nullptr && fd < 0; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0) continue;
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (::bind(fd, a->ai_addr, a->ai_addrlen) != 0 || ::listen(fd, 64) != 0) {
            why = std::strerror(errno);
            ::close(fd);
            fd = -1;
        }
    }
    ::freeaddrinfo(found);
    if (fd < 0)
        throw std::runtime_error("cannot listen on " + host + ":" + std::to_string(port) + ": " +
                                 why);
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    bound = ntohs(address.ss_family == AF_INET6
                      ? reinterpret_cast<sockaddr_in6*>(&address)->sin6_port
                      : reinterpret_cast<sockaddr_in*>(&address)->sin_port);
    return fd;
}

int connectTo(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return -1;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    return fd;
}

}  // namespace

Door::Door(const std::string& host, int port, std::string backend, DoorLimits limits)
    : backend_(std::move(backend)), limits_(limits) {
    listener_ = listenOn(host, port, port_);
    if (::pipe2(stopPipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        ::close(listener_);
        throw std::runtime_error("pipe2 failed");
    }
    acceptor_ = std::thread([this] { acceptConnections(); });
}

Door::~Door() {
    const char b = 's';
    (void)!::write(stopPipe_[1], &b, 1);
    acceptor_.join();
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.wait(lock, [this] { return open_ == 0; });
    ::close(listener_);
    ::close(stopPipe_[0]);
    ::close(stopPipe_[1]);
}

void Door::acceptConnections() {
    giveWayToTheLine("page-door");
    for (;;) {
        pollfd fds[2] = {{listener_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) return;
        if ((fds[1].revents & POLLIN) != 0) return;
        if ((fds[0].revents & POLLIN) == 0) continue;
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0) {
            if (errno == EMFILE || errno == ENFILE) ::poll(nullptr, 0, 10);  // no descriptor yet
            continue;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (open_ >= limits_.connections) {
                refuse(client, "503 Service Unavailable", "too many connections", stopPipe_[0],
                       false);
                ::close(client);
                continue;
            }
            ++open_;
        }
        std::thread([this, client] {
            giveWayToTheLine("page-relay");
            serve(client);
            std::lock_guard<std::mutex> lock(mutex_);
            --open_;
            finished_.notify_all();
        }).detach();
    }
}

void Door::serve(int fd) {
    Fd client(fd);
    const int stop = stopPipe_[0];
    const auto deadline = Clock::now() + std::chrono::seconds(limits_.headSeconds);
    std::string head;
    char buffer[4096];
    std::size_t end;
    while ((end = head.find("\r\n\r\n")) == std::string::npos || end + 4 > limits_.head) {
        if (head.size() >= limits_.head)
            return refuse(fd, "431 Request Header Fields Too Large",
                          "the request head is too large", stop);
        pollfd fds[2] = {{fd, POLLIN, 0}, {stop, POLLIN, 0}};
        const int ready = ::poll(fds, 2, msLeft(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0 || (fds[1].revents & POLLIN) != 0) return;
        if (ready == 0)
            return refuse(fd, "408 Request Timeout", "the request head came too slowly", stop);
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return;
        if (n > 0) head.append(buffer, static_cast<std::size_t>(n));
    }
    Fd backend(connectTo(backend_));
    if (backend.get() < 0)
        return refuse(fd, "503 Service Unavailable", "the page's server is not running", stop);
    relay(fd, backend.get(), std::move(head));
}

// Both ways until the server has answered and closed, or either side leaves.
void Door::relay(int client, int backend, std::string pending) {
    const int stop = stopPipe_[0];
    if (!writeAll(backend, pending.data(), pending.size(), limits_.writeSeconds, stop)) return;
    std::vector<char> buffer(65536);  // an event stream runs to megabytes a second under load
    for (;;) {
        pollfd fds[3] = {{backend, POLLIN, 0}, {client, POLLIN, 0}, {stop, POLLIN, 0}};
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if ((fds[2].revents & POLLIN) != 0) return;
        if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            const ssize_t n = ::recv(backend, buffer.data(), buffer.size(), 0);
            if (n == 0) return;  // answered: the server closes after one request
            if (n < 0 && errno != EAGAIN && errno != EINTR) return;
            if (n > 0 && !writeAll(client, buffer.data(), static_cast<std::size_t>(n),
                                   limits_.writeSeconds, stop))
                return;  // a reader that stopped reading
        }
        if ((fds[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            // The request is through; a client that leaves wants no more of
            // the answer (an event stream it stopped following).
            const ssize_t n = ::recv(client, buffer.data(), buffer.size(), 0);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return;
            if (n > 0 && !writeAll(backend, buffer.data(), static_cast<std::size_t>(n),
                                   limits_.writeSeconds, stop))
                return;
        }
    }
}

}  // namespace ecfsim::web
