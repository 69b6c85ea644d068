#include "commands.h"

#include "../link/exchange_report.h"
#include "composition.h"
#include "ecf.h"
#include "layout.h"

namespace {

using namespace ecf::cheque;

// Sends the five lines in order; the first non-zero result stops the cheque
// there, half printed, and is returned.
int32_t imprimeCheque(BuscaLayout busca, uint32_t bank, const char* value, const char* payee,
                      const char* city, const char* date, const char* free_text) {
    Cheque cheque;
    if (const int32_t r = ComporCheque(busca, bank, value, payee, city, date, free_text, cheque);
        r != 0)
        return r;
    int32_t result = 0;
    for (const LinhaCheque& linha : cheque) {
        result = ecf::send(ecf::build<kLinhaCheque>(linha.avanco, linha.texto.c_str()));
        if (result != 0) return result;
    }
    return result;
}

}  // namespace

extern "C" {

int32_t ECF_API ecfLinhaCheque(uint32_t advance, const char* text) {
    return ecf::send(ecf::build<kLinhaCheque>(advance, text));
}

// The cheques make several exchanges, or none when they stop before the line.
int32_t ECF_API ecfImpCheque(uint32_t bank, const char* value, const char* payee,
                             const char* city, const char* date, const char* free_text) {
    ecf::link::ExportCall call;
    return call.returns(imprimeCheque(LayoutBanco, bank, value, payee, city, date, free_text));
}

int32_t ECF_API ecfImpChequeVexa(uint32_t bank, const char* value, const char* payee,
                                 const char* city, const char* date, const char* free_text) {
    ecf::link::ExportCall call;
    return call.returns(imprimeCheque(LayoutBancoVexa, bank, value, payee, city, date, free_text));
}

int32_t ECF_API ecfChequeKorvan(uint32_t bank, const char* value, const char* payee,
                                const char* city, const char* date, const char* extra1,
                                const char* extra2, const char* extra3) {
    ecf::link::ExportCall call;
    // The row and a NUL: the row's 36 digits are copied as they stand.
    char layout[kDigitosLayout + 1] = {};
    if (const int32_t r = LayoutBanco(bank, layout); r != 0) return call.returns(r & 0xFF);
    return call.returns(ecf::send(ecf::build<kChequeKorvan>(value, payee, city, date, extra1,
                                                            extra2, extra3, layout)));
}

}  // extern "C"
