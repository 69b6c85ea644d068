// ecf: call any export of the library from a shell, and look into the line
// for support work (decode, doctor, ports).
//
//   ecf [--port COM1..COM4] [--device PATH|URL] [--trace FILE] [--json] [--raw]
//       COMMAND ARGUMENTS...
//
// COMMAND is an export's name without the "ecf" prefix (VendaItem) or its
// kebab-case alias (venda-item), in any case. Exit status: 0 the printer
// accepted and answered in full, 1 a non-zero result, 2 a usage error, 3 no
// answer or a reply cut short.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "command_table.h"
#include "ecf.h"
#include "exchange_view.h"
#include "local_ports.h"
#include "link/port_url.h"
#include "support_commands.h"

namespace {

using ecf::cli::BadArgument;
using ecf::cli::Call;
using ecf::cli::Command;
using ecf::cli::Json;
using ecf::cli::Kind;
using ecf::cli::Options;
using ecf::cli::ResultKind;

const char* kindText(Kind kind) {
    switch (kind) {
        case Kind::i32: return "INT32";
        case Kind::u32: return "UINT32";
        case Kind::u8: return "BYTE 0..255";
        case Kind::s8: return "SIGNED BYTE -128..127";
        case Kind::str: return "TEXT";
        default: return "";
    }
}

bool isInput(Kind kind) { return kind != Kind::out && kind != Kind::outbyte; }

// "Outputs: change (21), paid (21)" for the help of a parameter form.
std::string outputsOf(const Command& command) {
    std::string list;
    for (const auto& p : command.params) {
        if (isInput(p.kind)) continue;
        list += list.empty() ? "Outputs: " : ", ";
        list += p.name;
        list += p.kind == Kind::out ? " (" + std::to_string(p.capacity - 1) + ")" : " (byte)";
    }
    return list;
}

// "Erro: 1010" -> 1010; any other text -> 0.
int32_t resultOfText(const std::string& text) {
    if (text.compare(0, 6, "Erro: ") != 0) return 0;
    return static_cast<int32_t>(std::strtol(text.c_str() + 6, nullptr, 10));
}

// The printer's text for the terminal: as UTF-8, or as the bytes it is.
std::string shown(const std::string& bytes, bool raw) { return raw ? bytes : ecf::cli::cp850ToUtf8(bytes); }

struct Outcome {
    int32_t result = 0;
    ecf_exchange_info exchange{};
    bool hasText = false;
    std::string text;  // code page 850, as the export gave it
    std::vector<std::pair<std::string, std::string>> texts;  // out-parameters, code page 850
    std::vector<std::pair<std::string, unsigned>> bytes;     // byte out-parameters
};

Outcome outcomeOf(const Command& command, Call& call) {
    Outcome o;
    o.exchange = ecf::cli::lastExchange();
    if (command.result == ResultKind::text) {
        o.hasText = true;
        o.text = call.text();
        o.result = resultOfText(call.text());
    } else {
        o.result = call.result();
    }
    for (std::size_t i = 0; i < command.params.size(); ++i) {
        const auto& p = command.params[i];
        if (p.kind == Kind::out) o.texts.emplace_back(p.name, call.output(i));
        if (p.kind == Kind::outbyte) o.bytes.emplace_back(p.name, call.outputByte(i));
    }
    return o;
}

bool isChangePort(const Command& command) { return std::strcmp(command.exportName, "ChangePort") == 0; }

// 0 accepted and answered in full, 1 a non-zero result, 3 no answer or a
// reply cut short. ChangePort's result is the port it selected.
int exitStatusOf(const Command& command, const Outcome& o) {
    if (isChangePort(command)) return 0;
    if (o.result != 0) return 1;
    const ecf::cli::Answer answer = ecf::cli::answerOf(o.exchange);
    return answer == ecf::cli::Answer::silent || answer == ecf::cli::Answer::cutShort ? 3 : 0;
}

void print(const Command& command, const Outcome& o, const Options& options) {
    const std::string meaning = ecf::cli::meaningOf(command.exportName, o.result, o.exchange);
    std::string problem = isChangePort(command) ? "" : ecf::cli::problemOf(o.exchange);
    if (o.exchange.failed_step == ECF_STEP_LOCK && !ecf::link::looksLikeUrl(o.exchange.device)) {
        const std::string lockers = ecf::cli::holderNamesOf(o.exchange.device).locking;
        if (!lockers.empty()) problem += ": " + lockers;
    }
    if (options.json) {
        // JSON is Unicode: texts are always decoded from code page 850.
        Json j;
        j["command"] = ecf::cli::shortName(command.exportName);
        j["result"] = o.result;
        j["meaning"] = meaning;
        if (!problem.empty()) j["error"] = problem;
        if (o.hasText) j["text"] = ecf::cli::cp850ToUtf8(o.text);
        Json outputs = Json::object();
        for (const auto& [name, value] : o.texts) outputs[name] = ecf::cli::cp850ToUtf8(value);
        for (const auto& [name, value] : o.bytes) outputs[name] = value;
        if (!outputs.empty()) j["outputs"] = outputs;
        if (o.exchange.exchanges > 0) j["exchange"] = ecf::cli::exchangeJson(o.exchange);
        std::cout << ecf::cli::dump(j) << "\n";
    } else {
        std::cout << "result: " << o.result << " (" << meaning << ")\n";
        if (o.hasText) std::cout << "text: " << shown(o.text, options.raw) << "\n";
        // Out-parameters in the export's order.
        std::size_t t = 0, b = 0;
        for (const auto& p : command.params) {
            if (p.kind == Kind::out) {
                std::cout << o.texts[t].first << ": " << shown(o.texts[t].second, options.raw) << "\n";
                ++t;
            } else if (p.kind == Kind::outbyte) {
                std::cout << o.bytes[b].first << ": " << o.bytes[b].second << "\n";
                ++b;
            }
        }
    }
    if (!problem.empty()) std::cerr << "ecf: " << problem << "\n";
}

// The text arguments as the printer takes them: code page 850, unless --raw.
std::vector<std::string> encodedInputs(const Command& command, std::vector<std::string> inputs, bool raw) {
    if (raw) return inputs;
    std::size_t k = 0;
    for (const auto& p : command.params) {
        if (!isInput(p.kind)) continue;
        if (p.kind == Kind::str && k < inputs.size()) inputs[k] = ecf::cli::utf8ToCp850(inputs[k], p.name);
        ++k;
    }
    return inputs;
}

int callExport(const Command& command, const std::vector<std::string>& typed, const Options& options) {
    try {
        Call call(command.params, encodedInputs(command, typed, options.raw));
        if (const int status = ecf::cli::applyPortOptions(options); status != 0) return status;
        command.invoke(call);
        const Outcome outcome = outcomeOf(command, call);
        print(command, outcome, options);
        return exitStatusOf(command, outcome);
    } catch (const BadArgument& bad) {
        std::cerr << "ecf: " << ecf::cli::shortName(command.exportName) << ": " << bad.message << "\n";
        return ecf::cli::kUsageError;
    }
}

// Every command by its name, and each name and alias it answers to.
std::vector<std::pair<std::string, std::string>> commandNames(const CLI::App& app) {
    std::vector<std::pair<std::string, std::string>> names;
    for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
        names.emplace_back(sub->get_name(), sub->get_name());
        for (const std::string& alias : sub->get_aliases()) names.emplace_back(alias, sub->get_name());
    }
    return names;
}

