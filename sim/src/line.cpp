#include "ecfsim/line.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace ecfsim {

namespace {

std::runtime_error systemError(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace

PseudoTerminal::PseudoTerminal() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) throw systemError("posix_openpt");
    char name[128] = {0};
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
        ::ptsname_r(master_, name, sizeof name) != 0) {
        const auto error = systemError("pseudo-terminal set-up");
        ::close(master_);
        throw error;
    }
    path_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        const auto error = systemError("open " + path_);
        ::close(master_);
        throw error;
    }
    // Raw from the start, so that nothing is echoed or translated before the
    // library sets the line up itself.
    termios tio{};
    ::tcgetattr(slave_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave_, TCSANOW, &tio);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PseudoTerminal::~PseudoTerminal() {
    ::close(slave_);
    ::close(master_);
}

SerialDevice::SerialDevice(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) throw systemError("open " + path);
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) {
        const auto error = systemError("tcgetattr " + path);
        ::close(fd_);
        throw error;
    }
    ::cfmakeraw(&tio);
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | PARMRK);
    tio.c_iflag |= IGNPAR;
    tio.c_cflag &= ~(CSIZE | CSTOPB | PARODD);
    tio.c_cflag |= CS8 | PARENB | CREAD | CLOCAL | CRTSCTS;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0) {
        const auto error = systemError("tcsetattr " + path);
        ::close(fd_);
        throw error;
    }
}

SerialDevice::~SerialDevice() { ::close(fd_); }

}  // namespace ecfsim
