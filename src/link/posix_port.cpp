#include "posix_port.h"

#include "deadlines.h"
#include "port_environment.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace ecf::link {

std::string devicePathFor(const char* name) {
    const std::string port = name != nullptr ? name : "";
    if (port.size() == 4 && port.compare(0, 3, "COM") == 0 && port[3] >= '1' && port[3] <= '9') {
        if (const char* path = portFromEnvironment(static_cast<unsigned>(port[3] - '0')))
            return path;
        return "/dev/ttyS" + std::to_string(port[3] - '1');
    }
    return port;
}

uint32_t ParityMarkDecoder::decode(const uint8_t* raw, uint32_t length, uint8_t* out,
                                   uint32_t room) {
    uint32_t n = 0;
    for (uint32_t i = 0; i < length && n < room; ++i) {
        const uint8_t c = raw[i];
        if (pending_ == 0) {
            if (c == 0xFF)
                pending_ = 1;
            else
                out[n++] = c;
        } else if (pending_ == 1) {
            if (c == 0xFF) {
                out[n++] = 0xFF;
                pending_ = 0;
            } else if (c == 0x00) {
                pending_ = 2;
            } else {  // not a marker the driver makes; keep both bytes
                out[n++] = 0xFF;
                if (n < room) out[n++] = c;
                pending_ = 0;
            }
        } else {
            out[n++] = errorChar_;
            pending_ = 0;
        }
    }
    return n;
}

namespace {

bool isAccessError(int e) { return e == EACCES || e == EPERM || e == EBUSY || e == EWOULDBLOCK; }

// Waits for the descriptor to be ready for `events`; false on time-out.
// Returns the errno of a failure in *error.
bool waitFor(int fd, short events, int timeoutMs, uint32_t* error) {
    pollfd p{fd, events, 0};
    for (;;) {
        const int r = ::poll(&p, 1, timeoutMs);
        if (r > 0) {
            if ((p.revents & (POLLERR | POLLNVAL)) != 0 && (p.revents & events) == 0) {
                *error = EIO;
                return false;
            }
            return true;  // readable, writable, or hung up (read/write then tell)
        }
        if (r == 0) return false;
        if (errno != EINTR) {
            *error = static_cast<uint32_t>(errno);
            return false;
        }
        // Interrupted: poll again; the caller's deadline bounds the total.
        return true;
    }
}

speed_t baudConstant(uint32_t baud) {
    switch (baud) {
        case 1200: return B1200;
        case 2400: return B2400;
        case 4800: return B4800;
        case 19200: return B19200;
        case 38400: return B38400;
        case 9600:
        default: return B9600;
    }
}

// What the line settings ask for, apart from parity.
bool sameApartFromParity(const termios& a, const termios& b) {
    const tcflag_t parityBits = PARENB | PARODD | CMSPAR;
    const tcflag_t checked = CSIZE | CSTOPB | CREAD | CLOCAL | CRTSCTS;
    return ((a.c_cflag & ~parityBits) & checked) == ((b.c_cflag & ~parityBits) & checked) &&
           a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_lflag == b.c_lflag &&
           cfgetispeed(&a) == cfgetispeed(&b) && cfgetospeed(&a) == cfgetospeed(&b);
}

}  // namespace

OpenError PosixPort::open(const char* name) {
    close();
    const std::string path = devicePathFor(name);
    details_ = OpenDetails{};
    setDevice(details_, path.c_str());
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        details_.systemError = static_cast<uint32_t>(errno);
        return isAccessError(errno) ? OpenError::accessDenied : OpenError::other;
    }
    // Exclusive use for the whole exchange: a device locked by anyone else is
    // in use, and nothing is sent.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int e = errno;
        ::close(fd);
        details_.systemError = static_cast<uint32_t>(e);
        details_.lockFailed = true;
        return isAccessError(e) ? OpenError::accessDenied : OpenError::other;
    }
    fd_ = fd;
    return OpenError::none;
}

uint32_t PosixPort::applyLineSettings(const LineSettings& settings) {
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) return static_cast<uint32_t>(errno);

    tio.c_iflag &= ~(IGNBRK | BRKINT | IGNPAR | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                     IXANY | IMAXBEL);
    tio.c_iflag |= IGNBRK;
    if (settings.parityCheck) tio.c_iflag |= INPCK;
    // Parity errors are marked so that they can be turned into the error character.
    if (settings.errorCharEnabled) tio.c_iflag |= PARMRK;
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ICANON | ECHO | ECHOE | ECHOK | ECHONL | ISIG | IEXTEN);
    tio.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    if (settings.parity == 2) tio.c_cflag |= PARENB;
    if (settings.parity == 1) tio.c_cflag |= PARENB | PARODD;
    if (settings.stopBits == 2) tio.c_cflag |= CSTOPB;
    if (settings.outxCtsFlow || settings.rtsControl == 2) tio.c_cflag |= CRTSCTS;
    // With VMIN 1 an empty non-blocking read says EAGAIN, so that a read of
    // 0 bytes means the other end hung up.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, baudConstant(settings.baudRate));
    ::cfsetospeed(&tio, baudConstant(settings.baudRate));
    errorChar_ = static_cast<uint8_t>(settings.errorChar);

    const int set = ::tcsetattr(fd_, TCSANOW, &tio);
    const int setError = errno;
    // Judge by what the device now holds: a device that cannot carry parity
    // (a pseudo-terminal) drops PARENB, and glibc then reports EINVAL; that
    // device is used without parity.
    termios now{};
    if (::tcgetattr(fd_, &now) != 0) return static_cast<uint32_t>(errno);
    if (sameApartFromParity(now, tio)) return 0;
    return static_cast<uint32_t>(set != 0 ? setError : EINVAL);
}