int unknownCommand(const CLI::App& app, const std::string& typed) {
    const auto names = commandNames(app);
    std::vector<std::string> spellings;
    for (const auto& [spelling, command] : names) spellings.push_back(spelling);
    // One suggestion per command, by its name, however it came close.
    std::vector<std::string> close;
    for (const std::string& spelling : ecf::cli::closestNames(typed, spellings)) {
        for (const auto& [s, command] : names)
            if (s == spelling && std::find(close.begin(), close.end(), command) == close.end())
                close.push_back(command);
    }
    std::cerr << "ecf: unknown command '" << typed << "'";
    for (std::size_t i = 0; i < close.size(); ++i)
        std::cerr << (i == 0 ? "; did you mean " : i + 1 == close.size() ? " or " : ", ") << close[i];
    std::cerr << (close.empty() ? "" : "?") << "\nRun ecf --help for the list of commands.\n";
    return ecf::cli::kUsageError;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"ecf: talk to an ECF fiscal printer through libecf.\n"
                 "Every export is a command, by its name without 'ecf' or its kebab-case alias,\n"
                 "in any case. Put -- before negative numbers."};
    Options options;
    app.add_option("--port", options.port, "Port to use: COM1..COM4")
        ->check(CLI::IsMember({"COM1", "COM2", "COM3", "COM4"}, CLI::ignore_case));
    app.add_option("--device", options.device,
                   "Device path of the port, or tcp://HOST:PORT or rfc2217://HOST:PORT for a "
                   "printer on the network (sets ECF_COMn for this call)")
        ->check([](const std::string& value) {
            return value.empty() ? std::string("empty: give a device path or a URL") : std::string();
        });
    app.add_option("--trace", options.trace, "Append the wire trace of every exchange to FILE")
        ->type_name("FILE");
    app.add_flag("--json", options.json, "Print the outcome as one JSON object");
    app.add_flag("--raw", options.raw,
                 "Send text arguments and show the printer's texts as the bytes they are "
                 "(no conversion between UTF-8 and code page 850)");
    app.set_version_flag("--version", std::string("ecf ") + ECF_TOOL_VERSION + " (libecf " + ecf_version() + ", built in)",
                         "Print the versions of the tool and of the library, and exit");
    // Options of the tool may also follow the command; what no one takes is
    // an error, said below.
    app.footer("Exit status: 0 the printer accepted and answered in full; 1 a non-zero result (the\n"
               "printer's status byte or a link code); 2 a usage error; 3 no answer from the printer,\n"
               "or a reply cut short (the export itself returns 0 then).");
    app.allow_extras();
    app.fallthrough();
    app.ignore_case();

    ecf::cli::SupportCommands support(app, options);

    const auto& table = ecf::cli::commands();
    std::vector<std::vector<std::string>> inputs(table.size());
    std::vector<CLI::App*> subcommands;
    std::set<std::string> names;
    for (const Command& c : table) names.insert(ecf::cli::shortName(c.exportName));
    for (std::size_t i = 0; i < table.size(); ++i) {
        const Command& c = table[i];
        const std::string name = ecf::cli::shortName(c.exportName);
        CLI::App* sub = app.add_subcommand(name, ecf::cli::summaryOf(c.exportName));
        sub->group("Printer commands");
        sub->allow_extras(false);
        const std::string alias = ecf::cli::kebabName(c.exportName);
        if (alias != name && names.insert(alias).second) sub->alias(alias);
        std::size_t inputCount = 0;
        for (const auto& p : c.params) inputCount += isInput(p.kind) ? 1 : 0;
        inputs[i].resize(inputCount);
        std::size_t k = 0;
        for (const auto& p : c.params) {
            if (!isInput(p.kind)) continue;
            sub->add_option(p.name, inputs[i][k++], kindText(p.kind))->required();
        }
        if (const std::string outputs = outputsOf(c); !outputs.empty()) sub->footer(outputs);
        subcommands.push_back(sub);
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& done) {  // --help, --version
        return app.exit(done);
    } catch (const CLI::ParseError& error) {
        std::cerr << "ecf: " << error.what() << "\nRun ecf --help for more information.\n";
        return ecf::cli::kUsageError;
    }

    // What no command and no option took: a mistyped command or option.
    for (const std::string& extra : app.remaining()) {
        if (extra.size() > 1 && extra[0] == '-') {
            std::cerr << "ecf: unknown option " << extra << "\nRun ecf --help for more information.\n";
            return ecf::cli::kUsageError;
        }
        return unknownCommand(app, extra);
    }
    for (std::size_t i = 0; i < subcommands.size(); ++i)
        if (subcommands[i]->parsed()) return callExport(table[i], inputs[i], options);
    if (const int status = support.run(); status >= 0) return status;
    std::cerr << "ecf: a command is required\nRun ecf --help for the list of commands.\n";
    return ecf::cli::kUsageError;
}
