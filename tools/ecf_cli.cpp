// ecf: call any export of the library from a shell.
//
//   ecf [--port COM1..COM4] [--device PATH|URL] [--json] COMMAND ARGUMENTS...
//
// COMMAND is an export's name without the "ecf" prefix (VendaItem) or its
// kebab-case alias (venda-item). The exit status is 0 only when the result is 0.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "command_table.h"
#include "ecf.h"

namespace {

using ecf::cli::BadArgument;
using ecf::cli::Call;
using ecf::cli::Command;
using ecf::cli::Kind;
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

// Outputs keep the order of the export's parameters.
using Json = nlohmann::ordered_json;

struct Outcome {
    int32_t result = 0;
    Json fields = Json::object();
    bool hasText = false;
    std::string text;
};

Outcome outcomeOf(const Command& command, Call& call) {
    Outcome o;
    if (command.result == ResultKind::text) {
        o.hasText = true;
        o.text = ecf::cli::cp850ToUtf8(call.text());
        o.result = resultOfText(call.text());
    } else {
        o.result = call.result();
    }
    for (std::size_t i = 0; i < command.params.size(); ++i) {
        const auto& p = command.params[i];
        if (p.kind == Kind::out) o.fields[p.name] = ecf::cli::cp850ToUtf8(call.output(i));
        if (p.kind == Kind::outbyte) o.fields[p.name] = call.outputByte(i);
    }
    return o;
}

void print(const Command& command, const Outcome& o, bool json) {
    const std::string meaning = ecf::cli::meaningOf(command.exportName, o.result);
    if (json) {
        Json j;
        j["command"] = ecf::cli::shortName(command.exportName);
        j["result"] = o.result;
        if (!meaning.empty()) j["meaning"] = meaning;
        if (o.hasText) j["text"] = o.text;
        if (!o.fields.empty()) j["outputs"] = o.fields;
        std::cout << j.dump() << "\n";
        return;
    }
    std::cout << "result: " << o.result;
    if (!meaning.empty()) std::cout << " (" << meaning << ")";
    std::cout << "\n";
    if (o.hasText) std::cout << "text: " << o.text << "\n";
    for (const auto& [name, value] : o.fields.items()) {
        if (value.is_string())
            std::cout << name << ": " << value.get<std::string>() << "\n";
        else
            std::cout << name << ": " << value.dump() << "\n";
    }
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"ecf: talk to an ECF fiscal printer through libecf.\n"
                 "Every export is a command, by its name without 'ecf' or its kebab-case alias.\n"
                 "Put -- before negative numbers."};
    std::string port;
    std::string device;
    bool json = false;
    app.add_option("--port", port, "Port to use: COM1..COM4")
        ->check(CLI::IsMember({"COM1", "COM2", "COM3", "COM4"}));
    app.add_option("--device", device,
                   "Device path of the port, or tcp://HOST:PORT or rfc2217://HOST:PORT for a "
                   "printer on the network (sets ECF_COMn for this call)");
    app.add_flag("--json", json, "Print the outcome as one JSON object");
    app.require_subcommand(1);

    const auto& table = ecf::cli::commands();
    std::vector<std::vector<std::string>> inputs(table.size());
    std::vector<CLI::App*> subcommands;
    std::set<std::string> names;
    for (const Command& c : table) names.insert(ecf::cli::shortName(c.exportName));
    for (std::size_t i = 0; i < table.size(); ++i) {
        const Command& c = table[i];
        const std::string name = ecf::cli::shortName(c.exportName);
        CLI::App* sub = app.add_subcommand(name, ecf::cli::summaryOf(c.exportName));
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

    CLI11_PARSE(app, argc, argv);

    std::size_t chosen = 0;
    while (chosen < subcommands.size() && !subcommands[chosen]->parsed()) ++chosen;
    if (chosen == subcommands.size()) return 2;
    const Command& command = table[chosen];

    try {
        Call call(command.params, inputs[chosen]);
        if (!port.empty()) ChangePort(port[3] - '1');
        if (!device.empty()) {
            const std::string variable = "ECF_COM" + std::string(1, port.empty() ? '1' : port[3]);
            ::setenv(variable.c_str(), device.c_str(), 1);
        }
        command.invoke(call);
        const Outcome outcome = outcomeOf(command, call);
        print(command, outcome, json);
        return outcome.result == 0 ? 0 : 1;
    } catch (const BadArgument& bad) {
        std::cerr << ecf::cli::shortName(command.exportName) << ": " << bad.message << "\n";
        return 2;
    }
}
