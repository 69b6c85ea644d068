// The client side of Telnet with the COM-PORT-OPTION (RFC 854, 856, 858,
// 2217): what the library sends to put a remote serial port to work, and the
// reader of what the server sends back. The reader trusts nothing: options it
// does not know are refused, subnegotiations are cut to a few bytes, and
// everything it keeps is bounded whatever arrives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace ecf::link::telnet {

constexpr uint8_t kIac = 255;
constexpr uint8_t kDont = 254;
constexpr uint8_t kDo = 253;
constexpr uint8_t kWont = 252;
constexpr uint8_t kWill = 251;
constexpr uint8_t kSb = 250;
constexpr uint8_t kSe = 240;

constexpr uint8_t kBinary = 0;
constexpr uint8_t kSuppressGoAhead = 3;
constexpr uint8_t kComPort = 44;

// COM-PORT-OPTION commands as the client sends them; the server answers with
// the same code plus 100.
enum ComPortCommand : uint8_t {
    kSetBaudRate = 1,
    kSetDataSize = 2,
    kSetParity = 3,
    kSetStopSize = 4,
    kSetControl = 5,
    kNotifyModemState = 7,
    kPurgeData = 12,
};
constexpr uint8_t kServerReply = 100;

// SET-CONTROL values.
constexpr uint8_t kHardwareFlowControl = 3;
constexpr uint8_t kNoFlowControl = 1;
constexpr uint8_t kDtrOn = 8;
constexpr uint8_t kDtrOff = 9;
constexpr uint8_t kRtsOn = 11;
constexpr uint8_t kRtsOff = 12;
// PURGE-DATA values: the server's receive buffer, its transmit buffer.
constexpr uint8_t kPurgeReceive = 1;
constexpr uint8_t kPurgeTransmit = 2;

// Modem state bit of CTS in NOTIFY-MODEMSTATE; the upper four bits are lines.
constexpr uint8_t kModemCts = 0x10;
constexpr uint8_t kModemLines = 0xF0;

using Bytes = std::vector<uint8_t>;

class Client {
public:
    // Longest subnegotiation kept; the rest of a longer one is read and dropped.
    static constexpr std::size_t kSubnegotiationKept = 16;
    // Most answers to the server's options held unsent; more are dropped.
    static constexpr std::size_t kAnswersKept = 1024;

    // Asks for binary in both directions and the COM-PORT-OPTION, and asks
    // for the current baud rate, which a server serving the port answers.
    void start(Bytes& out);
    // One COM-PORT-OPTION command with its value, IAC doubled.
    void comPort(uint8_t command, const uint8_t* value, std::size_t length, Bytes& out) const;
    void comPort(uint8_t command, uint8_t value, Bytes& out) const { comPort(command, &value, 1, out); }
    // Data for the line: IAC doubled; CR followed by NUL while the server has
    // not agreed to binary.
    void data(const uint8_t* bytes, std::size_t length, Bytes& out) const;
    // The number of bytes `data` makes of these bytes.
    std::size_t encodedSize(const uint8_t* bytes, std::size_t length) const;

    // Reads what the server sent: the line's data bytes go to `data` (room
    // for `length` bytes is always enough), answers to its options are kept
    // for takeAnswers(). Returns the number of data bytes.
    std::size_t read(const uint8_t* in, std::size_t length, uint8_t* data);
    // The answers to send (and forget).
    void takeAnswers(Bytes& out);

    // The server has sent a COM-PORT-OPTION answer: it serves the port.
    bool serving() const { return serving_; }
    // The server refused the COM-PORT-OPTION.
    bool comPortRefused() const { return comPortRefused_; }
    // The modem state the server last reported.
    std::optional<uint8_t> modemState() const { return modemState_; }

private:
    enum class Side : uint8_t { no, yes, wantYes };
    enum class State : uint8_t { data, cr, iac, option, subnegotiation, subnegotiationIac };

    void answer(uint8_t verb, uint8_t option);
    void negotiate(uint8_t verb, uint8_t option);
    void command(uint8_t c, uint8_t* data, std::size_t& n);
    void subnegotiationEnded();
    Side& ours(uint8_t option);
    Side& theirs(uint8_t option);

    State state_ = State::data;
    uint8_t verb_ = 0;
    uint8_t sub_[kSubnegotiationKept] = {};
    std::size_t subLength_ = 0;
    Bytes answers_;
    // Options we take part in: ours (WILL from us), theirs (WILL from the server).
    Side ourBinary_ = Side::no, ourGoAhead_ = Side::no, ourComPort_ = Side::no;
    Side theirBinary_ = Side::no, theirGoAhead_ = Side::no;
    Side refused_ = Side::no;  // every other option, always refused
    bool serving_ = false;
    bool comPortRefused_ = false;
    std::optional<uint8_t> modemState_;
};

}  // namespace ecf::link::telnet
