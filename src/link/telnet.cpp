#include "telnet.h"

namespace ecf::link::telnet {

namespace {

constexpr uint8_t kCr = 0x0D;

void escaped(uint8_t byte, Bytes& out) {
    out.push_back(byte);
    if (byte == kIac) out.push_back(kIac);
}

}  // namespace

void Client::start(Bytes& out) {
    for (const uint8_t option : {kComPort, kBinary}) {
        out.insert(out.end(), {kIac, kWill, option});
        ours(option) = Side::wantYes;
    }
    out.insert(out.end(), {kIac, kDo, kBinary});
    theirBinary_ = Side::wantYes;
    const uint8_t currentRate[4] = {0, 0, 0, 0};
    comPort(kSetBaudRate, currentRate, sizeof currentRate, out);
}

void Client::comPort(uint8_t command, const uint8_t* value, std::size_t length, Bytes& out) const {
    out.insert(out.end(), {kIac, kSb, kComPort, command});
    for (std::size_t i = 0; i < length; ++i) escaped(value[i], out);
    out.insert(out.end(), {kIac, kSe});
}

void Client::data(const uint8_t* bytes, std::size_t length, Bytes& out) const {
    for (std::size_t i = 0; i < length; ++i) {
        escaped(bytes[i], out);
        if (bytes[i] == kCr && ourBinary_ != Side::yes) out.push_back(0x00);
    }
}

std::size_t Client::encodedSize(const uint8_t* bytes, std::size_t length) const {
    std::size_t n = length;
    for (std::size_t i = 0; i < length; ++i)
        n += (bytes[i] == kIac || (bytes[i] == kCr && ourBinary_ != Side::yes)) ? 1 : 0;
    return n;
}

void Client::takeAnswers(Bytes& out) {
    out.insert(out.end(), answers_.begin(), answers_.end());
    answers_.clear();
}

Client::Side& Client::ours(uint8_t option) {
    refused_ = Side::no;
    switch (option) {
        case kBinary: return ourBinary_;
        case kSuppressGoAhead: return ourGoAhead_;
        case kComPort: return ourComPort_;
        default: return refused_;
    }
}

Client::Side& Client::theirs(uint8_t option) {
    refused_ = Side::no;
    switch (option) {
        case kBinary: return theirBinary_;
        case kSuppressGoAhead: return theirGoAhead_;
        default: return refused_;
    }
}

void Client::answer(uint8_t verb, uint8_t option) {
    if (answers_.size() + 3 <= kAnswersKept) answers_.insert(answers_.end(), {kIac, verb, option});
}

// The server's WILL, WONT, DO or DONT: agree to the options we take part in,
// refuse every other, and answer only what changes a state, so that two
// sides never argue in a loop.
void Client::negotiate(uint8_t verb, uint8_t option) {
    const bool aboutUs = verb == kDo || verb == kDont;
    const bool known = aboutUs ? option == kBinary || option == kSuppressGoAhead || option == kComPort
                               : option == kBinary || option == kSuppressGoAhead;
    Side& side = aboutUs ? ours(option) : theirs(option);
    const uint8_t agree = aboutUs ? kWill : kDo;
    const uint8_t refuse = aboutUs ? kWont : kDont;
    if (verb == kWill || verb == kDo) {
        if (!known) {
            answer(refuse, option);
        } else if (side == Side::no) {
            side = Side::yes;
            answer(agree, option);
        } else {
            side = Side::yes;
        }
        return;
    }
    // WONT or DONT
    if (side == Side::yes) answer(refuse, option);
    if (option == kComPort && aboutUs && side != Side::no) comPortRefused_ = true;
    side = Side::no;
}

void Client::subnegotiationEnded() {
    if (subLength_ < 2 || sub_[0] != kComPort || sub_[1] < kServerReply) return;
    serving_ = true;
    if (sub_[1] == kServerReply + kNotifyModemState && subLength_ >= 3) modemState_ = sub_[2];
}

// The byte after an IAC outside a subnegotiation.
void Client::command(uint8_t c, uint8_t* data, std::size_t& n) {
    state_ = State::data;
    if (c == kIac) {
        data[n++] = kIac;
    } else if (c >= kWill) {  // WILL, WONT, DO, DONT
        verb_ = c;
        state_ = State::option;
    } else if (c == kSb) {
        subLength_ = 0;
        state_ = State::subnegotiation;
    }  // every other command (NOP, GA, DM, ...) means nothing here
}

std::size_t Client::read(const uint8_t* in, std::size_t length, uint8_t* data) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const uint8_t c = in[i];
        switch (state_) {
            case State::cr:
                state_ = State::data;
                if (c == 0x00) break;  // CR NUL is CR alone
                [[fallthrough]];
            case State::data:
                if (c == kIac) {
                    state_ = State::iac;
                } else {
                    data[n++] = c;
                    if (c == kCr && theirBinary_ != Side::yes) state_ = State::cr;
                }
                break;
            case State::iac:
                command(c, data, n);
                break;
            case State::option:
                negotiate(verb_, c);
                state_ = State::data;
                break;
            case State::subnegotiation:
                if (c == kIac) {
                    state_ = State::subnegotiationIac;
                } else if (subLength_ < kSubnegotiationKept) {
                    sub_[subLength_++] = c;
                }
                break;
            case State::subnegotiationIac:
                if (c == kIac) {  // a doubled IAC inside the subnegotiation
                    if (subLength_ < kSubnegotiationKept) sub_[subLength_++] = kIac;
                    state_ = State::subnegotiation;
                } else {
                    // IAC SE ends it; any other command ends it too, and counts.
                    subnegotiationEnded();
                    state_ = State::data;
                    if (c != kSe) command(c, data, n);
                }
                break;
        }
    }
    return n;
}

}  // namespace ecf::link::telnet
