// The printer's control page: a web server beside the line, for people (a
// page with the paper roll, the state, the log and the controls) and for
// programs (a JSON API). It is one more client of the simulator, as the
// line is: it reads the model, watches the exchanges and changes faults,
// conditions, the clock and the state between exchanges.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ecfsim/simulator.h"

namespace ecfsim::web {

struct Endpoint {
    std::string host;  // a name or an address; IPv6 without brackets
    int port = 0;      // 0: any free port
};

// "[HOST:]PORT", the host 127.0.0.1 when none is given; an IPv6 address in
// brackets ("[::1]:8080"). Nothing for a text it cannot read.
std::optional<Endpoint> parseEndpoint(const std::string& text);
// Whether `host` names this machine's loopback (127.0.0.0/8, ::1, localhost).
bool isLoopback(const std::string& host);

class ControlPage {
public:
    // Starts serving on `at` and watching `simulator` (which it must not
    // outlive). Throws std::runtime_error when it cannot listen there.
    ControlPage(Simulator& simulator, const Endpoint& at);
    ~ControlPage();
    ControlPage(const ControlPage&) = delete;
    ControlPage& operator=(const ControlPage&) = delete;

    // "http://HOST:PORT/", with the port actually bound.
    std::string url() const;
    int port() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace ecfsim::web
