// A whole cheque composed on the computer: the amount in figures, the two
// lines of the amount in words, the payee and the date line, each placed at
// the line and columns of the bank's layout row, ready to be sent as five
// cheque lines.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "text.h"

namespace ecf::cheque {

// Limits of the inputs; a longer text is cut to its limit.
constexpr std::size_t kLimiteValor = 16;
constexpr std::size_t kLimiteFavorecido = 84;
constexpr std::size_t kLimiteCidade = 24;
constexpr std::size_t kLimiteData = 6;
constexpr std::size_t kLimiteTextoLivre = 20;

// Only the 14 rightmost significant digits of the value are printed.
constexpr std::size_t kDigitosImpressos = 14;
// The right-aligned field of the amount in figures.
constexpr int64_t kCampoValor = 19;

// A composed line can run past the 80 characters the printer takes (the
// longest is a words line: 98 columns of offset and the line itself); the
// excess is cut when the line is sent.
using TextoLinha = Text<512>;
using TextoValor = Text<24>;

struct LinhaCheque {
    uint32_t avanco = 0;  // lines advanced before printing; may wrap below zero
    TextoLinha texto;
};

constexpr std::size_t kLinhasCheque = 5;
using Cheque = std::array<LinhaCheque, kLinhasCheque>;

using BuscaLayout = int32_t (*)(uint32_t banco, char* layout);

// The amount in figures of a value whose leading zeros are already spaces,
// e.g. "      123456" gives "(1.234,56)"; no significant digit gives "(".
TextoValor valorEmAlgarismos(const char* valor, std::size_t comprimento);

// Composes the cheque from the bank's row found by `busca`. Returns 0, 21
// (bank unknown), 22 or 23 (amount in words); on a non-zero result the
// cheque is not to be sent.
int32_t ComporCheque(BuscaLayout busca, uint32_t banco, const char* valor,
                     const char* favorecido, const char* cidade, const char* data,
                     const char* textoLivre, Cheque& cheque);

}  // namespace ecf::cheque
