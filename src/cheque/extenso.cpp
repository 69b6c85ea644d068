#include "extenso.h"

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "../link/record.h"

namespace ecf::cheque {

namespace {

// ---- The currency names -----------------------------------------------------

// The singular name in bytes 0 to 20, the plural in bytes 21 to 41. The area
// lives as long as the library: each read overwrites only the bytes it got,
// so a short file leaves the rest of the names as an earlier file set them.
constexpr std::size_t kTamanhoMoeda = 42;
constexpr std::size_t kTamanhoNome = 21;
uint8_t AreaMoeda[kTamanhoMoeda] = {};

class ArquivoMoeda {
public:
    ArquivoMoeda() {
#ifdef _WIN32
        fd_ = ::_open("moeda", _O_RDONLY | _O_BINARY);
#else
        fd_ = ::open("moeda", O_RDONLY);
#endif
    }
    ~ArquivoMoeda() {
        if (!aberto()) return;
#ifdef _WIN32
        ::_close(fd_);
#else
        ::close(fd_);
#endif
    }
    ArquivoMoeda(const ArquivoMoeda&) = delete;
    ArquivoMoeda& operator=(const ArquivoMoeda&) = delete;

    bool aberto() const { return fd_ >= 0; }

    // One read into the currency area; the number of bytes read, or -1.
    long leArea() {
#ifdef _WIN32
        return ::_read(fd_, AreaMoeda, static_cast<unsigned>(kTamanhoMoeda));
#else
        return static_cast<long>(::read(fd_, AreaMoeda, kTamanhoMoeda));
#endif
    }

private:
    int fd_ = -1;
};

// A read that fails outright is not told apart: the names stay as they were.
bool leMoeda() {
    ArquivoMoeda arquivo;
    if (!arquivo.aberto()) return false;
    return arquivo.leArea() != 0;
}

// A name ends at its NUL, and in any case within its 21 bytes.
struct Nome {
    const char* texto;
    std::size_t comprimento;
};

Nome nomeMoeda(std::size_t inicio) {
    const char* texto = reinterpret_cast<const char*>(AreaMoeda + inicio);
    return {texto, boundedLength(texto, kTamanhoNome)};
}

Nome MoedaSingular() { return nomeMoeda(0); }
Nome MoedaPlural() { return nomeMoeda(kTamanhoNome); }

// ---- The words ----------------------------------------------------------------

const char* const kUnidades[10] = {"",      "UM ",   "DOIS ", "TR\xD2S ", "QUATRO ",
                                   "CINCO ", "SEIS ", "SETE ", "OITO ",     "NOVE "};
const char* const kDezenas[10] = {"",          "",          "VINTE ",    "TRINTA ",
                                  "QUARENTA ", "CINQUENTA ", "SESSENTA ", "SETENTA ",
                                  "OITENTA ",  "NOVENTA "};
const char* const kDezMais[10] = {"DEZ ",      "ONZE ",      "DOZE ",    "TREZE ",
                                  "QUATORZE ", "QUINZE ",    "DEZESSEIS ", "DEZESSETE ",
                                  "DEZOITO ",  "DEZENOVE "};
const char* const kCentenas[10] = {"",           "CENTO ",      "DUZENTOS ", "TREZENTOS ",
                                   "QUATROCENTOS ", "QUINHENTOS ", "SEISCENTOS ",
                                   "SETECENTOS ",   "OITOCENTOS ", "NOVECENTOS "};

// A space counts as zero; so does any other character that is not a digit.
int digito(char c) { return c >= '0' && c <= '9' ? c - '0' : 0; }

struct Grupo {
    int centena;
    int dezena;
    int unidade;

    bool naoZero() const { return centena != 0 || dezena != 0 || unidade != 0; }
    bool exatamenteUm() const { return centena == 0 && dezena == 0 && unidade == 1; }
};

Grupo grupoEm(const char* valor, std::size_t inicio) {
    return {digito(valor[inicio]), digito(valor[inicio + 1]), digito(valor[inicio + 2])};
}

class Composicao {
public:
    explicit Composicao(EstadoExtenso& estado) : estado_(estado) {}

    void emite(const char* palavra, std::size_t n) {
        ContaPalavra(estado_, static_cast<int32_t>(n));
        estado_.TextoPendente.append(palavra, n);
    }
    void emite(const char* palavra) { emite(palavra, std::strlen(palavra)); }
    void emite(Nome nome) { emite(nome.texto, nome.comprimento); }

    void palavrasDoGrupo(Grupo g) {
        const bool centena = g.centena != 0;
        bool dezena = false;
        bool unidadeFeita = false;
        if (g.centena == 1)
            emite(g.dezena == 0 && g.unidade == 0 ? "CEM " : "CENTO ");
        else if (centena)
            emite(kCentenas[g.centena]);
        if (g.dezena != 0) {
            dezena = true;
            if (centena) emite("E ");
            if (g.dezena == 1) {
                emite(kDezMais[g.unidade]);
                unidadeFeita = true;
            } else {
                emite(kDezenas[g.dezena]);
            }
        }
        if (g.unidade != 0 && !unidadeFeita) {
            if (centena || dezena) emite("E ");
            emite(kUnidades[g.unidade]);
        }
    }

