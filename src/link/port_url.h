// Network ports named by URL: tcp://HOST:PORT (the bytes as they are) and
// rfc2217://HOST:PORT (Telnet with the COM-PORT-OPTION). HOST is a name, an
// IPv4 address or a bracketed IPv6 address.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ecf::link {

struct PortUrl {
    enum class Scheme { raw, rfc2217 };
    Scheme scheme = Scheme::raw;
    std::string host;  // without the brackets of an IPv6 address
    uint16_t port = 0;
};

// Whether a port's name is meant as a URL: a scheme of two or more letters
// (so that a drive letter is not one) followed by "://". Such a name never
// opens a device, whatever else it holds.
bool looksLikeUrl(const std::string& name);

// The URL's parts; nothing for a bad form: an unknown scheme, an empty host,
// no port, a port out of 1..65535, anything after the port.
std::optional<PortUrl> parsePortUrl(const std::string& name);

}  // namespace ecf::link
