// The amount in words with any amount, any line widths and any currency file,
// and the composition of a whole cheque of a known bank with any amount,
// payee, city, date and free text.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "cheque/composition.h"
#include "cheque/extenso.h"
#include "cheque/layout.h"
#include "fuzz_exports.h"

namespace {

// A string in a heap block of exactly its length and NUL, so that reading
// past its end is seen.
std::unique_ptr<char[]> exact(const std::string& s) {
    auto p = std::make_unique<char[]>(s.size() + 1);
    std::memcpy(p.get(), s.c_str(), s.size() + 1);
    return p;
}

void writeCurrencyFile(FuzzedDataProvider& input) {
    const std::string names = input.ConsumeRandomLengthString(60);
    if (FILE* f = std::fopen("moeda", "wb")) {
        std::fwrite(names.data(), 1, names.size(), f);
        std::fclose(f);
    }
}

void amountInWords(FuzzedDataProvider& input) {
    ecf::cheque::EstadoExtenso estado;
    estado.LarguraLinha1 = input.ConsumeIntegral<int32_t>();
    estado.LarguraLinha2 = input.ConsumeIntegral<int32_t>();
    if (input.ConsumeBool()) {  // mostly widths a layout row can give
        estado.LarguraLinha1 %= 120;
        estado.LarguraLinha2 %= 120;
    }
    const auto amount = exact(input.ConsumeRandomLengthString(20));
    const int32_t r = ecf::cheque::Extenso(estado, amount.get());
    if (r != 0 && r != ecf::cheque::kMoedaAusente && r != ecf::cheque::kExtensoNaoCabe)
        ecf::fuzz::finding("Extenso gave a result of its own making");
    if (r == 0 && estado.LarguraLinha1 >= 0 && estado.LarguraLinha1 < 200 &&
        estado.LinhaExtenso1.length() < static_cast<std::size_t>(estado.LarguraLinha1) + 1)
        ecf::fuzz::finding("the first words line is not filled to its width");
}

void wholeCheque(FuzzedDataProvider& input) {
    const bool vexa = input.ConsumeBool();
    const auto& table = vexa ? ecf::cheque::TabelaLayoutVexa : ecf::cheque::TabelaLayout;
    const uint32_t bank = table[input.ConsumeIntegralInRange<std::size_t>(0, table.size() - 1)].banco;
    const auto value = exact(input.ConsumeRandomLengthString(40));
    const auto payee = exact(input.ConsumeRandomLengthString(200));
    const auto city = exact(input.ConsumeRandomLengthString(60));
    const auto date = exact(input.ConsumeRandomLengthString(12));
    const auto free = exact(input.ConsumeRandomLengthString(60));
    ecf::cheque::Cheque cheque;
    const int32_t r = ecf::cheque::ComporCheque(
        vexa ? ecf::cheque::LayoutBancoVexa : ecf::cheque::LayoutBanco, bank, value.get(),
        payee.get(), city.get(), date.get(), free.get(), cheque);
    if (r == ecf::cheque::kBancoDesconhecido) ecf::fuzz::finding("a bank of the table is unknown");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    writeCurrencyFile(input);
    if (input.ConsumeBool())
        amountInWords(input);
    else
        wholeCheque(input);
    return 0;
}
