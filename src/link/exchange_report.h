// The exchange report: what the last export called on a thread did on the
// line (ecf_last_exchange). exchange() fills it at the end of every exchange;
// it lives in thread-local storage, is never allocated and costs a few stores
// when nobody asks for it.
#pragma once

#include <cstdint>

#include "ecf_ext.h"
#include "serial_port.h"

namespace ecf::link {

// One exchange's frame and reply buffers, as the caller handed them over.
struct Wire {
    const uint8_t* record;
    uint32_t length;
    uint8_t* reply;  // the reply record (reply length above 1)
    uint32_t replyLength;
};

// What the steps of one exchange did, noted as they go.
struct ExchangeLog {
    const OpenDetails* opened = nullptr;  // the port's account of its open
    ecf_step failedStep = ECF_STEP_NONE;
    uint32_t systemError = 0;
    bool escSent = false;
    uint32_t recordWritten = 0;
    bool checksumSent = false;
    uint8_t checksum = 0;
    uint32_t received = 0;
    uint8_t answer = 0;  // the status byte (reply length 1)
    uint32_t elapsedUs = 0;

    void fail(ecf_step step, uint32_t error) {
        failedStep = step;
        systemError = error;
    }
    uint32_t bytesSent() const {
        return (escSent ? 1u : 0u) + recordWritten + (checksumSent ? 1u : 0u);
    }
    // The bytes received, where they were read to.
    const uint8_t* receivedBytes(const Wire& wire) const {
        return wire.replyLength <= 1 ? &answer : wire.reply;
    }
};

// The record's command code: byte 1, 'n' for a free line, -1 for no code.
int32_t commandCodeOf(const uint8_t* record, uint32_t length);

// Ends an exchange: its report replaces the thread's (or, inside an
// ExportCall, counts as the export's next exchange) and goes to the trace.
void reportExchange(const char* port, const Wire& wire, const ExchangeLog& log, int32_t result);

// The thread's report as it stands.
const ecf_exchange_info& lastExchange();

// The boundary of an export that makes several exchanges, or may make none:
// the report counts the exchanges made within it, and ends with what the
// export returns. Every exchange outside one reports on its own.
class ExportCall {
public:
    ExportCall();
    ~ExportCall();
    ExportCall(const ExportCall&) = delete;
    ExportCall& operator=(const ExportCall&) = delete;

    // Records the export's result and returns it.
    int32_t returns(int32_t result);
};

}  // namespace ecf::link
