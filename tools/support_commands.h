// What the commands of the tool share (its options, its exit statuses), and
// the commands for support work beside the exports: decode, doctor, ports.
#pragma once

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>
#include <string>

#include "exchange_view.h"

namespace ecf::cli {

// The exit status of a command line the tool cannot take.
constexpr int kUsageError = 2;

struct Options {
    std::string port;    // "COM1".."COM4", any case; "" for the library's own choice
    std::string device;  // a device path or a URL for that port
    std::string trace;   // the wire trace's file
    bool json = false;
    bool raw = false;
};

// The port's number, 1..4, that --port names (1 when it names none).
int portNumber(const Options& options);

// Where a port leads, and why: --device, ECF_COMn, or the default device.
struct PortMapping {
    int number = 1;
    std::string device;
    std::string why;  // "--device", "ECF_COM2 in the environment", "the default for COM2"
};
PortMapping mappingOf(const Options& options, int number);

// The state of a local device for a person: "absent", "free", "free (open in
// ecf-sim (pid 12) too)", "in use: locked by minicom (pid 4242)".
std::string deviceState(const std::string& path);

// Applies --port, --device and --trace before an export is called; 0, or
// kUsageError when the trace's file cannot be opened (said on stderr).
int applyPortOptions(const Options& options);

using Json = nlohmann::ordered_json;

// The exchange report's fields, the step by its name ("none", "open", ...).
Json exchangeJson(const ecf_exchange_info& info);

// JSON text, with bytes that are not UTF-8 replaced rather than refused.
std::string dump(const Json& json);

// `ecf decode`, `ecf doctor` and `ecf ports`, as subcommands of the tool.
class SupportCommands {
public:
    SupportCommands(CLI::App& app, const Options& options);
    // Runs the one given on the command line: its exit status, or -1 when
    // none was.
    int run();

private:
    const Options& options_;
    CLI::App* decode_;
    CLI::App* doctor_;
    CLI::App* ports_;
    std::string decodeFile_ = "-";
};

int runDecode(const std::string& file, const Options& options);
int runDoctor(const Options& options);
int runPorts(const Options& options);

}  // namespace ecf::cli
