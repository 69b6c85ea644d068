// The line the printer listens on: a pseudo-terminal it creates, or a real
// serial device.
#pragma once

#include <string>

namespace ecfsim {

// A fresh pseudo-terminal. The printer serves the master; the library opens
// the slave by its path. The slave is kept open here too, so that the line
// lives on between the library's exchanges.
class PseudoTerminal {
public:
    PseudoTerminal();  // throws std::runtime_error
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int master() const { return master_; }
    const std::string& slavePath() const { return path_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

// A serial device set up as the printer's end of the line: 9600 baud, 8 data
// bits, even parity, one stop bit, RTS/CTS, raw. Throws std::runtime_error.
class SerialDevice {
public:
    explicit SerialDevice(const std::string& path);
    ~SerialDevice();
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;

    int fd() const { return fd_; }

private:
    int fd_ = -1;
};

}  // namespace ecfsim
