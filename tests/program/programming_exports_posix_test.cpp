#include "support/wire.h"

namespace {

using namespace ecf::test;

const std::string cgc = "12.345.678/0001-90";  // exactly 18
const std::string ie = "123.456.789";

std::string storeHeader(const char* numbers) {
    return "f\xDA" + pad("LOJA 1", 48) + pad("RUA A", 48) + pad("CENTRO", 48) + numbers + cgc +
           pad(ie, 15);
}

TEST(ProgrammingCommands, EveryExportPutsItsRecordOnTheLineAndReturnsTheStatusByte) {
    expectOnTheWire({
        {"ecfAcertaData", [] { return ecfAcertaData(31, 12, 99, 23, 59, 58); },
         "f\x16" "5859230311299"},
        {"ecfAcertaData out of range", [] { return ecfAcertaData(-1, 2024, 100, 7, 0, 123); },
         "f\x16" "2300070952400"},
        {"ecfCabLoja",
         [] {
             return ecfCabLoja("LOJA 1", "RUA A", "CENTRO", 123456, -1, cgc.c_str(), ie.c_str());
         },
         storeHeader("34567295")},
        {"ecfProgHeader30",
         [] {
             return ecfProgHeader30("LOJA 1", "RUA A", "CENTRO", 12, 345, cgc.c_str(), ie.c_str(),
                                    "EXTRA");
         },
         storeHeader("00120345") + pad("EXTRA", 15)},
        {"ecfDescriEmpresa", [] { return int32_t{ecfDescriEmpresa("EMPRESA", cgc.c_str(), "IE")}; },
         "fx" + pad("EMPRESA", 30) + cgc + pad("IE", 15)},
        {"ecfCargaTabAliq", [] { return ecfCargaTabAliq(3, "1700"); }, "f 31700"},
        {"ecfCargaTabAliq index 12", [] { return ecfCargaTabAliq(12, "0123456789"); }, "f <6789"},
        {"ecfCargaAliqSelect", [] { return ecfCargaAliqSelect("3", "AB", "1700"); }, "f\" 3B1700"},
        {"ecfPayPatterns", [] { return ecfPayPatterns("3", "DINHEIRO"); },
         "f$ 3" + pad("DINHEIRO", 20)},
        {"ecfProgNFComprov",
         [] { return ecfProgNFComprov("12", "SANGRIA", "A", "", "CD", "1", "0", "5"); },
         "f#12" + pad("SANGRIA", 20) + nul(20) + "A D10 5"},
        {"ecfCargaCodCripto", [] { return ecfCargaCodCripto("123"); }, "f*" + sp(7) + "123"},
        {"ecfPrgCod", [] { return ecfPrgCod(0xAB); }, "f!\xAB"},
        {"ecfGrava", [] { return int32_t{ecfGrava("1", "2", "3")}; },
         std::string("f\x1B") + pad("1", 8) + pad("2", 4) + "3"},
        {"ecfLeituraX", [] { return ecfLeituraX(""); }, "f\x14" + sp(8)},
        {"ecfLeituraX, null text", [] { return ecfLeituraX(nullptr); }, "f\x14" + sp(8)},
        {"ecfLXGerencial", [] { return ecfLXGerencial("ABCDEFGHIJKL"); }, "f\x10" "ABCDEFGH"},
        {"ecfRZGerencial", [] { return ecfRZGerencial("ABCDEFGHIJKL"); }, "f\x11" "ABCDEFGH"},
        {"ecfReducaoZ", [] { return ecfReducaoZ("ABCDEFGHIJKL"); }, "f\x13" "ABCDEFGH"},
        {"ecfGrava with null strings", [] { return int32_t{ecfGrava(nullptr, nullptr, nullptr)}; },
         std::string("f\x1B") + sp(13)},
    });
}

}  // namespace