    void centavos(int dezena, int unidade) {
        bool temDezena = false;
        bool unidadeFeita = false;
        if (dezena != 0) {
            temDezena = true;
            if (dezena == 1) {
                emite(kDezMais[unidade]);
                unidadeFeita = true;
            } else {
                emite(kDezenas[dezena]);
            }
        }
        if (unidade != 0 && !unidadeFeita) {
            if (temDezena) emite("E ");
            emite(kUnidades[unidade]);
        }
        emite(dezena == 0 && unidade == 1 ? "CENTAVO " : "CENTAVOS ");
    }

private:
    EstadoExtenso& estado_;
};

void compoe(EstadoExtenso& estado, const char* valor) {
    Composicao c(estado);
    const Grupo bilhoes = grupoEm(valor, 0);
    const Grupo milhoes = grupoEm(valor, 3);
    const Grupo milhares = grupoEm(valor, 6);
    const Grupo unidades = grupoEm(valor, 9);
    const int centavosDezena = digito(valor[12]);
    const int centavosUnidade = digito(valor[13]);
    bool escrito = false;

    c.emite("( ");
    if (bilhoes.naoZero()) {
        escrito = true;
        c.palavrasDoGrupo(bilhoes);
        c.emite(bilhoes.exatamenteUm() ? "BILH\xC7O" : "BILH\xE5" "ES");
    }
    if (milhoes.naoZero()) {
        if (escrito) c.emite(", ");
        escrito = true;
        c.palavrasDoGrupo(milhoes);
        c.emite(milhoes.exatamenteUm() ? "MILH\xC7O" : "MILH\xE5" "ES");
    }
    if (milhares.naoZero()) {
        if (escrito) c.emite(", ");
        escrito = true;
        c.palavrasDoGrupo(milhares);
        c.emite("MIL");
    }
    if (unidades.naoZero()) {
        if (escrito) c.emite(", ");
        escrito = true;
    } else if ((bilhoes.naoZero() || milhoes.naoZero()) && !milhares.naoZero()) {
        c.emite(" DE ");
    }
    c.palavrasDoGrupo(unidades);
    if (unidades.exatamenteUm() && !bilhoes.naoZero() && !milhoes.naoZero() &&
        !milhares.naoZero()) {
        c.emite(MoedaSingular());
    } else if (escrito) {
        if (!unidades.naoZero()) c.emite(" ");
        c.emite(MoedaPlural());
    }
    if (centavosDezena != 0 || centavosUnidade != 0) {
        if (escrito) c.emite(" E ");
        c.centavos(centavosDezena, centavosUnidade);
    }
    c.emite(") ");
}

int64_t caracteres(int32_t largura) { return static_cast<int64_t>(largura) + 1; }

}  // namespace

void ContaPalavra(EstadoExtenso& e, int32_t n) {
    e.ComprimentoLinha += n;
    if (e.LinhaAtual == 0) {
        if (e.ComprimentoLinha > e.LarguraLinha1) {
            e.LinhaExtenso1.assign(e.TextoPendente);
            const int32_t antes = e.ComprimentoLinha - n;
            e.LinhaExtenso1.appendRepeated('-', caracteres(e.LarguraLinha1) - antes);
            e.TextoPendente.clear();
            e.ComprimentoLinha = 0;
            e.LinhaAtual = 1;
        }
    } else if (e.ComprimentoLinha >= e.LarguraLinha2) {
        // Greater or equal here, strictly greater on line 1: the first word of
        // line 2 is not counted, so the words after it must stay below the width.
        e.Estouro = 1;
        e.LinhaExtenso2.assign(e.TextoPendente);
        e.TextoPendente.clear();
    }
}

int32_t Extenso(EstadoExtenso& e, const char* valor) {
    e.ComprimentoLinha = 0;
    e.LinhaAtual = 0;
    e.Estouro = 0;
    e.LinhaExtenso1.clear();
    e.LinhaExtenso2.clear();
    e.TextoPendente.clear();

    if (!leMoeda()) return kMoedaAusente;

    // Characters missing from a short amount count as zeros.
    char digitos[kDigitosValor] = {};
    const char* texto = orEmpty(valor);
    const std::size_t n = boundedLength(texto, kDigitosValor);
    for (std::size_t i = 0; i < n; ++i) digitos[i] = texto[i];
    compoe(e, digitos);

    if (e.Estouro == 1) return kExtensoNaoCabe;
    if (e.LinhaAtual == 1)
        e.LinhaExtenso2.assign(e.TextoPendente);
    else
        e.LinhaExtenso1.assign(e.TextoPendente);
    e.LinhaExtenso1.padTo(caracteres(e.LarguraLinha1), '*');
    e.LinhaExtenso2.padTo(caracteres(e.LarguraLinha2), '*');
    return 0;
}

}  // namespace ecf::cheque
