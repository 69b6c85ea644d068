#include "exchange_report.h"

#include <cstddef>

#include "trace.h"

namespace ecf::link {

namespace {

// Before any export: every field 0, no command code.
constexpr ecf_exchange_info kNoExchange = {sizeof(ecf_exchange_info), 0, -1, 0, 0, 0, 0, 0, 0, 0,
                                           {}, {}};

thread_local ecf_exchange_info threadReport = kNoExchange;
thread_local int exportDepth = 0;  // open ExportCall scopes on this thread

void copyText(char* to, std::size_t room, const char* from) {
    std::size_t n = 0;
    if (from != nullptr)
        for (; n + 1 < room && from[n] != '\0'; ++n) to[n] = from[n];
    to[n] = '\0';
}

}  // namespace

int32_t commandCodeOf(const uint8_t* record, uint32_t length) {
    if (length >= 1 && record[0] == 'n') return 'n';
    return length >= 2 ? record[1] : -1;
}

void reportExchange(const char* port, const Wire& wire, const ExchangeLog& log, int32_t result) {
    ecf_exchange_info& r = threadReport;
    r.exchanges = exportDepth > 0 ? r.exchanges + 1 : 1;
    r.result = result;
    r.command_code = commandCodeOf(wire.record, wire.length);
    r.bytes_sent = log.bytesSent();
    r.bytes_expected = wire.replyLength <= 1 ? 1 : wire.replyLength;
    r.bytes_received = log.received;
    r.elapsed_us = log.elapsedUs;
    r.failed_step = log.failedStep;
    r.system_error = static_cast<int32_t>(log.systemError);
    copyText(r.port, sizeof r.port, port);
    copyText(r.device, sizeof r.device, log.opened != nullptr ? log.opened->device : "");
    if (trace::on()) trace::write(r, wire, log);
}

const ecf_exchange_info& lastExchange() { return threadReport; }

ExportCall::ExportCall() {
    if (exportDepth++ == 0) threadReport = kNoExchange;
}

ExportCall::~ExportCall() { --exportDepth; }

int32_t ExportCall::returns(int32_t result) {
    threadReport.result = result;
    return result;
}

}  // namespace ecf::link

extern "C" int32_t ECF_API ecf_last_exchange(ecf_exchange_info* info) {
    if (info == nullptr) return -1;
    const uint32_t size = info->size;
    if (size < sizeof(ecf_exchange_info)) return -2;
    *info = ecf::link::lastExchange();
    info->size = size;  // the caller's, as it was: a later, longer struct keeps its tail
    return 0;
}
