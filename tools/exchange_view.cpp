#include "exchange_view.h"

#include <cstring>

#include "link/port_url.h"

namespace ecf::cli {

namespace {

// The time the library waits for an answer: 25 s for a status byte; for a
// reply record 30 s and 10 ms a byte, after a 2 s pause for one above 300
// bytes.
std::string waitText(uint32_t expected) {
    uint64_t ms = 25000;
    if (expected > 1) ms = 30000 + 10ull * expected + (expected > 300 ? 2000 : 0);
    std::string text = std::to_string(ms / 1000);
    if (ms % 1000 != 0) {
        std::string fraction = std::to_string(1000 + ms % 1000).substr(1);
        while (fraction.back() == '0') fraction.pop_back();
        text += "." + fraction;
    }
    return text + " s";
}

std::string reason(int32_t error) {
    return error != 0 ? std::string(": ") + std::strerror(error) : std::string();
}

std::string linkFailureText(const ecf_exchange_info& info) {
    const std::string device = info.device[0] != '\0' ? info.device : info.port;
    const bool network = ecf::link::looksLikeUrl(device);
    const std::string why = reason(info.system_error);
    std::string text;
    switch (info.failed_step) {
        case ECF_STEP_OPEN:
            text = (network ? "cannot connect to " : "cannot open ") + device + why;
            break;
        case ECF_STEP_LOCK:
            text = network ? device + " turned the connection away: another client holds the port"
                           : device + " is in use: another process holds it locked";
            break;
        case ECF_STEP_LINE_SETTINGS:
            text = "cannot set " + device + " to 9600 baud 8E1 RTS/CTS" + why;
            break;
        case ECF_STEP_CLEARING: text = "cannot clear the buffers of " + device + why; break;
        case ECF_STEP_TIMEOUTS: text = "cannot set the time-outs of " + device + why; break;
        case ECF_STEP_CTS:
            text = "CTS is off on " + device +
                   ": nothing was sent (is the printer on, and does its cable carry RTS/CTS?)";
            break;
        case ECF_STEP_SENDING:
            text = "sending to " + device + " failed after " + std::to_string(info.bytes_sent) +
                   " bytes" + why;
            break;
        default: text = "reading the answer from " + device + " failed" + why; break;
    }
    return std::to_string(info.result) + ": " + text;
}

}  // namespace

ecf_exchange_info lastExchange() {
    ecf_exchange_info info{};
    info.size = sizeof info;
    (void)ecf_last_exchange(&info);
    return info;
}

Answer answerOf(const ecf_exchange_info& info) {
    if (info.exchanges == 0) return Answer::noExchange;
    if (info.failed_step != ECF_STEP_NONE) return Answer::linkFailure;
    if (info.bytes_received == 0) return Answer::silent;
    if (info.bytes_received < info.bytes_expected) return Answer::cutShort;
    return Answer::full;
}

std::string problemOf(const ecf_exchange_info& info) {
    switch (answerOf(info)) {
        case Answer::silent: return "no answer from the printer within " + waitText(info.bytes_expected);
        case Answer::cutShort:
            return "reply cut short: " + std::to_string(info.bytes_received) + " of " +
                   std::to_string(info.bytes_expected) + " bytes";
        case Answer::linkFailure: return linkFailureText(info);
        default: return "";
    }
}

std::string meaningOf(const std::string& exportName, int32_t result, const ecf_exchange_info& info) {
    if (exportName == "ChangePort") return "COM" + std::to_string(result + 1) + " selected";
    const Answer answer = answerOf(info);
    if (result == 0) {
        if (answer == Answer::silent) return "no answer from the printer";
        if (answer == Answer::cutShort) return "reply cut short";
        return "ok";
    }
    // The last exchange ran to its end and brought one byte, which the export
    // returned: the printer's status byte, whatever the library's codes of the
    // same value mean.
    if (answer == Answer::full && info.bytes_expected == 1 && result > 0 && result < 256)
        return "the printer's status byte";
    return ecf_result_text(result, "en");
}

}  // namespace ecf::cli
