#include "support/wire.h"

namespace {

using namespace ecf::test;

TEST(ReceiptCommands, EveryExportPutsItsRecordOnTheLine) {
    const std::string quantityLine = "  1,500x";
    expectOnTheWire({
        {"ecfVendaItem", [] { return ecfVendaItem("ARROZ", "1234", 7); },
         "f\xD2" + nul(2) + pad("ARROZ", 60) + nul(5) + sp(5) + "1234" + "07" + nul(4)},
        {"ecfVendaItem negative index", [] { return ecfVendaItem("", "", -1); },
         "f\xD2" + nul(2) + sp(60) + nul(5) + sp(9) + "95" + nul(4)},
        {"ecfVendaItem78", [] { return ecfVendaItem78("FEIJAO PRETO", "990", 12); },
         "f\xD6" + pad("FEIJAO PRETO", 78) + sp(6) + "990" + "12"},
        {"ecfVenda_Item",
         [] { return ecfVenda_Item("7891234567890", "ACUCAR", "1", "500", "459", 3); },
         "f\xD0" + sp(4) + "7891234567890 " + pad("ACUCAR", 62) + quantityLine + sp(12) + sp(6) +
             "459" + "03"},
        {"ecfVendaItem3d",
         [] { return ecfVendaItem3d("123", "QUEIJO", "1", "500", "2390", 1, "KG", "AB"); },
         "f\xD0" + sp(4) + pad("123", 13) + " " + pad("QUEIJO", 62) + quantityLine + "KG" + sp(9) +
             "B" + sp(5) + "2390" + "01"},
        {"ecfVendaItem3d with null strings",
         [] {
             return ecfVendaItem3d(nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr,
                                   nullptr);
         },
         "f\xD0" + sp(80) + "   ,   x" + sp(21) + "00"},
        {"ecfCancItem", [] { return ecfCancItem("123"); },
         "f\xD3\x01" + nul(2) + pad("123", 60) + nul(3) + std::string(11, '0')},
        {"ecfDescItem", [] { return ecfDescItem(263, "1234", "250"); },
         "f\xD3\x03" + nul(1) + "\x07" + pad("1234", 60) + nul(3) + "00" + sp(6) + "250"},
        {"ecfCancItemDef", [] { return ecfCancItemDef("12", "ERRO DE DIGITACAO"); },
         "f\xD4" + pad("12", 4) + pad("ERRO DE DIGITACAO", 30)},
        {"ecfCancAcresDescSubTotal",
         [] { return ecfCancAcresDescSubTotal(1, 2, "DESCONTO", "150"); },
         "f\xD9\x01\x02" + pad("DESCONTO", 22) + nul(3) + sp(7) + "150"},
        {"ecfSubTotal", [] { return ecfSubTotal(); }, "f\xD1" + nul(1)},
        {"ecfAbreGaveta", [] { return ecfAbreGaveta(); }, "f\xFA" + nul(2)},
        {"ecfFimTrans", [] { return ecfFimTrans(""); }, "f\x06" + nul(2) + sp(8)},
        {"ecfCancDoc", [] { return ecfCancDoc("ABCDEFGHIJ"); }, "f\xC7" + nul(2) + "ABCDEFGH"},
        {"ecfCancVenda", [] { return ecfCancVenda("SENHA"); },
         "f\x07" + nul(2) + "SENHA   " + nul(4)},
        {"ecfPagamento", [] { return ecfPagamento(3, "12345", "2500", 263); },
         "f\xD5" + nul(1) + "\x07\x03" + sp(10) + "12" + sp(6) + "2500"},
        {"ecfPagCancPag", [] { return ecfPagCancPag(3, "12345", "2500", 1, 2); },
         "f\xD5\x01\x02\x03" + pad("12345", 10) + nul(2) + sp(6) + "2500"},
        {"ecfPrazoCancPrazo", [] { return ecfPrazoCancPrazo(3, "12345", "2500", 1, 2); },
         "f\xD8\x01\x02\x03" + pad("12345", 10) + nul(2) + sp(6) + "2500"},
        {"ecfImpCab", [] { return ecfImpCab(2); }, "f\x01\x02"},
        {"ecfImpLinha", [] { return ecfImpLinha("TOTAL"); }, "n" + pad("TOTAL", 48) + "\n"},
        {"ecfInicCupomNFiscal", [] { return ecfInicCupomNFiscal(0xF5); }, "f\xDD\xF5"},
        {"ecfInicCNFVinculado", [] { return ecfInicCNFVinculado("12", "3", "45"); },
         "f\xDE" + sp(4) + "12" + " 3" + sp(7) + "45"},
        {"ecfLineFeed", [] { return ecfLineFeed(-1, -1); }, "f\xEC" "595"},
        {"ecfAutentica", [] { return ecfAutentica(""); }, "fo" + sp(48)},
        {"ecfImpLinha, long line", [] { return ecfImpLinha(std::string(60, 'L').c_str()); },
         "n" + std::string(48, 'L') + "\n"},
    });
}

}  // namespace
