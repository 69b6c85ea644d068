// The printer's line on the network, as a serial device server (or ser2net)
// offers it: a TCP listener that serves one client at a time, either raw (the
// bytes as they are) or as Telnet with the COM-PORT-OPTION (RFC 2217). The
// printer itself serves the other end of a local socket pair, as it serves a
// pseudo-terminal.
//
// Over RFC 2217 the line honours the client's settings: unless they are the
// printer's own (9600 baud, 8 data bits, even parity, one stop bit) the
// printer hears only noise and nothing comes back. It answers every
// COM-PORT-OPTION command, reports CTS, DSR and DCD on, and purges on request.
//
// A second client while one is served is turned away as ser2net does it:
// "Port already in use" and the connection closed.
#pragma once

#include <cstdint>
#include <string>
#include <thread>

namespace ecfsim {

class TcpLine {
public:
    // Listens on HOST:PORT (port 0: any free one). Throws std::runtime_error.
    TcpLine(const std::string& hostPort, bool rfc2217);
    ~TcpLine();  // stops the relay and closes everything
    TcpLine(const TcpLine&) = delete;
    TcpLine& operator=(const TcpLine&) = delete;

    // The printer's end of the line, for Simulator::serve().
    int printerSide() const { return printer_; }
    // Where it listens, as HOST:PORT with the port it got.
    const std::string& address() const { return address_; }

private:
    void relay();

    bool rfc2217_;
    int listener_ = -1;
    int printer_ = -1;  // the printer's end of the socket pair
    int line_ = -1;     // the relay's end
    int stopPipe_[2] = {-1, -1};
    std::string address_;
    std::thread thread_;
};

}  // namespace ecfsim
