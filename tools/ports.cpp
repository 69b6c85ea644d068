// ecf ports: the serial devices present and where COM1..COM4 lead.
#include <iomanip>
#include <iostream>

#include "local_ports.h"
#include "link/port_url.h"
#include "support_commands.h"

namespace ecf::cli {

namespace {

std::string portState(const std::string& device, int number) {
    if (ecf::link::looksLikeUrl(device))
        return "a network port: ecf doctor --port COM" + std::to_string(number) + " checks it";
    const std::string state = deviceState(device);
    return state == "absent" ? state : "present, " + state;
}

}  // namespace

int runPorts(const Options& options) {
    const std::vector<SerialDevice> devices = serialDevices();
    if (options.json) {
        Json j;
        j["devices"] = Json::array();
        for (const SerialDevice& d : devices) {
            Json device = {{"path", d.path}, {"state", deviceState(d.path)}};
            if (!d.target.empty()) device["target"] = d.target;
            j["devices"].push_back(device);
        }
        j["ports"] = Json::array();
        for (int n = 1; n <= 4; ++n) {
            const PortMapping m = mappingOf(options, n);
            j["ports"].push_back({{"port", "COM" + std::to_string(n)}, {"device", m.device},
                                  {"from", m.why}, {"state", portState(m.device, n)}});
        }
        std::cout << dump(j) << "\n";
        return 0;
    }
    std::cout << "Serial devices:\n";
    if (devices.empty()) std::cout << "  none found\n";
    for (const SerialDevice& d : devices) {
        std::cout << "  " << std::left << std::setw(20) << d.path << " ";
        std::cout << (d.target.empty() ? deviceState(d.path) : "-> " + d.target) << "\n";
    }
    std::cout << "Ports of the library:\n";
    for (int n = 1; n <= 4; ++n) {
        const PortMapping m = mappingOf(options, n);
        std::cout << "  COM" << n << "  " << std::left << std::setw(20) << m.device << " ("
                  << m.why << "): " << portState(m.device, n) << "\n";
    }
    return 0;
}

}  // namespace ecf::cli
