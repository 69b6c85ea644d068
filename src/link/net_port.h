// A serial port on the network, named by URL (see port_url.h): a printer on a
// serial device server, or on another computer that shares it with ser2net.
// It keeps the contract of a local port: a connection lives for one
// exchange, the same time-outs apply, and every failure maps onto a result
// a local port can give.
//
//   tcp://HOST:PORT      the bytes as they are; the line's settings are the
//                        server's business, and its modem lines unknown
//   rfc2217://HOST:PORT  Telnet with the COM-PORT-OPTION: the line settings,
//                        the purges and RTS/DTR go to the server as commands,
//                        CTS comes from the modem state it reports
//
// Opening: the host is looked up and connected within 3 s (1030 otherwise).
// A server that takes the connection and closes it at once turns us away:
// ser2net does that, after the text "Port already in use" (another client
// holds the port) or "Port's device already in use"; that is 1010, the busy
// port of a local line. "Device open failure" (no such device behind the
// server) is 1030. An RFC 2217 server shows that it serves us by answering
// the COM-PORT-OPTION; a raw one cannot, so a raw connection waits a short
// moment for a refusal before it counts as open.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "port_url.h"
#include "serial_port.h"
#include "socket.h"
#include "telnet.h"

namespace ecf::link {

// How long opening may take: lookup, connection and, over RFC 2217, the
// server's first answer.
constexpr std::chrono::milliseconds kConnectLimit{3000};
// How long a raw connection waits for a server that turns it away at once,
// beyond twice the time the connection took.
constexpr std::chrono::milliseconds kRefusalWait{10};
// How long closing waits for the server to close its side too. Until it
// has, a server such as ser2net still counts the port as taken, and the
// next exchange, of this program or another, would find it in use.
constexpr std::chrono::milliseconds kCloseWait{200};

// Looks host up within the deadline. An address needs no lookup; a name is
// looked up on a thread of its own, so that a name service that does not
// answer costs the deadline and no more.
uint32_t lookUpWithin(const std::string& host, uint16_t port, Clock::time_point deadline,
                      std::vector<net::Address>& out);

class NetPort final : public SerialPort {
public:
    NetPort() = default;
    NetPort(const NetPort&) = delete;
    NetPort& operator=(const NetPort&) = delete;
    ~NetPort() override { close(); }

    // `name` is the URL itself.
    OpenError open(const char* name) override;
    const OpenDetails& openDetails() const override { return details_; }
    uint32_t applyLineSettings(const LineSettings& settings) override;
    uint32_t purge(uint32_t flags) override;
    uint32_t setTimeouts(const CommTimeouts& timeouts) override;
    uint32_t modemStatus(uint32_t* status) override;
    void escape(uint32_t function) override;
    uint32_t transmitPriority(uint8_t byte) override;
    uint32_t write(const uint8_t* data, uint32_t length, uint32_t* written) override;
    uint32_t read(uint8_t* data, uint32_t length, uint32_t* received) override;
    void close() override;
    void pause(uint32_t milliseconds) override;

    // The modem state an RFC 2217 server last reported, if any.
    std::optional<uint8_t> reportedModemState() const { return client_.modemState(); }

private:
    OpenError failOpen(OpenError error, uint32_t systemError);
    // Looks the host up and connects; *took: how long the connection took.
    uint32_t connect(const PortUrl& url, Clock::time_point deadline, Clock::duration* took);
    OpenError awaitService(Clock::time_point deadline);
    OpenError awaitRefusal(Clock::time_point until);
    OpenError refusal();
    // Reads what the server has sent without waiting; the line's bytes are
    // dropped (they are stale) except for the first few, kept as the text of
    // a refusal. False once the connection is gone.
    bool drainInput();
    // Sends what is queued, waiting for room until the deadline (nullptr:
    // no limit); *sent queued bytes went, the rest stays queued.
    uint32_t sendQueued(const Clock::time_point* deadline, std::size_t* sent);
    // Sends the answers to the server's options and whatever else is queued,
    // as far as it goes without waiting.
    void sendAnswers();
    // Half-closes the connection and waits (kCloseWait at most) for the
    // server to close its side.
    void closeGracefully();
    // Feeds the Telnet reader from `in` until `wanted` bytes of the line are
    // in `data`; returns how many bytes of `in` it took.
    std::size_t readTelnet(const uint8_t* in, std::size_t length, uint8_t* data, uint32_t wanted,
                           uint32_t* received);
    bool telnet() const { return url_.scheme == PortUrl::Scheme::rfc2217; }

    PortUrl url_;
    std::optional<net::NetworkSession> session_;
    net::Socket socket_;
    telnet::Client client_;
    telnet::Bytes queued_;  // commands, then the priority byte, ahead of the next data
    std::string greeting_;  // what the server said before it closed, if it did
    bool ended_ = false;    // the server closed its side
    CommTimeouts timeouts_{0, 0, 0, 0, 0};
    OpenDetails details_;
};

}  // namespace ecf::link
