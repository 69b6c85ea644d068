// The socket layer on Windows: Winsock 2, loaded when a network port is first
// used, so that the DLL imports nothing beyond what a local port needs.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
#include <mstcpip.h>
#include <windows.h>

#include <cstring>

#include "socket.h"

namespace ecf::link::net {

namespace {

struct Winsock {
    bool loaded = false;
    decltype(&::WSAStartup) startup = nullptr;
    decltype(&::WSACleanup) cleanup = nullptr;
    decltype(&::WSAGetLastError) lastError = nullptr;
    decltype(&::socket) socket = nullptr;
    decltype(&::connect) connect = nullptr;
    decltype(&::send) send = nullptr;
    decltype(&::recv) recv = nullptr;
    decltype(&::closesocket) closesocket = nullptr;
    decltype(&::shutdown) shutdown = nullptr;
    decltype(&::ioctlsocket) ioctlsocket = nullptr;
    decltype(&::select) select = nullptr;
    decltype(&::setsockopt) setsockopt = nullptr;
    decltype(&::WSAIoctl) ioctl = nullptr;
    decltype(&::getsockopt) getsockopt = nullptr;
    decltype(&::getaddrinfo) getaddrinfo = nullptr;
    decltype(&::freeaddrinfo) freeaddrinfo = nullptr;
};

template <typename F>
bool find(HMODULE module, const char* name, F& f) {
    f = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    return f != nullptr;
}

Winsock load() {
    Winsock w;
    const HMODULE m = ::LoadLibraryA("ws2_32.dll");  // kept for the life of the process
    if (m == nullptr) return w;
    w.loaded = find(m, "WSAStartup", w.startup) && find(m, "WSACleanup", w.cleanup) &&
               find(m, "WSAGetLastError", w.lastError) && find(m, "socket", w.socket) &&
               find(m, "connect", w.connect) && find(m, "send", w.send) && find(m, "recv", w.recv) &&
               find(m, "closesocket", w.closesocket) && find(m, "shutdown", w.shutdown) &&
               find(m, "ioctlsocket", w.ioctlsocket) &&
               find(m, "select", w.select) && find(m, "setsockopt", w.setsockopt) &&
               find(m, "WSAIoctl", w.ioctl) &&
               find(m, "getsockopt", w.getsockopt) && find(m, "getaddrinfo", w.getaddrinfo) &&
               find(m, "freeaddrinfo", w.freeaddrinfo);
    return w;
}

// Loaded once, then never changed.
const Winsock& winsock() {
    static const Winsock w = load();
    return w;
}

uint32_t lastError() { return static_cast<uint32_t>(winsock().lastError()); }

SOCKET asSocket(std::intptr_t handle) { return static_cast<SOCKET>(handle); }

// FD_ISSET without its helper in ws2_32, which is not linked.
bool holds(const fd_set& set, SOCKET s) {
    for (u_int i = 0; i < set.fd_count; ++i)
        if (set.fd_array[i] == s) return true;
    return false;
}

}  // namespace

NetworkSession::NetworkSession() {
    if (!winsock().loaded) {
        error_ = ERROR_MOD_NOT_FOUND;
        return;
    }
    WSADATA data;
    if (const int e = winsock().startup(MAKEWORD(2, 2), &data); e != 0) error_ = static_cast<uint32_t>(e);
}

NetworkSession::~NetworkSession() {
    if (error_ == 0) winsock().cleanup();
}

uint32_t connectionLostError() { return WSAECONNRESET; }
uint32_t timedOutError() { return WSAETIMEDOUT; }
uint32_t notSupportedError() { return WSAEOPNOTSUPP; }
uint32_t badAddressError() { return WSAEINVAL; }

uint32_t lookUp(const std::string& host, uint16_t port, bool numericOnly, std::vector<Address>& out) {
    const Winsock& w = winsock();
    if (!w.loaded) return ERROR_MOD_NOT_FOUND;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = AI_NUMERICSERV | (numericOnly ? AI_NUMERICHOST : 0);
    addrinfo* found = nullptr;
    if (const int r = w.getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found); r != 0)
        return static_cast<uint32_t>(r);
    out.clear();
    for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
        if (a->ai_addrlen > sizeof(Address::bytes)) continue;
        Address address;
        std::memcpy(address.bytes, a->ai_addr, a->ai_addrlen);
        address.length = static_cast<int>(a->ai_addrlen);
        address.family = a->ai_family;
        out.push_back(address);
    }
    w.freeaddrinfo(found);
    return out.empty() ? static_cast<uint32_t>(WSAHOST_NOT_FOUND) : 0;
}

