// Port URLs, and the Telnet reader against what a server may send, hostile
// servers included.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "link/port_url.h"
#include "link/telnet.h"

namespace {

using ecf::link::parsePortUrl;
using ecf::link::PortUrl;
using Bytes = std::vector<uint8_t>;
namespace telnet = ecf::link::telnet;

TEST(PortUrls, GoodForms) {
    const struct {
        const char* text;
        PortUrl parts;
    } cases[] = {
        {"tcp://192.168.0.10:4001", {PortUrl::Scheme::raw, "192.168.0.10", 4001}},
        {"RFC2217://printer.shop.lan:7000", {PortUrl::Scheme::rfc2217, "printer.shop.lan", 7000}},
        {"rfc2217://[::1]:65535", {PortUrl::Scheme::rfc2217, "::1", 65535}},
        {"tcp://[fe80::1%eth0]:1", {PortUrl::Scheme::raw, "fe80::1%eth0", 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_TRUE(ecf::link::looksLikeUrl(c.text));
        const std::optional<PortUrl> parts = parsePortUrl(c.text);
        ASSERT_TRUE(parts);
        EXPECT_EQ(parts->scheme, c.parts.scheme);
        EXPECT_EQ(parts->host, c.parts.host);
        EXPECT_EQ(parts->port, c.parts.port);
    }
}

TEST(PortUrls, BadFormsAndWhatIsNoUrlAtAll) {
    for (const char* url : {"tcp://host", "tcp://host:", "tcp://:4001", "tcp://[]:4001", "tcp://host:0",
                            "tcp://host:65536", "tcp://host:-1", "tcp://host:4001/", "tcp://[::1:4001",
                            "tcp://::1:4001", "tcp://user@host:4001", "tcp://ho st:4001", "udp://host:4001",
                            "telnet://host:23"}) {
        EXPECT_TRUE(ecf::link::looksLikeUrl(url)) << url;
        EXPECT_FALSE(parsePortUrl(url)) << url;
    }
    // Device paths and port names.
    for (const char* name : {"/dev/ttyUSB0", "COM3", "C://serial", "\\\\.\\COM12", ""}) {
        EXPECT_FALSE(ecf::link::looksLikeUrl(name)) << name;
        EXPECT_FALSE(parsePortUrl(name)) << name;
    }
}

constexpr uint8_t IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250, SE = 240;

TEST(TelnetReader, WhatAServerSends) {
    const struct {
        const char* name;
        Bytes in;
        Bytes data;
        Bytes answers;
        bool serving;
        std::optional<uint8_t> modem;
    } cases[] = {
        {"ser2net's greeting and modem state",
         {IAC, WILL, 3, IAC, DO, 3, IAC, WILL, 1, IAC, DONT, 1, IAC, DO, 0, IAC, WILL, 0, IAC, DO, 44,
          IAC, SB, 44, 107, 0xB0, IAC, SE},
         {},
         {IAC, DO, 3, IAC, WILL, 3, IAC, DONT, 1},
         true,
         0xB0},
        {"data with IAC doubled, CR passed in binary",
         {IAC, WILL, 0, 0x06, IAC, IAC, 0x0D, 0x00},
         {0x06, 0xFF, 0x0D, 0x00},
         {},
         false,
         {}},
        {"CR NUL is CR before binary", {0x0D, 0x00, 0x41}, {0x0D, 0x41}, {}, false, {}},
        {"unknown options refused once each", {IAC, WILL, 24, IAC, DO, 31, IAC, WONT, 24, IAC, DONT, 31},
         {}, {IAC, DONT, 24, IAC, WONT, 31}, false, {}},
        {"commands between data bytes", {0x31, IAC, 241, 0x32, IAC, 249, 0x33}, {0x31, 0x32, 0x33}, {}, false, {}},
        {"modem state with IAC doubled; other options' subnegotiations ignored",
         {IAC, SB, 24, 1, IAC, SE, IAC, SB, 44, 107, IAC, IAC, IAC, SE, 0x07}, {0x07}, {}, true, 0xFF},
        {"a subnegotiation ended by another command", {IAC, SB, 44, 107, 0x10, IAC, WILL, 0, 0x41}, {0x41}, {}, true, 0x10},
        {"a subnegotiation never ended swallows what follows", {IAC, SB, 44, 107, 0x10, 0x41, 0x42, 0x43}, {}, {}, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Whole, and split at every byte: the reader keeps its state across reads.
        for (std::size_t split = 0; split <= c.in.size(); ++split) {
            telnet::Client client;
            Bytes start;
            client.start(start);
            Bytes data(c.in.size());
            std::size_t n = client.read(c.in.data(), split, data.data());
            n += client.read(c.in.data() + split, c.in.size() - split, data.data() + n);
            data.resize(n);
            Bytes answers;
            client.takeAnswers(answers);
            EXPECT_EQ(data, c.data) << "split " << split;
            EXPECT_EQ(answers, c.answers) << "split " << split;
            EXPECT_EQ(client.serving(), c.serving);
            EXPECT_EQ(client.modemState(), c.modem);
        }
    }
}

TEST(TelnetReader, StaysBoundedWhateverComes) {
    telnet::Client client;
    Bytes start;
    client.start(start);
    // A subnegotiation of a megabyte, then a flood of options.
    Bytes flood = {IAC, SB, 44, 107};
    flood.insert(flood.end(), 1 << 20, 0x10);
    flood.insert(flood.end(), {IAC, SE});
    for (int i = 0; i < 100000; ++i) flood.insert(flood.end(), {IAC, WILL, static_cast<uint8_t>(100 + i % 50)});
    Bytes data(flood.size());
    EXPECT_EQ(client.read(flood.data(), flood.size(), data.data()), 0u);
    Bytes answers;
    client.takeAnswers(answers);
    EXPECT_LE(answers.size(), telnet::Client::kAnswersKept);
    EXPECT_EQ(client.modemState(), 0x10);
}

TEST(TelnetWriter, WhatTheLibrarySends) {
    telnet::Client client;
    Bytes out;
    client.start(out);
    EXPECT_EQ(out, (Bytes{IAC, WILL, 44, IAC, WILL, 0, IAC, DO, 0, IAC, SB, 44, 1, 0, 0, 0, 0, IAC, SE}));

    const Bytes frame = {0x1B, 0x66, 0xFF, 0x0D, 0x00};
    out.clear();
    client.data(frame.data(), frame.size(), out);
    EXPECT_EQ(out, (Bytes{0x1B, 0x66, IAC, IAC, 0x0D, 0x00, 0x00})) << "CR NUL until binary is agreed";
    EXPECT_EQ(client.encodedSize(frame.data(), frame.size()), out.size());

    const Bytes agree = {IAC, DO, 0, IAC, DO, 44};
    Bytes ignored(agree.size());
    client.read(agree.data(), agree.size(), ignored.data());
    out.clear();
    client.data(frame.data(), frame.size(), out);
    EXPECT_EQ(out, (Bytes{0x1B, 0x66, IAC, IAC, 0x0D, 0x00}));
    out.clear();
    const uint8_t rate[4] = {0, 0, 0xFF, 0x80};
    client.comPort(telnet::kSetBaudRate, rate, 4, out);
    EXPECT_EQ(out, (Bytes{IAC, SB, 44, 1, 0, 0, IAC, IAC, 0x80, IAC, SE}));
}

}  // namespace
