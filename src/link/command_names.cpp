#include "command_names.h"

namespace ecf::link {

const char* commandName(int32_t code) {
    switch (code) {
        case 0x01: return "ImpCab";
        case 0x06: return "FimTrans";
        case 0x07: return "CancVenda";
        case 0x10: return "LXGerencial";
        case 0x11: return "RZGerencial";
        case 0x12: return "LeituraXSerial";
        case 0x13: return "ReducaoZ";
        case 0x14: return "LeituraX";
        case 0x15: return "LeitMemFisc";
        case 0x16: return "AcertaData";
        case 0x1B: return "Grava";
        case 0x20: return "CargaTabAliq";
        case 0x21: return "PrgCod";
        case 0x22: return "CargaAliqSelect";
        case 0x23: return "ProgNFComprov";
        case 0x24: return "PayPatterns";
        case 0x26: return "ConsultaMemFisc";
        case 0x2A: return "CargaCodCripto";
        case 0x6E: return "ImpLinha";
        case 0x6F: return "Autentica";
        case 0x78: return "DescriEmpresa";
        case 0xC0: return "LinhaCheque";
        case 0xC1: return "ChequeKorvan";
        case 0xC7: return "CancDoc";
        case 0xD0: return "Venda_Item/VendaItem3d";
        case 0xD1: return "SubTotal";
        case 0xD2: return "VendaItem";
        case 0xD3: return "CancItem/DescItem";
        case 0xD4: return "CancItemDef";
        case 0xD5: return "Pagamento/PagCancPag";
        case 0xD6: return "VendaItem78";
        case 0xD8: return "PrazoCancPrazo";
        case 0xD9: return "CancAcresDescSubTotal";
        case 0xDA: return "CabLoja/ProgHeader30";
        case 0xDD: return "InicCupomNFiscal";
        case 0xDE: return "InicCNFVinculado";
        case 0xDF: return "StatusImp";
        case 0xE0: return "StatusCupom";
        case 0xE1: return "StatusAliquotas";
        case 0xE2: return "StatusPayTypes";
        case 0xE3: return "StatusDocsNFs";
        case 0xE4: return "StatusEquipo";
        case 0xE5: return "StatusUser";
        case 0xE6: return "StatusTroco";
        case 0xE7: return "StatusVincs";
        case 0xEC: return "LineFeed";
        case 0xFA: return "AbreGaveta";
        default: return "unknown";
    }
}

}  // namespace ecf::link
