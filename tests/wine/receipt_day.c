/*
 * receipt_day: a day at the till through the library, as a point-of-sale
 * program runs it, against a freshly started simulated printer (ecf-sim with
 * a new state) on COM1.
 *
 *     receipt_day REPORT_FILE           the whole day, then the read-out
 *     receipt_day --memory REPORT_FILE  the fiscal memory read-out alone
 *
 * The day: two items (one by description and price, one by code and a
 * quantity with decimals), the subtotal, a cash payment with change, the
 * close; then the printer, receipt and tax-rate queries, an X reading, the Z
 * reduction, and the fiscal memory read over the line into REPORT_FILE.
 * Every result and every query field is checked against what that printer
 * answers; each check prints one line, and the program exits 1 when any check
 * failed, 2 on bad usage.
 *
 * Built for Windows against ecf.h and the DLL's import library only (the DLL
 * is loaded from beside the .exe, like any application's), and natively
 * against libecf.so: run with --memory right after the Windows run, on the
 * same printer, the two builds must write the same report byte for byte.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "ecf.h"

static int passed;
static int failed;

static void verdict(int ok, const char* what, const char* detail) {
    if (ok) {
        ++passed;
        printf("ok    %s\n", what);
    } else {
        ++failed;
        printf("FAIL  %s: %s\n", what, detail);
    }
}

/* A command answered by one status byte: the simulated printer accepts
 * everything this program sends, so anything but 0 is a failure. */
static void accepted(const char* what, int32_t result) {
    char detail[64];
    snprintf(detail, sizeof detail, "result %ld, expected 0", (long)result);
    verdict(result == 0, what, detail);
}

static void sameText(const char* what, const char* got, const char* want) {
    char detail[512];
    if (got == NULL) {
        verdict(0, what, "null text");
        return;
    }
    snprintf(detail, sizeof detail, "got \"%.200s\", expected \"%.200s\"", got, want);
    verdict(strcmp(got, want) == 0, what, detail);
}

/* The printer status as "SS" state, "LLL" last status, then the movement,
 * Z-due and Z-done flags. */
static void printerStatus(const char* when, const char* want) {
    char what[96];
    snprintf(what, sizeof what, "ecfStatusImp %s", when);
    sameText(what, ecfStatusImp(), want);
}

/* The receipt status through the parameter form: every field by name (the
 * date only by its shape: it is the printer's clock), and nothing written past
 * the capacity each out-parameter is documented to need. */
static void receiptStatus(const char* when, const char* state, const char* paid) {
    enum { slack = 16, filler = 0x5A };
    /* In the order of the parameters: A, B, C, E, D, F, G. */
    static const size_t capacity[7] = {5, 2, 7, 9, 7, 22, 22};
    char out[7][22 + slack];
    char what[96];
    int32_t result;
    size_t i, j;
    int overrun = 0; /* the first parameter written past its capacity, 1-based */
    memset(out, filler, sizeof out);
    result = ecfParamStatusCup(out[0], out[1], out[2], out[3], out[4], out[5], out[6]);
    snprintf(what, sizeof what, "ecfParamStatusCup %s: result", when);
    accepted(what, result);
    if (result != 0) return;
    for (i = 0; i < 7 && overrun == 0; ++i) {
        int intact = memchr(out[i], '\0', capacity[i]) != NULL;
        for (j = capacity[i]; j < sizeof out[i]; ++j) intact = intact && out[i][j] == (char)filler;
        if (!intact) overrun = (int)i + 1;
    }
    snprintf(what, sizeof what, "ecfParamStatusCup %s: each field within its capacity", when);
    {
        char detail[64];
        snprintf(detail, sizeof detail, "parameter %d written past it, or not terminated", overrun);
        verdict(overrun == 0, what, detail);
    }
    if (overrun != 0) return; /* the fields cannot be read as strings */
    {
        const struct {
            const char* name;
            const char* got;
            const char* want;
        } fields[] = {
            {"A (COO)", out[0], "0001"},
            {"B (state)", out[1], state},
            {"C (items)", out[2], "000002"},
            {"D (CCF)", out[4], "000001"},
            {"F (total)", out[5], "000000000000000004637"},
            {"G (paid)", out[6], paid},
        };
        for (i = 0; i < sizeof fields / sizeof fields[0]; ++i) {
            snprintf(what, sizeof what, "ecfParamStatusCup %s: %s", when, fields[i].name);
            sameText(what, fields[i].got, fields[i].want);
        }
    }
    snprintf(what, sizeof what, "ecfParamStatusCup %s: E (date) is dd/mm/yy", when);
    verdict(strlen(out[3]) == 8 && out[3][2] == '/' && out[3][5] == '/', what, out[3]);
}

