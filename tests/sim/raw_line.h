// The computer's end of the line, written and read byte by byte: for the
// simulator's tests that speak frames rather than call the library.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "records.h"

namespace simtest {

class RawLine {
public:
    explicit RawLine(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) {}
    ~RawLine() {
        if (fd_ >= 0) ::close(fd_);
    }
    RawLine(const RawLine&) = delete;
    RawLine& operator=(const RawLine&) = delete;

    bool send(const Bytes& bytes) {
        return ::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // Up to `max` bytes, until the line is quiet for `quietMs` (or gone).
    Bytes receive(std::size_t max, int quietMs = 300) {
        Bytes out;
        while (out.size() < max) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, quietMs) <= 0) break;
            uint8_t buf[1024];
            const ssize_t n = ::read(fd_, buf, std::min(sizeof buf, max - out.size()));
            if (n <= 0) break;
            out.insert(out.end(), buf, buf + n);
        }
        return out;
    }
    // The answer to one framed record; nothing when the printer went away.
    Bytes exchange(const Bytes& record, std::size_t answer) {
        return send(frame(record)) ? receive(answer) : Bytes{};
    }

private:
    int fd_;
};

}  // namespace simtest
