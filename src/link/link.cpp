#include "link.h"

#include <memory>

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

int32_t asSigned16(uint32_t error) { return static_cast<int16_t>(static_cast<uint16_t>(error)); }

}  // namespace

int32_t exchange(SerialPort& port, const char* name, const uint8_t* record, uint32_t length,
                 uint8_t* reply, uint32_t replyLength) {
    if (int32_t opened = openResult(port.open(name)); opened != 0) return opened;
    OpenPort guard(port);

    if (uint32_t e = port.applyLineSettings(kLineSettings); e != 0)
        return 2000 + static_cast<int32_t>(e);
    if (port.purge(kPurgeTxClear) != 0) return 808;
    if (port.purge(kPurgeRxClear) != 0) return 809;
    if (port.setTimeouts(timeoutsFor(replyLength)) != 0) return 810;

    // A driver that cannot report the modem lines (a pseudo-terminal, some
    // USB adapters) is taken as CTS on.
    uint32_t modem = kModemCtsOn;
    if (port.modemStatus(&modem) != 0) modem = kModemCtsOn;
    if ((modem & kModemCtsOn) == 0) return 4;

    port.escape(kClrRts);
    port.escape(kClrDtr);

    if (uint32_t e = port.transmitPriority(kEsc); e != 0) return 4000 + asSigned16(e);
    uint32_t written = 0;
    if (uint32_t e = port.write(record, length, &written); e != 0) return 6000 + asSigned16(e);
    if (length == 0 || record[0] != kFreeLineLead) {
        const uint8_t checksum = checksumOf(record, length);
        if (port.write(&checksum, 1, &written) != 0) return 4;
    }

    if (replyLength <= 1) {
        uint8_t answer = 0;
        uint32_t received = 0;
        const uint32_t e = port.read(&answer, 1, &received);
        guard.raiseControlLines();
        if (e != 0) return 8000 + static_cast<int32_t>(e);
        return answer;
    }

    if (replyLength > kLongReply) port.pause(kLongReplyPauseMs);
    uint32_t received = 0;
    const uint32_t e = port.read(reply, replyLength, &received);
    guard.raiseControlLines();
    return e == 0 ? 0 : 1;
}

int32_t ECF_API ComunicaECF(const uint8_t* record, uint32_t length, uint8_t* reply,
                            uint32_t replyLength) {
    try {
        std::unique_ptr<SerialPort> port = makePlatformPort();
        return exchange(*port, portName(PortaSerial.load(std::memory_order_relaxed)), record,
                        length, reply, replyLength);
    } catch (...) {
        return 1030;  // no memory for the port object: the port could not be opened
    }
}

int32_t ECF_API EnviaComando(const uint8_t* record, uint32_t length) {
    uint32_t scratch = 0;
    return ComunicaECF(record, length, reinterpret_cast<uint8_t*>(&scratch), 1);
}

}  // namespace ecf::link

extern "C" int32_t ECF_API ChangePort(int32_t index) {
    const int32_t stored = (index >= 0 && index <= 3) ? index : 1;
    ecf::link::PortaSerial.store(stored, std::memory_order_relaxed);
    return stored;
}
