#include "link.h"

#include <cerrno>
#include <chrono>
#include <memory>

#include "exchange_report.h"
#include "platform_port.h"

namespace ecf::link {

std::atomic<int32_t> PortaSerial{0};

const char* portName(int32_t index) {
    switch (index) {
        case 0: return "COM1";
        case 1: return "COM2";
        case 2: return "COM3";
        case 3: return "COM4";
        default: return "COM2";
    }
}

uint8_t checksumOf(const uint8_t* record, uint32_t length) {
    uint8_t sum = 0x1B;
    for (uint32_t i = 0; i < length; ++i) sum = static_cast<uint8_t>(sum + record[i]);
    return static_cast<uint8_t>(-sum);
}

CommTimeouts timeoutsFor(uint32_t replyLength) {
    if (replyLength == 1) return {kMaxDword, kMaxDword, 25000, 200, 3000};
    return {200, 10, 30000, 200, 3000};
}

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint8_t kEsc = 0x1B;
constexpr uint8_t kFreeLineLead = 'n';

const LineSettings kLineSettings{};

// Closes the port on every early return; the normal end raises RTS and DTR first.
class OpenPort {
public:
    explicit OpenPort(SerialPort& port) : port_(port) {}
    OpenPort(const OpenPort&) = delete;
    OpenPort& operator=(const OpenPort&) = delete;
    ~OpenPort() { port_.close(); }

    void raiseControlLines() {
        port_.escape(kSetRts);
        port_.escape(kSetDtr);
    }

private:
    SerialPort& port_;
};

int32_t openResult(OpenError error) {
    switch (error) {
        case OpenError::none: return 0;
        case OpenError::alreadyExists: return 1002;
        case OpenError::accessDenied: return 1010;
        case OpenError::other: break;
    }
    return 1030;
}

#ifdef _WIN32
constexpr uint32_t kNoMemoryError = 8;  // ERROR_NOT_ENOUGH_MEMORY
#else
constexpr uint32_t kNoMemoryError = ENOMEM;
#endif

int32_t asSigned16(uint32_t error) { return static_cast<int16_t>(static_cast<uint16_t>(error)); }

// The steps of one exchange, each noted in `log` as it goes.
int32_t exchangeSteps(SerialPort& port, const char* name, const Wire& wire, ExchangeLog& log) {
    const OpenError openError = port.open(name);
    log.opened = &port.openDetails();
    if (int32_t opened = openResult(openError); opened != 0) {
        log.fail(log.opened->lockFailed ? ECF_STEP_LOCK : ECF_STEP_OPEN, log.opened->systemError);
        return opened;
    }
    OpenPort guard(port);

    if (uint32_t e = port.applyLineSettings(kLineSettings); e != 0) {
        log.fail(ECF_STEP_LINE_SETTINGS, e);
        return 2000 + static_cast<int32_t>(e);
    }
    if (uint32_t e = port.purge(kPurgeTxClear); e != 0) {
        log.fail(ECF_STEP_CLEARING, e);
        return 808;
    }
    if (uint32_t e = port.purge(kPurgeRxClear); e != 0) {
        log.fail(ECF_STEP_CLEARING, e);
        return 809;
    }
    if (uint32_t e = port.setTimeouts(timeoutsFor(wire.replyLength)); e != 0) {
        log.fail(ECF_STEP_TIMEOUTS, e);
        return 810;
    }

    // A driver that cannot report the modem lines (a pseudo-terminal, some
    // USB adapters) is taken as CTS on.
    uint32_t modem = kModemCtsOn;
    if (port.modemStatus(&modem) != 0) modem = kModemCtsOn;
    if ((modem & kModemCtsOn) == 0) {
        log.fail(ECF_STEP_CTS, 0);
        return 4;
    }

    port.escape(kClrRts);
    port.escape(kClrDtr);

    if (uint32_t e = port.transmitPriority(kEsc); e != 0) {
        log.fail(ECF_STEP_SENDING, e);
        return 4000 + asSigned16(e);
    }
    log.escSent = true;
    if (uint32_t e = port.write(wire.record, wire.length, &log.recordWritten); e != 0) {
        log.fail(ECF_STEP_SENDING, e);
        return 6000 + asSigned16(e);
    }
    if (wire.length == 0 || wire.record[0] != kFreeLineLead) {
        log.checksum = checksumOf(wire.record, wire.length);
        uint32_t written = 0;
        if (uint32_t e = port.write(&log.checksum, 1, &written); e != 0) {
            log.fail(ECF_STEP_SENDING, e);
            return 4;
        }
        log.checksumSent = written == 1;
    }

    if (wire.replyLength <= 1) {
        const uint32_t e = port.read(&log.answer, 1, &log.received);
        guard.raiseControlLines();
        if (e != 0) {
            log.fail(ECF_STEP_READING, e);
            return 8000 + static_cast<int32_t>(e);
        }
        return log.answer;
    }

    if (wire.replyLength > kLongReply) port.pause(kLongReplyPauseMs);
    const uint32_t e = port.read(wire.reply, wire.replyLength, &log.received);
    guard.raiseControlLines();
    if (e != 0) {
        log.fail(ECF_STEP_READING, e);
        return 1;
    }
    return 0;
}

uint32_t microsecondsSince(Clock::time_point start) {
    using std::chrono::microseconds;
    const auto us = std::chrono::duration_cast<microseconds>(Clock::now() - start).count();
    return us < 0 ? 0 : us > 0xFFFFFFFF ? 0xFFFFFFFFu : static_cast<uint32_t>(us);
}

}  // namespace

int32_t exchange(SerialPort& port, const char* name, const uint8_t* record, uint32_t length,
                 uint8_t* reply, uint32_t replyLength) {
    const Wire wire{record, length, reply, replyLength};
    ExchangeLog log;
    const Clock::time_point start = Clock::now();
    const int32_t result = exchangeSteps(port, name, wire, log);  // the port is closed again
    log.elapsedUs = microsecondsSince(start);
    reportExchange(name, wire, log, result);
    return result;
}

int32_t ECF_API ComunicaECF(const uint8_t* record, uint32_t length, uint8_t* reply,
                            uint32_t replyLength) {
    const char* name = portName(PortaSerial.load(std::memory_order_relaxed));
    try {
        std::unique_ptr<SerialPort> port = makePlatformPort();
        return exchange(*port, name, record, length, reply, replyLength);
    } catch (...) {
        // No memory for the port object: the port could not be opened.
        ExchangeLog log;
        log.fail(ECF_STEP_OPEN, kNoMemoryError);
        reportExchange(name, Wire{record, length, reply, replyLength}, log, 1030);
        return 1030;
    }
}

int32_t ECF_API EnviaComando(const uint8_t* record, uint32_t length) {
    uint32_t scratch = 0;
    return ComunicaECF(record, length, reinterpret_cast<uint8_t*>(&scratch), 1);
}

}  // namespace ecf::link

extern "C" int32_t ECF_API ChangePort(int32_t index) {
    ecf::link::ExportCall call;  // no exchange
    const int32_t stored = (index >= 0 && index <= 3) ? index : 1;
    ecf::link::PortaSerial.store(stored, std::memory_order_relaxed);
    return call.returns(stored);
}
