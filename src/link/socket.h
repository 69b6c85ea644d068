// The few socket operations a network port needs, over POSIX sockets or
// Winsock: look a host up, connect within a deadline, send and receive
// without blocking, wait on poll. Errors are the platform's own numbers
// (errno; WSAGetLastError), as a local port reports its system errors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "deadlines.h"

namespace ecf::link::net {

// The network stack held for the life of the object: Winsock started (and
// loaded, on first use); nothing to do on POSIX systems.
class NetworkSession {
public:
    NetworkSession();
    ~NetworkSession();
    NetworkSession(const NetworkSession&) = delete;
    NetworkSession& operator=(const NetworkSession&) = delete;
    // 0, or why the stack cannot be used.
    uint32_t error() const { return error_; }

private:
    uint32_t error_ = 0;
};

// One address to connect to, as the lookup gave it.
struct Address {
    unsigned char bytes[128] = {};
    int length = 0;
    int family = 0;
};

// The addresses of host (a name, an IPv4 or an IPv6 address) at port; with
// numericOnly, addresses alone are taken and no name service is asked.
// Returns 0 or the lookup's error.
uint32_t lookUp(const std::string& host, uint16_t port, bool numericOnly, std::vector<Address>& out);

// The errors this layer reports of its own.
uint32_t connectionLostError();  // the server closed the connection
uint32_t timedOutError();
uint32_t notSupportedError();
uint32_t badAddressError();

class Socket {
public:
    Socket() = default;
    ~Socket() { close(); }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // Connects to the address, giving up at the deadline. Returns 0 or the error.
    uint32_t connect(const Address& address, Clock::time_point deadline);
    // Sends what the system takes now; *sent bytes went. Returns 0 or the error.
    uint32_t sendSome(const uint8_t* data, std::size_t length, std::size_t* sent);
    // Receives what is there now (*got may be 0); *ended once the server has
    // closed its side. With peek the bytes stay to be received again.
    // Returns 0 or the error.
    uint32_t receiveSome(uint8_t* data, std::size_t room, std::size_t* got, bool* ended,
                         bool peek = false);
    // Waits until the socket can be read (or written), at most timeoutMs
    // (-1: no limit). False on time-out, interruption or failure (*error set
    // then, else 0).
    bool wait(bool forWriting, int timeoutMs, uint32_t* error);
    // Tells the server that nothing more will come (a half close).
    void shutdownSending();
    bool isOpen() const { return handle_ != kNone; }
    void close();

private:
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t handle_ = kNone;
};

}  // namespace ecf::link::net
