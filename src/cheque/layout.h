// Where each item of a cheque goes on the form of each bank, and the month
// names of the date line.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace ecf::cheque {

constexpr int32_t kBancoDesconhecido = 21;

// A layout row: 18 two-digit numbers, N1 to N18, as 36 ASCII digits.
constexpr std::size_t kDigitosLayout = 36;
constexpr std::size_t kNumerosLayout = 18;
constexpr std::size_t kBancos = 75;

struct EntradaLayout {
    uint32_t banco;
    const char* layout;
};

// The table of ecfImpCheque and ecfChequeKorvan, and that of ecfImpChequeVexa:
// the same bank codes in the same order, different rows.
extern const std::array<EntradaLayout, kBancos> TabelaLayout;
extern const std::array<EntradaLayout, kBancos> TabelaLayoutVexa;

// Copies the bank's 36 digits (no NUL) into `layout` and returns 0, or
// returns 21 without writing when the bank is not in the table.
int32_t LayoutBanco(uint32_t banco, char* layout);
int32_t LayoutBancoVexa(uint32_t banco, char* layout);

// The decoded row: N1 is numeros[0], N18 is numeros[17].
struct LayoutCheque {
    std::array<int32_t, kNumerosLayout> numeros{};
    int32_t N(std::size_t i) const { return numeros[i - 1]; }
};

LayoutCheque decodifica(const char* layout);

// The month's name in code page 850 ("Mar\x87o"), or "ERRO MES" outside 1 to 12.
constexpr std::size_t kTamanhoTextoMes = 12;
void NomeMes(int32_t mes, char (&TextoMes)[kTamanhoTextoMes]);

}  // namespace ecf::cheque
