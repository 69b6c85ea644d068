// The checks of a network port, step by step, for a diagnosis (`ecf doctor`):
// the URL's form, the lookup of its host, the connection, and over RFC 2217
// the server's answer to the COM-PORT-OPTION. Nothing is sent to the printer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "serial_port.h"

namespace ecf::link {

struct NetworkCheck {
    bool wellFormed = false;      // a tcp:// or rfc2217:// URL with host and port
    uint32_t lookupError = 0;     // 0: the host has an address
    std::size_t addresses = 0;    // how many the lookup gave
    OpenError opened = OpenError::other;  // none: connected (and served); accessDenied: in use
    uint32_t openError = 0;       // the system error of a failed connection
    std::optional<uint8_t> modemState;    // RFC 2217: the lines the server reported
};

NetworkCheck checkNetworkPort(const std::string& url);

}  // namespace ecf::link