uint32_t Socket::connect(const Address& address, Clock::time_point deadline) {
    close();
    const Winsock& w = winsock();
    const SOCKET s = w.socket(address.family, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return lastError();
    handle_ = static_cast<std::intptr_t>(s);
    u_long nonBlocking = 1;
    if (w.ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        const uint32_t e = lastError();
        close();
        return e;
    }
    const BOOL on = TRUE;
    (void)w.setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    // Acknowledge every segment at once: a server that answered commands
    // (RFC 2217) holds the printer's reply until its last segment is
    // acknowledged, and Windows delays an acknowledgement by up to 200 ms.
    DWORD everySegment = 1, returned = 0;
    (void)w.ioctl(s, SIO_TCP_SET_ACK_FREQUENCY, &everySegment, sizeof everySegment, nullptr, 0, &returned,
                  nullptr, nullptr);
    if (w.connect(s, reinterpret_cast<const sockaddr*>(address.bytes), address.length) == 0) return 0;
    if (const uint32_t e = lastError(); e != WSAEWOULDBLOCK) {
        close();
        return e;
    }
    // select, not WSAPoll: older Windows never reports a refused connection
    // to WSAPoll.
    for (;;) {
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(s, &writable);
        FD_SET(s, &failed);
        const int ms = millisecondsUntil(&deadline);
        timeval limit{ms / 1000, (ms % 1000) * 1000};
        const int r = w.select(0, nullptr, &writable, &failed, &limit);
        if (r == SOCKET_ERROR) {
            const uint32_t e = lastError();
            close();
            return e;
        }
        if (r == 0) {
            if (millisecondsUntil(&deadline) > 0) continue;
            close();
            return timedOutError();
        }
        int soError = 0;
        int size = sizeof soError;
        if (w.getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &size) != 0)
            soError = static_cast<int>(lastError());
        if (soError == 0 && holds(failed, s)) soError = WSAECONNREFUSED;
        if (soError != 0) {
            close();
            return static_cast<uint32_t>(soError);
        }
        return 0;
    }
}

uint32_t Socket::sendSome(const uint8_t* data, std::size_t length, std::size_t* sent) {
    *sent = 0;
    while (*sent < length) {
        const std::size_t chunk = length - *sent < 0x10000 ? length - *sent : 0x10000;
        const int n = winsock().send(asSocket(handle_), reinterpret_cast<const char*>(data + *sent),
                                     static_cast<int>(chunk), 0);
        if (n > 0) {
            *sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n == SOCKET_ERROR) {
            const uint32_t e = lastError();
            return e == WSAEWOULDBLOCK ? 0 : e;
        }
        return connectionLostError();
    }
    return 0;
}

uint32_t Socket::receiveSome(uint8_t* data, std::size_t room, std::size_t* got, bool* ended,
                             bool peek) {
    *got = 0;
    *ended = false;
    const int want = room < 0x10000 ? static_cast<int>(room) : 0x10000;
    const int n = winsock().recv(asSocket(handle_), reinterpret_cast<char*>(data), want, peek ? MSG_PEEK : 0);
    if (n > 0) {
        *got = static_cast<std::size_t>(n);
        return 0;
    }
    if (n == 0) {
        *ended = room > 0;
        return 0;
    }
    const uint32_t e = lastError();
    return e == WSAEWOULDBLOCK ? 0 : e;
}

bool Socket::wait(bool forWriting, int timeoutMs, uint32_t* error) {
    *error = 0;
    const SOCKET s = asSocket(handle_);
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(s, &ready);
    FD_SET(s, &failed);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int r = winsock().select(0, forWriting ? nullptr : &ready, forWriting ? &ready : nullptr,
                                   &failed, timeoutMs < 0 ? nullptr : &limit);
    if (r > 0) return true;  // ready, or failed: the next call tells which
    if (r == SOCKET_ERROR) *error = lastError();
    return false;
}

void Socket::shutdownSending() { (void)winsock().shutdown(asSocket(handle_), SD_SEND); }

void Socket::close() {
    if (handle_ == kNone) return;
    winsock().closesocket(asSocket(handle_));
    handle_ = kNone;
}

}  // namespace ecf::link::net
