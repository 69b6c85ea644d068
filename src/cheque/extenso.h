// The amount of a cheque in Portuguese words, broken over the two words lines
// of the bank's layout. The words are code page 850 bytes, in capitals.
#pragma once

#include <cstddef>
#include <cstdint>

#include "text.h"

namespace ecf::cheque {

constexpr int32_t kMoedaAusente = 22;     // "moeda" missing or empty
constexpr int32_t kExtensoNaoCabe = 23;   // the words do not fit on the two lines

// Characters of the amount: billions, millions, thousands, units, centavos.
constexpr std::size_t kDigitosValor = 14;

// The longest text the words can make is about 220 characters (four groups
// like 474 with their scale words, a 20-character currency name and 74
// centavos); a line holds at most that text plus its fill.
constexpr std::size_t kCapacidadeExtenso = 320;
using TextoExtenso = Text<kCapacidadeExtenso>;

// The working state of one amount in words. The caller sets the two width
// values (a line holds its width value + 1 characters) and reads the two
// lines after Extenso returns 0.
struct EstadoExtenso {
    TextoExtenso TextoPendente;
    TextoExtenso LinhaExtenso1;
    TextoExtenso LinhaExtenso2;
    int32_t LarguraLinha1 = 0;
    int32_t LarguraLinha2 = 0;
    int32_t ComprimentoLinha = 0;
    int32_t LinhaAtual = 0;
    int32_t Estouro = 0;
};

// Reads the currency names from "moeda" in the current directory and writes
// out the first 14 characters of `valor` (digits, spaces for zeros). Returns
// 0, 22 (no currency names) or 23 (the words do not fit).
int32_t Extenso(EstadoExtenso& estado, const char* valor);

// The line break, called with the length of each word before it is appended.
void ContaPalavra(EstadoExtenso& estado, int32_t n);

}  // namespace ecf::cheque
