// `ecf decode` with anything a trace file may hold: every line is read or
// refused with a reason, an exchange read is told, and what is told holds no
// control byte but the line ends (a reply's bytes never reach the terminal
// as they are), however the lines before it left the decoder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>

#include "trace_decoder.h"

namespace {

void check(bool rule) {
    if (!rule) std::abort();
}

bool onlyTextAndLineEnds(const std::string& text) {
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && b != '\n') || b == 0x7F) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    ecf::cli::TraceDecoder decoder;
    for (std::size_t at = 0; at <= input.size();) {
        std::size_t end = input.find('\n', at);
        if (end == std::string_view::npos) end = input.size();
        const auto read = ecf::cli::readTraceLine(input.substr(at, end - at));
        at = end + 1;
        if (const auto* bad = std::get_if<ecf::cli::Unreadable>(&read)) {
            check(!bad->why.empty());
            continue;
        }
        const ecf::cli::DecodedExchange d = decoder.decode(std::get<ecf::cli::TracedExchange>(read));
        const std::string told = ecf::cli::describe(d, false);
        check(!told.empty() && told.back() == '\n' && onlyTextAndLineEnds(told));
        (void)ecf::cli::describe(d, true);
    }
    return 0;
}
