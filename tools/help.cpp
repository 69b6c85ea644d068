// Help texts and result meanings of the command-line tool.
#include <map>
#include <string>

#include "command_table.h"

namespace ecf::cli {

const char* summaryOf(const std::string& exportName) {
    static const std::map<std::string, const char*> summaries = {
        {"ChangePort", "Select the port of later exchanges in this process (0..3 = COM1..COM4)"},
        {"ecfVendaItem", "Sell an item: description (60), price digits (9), tax-rate index"},
        {"ecfVendaItem78", "Sell an item with a 78-character description"},
        {"ecfVenda_Item", "Sell an item with code, quantity (integer, 3 decimals) and unit price"},
        {"ecfVendaItem3d", "Sell an item with code, quantity, unit price, unit and the rounding character"},
        {"ecfCancItem", "Cancel an item of the open receipt"},
        {"ecfDescItem", "Give a discount on an item"},
        {"ecfCancItemDef", "Cancel an item named by its number and a text"},
        {"ecfCancAcresDescSubTotal", "Cancel a surcharge or discount on the subtotal"},
        {"ecfSubTotal", "Total the open receipt"},
        {"ecfAbreGaveta", "Open the cash drawer"},
        {"ecfFimTrans", "End the transaction (close the receipt)"},
        {"ecfCancDoc", "Cancel the document"},
        {"ecfCancVenda", "Cancel the sale"},
        {"ecfPagamento", "Register a payment: payment type, text (2), amount digits (10), instalments"},
        {"ecfPagCancPag", "Register or cancel a payment: type, text (10), amount, operation, instalments"},
        {"ecfPrazoCancPrazo", "Register or cancel a payment by instalments"},
        {"ecfImpCab", "Print the header"},
        {"ecfInicCupomNFiscal", "Open a non-fiscal receipt"},
        {"ecfInicCNFVinculado", "Open a non-fiscal voucher linked to a receipt"},
        {"ecfLineFeed", "Advance the paper"},
        {"ecfAutentica", "Print an authentication text (48)"},
        {"ecfImpLinha", "Print one free text line (48)"},
        {"ecfLXGerencial", "Managerial X reading"},
        {"ecfRZGerencial", "Managerial Z reduction"},
        {"ecfReducaoZ", "Z reduction: close the day"},
        {"ecfLeituraX", "X reading"},
        {"ecfAcertaData", "Set the clock: day month year hour minute second"},
        {"ecfCabLoja", "Program the store header: three lines, two numbers, CGC, IE"},
        {"ecfProgHeader30", "Program the store header with a fourth text"},
        {"ecfDescriEmpresa", "Program the company description: name, CGC, IE"},
        {"ecfCargaTabAliq", "Load a tax rate: index, rate digits (4)"},
        {"ecfCargaAliqSelect", "Load a tax rate: index (2), kind (1), rate digits (4)"},
        {"ecfPayPatterns", "Load a payment type: index (2), name (20)"},
        {"ecfProgNFComprov", "Load a non-fiscal document: index, name, five options, code"},
        {"ecfCargaCodCripto", "Load the ten-character code"},
        {"ecfPrgCod", "Load the one-byte code"},
        {"ecfGrava", "Write a record of three short texts (8, 4, 1)"},
        {"ecfStatusCupom", "Receipt status as one text"},
        {"ecfParamStatusCup", "Receipt status as fields"},
        {"ecfStatusImp", "Printer status as one text"},
        {"ecfParamStatusImp", "Printer status as three bytes"},
        {"ecfStatusAliquotas", "One tax-rate entry as one text"},
        {"ecfParamStatusAliquotas", "One tax-rate entry as fields"},
        {"ecfStatusPayTypes", "One payment-type entry as one text"},
        {"ecfParamStatusPayTypes", "One payment-type entry as fields"},
        {"ecfStatusDocsNFs", "One non-fiscal document entry as one text"},
        {"ecfParamStatusDocsNFs", "One non-fiscal document entry as fields"},
        {"ecfStatusEquipo", "Equipment data as one text"},
        {"ecfParamStatusEquipo", "Equipment data as fields"},
        {"ecfStatusUser", "User data as one text"},
        {"ecfParamStatusUser", "User data as fields"},
        {"ecfStatusTroco", "Change as one text"},
        {"ecfParamStatusTroco", "Change as fields"},
        {"ecfStatusVincs", "One linked-receipt entry as one text"},
        {"ecfParamStatusVincs", "One linked-receipt entry as fields"},
        {"ecfLeitMemFisc", "Fiscal memory read-out: mode 1/2 printed, 3/4 into the report file"},
        {"ecfDispMemFisc", "Count the owner and reduction records of a fiscal memory selection"},
        {"ecfLeituraXSerial", "X reading data over the line, as one text"},
        {"ecfParamLXSerial", "X reading data over the line: counters, totals and ten tax rates"},
        {"ecfCGC_IE", "CGC and IE of the last owner, as one text"},
        {"ecfParamCGC_IE", "CGC and IE of the last owner, as fields"},
        {"ecfLinhaCheque", "Print one cheque line after advancing some lines"},
        {"ecfImpCheque", "Print a cheque: bank, value in centavos, payee, city, date DDMMYY, text"},
        {"ecfImpChequeVexa", "Print a cheque with the second layout table"},
        {"ecfChequeKorvan", "Send a whole cheque in one record"},
    };
    auto it = summaries.find(exportName);
    return it == summaries.end() ? "" : it->second;
}

std::string meaningOf(const std::string& exportName, int32_t result) {
    const std::string name = exportName;
    const bool cheque = name == "ecfImpCheque" || name == "ecfImpChequeVexa" ||
                        name == "ecfChequeKorvan";
    const bool wordsCheque = name == "ecfImpCheque" || name == "ecfImpChequeVexa";
    const bool readOut = name == "ecfLeitMemFisc";
    const bool owners = name == "ecfCGC_IE" || name == "ecfParamCGC_IE";
    const bool query = name.find("Status") != std::string::npos || name == "ecfLeituraXSerial" ||
                       name == "ecfParamLXSerial" || name == "ecfDispMemFisc" || owners || readOut;
    if (result == 0) return "ok";
    if (query && result == 1) return "the reply could not be read";
    if (cheque && result == 21) return "bank not in the layout table";
    if (wordsCheque && result == 22) return "currency file \"moeda\" missing or empty";
    if (wordsCheque && result == 23) return "amount in words too long for the cheque";
    if ((readOut || owners) && result == 3) return "no memory for the read-out";
    if (readOut && result == 66) return "more than 20 owner records";
    if (readOut && result == 1098) return "report file could not be created";
    if (owners && result == 67) return "no owner record in the fiscal memory";
    switch (result) {
        case 4: return "CTS off, or the checksum byte not written (or the printer's status 4)";
        case 808: return "clearing the output buffer failed";
        case 809: return "clearing the input buffer failed";
        case 810: return "setting the time-outs failed";
        case 1002: return "opening the port failed (already exists)";
        case 1010: return "the port is in use";
        case 1030: return "the port could not be opened";
        default: break;
    }
    if (result >= 2000 && result < 3000) return "setting the line failed, system error " + std::to_string(result - 2000);
    if (result > 3000 && result < 5000) return "sending ESC failed, system error " + std::to_string(result - 4000);
    if (result > 5000 && result < 7000) return "writing the record failed, system error " + std::to_string(result - 6000);
    if (result > 7000 && result < 9000) return "reading the status byte failed, system error " + std::to_string(result - 8000);
    if (result > 0 && result < 256 && (!query || readOut)) return "the printer's status byte";
    return "";
}

}  // namespace ecf::cli
