#include "composition.h"

#include "../link/record.h"
#include "extenso.h"
#include "layout.h"

namespace ecf::cheque {

namespace {

// A caller's text cut to its limit, never read past its NUL.
template <std::size_t Limite>
struct Entrada {
    char texto[Limite + 1] = {};
    std::size_t comprimento = 0;

    explicit Entrada(const char* s) {
        const char* origem = orEmpty(s);
        comprimento = boundedLength(origem, Limite);
        for (std::size_t i = 0; i < comprimento; ++i) texto[i] = origem[i];
    }
};

// DDMMYY; characters missing from a shorter date are NULs.
struct Data {
    Entrada<kLimiteData> data;

    explicit Data(const char* s) : data(s) {}

    // Two characters as a text: it ends early at a NUL.
    const char* dia() const { return data.texto; }
    std::size_t comprimentoDia() const { return boundedLength(data.texto, 2); }
    const char* ano() const { return data.texto + 4; }
    std::size_t comprimentoAno() const { return boundedLength(data.texto + 4, 2); }

    // 10 times the third character's offset from "0" plus the fourth's,
    // characters taken as signed bytes: any non-digit gives a number that
    // names no month, or at worst another month, never a fault.
    int32_t mes() const {
        const int32_t dezena = static_cast<signed char>(data.texto[2]) - '0';
        const int32_t unidade = static_cast<signed char>(data.texto[3]) - '0';
        return 10 * dezena + unidade;
    }
};

void linhaValor(const LayoutCheque& l, const TextoValor& algarismos, TextoLinha& linha) {
    linha.appendRepeated(' ', l.N(2) - 1);
    linha.appendRepeated(' ', kCampoValor - static_cast<int64_t>(algarismos.length()));
    linha.append(algarismos.c_str(), algarismos.length());
}

void linhaComRecuo(int32_t coluna, const char* texto, std::size_t n, TextoLinha& linha) {
    linha.appendRepeated(' ', coluna - 1);
    linha.append(texto, n);
}

void linhaData(const LayoutCheque& l, const Entrada<kLimiteTextoLivre>& textoLivre,
               const Entrada<kLimiteCidade>& cidade, const Data& data, TextoLinha& linha) {
    char TextoMes[kTamanhoTextoMes];
    NomeMes(data.mes(), TextoMes);

    linhaComRecuo(l.N(14), textoLivre.texto, textoLivre.comprimento, linha);
    // The city ends in column N15.
    linha.padTo(static_cast<int64_t>(l.N(15)) - static_cast<int64_t>(cidade.comprimento));
    linha.append(cidade.texto, cidade.comprimento);
    linha.padTo(l.N(16) - 1);
    linha.append(data.dia(), data.comprimentoDia());
    linha.padTo(l.N(17) - 1);
    linha.append(TextoMes);
    linha.padTo(l.N(18) - 1);
    linha.append(data.ano(), data.comprimentoAno());
}

}  // namespace

TextoValor valorEmAlgarismos(const char* valor, std::size_t comprimento) {
    TextoValor algarismos;
    algarismos.append("(");
    std::size_t inicio = 0;
    while (inicio < comprimento && valor[inicio] == ' ') ++inicio;
    if (inicio == comprimento) return algarismos;
    if (comprimento - inicio > kDigitosImpressos) inicio = comprimento - kDigitosImpressos;

    // Position counted from the right, 1 for the last digit: a "," follows
    // the 3rd and a "." the 6th, 9th and 12th, when a digit follows them.
    for (std::size_t i = inicio; i < comprimento; ++i) {
        algarismos.append(&valor[i], 1);
        const std::size_t daDireita = comprimento - i;
        if (daDireita == 3)
            algarismos.append(",");
        else if (daDireita == 6 || daDireita == 9 || daDireita == 12)
            algarismos.append(".");
    }
    algarismos.append(")");
    return algarismos;
}

int32_t ComporCheque(BuscaLayout busca, uint32_t banco, const char* valor,
                     const char* favorecido, const char* cidade, const char* data,
                     const char* textoLivre, Cheque& cheque) {
    char linhaLayout[kDigitosLayout];
    if (const int32_t r = busca(banco, linhaLayout); r != 0) return r;
    const LayoutCheque l = decodifica(linhaLayout);

    const int32_t avancos[kLinhasCheque] = {l.N(1) - 1, l.N(4) - l.N(1), l.N(7) - l.N(4),
                                            l.N(10) - l.N(7), l.N(13) - l.N(10)};
    for (std::size_t i = 0; i < kLinhasCheque; ++i) {
        cheque[i].avanco = static_cast<uint32_t>(avancos[i]);
        cheque[i].texto.clear();
    }

    Entrada<kLimiteValor> semZeros(valor);
    for (std::size_t i = 0; i < semZeros.comprimento && semZeros.texto[i] == '0'; ++i)
        semZeros.texto[i] = ' ';
    const Entrada<kLimiteFavorecido> paraQuem(favorecido);
    const Entrada<kLimiteCidade> aCidade(cidade);
    const Entrada<kLimiteTextoLivre> oTextoLivre(textoLivre);
    const Data aData(data);

    // The last 14 characters of the value, zeros on the left of a shorter one.
    char valorExtenso[kDigitosValor + 1] = {};
    for (std::size_t i = 0; i < kDigitosValor; ++i) {
        const std::size_t falta = kDigitosValor - i;
        valorExtenso[i] = semZeros.comprimento >= falta
                              ? semZeros.texto[semZeros.comprimento - falta]
                              : '0';
    }
    EstadoExtenso extenso;
    extenso.LarguraLinha1 = l.N(6) - l.N(5);
    extenso.LarguraLinha2 = l.N(9) - l.N(8);
    if (const int32_t r = Extenso(extenso, valorExtenso); r != 0) return r;

    linhaValor(l, valorEmAlgarismos(semZeros.texto, semZeros.comprimento), cheque[0].texto);
    linhaComRecuo(l.N(5), extenso.LinhaExtenso1.c_str(), extenso.LinhaExtenso1.length(),
                  cheque[1].texto);
    linhaComRecuo(l.N(8), extenso.LinhaExtenso2.c_str(), extenso.LinhaExtenso2.length(),
                  cheque[2].texto);
    linhaComRecuo(l.N(11), paraQuem.texto, paraQuem.comprimento, cheque[3].texto);
    linhaData(l, oTextoLivre, aCidade, aData, cheque[4].texto);
    return 0;
}

}  // namespace ecf::cheque
