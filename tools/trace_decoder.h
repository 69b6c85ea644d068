// Reading a wire trace back: each line of it (or a line of hex bytes alone,
// taken as a frame sent) becomes an exchange with its record and its answer
// cut into fields named by the library's layouts. Nothing in a line is
// trusted: what cannot be read is said, never guessed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "ecf_ext.h"
#include "fiscaldata/fiscal_memory.h"

namespace ecf::cli {

// One exchange as a line gives it.
struct TracedExchange {
    bool fromTrace = false;  // a trace line; else a line of hex, a frame sent
    std::string time, pid, port, device;  // the device percent-decoded
    std::string command;                  // cmd= of the trace
    int32_t code = -1;                    // code= of the trace
    std::vector<uint8_t> sent;            // ESC, the record, the checksum byte, as written
    std::vector<uint8_t> received;
    int32_t result = 0;
    uint32_t elapsedUs = 0;
    uint32_t step = ECF_STEP_NONE;
    int32_t systemError = 0;
};

// Why a line is not one.
struct Unreadable {
    std::string why;
};

std::variant<TracedExchange, Unreadable> readTraceLine(std::string_view line);

// A field read back: its name (numbered within a group of entries), its
// bytes as they came (code page 850), and its number where it has one.
struct NamedValue {
    std::string name;
    std::string text;
    std::optional<uint64_t> number;
};

struct DecodedExchange {
    TracedExchange traced;
    std::string command;   // the command's name, "unknown" for none the library sends
    std::string frame;     // what is wrong with the frame, or ""
    std::vector<NamedValue> fields;
    uint32_t expected = 0;  // bytes of the answer the command asks for; 0 when unknown
    std::vector<NamedValue> replyFields;
    ecf_exchange_info report{};  // the exchange as ecf_last_exchange would give it
};

// Decodes one exchange after another. A fiscal memory read-out is cut by the
// counts of the count query before it, so the decoder keeps those.
class TraceDecoder {
public:
    DecodedExchange decode(const TracedExchange& traced);

private:
    void readAnswer(DecodedExchange& d, uint8_t code);

    std::optional<fiscaldata::MemoryCounts> counts_;
};

// The exchange for a person, one item a line; texts as UTF-8, or as the
// bytes they are with `raw`.
std::string describe(const DecodedExchange& exchange, bool raw);

}  // namespace ecf::cli
