/*
 * receipt_day: a day at the till through the library, as a point-of-sale
 * program runs it, against a freshly started simulated printer on COM1.
 *
 *     receipt_day REPORT_FILE           the whole day, then the read-out
 *     receipt_day --memory REPORT_FILE  the fiscal memory read-out alone
 *
 * The day: two items (one by description and price, one by code and a
 * quantity with decimals), the subtotal, a cash payment with change, the
 * close; the printer, receipt and tax-rate queries, an X reading, the Z
 * reduction, and the fiscal memory read over the line into REPORT_FILE. Each
 * check prints one line; the program exits 1 when any failed, 2 on bad usage.
 *
 * Built for Windows against ecf.h and the DLL's import library only, and
 * natively against libecf.so: run with --memory on the same printer, the
 * builds must write the same report byte for byte. (Every out-parameter's
 * capacity is held by export_client; the report's whole text by the
 * end-to-end tests.)
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "ecf.h"

static int passed;
static int failed;

static void verdict(int ok, const char* what, const char* detail) {
    ok ? ++passed : ++failed;
    printf(ok ? "ok    %s\n" : "FAIL  %s: %s\n", what, detail);
}

/* The simulated printer accepts everything this program sends. */
static void accepted(const char* what, int32_t result) {
    char detail[64];
    snprintf(detail, sizeof detail, "result %ld, expected 0", (long)result);
    verdict(result == 0, what, detail);
}

static void sameText(const char* what, const char* got, const char* want) {
    char detail[512];
    snprintf(detail, sizeof detail, "got \"%.200s\", expected \"%.200s\"", got ? got : "(null)", want);
    verdict(got != NULL && strcmp(got, want) == 0, what, detail);
}

/* The receipt status through the parameter form, every field by name (the
 * date by its shape only: it is the printer's clock). */
static void receiptStatus(const char* when, const char* state, const char* paid) {
    char out[7][23] = {{0}}; /* A, B, C, E, D, F, G: the order of the parameters */
    const char* want[7] = {"0001", state, "000002", NULL, "000001", "000000000000000004637", paid};
    char what[96];
    int i;
    snprintf(what, sizeof what, "ecfParamStatusCup %s", when);
    accepted(what, ecfParamStatusCup(out[0], out[1], out[2], out[3], out[4], out[5], out[6]));
    for (i = 0; i < 7; ++i) {
        snprintf(what, sizeof what, "ecfParamStatusCup %s: parameter %c", when, "ABCEDFG"[i]);
        if (want[i] != NULL)
            sameText(what, out[i], want[i]);
        else
            verdict(strlen(out[3]) == 8 && out[3][2] == '/' && out[3][5] == '/', what, out[3]);
    }
}

/* The report must hold the day's reduction, with one CR LF ending each of
 * its 14 lines (a text-mode write of a CR LF text would double the CR). */
static void readOut(const char* path) {
    char report[4096];
    size_t length = 0, i, lineFeeds = 0, crlf = 0;
    FILE* file;
    accepted("ecfLeitMemFisc mode 4, reductions 0 to 9999", ecfLeitMemFisc(4, "", "", 0, 9999, path));
    if ((file = fopen(path, "rb")) != NULL) {
        length = fread(report, 1, sizeof report - 1, file);
        fclose(file);
    }
    report[length] = '\0';
    verdict(strstr(report, "   0001     0001      ") != NULL &&
                strstr(report, "00000000000000004637  \r\n") != NULL,
            "report holds the day's reduction", path);
    for (i = 0; i < length; ++i) {
        if (report[i] != '\n') continue;
        ++lineFeeds;
        crlf += i > 0 && report[i - 1] == '\r' && (i < 2 || report[i - 2] != '\r');
    }
    verdict(lineFeeds == 14 && crlf == lineFeeds, "report has 14 lines, each ended by one CR LF",
            "other line ends");
}

static void day(const char* reportPath) {
    sameText("ecfStatusImp before the sale (idle)", ecfStatusImp(), "00000000");
    accepted("ecfVendaItem ARROZ TIPO 1 5KG, 23,90, rate 1",
             ecfVendaItem("ARROZ TIPO 1 5KG", "2390", 1));
    accepted("ecfVenda_Item 7891000100103 FEIJAO CARIOCA 1KG, 2,500 x 8,99, rate 2",
             ecfVenda_Item("7891000100103", "FEIJAO CARIOCA 1KG", "2", "500", "899", 2));
    receiptStatus("with two items", "1", "000000000000000000000");
    accepted("ecfSubTotal", ecfSubTotal());
    sameText("ecfStatusImp after the subtotal", ecfStatusImp(), "02000100");
    accepted("ecfPagamento cash 50,00", ecfPagamento(1, "", "5000", 0));
    accepted("ecfFimTrans OBRIGADO", ecfFimTrans("OBRIGADO"));
    receiptStatus("after closing", "0", "000000000000000005000");
    /* Kind, programmed, rate, sold today (17 digits), tax due (14 digits). */
    sameText("ecfStatusAliquotas(1)", ecfStatusAliquotas(1), "T117,00%0000000000000239000000000000406");
    sameText("ecfStatusAliquotas(2)", ecfStatusAliquotas(2), "T112,00%0000000000000224700000000000269");
    sameText("ecfStatusAliquotas(9)", ecfStatusAliquotas(9), " 0 0,00%0000000000000000000000000000000");
    accepted("ecfLeituraX CAIXA 01", ecfLeituraX("CAIXA 01"));
    accepted("ecfReducaoZ CAIXA 01", ecfReducaoZ("CAIXA 01"));
    sameText("ecfStatusImp after the Z reduction", ecfStatusImp(), "00000001");
    readOut(reportPath);
}

int main(int argc, char** argv) {
    const int memoryOnly = argc == 3 && strcmp(argv[1], "--memory") == 0;
    if (argc != 2 && !memoryOnly) {
        fprintf(stderr, "usage: receipt_day [--memory] REPORT_FILE\n");
        return 2;
    }
    setvbuf(stdout, NULL, _IONBF, 0);
    verdict(ChangePort(0) == 0, "ChangePort(0) selects COM1", "other index");
    memoryOnly ? readOut(argv[2]) : day(argv[1]);
    printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