uint32_t PosixPort::purge(uint32_t flags) {
    if ((flags & kPurgeTxClear) != 0 && ::tcflush(fd_, TCOFLUSH) != 0)
        return static_cast<uint32_t>(errno);
    if ((flags & kPurgeRxClear) != 0 && ::tcflush(fd_, TCIFLUSH) != 0)
        return static_cast<uint32_t>(errno);
    return 0;
}

uint32_t PosixPort::setTimeouts(const CommTimeouts& timeouts) {
    timeouts_ = timeouts;
    return 0;
}

uint32_t PosixPort::modemStatus(uint32_t* status) {
    int lines = 0;
    if (::ioctl(fd_, TIOCMGET, &lines) != 0) return static_cast<uint32_t>(errno);
    uint32_t bits = 0;
    if ((lines & TIOCM_CTS) != 0) bits |= 0x0010;
    if ((lines & TIOCM_DSR) != 0) bits |= 0x0020;
    if ((lines & TIOCM_RNG) != 0) bits |= 0x0040;
    if ((lines & TIOCM_CAR) != 0) bits |= 0x0080;
    *status = bits;
    return 0;
}

void PosixPort::escape(uint32_t function) {
    int line = 0;
    unsigned long request = 0;
    switch (function) {
        case kSetRts: line = TIOCM_RTS; request = TIOCMBIS; break;
        case kClrRts: line = TIOCM_RTS; request = TIOCMBIC; break;
        case kSetDtr: line = TIOCM_DTR; request = TIOCMBIS; break;
        case kClrDtr: line = TIOCM_DTR; request = TIOCMBIC; break;
        default: return;
    }
    (void)::ioctl(fd_, request, &line);  // a device without modem lines refuses; that is fine
}

uint32_t PosixPort::transmitPriority(uint8_t byte) {
    uint32_t written = 0;
    const uint32_t e = write(&byte, 1, &written);
    if (e != 0) return e;
    return written == 1 ? 0 : static_cast<uint32_t>(ETIMEDOUT);
}

uint32_t PosixPort::write(const uint8_t* data, uint32_t length, uint32_t* written) {
    *written = 0;
    const WriteDeadline deadline(timeouts_, length);
    while (*written < length) {
        const ssize_t n = ::write(fd_, data + *written, length - *written);
        if (n > 0) {
            *written += static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return static_cast<uint32_t>(errno);
        // The line is busy (flow control): wait until it drains or time runs out.
        const int waitMs = deadline.waitMs();
        if (waitMs == 0) return 0;  // timed out: done with fewer bytes
        uint32_t error = 0;
        if (!waitFor(fd_, POLLOUT, waitMs, &error) && error != 0) return error;
    }
    return 0;
}

uint32_t PosixPort::read(uint8_t* data, uint32_t length, uint32_t* received) {
    *received = 0;
    if (length == 0) return 0;
    ReadDeadline deadline(timeouts_, length);
    ParityMarkDecoder decoder(errorChar_);
    uint8_t chunk[4096];
    while (*received < length) {
        if (deadline.doneWith(*received)) break;
        const uint32_t want = length - *received;
        const ssize_t n = ::read(fd_, chunk, want < sizeof chunk ? want : sizeof chunk);
        if (n > 0) {
            *received += decoder.decode(chunk, static_cast<uint32_t>(n), data + *received, want);
            deadline.byteArrived();
            continue;
        }
        if (n == 0) return static_cast<uint32_t>(EIO);  // the other end hung up
        if (errno == EINTR) continue;
        if (errno != EAGAIN) return static_cast<uint32_t>(errno);
        if (deadline.immediate()) break;

        const int waitMs = deadline.waitMs(*received);
        if (waitMs == 0) break;  // timed out: a success with fewer bytes
        uint32_t error = 0;
        if (!waitFor(fd_, POLLIN, waitMs, &error)) {
            if (error != 0) return error;
            // poll timed out; the loop re-checks the deadlines
        }
    }
    return 0;
}

uint32_t PosixPort::heldLine(HeldLine* held) const {
    termios now{};
    if (::tcgetattr(fd_, &now) != 0) return static_cast<uint32_t>(errno);
    held->baud9600 = cfgetispeed(&now) == B9600 && cfgetospeed(&now) == B9600;
    held->eightBits = (now.c_cflag & CSIZE) == CS8;
    held->evenParity = (now.c_cflag & (PARENB | PARODD)) == PARENB;
    held->oneStopBit = (now.c_cflag & CSTOPB) == 0;
    held->rtsCts = (now.c_cflag & CRTSCTS) != 0;
    return 0;
}

void PosixPort::close() {
    if (fd_ < 0) return;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

void PosixPort::pause(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace ecf::link
