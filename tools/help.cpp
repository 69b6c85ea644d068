// The help texts of the command-line tool.
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

}  // namespace ecf::cli
