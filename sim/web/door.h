// The control page's door: the listening TCP socket is its own, not the HTTP
// server's. A connection carries one request, whose head (request line and
// headers) must arrive whole within a few kilobytes and a few seconds; the
// door then relays the connection, both ways, to the HTTP server behind it
// on a Unix socket. (The HTTP library bounds each header line but not how
// many lines there are, nor how long they take to come.)
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace ecfsim::web {

struct DoorLimits {
    std::size_t head = 8192;  // bytes of request line and headers, the blank line included
    int headSeconds = 5;      // to receive them
    int writeSeconds = 5;     // a peer that takes no bytes for this long is dropped
    int connections = 32;     // at once; more are refused with 503
};

class Door {
public:
    // Listens on host:port (port 0: any free one) and relays to the Unix
    // socket at `backend`. Throws std::runtime_error when it cannot listen.
    Door(const std::string& host, int port, std::string backend, DoorLimits limits = {});
    // Stops listening, ends every connection and waits for them.
    ~Door();
    Door(const Door&) = delete;
    Door& operator=(const Door&) = delete;

    int port() const { return port_; }

private:
    void acceptConnections();
    void serve(int client);
    void relay(int client, int backend, std::string pending);

    const std::string backend_;
    const DoorLimits limits_;
    int listener_ = -1;
    int port_ = 0;
    int stopPipe_[2] = {-1, -1};

    std::mutex mutex_;
    std::condition_variable finished_;
    int open_ = 0;  // connections being served
    std::thread acceptor_;
};

}  // namespace ecfsim::web
