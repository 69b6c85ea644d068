// A scripted printer for the fiscal data operations: every exchange runs the
// real link over a fake port, so the frames, reply lengths and pauses are
// those the serial line would see; and builders for the printer's replies.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "fiscaldata/printer_line.h"
#include "link/fake_port.h"
#include "link/link.h"
#include "support/bytes.h"

namespace ecf::test {

constexpr const char* kBusy = "\x01busy";  // an answer that makes the port be in use (1010)

class ScriptedPrinter final : public fiscaldata::PrinterLine {
public:
    struct Exchange {
        Bytes frame;
        uint32_t replyLength;
        std::vector<uint32_t> pauses;
    };

    explicit ScriptedPrinter(std::vector<std::string> answers)
        : answers_(answers.begin(), answers.end()) {}

    std::vector<Exchange> exchanges;

    int32_t query(const uint8_t* record, uint32_t length, uint8_t* reply,
                  uint32_t replyLength) override {
        link::FakePort port;
        if (!answers_.empty()) {
            if (answers_.front() == kBusy) port.openError = link::OpenError::accessDenied;
            port.replyBytes.assign(answers_.front().begin(), answers_.front().end());
            answers_.pop_front();
        }
        const int32_t result = link::exchange(port, "COM1", record, length, reply, replyLength);
        exchanges.push_back({port.wire, replyLength, port.pauses});
        return result;
    }
    int32_t command(const uint8_t* record, uint32_t length) override {
        uint8_t scratch[4] = {};
        return query(record, length, scratch, 1);
    }

private:
    std::deque<std::string> answers_;
};

// The count reply: 3 bytes not read, then the owner and reduction digits.
inline std::string countReply(const std::string& owners, const std::string& reductions) {
    return "\x06\x06\x06" + owners + reductions;
}

inline std::string ownerRecord(const std::string& cgc, const std::string& ie, const std::string& start,
                               const std::string& startTime, const std::string& end,
                               const std::string& endTime) {
    return pad(cgc, 18) + pad(ie, 15) + pad(start, 8) + pad(startTime, 5) + pad(end, 8) +
           pad(endTime, 5);
}

inline std::string reductionRecord(const std::string& number, const std::string& restart,
                                   const std::string& date, const std::string& time,
                                   const std::string& total) {
    return pad(number, 4) + pad(restart, 4) + pad(date, 8) + pad(time, 5) + pad(total, 20);
}

// The read-out reply around its records, with recognisable filler bytes.
inline std::string readOutReply(const std::vector<std::string>& owners,
                                const std::vector<std::string>& reductions) {
    std::string reply = "<<<<<";
    for (const std::string& o : owners) reply += o;
    reply += "-----";
    for (const std::string& r : reductions) reply += r;
    reply += reductions.empty() ? std::string(">>") : std::string(22, '>');
    return reply;
}

}  // namespace ecf::test
