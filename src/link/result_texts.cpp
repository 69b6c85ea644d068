// ecf_result_text: the link's and the library's result codes in words; and
// ecf_version.
// Codes that may also be the printer's status byte say so, since the library
// cannot tell them apart; other status bytes get a neutral text, their
// meaning being the printer's. The pt-BR texts are UTF-8.
#include <cstdint>

#include "ecf_ext.h"

namespace {

struct Text {
    const char* ptBr;
    const char* en;
};

struct Code {
    int32_t result;
    Text text;
};

constexpr Code kCodes[] = {
    {0, {"sem erro", "no error"}},
    {1, {"a resposta não pôde ser lida (ou o byte de estado 1 da impressora)",
         "the reply could not be read (or the printer's status byte 1)"}},
    {3, {"sem memória para a leitura da memória fiscal (ou o byte de estado 3 da impressora)",
         "no memory for the fiscal memory read-out (or the printer's status byte 3)"}},
    {4, {"CTS desligado, ou o byte de verificação não foi enviado "
         "(ou o byte de estado 4 da impressora)",
         "CTS off, or the checksum byte not written (or the printer's status byte 4)"}},
    {21, {"banco fora da tabela de layouts (ou o byte de estado 21 da impressora)",
          "bank not in the layout table (or the printer's status byte 21)"}},
    {22, {"arquivo \"moeda\" ausente ou vazio (ou o byte de estado 22 da impressora)",
          "currency file \"moeda\" missing or empty (or the printer's status byte 22)"}},
    {23, {"valor por extenso longo demais para o cheque (ou o byte de estado 23 da impressora)",
          "amount in words too long for the cheque (or the printer's status byte 23)"}},
    {66, {"mais de 20 registros de proprietário (ou o byte de estado 66 da impressora)",
          "more than 20 owner records (or the printer's status byte 66)"}},
    {67, {"nenhum registro de proprietário na memória fiscal (ou o byte de estado 67 da impressora)",
          "no owner record in the fiscal memory (or the printer's status byte 67)"}},
    {808, {"falha ao limpar o buffer de saída", "clearing the output buffer failed"}},
    {809, {"falha ao limpar o buffer de entrada", "clearing the input buffer failed"}},
    {810, {"falha ao ajustar os tempos de espera", "setting the time-outs failed"}},
    {1002, {"falha ao abrir a porta (já existe)", "opening the port failed (already exists)"}},
    {1010, {"porta em uso", "the port is in use"}},
    {1030, {"não foi possível abrir a porta", "the port could not be opened"}},
    {1098, {"não foi possível criar o arquivo do relatório", "the report file could not be created"}},
};

// The other status bytes, and each base plus a system error; for ESC and the
// record the error counts as a signed 16-bit number, so either side of 4000
// and 6000.
struct Range {
    int32_t low;
    int32_t high;
    Text text;
};

constexpr Range kRanges[] = {
    {1, 255, {"byte de estado da impressora", "the printer's status byte"}},
    {2000, 2999, {"falha ao configurar a linha (2000 + erro do sistema)",
                  "setting the line failed (2000 + the system error)"}},
    {3001, 4999, {"falha ao enviar o ESC (4000 + erro do sistema)",
                  "sending ESC failed (4000 + the system error)"}},
    {5001, 6999, {"falha ao enviar o registro (6000 + erro do sistema)",
                  "writing the record failed (6000 + the system error)"}},
    {7001, 8999, {"falha ao ler o byte de estado (8000 + erro do sistema)",
                  "reading the status byte failed (8000 + the system error)"}},
};

constexpr Text kUnknown = {"código desconhecido", "unknown code"};

// "en", "en-US", "en_GB", in any case; anything else is pt-BR.
bool isEnglish(const char* language) {
    if (language == nullptr || (language[0] | 0x20) != 'e' || (language[1] | 0x20) != 'n') return false;
    return language[2] == '\0' || language[2] == '-' || language[2] == '_';
}

const Text& textOf(int32_t result) {
    for (const Code& c : kCodes)
        if (c.result == result) return c.text;
    for (const Range& r : kRanges)
        if (result >= r.low && result <= r.high) return r.text;
    return kUnknown;
}

}  // namespace

extern "C" const char* ECF_API ecf_result_text(int32_t result, const char* language) {
    const Text& text = textOf(result);
    return isEnglish(language) ? text.en : text.ptBr;
}

extern "C" const char* ECF_API ecf_version(void) { return ECF_VERSION_TEXT; }
