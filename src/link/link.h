// The exchange with the printer: open the selected port, send one framed
// record (ESC, record, checksum), read the answer, close the port.
#pragma once

#include <atomic>
#include <cstdint>

#include "ecf.h"
#include "serial_port.h"

namespace ecf::link {

// Index of the selected port (0..3 = COM1..COM4); changed only by ChangePort.
extern std::atomic<int32_t> PortaSerial;

// The port name opened for an index: 0..3 give "COM1".."COM4", anything else "COM2".
const char* portName(int32_t index);

// The checksum byte that makes ESC, the record and the checksum sum to 0
// modulo 256.
uint8_t checksumOf(const uint8_t* record, uint32_t length);

// The time-outs of an exchange, chosen by its reply length.
CommTimeouts timeoutsFor(uint32_t replyLength);

// Replies longer than this are preceded by a pause.
constexpr uint32_t kLongReply = 300;
constexpr uint32_t kLongReplyPauseMs = 2000;

// One exchange over the given port, step by step. For reply length 1 the
// result is the status byte and the reply buffer is not written; for a longer
// reply the record is read into `reply` and the result is 0. What it did on
// the line goes to the thread's exchange report and to the trace
// (exchange_report.h, trace.h).
int32_t exchange(SerialPort& port, const char* name, const uint8_t* record, uint32_t length,
                 uint8_t* reply, uint32_t replyLength);

int32_t ECF_API ComunicaECF(const uint8_t* record, uint32_t length, uint8_t* reply,
                            uint32_t replyLength);
int32_t ECF_API EnviaComando(const uint8_t* record, uint32_t length);

}  // namespace ecf::link
