// The printer as the fiscal data operations see it: a query that expects a
// reply record of a known length, and a command answered by one status byte.
// The exports talk to the serial link; the tests put a scripted printer here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../link/record.h"

namespace ecf::fiscaldata {

class PrinterLine {
public:
    virtual ~PrinterLine() = default;
    // Sends the record and reads `replyLength` bytes into `reply`; 0 or a link code.
    virtual int32_t query(const uint8_t* record, uint32_t length, uint8_t* reply,
                          uint32_t replyLength) = 0;
    // Sends the record; the printer's status byte or a link code.
    virtual int32_t command(const uint8_t* record, uint32_t length) = 0;

    template <std::size_t N>
    int32_t query(const Record<N>& record, uint8_t* reply, uint32_t replyLength) {
        return query(record.data(), static_cast<uint32_t>(N), reply, replyLength);
    }
    template <std::size_t N>
    int32_t command(const Record<N>& record) {
        return command(record.data(), static_cast<uint32_t>(N));
    }
};

// The serial link of the selected port (ComunicaECF, EnviaComando).
PrinterLine& serialLine();

}  // namespace ecf::fiscaldata
