#include "printer_line.h"

#include "../link/link.h"

namespace ecf::fiscaldata {

namespace {

class SerialLine final : public PrinterLine {
public:
    int32_t query(const uint8_t* record, uint32_t length, uint8_t* reply,
                  uint32_t replyLength) override {
        return link::ComunicaECF(record, length, reply, replyLength);
    }
    int32_t command(const uint8_t* record, uint32_t length) override {
        return link::EnviaComando(record, length);
    }
};

}  // namespace

PrinterLine& serialLine() {
    static SerialLine line;  // holds no state
    return line;
}

}  // namespace ecf::fiscaldata
