// ecf decode: reads a wire trace and tells each exchange, every field named.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>

#include "command_table.h"
#include "support_commands.h"
#include "trace_decoder.h"

namespace ecf::cli {

namespace {

Json fieldsJson(const std::vector<NamedValue>& fields) {
    Json j = Json::object();
    for (const NamedValue& f : fields) {
        if (f.number)
            j[f.name] = *f.number;
        else
            j[f.name] = cp850ToUtf8(f.text);
    }
    return j;
}

Json exchangeOf(const DecodedExchange& d, std::size_t line) {
    const TracedExchange& t = d.traced;
    Json j;
    j["line"] = line;
    if (t.fromTrace) {
        j["time"] = t.time;
        j["port"] = t.port;
        j["device"] = t.device;
    }
    j["command"] = d.command;
    j["code"] = d.report.command_code;
    if (!d.frame.empty()) j["frame"] = d.frame;
    j["fields"] = fieldsJson(d.fields);
    if (!t.fromTrace) return j;
    Json answer;
    answer["bytes_expected"] = d.expected;
    answer["bytes_received"] = t.received.size();
    if (d.expected == 1 && t.received.size() == 1) answer["status_byte"] = t.received[0];
    if (!d.replyFields.empty()) answer["fields"] = fieldsJson(d.replyFields);
    j["answer"] = answer;
    j["result"] = t.result;
    j["meaning"] = meaningOf("", t.result, d.report);
    if (const std::string problem = problemOf(d.report); !problem.empty()) j["error"] = problem;
    j["elapsed_us"] = t.elapsedUs;
    return j;
}

}  // namespace

int runDecode(const std::string& file, const Options& options) {
    std::ifstream opened;
    if (file != "-") {
        opened.open(file, std::ios::binary);
        if (!opened) {
            std::cerr << "ecf: decode: cannot read " << file << ": " << std::strerror(errno) << "\n";
            return kUsageError;
        }
    }
    std::istream& in = file == "-" ? std::cin : opened;
    TraceDecoder decoder;
    std::string line;
    std::size_t number = 0, skipped = 0;
    bool first = true;
    while (std::getline(in, line)) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        const auto read = readTraceLine(line);
        if (const Unreadable* bad = std::get_if<Unreadable>(&read)) {
            std::cerr << "ecf: decode: line " << number << " skipped: " << bad->why << "\n";
            ++skipped;
            continue;
        }
        const DecodedExchange d = decoder.decode(std::get<TracedExchange>(read));
        if (options.json) {
            std::cout << dump(exchangeOf(d, number)) << "\n";
        } else {
            std::cout << (first ? "" : "\n") << describe(d, options.raw);
            first = false;
        }
    }
    return skipped == 0 ? 0 : 1;
}

}  // namespace ecf::cli
