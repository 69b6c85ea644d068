#include "port_url.h"

#include <cctype>

namespace ecf::link {

namespace {

bool isSchemeChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '+' || c == '-' || c == '.';
}

std::string lowerCase(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Host names and addresses keep to letters, digits and a few marks; anything
// else (blanks, controls, '@', '/') is a bad form rather than a lookup.
bool isHostChar(char c, bool bracketed) {
    if (std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '.' || c == '_')
        return true;
    return bracketed && (c == ':' || c == '%');
}

std::optional<uint16_t> portNumber(const std::string& digits) {
    if (digits.empty() || digits.size() > 5) return std::nullopt;
    uint32_t n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + static_cast<uint32_t>(c - '0');
    }
    if (n == 0 || n > 65535) return std::nullopt;
    return static_cast<uint16_t>(n);
}

}  // namespace

bool looksLikeUrl(const std::string& name) {
    const std::size_t colon = name.find("://");
    if (colon == std::string::npos || colon < 2) return false;
    if (std::isalpha(static_cast<unsigned char>(name[0])) == 0) return false;
    for (std::size_t i = 1; i < colon; ++i)
        if (!isSchemeChar(name[i])) return false;
    return true;
}

std::optional<PortUrl> parsePortUrl(const std::string& name) {
    if (!looksLikeUrl(name)) return std::nullopt;
    const std::size_t colon = name.find("://");
    PortUrl url;
    const std::string scheme = lowerCase(name.substr(0, colon));
    if (scheme == "tcp")
        url.scheme = PortUrl::Scheme::raw;
    else if (scheme == "rfc2217")
        url.scheme = PortUrl::Scheme::rfc2217;
    else
        return std::nullopt;

    const std::string rest = name.substr(colon + 3);
    std::size_t hostEnd = 0;
    bool bracketed = false;
    if (!rest.empty() && rest[0] == '[') {
        hostEnd = rest.find(']');
        if (hostEnd == std::string::npos) return std::nullopt;
        url.host = rest.substr(1, hostEnd - 1);
        ++hostEnd;
        bracketed = true;
    } else {
        hostEnd = rest.find(':');
        if (hostEnd == std::string::npos) return std::nullopt;
        url.host = rest.substr(0, hostEnd);
    }
    if (url.host.empty()) return std::nullopt;
    for (char c : url.host)
        if (!isHostChar(c, bracketed)) return std::nullopt;
    if (hostEnd >= rest.size() || rest[hostEnd] != ':') return std::nullopt;
    const std::optional<uint16_t> port = portNumber(rest.substr(hostEnd + 1));
    if (!port) return std::nullopt;
    url.port = *port;
    return url;
}

}  // namespace ecf::link
