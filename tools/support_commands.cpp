#include "support_commands.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include <sys/stat.h>

#include "ecf.h"
#include "ecf_ext.h"
#include "local_ports.h"
#include "link/port_environment.h"
#include "link/posix_port.h"
#include "link/step_names.h"

namespace ecf::cli {

int portNumber(const Options& options) { return options.port.empty() ? 1 : options.port[3] - '0'; }

int applyPortOptions(const Options& options) {
    if (!options.port.empty()) ChangePort(portNumber(options) - 1);
    if (!options.device.empty()) {
        const std::string variable = "ECF_COM" + std::to_string(portNumber(options));
        ::setenv(variable.c_str(), options.device.c_str(), 1);
    }
    if (!options.trace.empty()) {
        errno = 0;
        if (ecf_set_trace(options.trace.c_str()) != 0) {
            std::cerr << "ecf: --trace: cannot append to " << options.trace
                      << (errno != 0 ? std::string(": ") + std::strerror(errno) : std::string()) << "\n";
            return kUsageError;
        }
    }
    return 0;
}

PortMapping mappingOf(const Options& options, int number) {
    PortMapping m;
    m.number = number;
    const std::string name = "COM" + std::to_string(number);
    if (!options.device.empty() && number == portNumber(options)) {
        m.device = options.device;
        m.why = "--device";
    } else if (const char* value = ecf::link::portFromEnvironment(static_cast<unsigned>(number))) {
        m.device = value;
        m.why = "ECF_" + name + " in the environment";
    } else {
        m.device = ecf::link::devicePathFor(name.c_str());
        m.why = "the default for " + name;
    }
    return m;
}

std::string deviceState(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return "absent";
    const HolderNames holders = holderNamesOf(path);
    if (!holders.locking.empty()) return "in use: locked by " + holders.locking;
    return holders.opening.empty() ? "free" : "free (open in " + holders.opening + " too)";
}

Json exchangeJson(const ecf_exchange_info& info) {
    Json j;
    j["exchanges"] = info.exchanges;
    j["command_code"] = info.command_code;
    j["bytes_sent"] = info.bytes_sent;
    j["bytes_expected"] = info.bytes_expected;
    j["bytes_received"] = info.bytes_received;
    j["elapsed_us"] = info.elapsed_us;
    j["failed_step"] = ecf::link::stepName(info.failed_step);
    j["system_error"] = info.system_error;
    j["port"] = info.port;
    j["device"] = info.device;
    return j;
}

std::string dump(const Json& json) { return json.dump(-1, ' ', false, Json::error_handler_t::replace); }

SupportCommands::SupportCommands(CLI::App& app, const Options& options) : options_(options) {
    decode_ = app.add_subcommand("decode", "Read a wire trace (or lines of hex frames) and name every field");
    decode_->add_option("file", decodeFile_, "The trace's file, or - for standard input (the default)");
    doctor_ = app.add_subcommand("doctor",
                                 "Check the port step by step, then ask the printer for its status; "
                                 "exit 0 only when it answered in full");
    ports_ = app.add_subcommand("ports", "List the serial devices present and the ports COM1..COM4");
    doctor_->footer("Takes --port COMn and --device PATH|URL, before or after the word doctor.\n"
                    "Exit status: 0 the printer answered in full; 1 a problem found; 3 no answer,\n"
                    "or a reply cut short.");
    for (CLI::App* sub : {decode_, doctor_, ports_}) {
        sub->group("Support");
        sub->allow_extras(false);
    }
}

int SupportCommands::run() {
    if (decode_->parsed()) return runDecode(decodeFile_, options_);
    if (doctor_->parsed()) return runDoctor(options_);
    if (ports_->parsed()) return runPorts(options_);
    return -1;
}

}  // namespace ecf::cli
