#include <gtest/gtest.h>

#include "receipt/corrections.h"
#include "receipt/documents.h"
#include "support/records.h"
#include "receipt/payment.h"
#include "receipt/sale.h"

namespace {

using namespace ecf::receipt;
using namespace ecf::test;

const std::string s80(80, 'D');
const std::string digits12 = "123456789012";

TEST(ReceiptRecords, FieldsCutLongArgumentsAndKeepExactOnes) {
    expectFields({
        {"price of twelve keeps its last nine", str(vendaItemRecord("", digits12.c_str(), 0)), 69,
         "456789012"},
        {"price of exactly nine", str(vendaItemRecord("", "987654321", 0)), 69, "98765432100"},
        {"32-bit index 300 keeps 00", str(vendaItemRecord("", "", 300)), 78, "00"},
        {"description of 61 keeps 60", str(vendaItemRecord(s80.c_str() + 19, "", 0)), 4,
         s80.substr(0, 60) + nul(5)},
        {"description of 80 keeps 78", str(vendaItem78Record(s80.c_str(), "", 0)), 2,
         s80.substr(0, 78) + sp(9)},
        {"item code of 14 keeps 13",
         str(quantityItemRecord("ABCDEFGHIJKLMN", "", "", "", "", 0, "", "")), 6, "ABCDEFGHIJKLM "},
        {"quantity parts right-aligned, cut at the front",
         str(quantityItemRecord("", s80.c_str(), "1234", "5", "", 0, "KGS", "AB")), 20,
         s80.substr(0, 62) + "234,  5xGS" + sp(9) + "B"},
        {"unit price of twelve keeps nine",
         str(quantityItemRecord("", "", "", "", digits12.c_str(), 255, "", "")), 102,
         "45678901255"},
        {"item to cancel or discount keeps 60",
         str(itemOperationRecord(kDiscountItem, 7, s80.c_str(), digits12.c_str(), 0)), 5,
         s80.substr(0, 60) + nul(3) + "00456789012"},
        {"item number of six keeps four", str(cancItemDefRecord("123456", s80.c_str())), 2,
         "1234" + s80.substr(0, 30)},
        {"subtotal adjustment keeps the last ten digits",
         str(cancAcresDescSubTotalRecord(0, 0, s80.c_str(), digits12.c_str())), 4,
         s80.substr(0, 22) + nul(3) + "3456789012"},
        {"sale cancellation ends in four 0x00", str(cancVendaRecord(s80.c_str())), 4,
         s80.substr(0, 8) + nul(4)},
        {"payment text of one character",
         str(paymentRecord(kPagamento, 0, 0, 0, PaymentText::twoCharacters, "X", "")), 5,
         sp(10) + "X " + sp(10)},
        {"payment cancellation text of eleven keeps ten",
         str(paymentRecord(kPagamento, 0, 0, 0, PaymentText::tenCharacters, "ABCDEFGHIJK",
                           digits12.c_str())),
         5, "ABCDEFGHIJ" + nul(2) + "3456789012"},
        {"linked voucher keeps the ends",
         str(inicCNFVinculadoRecord("12345678", "ABC", digits12.c_str())), 2, "345678BC456789012"},
    });
}

TEST(ReceiptRecords, LineFeedSendsTheLowestDigitsOfSignedBytes) {
    expectFields({
        {"1 and 2", str(lineFeedRecord(1, 2)), 2, "102"},
        {"45 and 67", str(lineFeedRecord(45, 67)), 2, "567"},
        {"-1 and -1 read as 4294967295", str(lineFeedRecord(-1, -1)), 2, "595"},
        {"127 and -128 (4294967168)", str(lineFeedRecord(127, -128)), 2, "768"},
    });
}

}  // namespace