/* Reads a whole file in binary, so that its line ends are seen as written. */
static char* readFile(const char* path, size_t* length) {
    FILE* file = fopen(path, "rb");
    char* text;
    long size;
    if (file == NULL) return NULL;
    if (fseek(file, 0, SEEK_END) != 0 || (size = ftell(file)) < 0 || fseek(file, 0, SEEK_SET) != 0) {
        fclose(file);
        return NULL;
    }
    text = malloc((size_t)size + 1);
    if (text != NULL) {
        *length = fread(text, 1, (size_t)size, file);
        text[*length] = '\0';
    }
    fclose(file);
    return text;
}

/* The report of one owner and one reduction, with CR LF line ends and no
 * lone LF (a text-mode write of an already CR LF text would double the CR). */
static void memoryReport(const char* path) {
    static const struct {
        const char* name;
        const char* text;
    } lines[] = {
        {"title line", "# **RELATORIO DA LEITURA DA MEMORIA FISCAL**\r\n"},
        {"count line", "#Numero de usuarios = 1. Total de 1 registros\r\n"},
        {"owner line with CGC and IE", "11.222.333/0001-81    110.042.490.114    "},
        {"reduction heading", "# Reducao   Reinicio  Data\t Hora\tTotal\r\n"},
        {"reduction line with number and restart counter", "   0001     0001      "},
        {"reduction line with the day's total", "00000000000000004637  \r\n"},
    };
    size_t length = 0, i, lineFeeds = 0, crlf = 0;
    char* report = readFile(path, &length);
    char what[128];
    verdict(report != NULL, "report file written", path);
    if (report == NULL) return;
    for (i = 0; i < sizeof lines / sizeof lines[0]; ++i) {
        snprintf(what, sizeof what, "report holds its %s", lines[i].name);
        verdict(strstr(report, lines[i].text) != NULL, what, "missing");
    }
    for (i = 0; i < length; ++i) {
        if (report[i] != '\n') continue;
        ++lineFeeds;
        if (i > 0 && report[i - 1] == '\r' && (i < 2 || report[i - 2] != '\r')) ++crlf;
    }
    verdict(lineFeeds == 14 && crlf == lineFeeds, "report has 14 lines, each ended by one CR LF",
            "other line ends");
    free(report);
}

static void readOut(const char* path) {
    accepted("ecfLeitMemFisc mode 4, reductions 0 to 9999", ecfLeitMemFisc(4, "", "", 0, 9999, path));
    memoryReport(path);
}

static void day(const char* reportPath) {
    printerStatus("before the sale (idle)", "00000000");

    accepted("ecfVendaItem ARROZ TIPO 1 5KG, 23,90, rate 1",
             ecfVendaItem("ARROZ TIPO 1 5KG", "2390", 1));
    accepted("ecfVenda_Item 7891000100103 FEIJAO CARIOCA 1KG, 2,500 x 8,99, rate 2",
             ecfVenda_Item("7891000100103", "FEIJAO CARIOCA 1KG", "2", "500", "899", 2));
    receiptStatus("with two items", "1", "000000000000000000000");

    accepted("ecfSubTotal", ecfSubTotal());
    printerStatus("after the subtotal (subtotalled, day with movement)", "02000100");

    accepted("ecfPagamento cash 50,00", ecfPagamento(1, "", "5000", 0));
    accepted("ecfFimTrans OBRIGADO", ecfFimTrans("OBRIGADO"));
    receiptStatus("after closing", "0", "000000000000000005000");

    /* Kind, programmed, rate, sold today (17 digits), tax due (14 digits). */
    sameText("ecfStatusAliquotas(1)", ecfStatusAliquotas(1),
             "T117,00%0000000000000239000000000000406");
    sameText("ecfStatusAliquotas(2)", ecfStatusAliquotas(2),
             "T112,00%0000000000000224700000000000269");
    sameText("ecfStatusAliquotas(9), not programmed", ecfStatusAliquotas(9),
             " 0 0,00%0000000000000000000000000000000");

    accepted("ecfLeituraX CAIXA 01", ecfLeituraX("CAIXA 01"));
    accepted("ecfReducaoZ CAIXA 01", ecfReducaoZ("CAIXA 01"));
    printerStatus("after the Z reduction (idle, Z done)", "00000001");

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
    if (memoryOnly)
        readOut(argv[2]);
    else
        day(argv[1]);

    printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
