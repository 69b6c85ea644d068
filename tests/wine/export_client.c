/*
 * export_client: calls every export of the library the way a legacy
 * point-of-sale program does: it loads the library by name, finds each export
 * by its undecorated name and calls it through a function-pointer type of its
 * own, generated from the export list (cmake/ExportClient.cmake). On 32-bit
 * Windows that type is stdcall, and the stack pointer read before and after
 * every call must be the same: an export compiled cdecl, or one whose .def
 * entry pops a different number of bytes, moves it.
 *
 *     export_client [--library PATH] RESULTS_FILE
 *
 * The exports are called once each, in the order of the list, with the
 * arguments of the table below (exports it does not name take 1 for numbers
 * and "" for strings), against whatever printer is on COM1. RESULTS_FILE
 * gets one line per export: its result or text, and what it wrote into the
 * caller's buffers. Built for Windows and natively against libecf.so, the two
 * builds must write the same file for the same printer. The library is
 * "ecf.dll" (beside the program) or "libecf.so" unless --library names one.
 *
 * Exit status: 0 when every export was found, kept the stack pointer and
 * wrote nothing past its buffers; 1 otherwise; 2 on bad usage.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "export_client.h"

#ifdef _WIN32
#include <windows.h>
#define DEFAULT_LIBRARY "ecf.dll"
static void* openLibrary(const char* path) { return (void*)LoadLibraryA(path); }
static AnyFunction findExport(void* library, const char* name) {
    return (AnyFunction)GetProcAddress((HMODULE)library, name);
}
#else
#include <dlfcn.h>
#define DEFAULT_LIBRARY "libecf.so"
static void* openLibrary(const char* path) { return dlopen(path, RTLD_NOW); }
static AnyFunction findExport(void* library, const char* name) {
    AnyFunction f;
    void* symbol = dlsym(library, name);
    /* An object pointer to a function pointer: ISO C has no cast for it. */
    memcpy(&f, &symbol, sizeof f);
    return f;
}
#endif

/* The input arguments of an export, '|' between them, in the order of the
 * list; buffers and the exchange report are the client's own. A day at the
 * till in the list's order: a receipt, its corrections and payments, the
 * non-fiscal documents, the readings, the programming, every query, the
 * fiscal memory and the cheques. */
static const struct {
    const char* name;
    const char* arguments;
} kArguments[] = {
    {"ChangePort", "0"},
    {"ecfVendaItem", "ARROZ TIPO 1 5KG|2390|1"},
    {"ecfVendaItem78", "CAFE TORRADO 500G|1299|2"},
    {"ecfVenda_Item", "7891000100103|FEIJAO CARIOCA 1KG|2|500|899|2"},
    {"ecfVendaItem3d", "7891000200200|LEITE INTEGRAL 1L|3|0|459|3|UN|A"},
    {"ecfCancItem", "2"},
    {"ecfDescItem", "0|3|100"},
    {"ecfCancItemDef", "4|ERRO DE DIGITACAO"},
    {"ecfCancAcresDescSubTotal", "1|0|DESCONTO|100"},
    {"ecfFimTrans", "OBRIGADO"},
    {"ecfCancDoc", "CANCELADO"},
    {"ecfCancVenda", "CANCELADO"},
    {"ecfPagamento", "1|DINHEIRO|5000|0"},
    {"ecfPagCancPag", "1|DINHEIRO|5000|1|0"},
    {"ecfPrazoCancPrazo", "2|CHEQUE|1000|0|3"},
    {"ecfInicCupomNFiscal", "9"},
    {"ecfInicCNFVinculado", "0001|01|1000"},
    {"ecfLineFeed", "0|2"},
    {"ecfAutentica", "AUTENTICADO"},
    {"ecfImpLinha", "LINHA LIVRE"},
    {"ecfLXGerencial", "CAIXA 01"},
    {"ecfRZGerencial", "CAIXA 01"},
    {"ecfReducaoZ", "CAIXA 01"},
    {"ecfLeituraX", "CAIXA 01"},
    {"ecfAcertaData", "2|3|26|10|0|0"},
    {"ecfCabLoja", "LOJA SIMULADA LTDA|RUA DAS FLORES, 100|SAO PAULO - SP|1|1|"
                   "11.222.333/0001-81|110.042.490.114"},
    {"ecfProgHeader30", "LOJA SIMULADA LTDA|RUA DAS FLORES, 100|SAO PAULO - SP|1|1|"
                        "11.222.333/0001-81|110.042.490.114|VOLTE SEMPRE"},
    {"ecfDescriEmpresa", "LOJA SIMULADA LTDA|11.222.333/0001-81|110.042.490.114"},
    {"ecfCargaTabAliq", "6|1800"},
    {"ecfCargaAliqSelect", "7|S|0500"},
    {"ecfPayPatterns", "5|VALE REFEICAO"},
    {"ecfProgNFComprov", "3|TROCO|1|0|0|0|0|TR"},
    {"ecfCargaCodCripto", "1234"},
    {"ecfGrava", "PRIMEIRO|SEGUNDO|TERCEIRO"},
    {"ecfLeitMemFisc", "4|||0|9999|memory-report.txt"},
    {"ecfDispMemFisc", "4|||0|9999"},
    {"ecfLinhaCheque", "1|PAGUE POR ESTE CHEQUE"},
    {"ecfImpCheque", "1|150000|FULANO DE TAL|SAO PAULO|020326|"},
    {"ecfImpChequeVexa", "1|150000|FULANO DE TAL|SAO PAULO|020326|"},
    {"ecfChequeKorvan", "1|150000|FULANO DE TAL|SAO PAULO|020326|||"},
};
enum { ARGUMENT_ROWS = sizeof kArguments / sizeof kArguments[0] };

/* Buffers get this many bytes of filler past their capacity, which the
 * export must leave alone. */
enum { SLACK = 16, FILLER = 0x5A };

static int failures;

static void fail(const char* name, const char* what) {
    ++failures;
    printf("FAIL  %s: %s\n", name, what);
}

static int isNumber(Kind kind) { return kind <= KIND_S8; }
static int isInput(Kind kind) { return kind <= KIND_STR; }

static size_t boundedLength(const char* text, size_t capacity) {
    const char* end = memchr(text, '\0', capacity);
    return end != NULL ? (size_t)(end - text) : capacity;
}

/* Gives the call of `e` its input arguments from the table's `text` (which
 * is cut up): those the text does not reach take 1 or "". False when the text
 * has more fields than the export has inputs. */
static int takeArguments(const Export* e, char* text, Call* c) {
    size_t k, inputs = 0, fields = text[0] != '\0';
    const char* t;
    char* next = text;
    for (t = text; *t != '\0'; ++t) fields += *t == '|';
    for (k = 0; k < e->parameterCount; ++k) {
        const Parameter* p = &e->parameters[k];
        const char* value = "";
        if (!isInput(p->kind)) continue;
        ++inputs;
        if (next != NULL) {
            value = next;
            if ((next = strchr(next, '|')) != NULL) *next++ = '\0';
        }
        if (isNumber(p->kind))
            c->numbers[k] = (uint32_t)strtoul(value[0] != '\0' ? value : "1", NULL, 10);
        else
            c->texts[k] = value;
    }
    return fields <= inputs;
}

static const char* argumentsOf(const char* name) {
    size_t i;
    for (i = 0; i < ARGUMENT_ROWS; ++i)
        if (strcmp(kArguments[i].name, name) == 0) return kArguments[i].arguments;
    return NULL;
}

/* A name in the table that the list no longer has is a stale table. */
static void checkTableNames(void) {
    size_t i, j;
    for (i = 0; i < ARGUMENT_ROWS; ++i) {
        for (j = 0; j < kExportCount && strcmp(kExports[j].name, kArguments[i].name) != 0; ++j) {
        }
        if (j == kExportCount) fail(kArguments[i].name, "in the argument table, not in the list");
    }
}

static void writeEscaped(FILE* out, const char* text, size_t length) {
    size_t i;
    fputc('"', out);
    for (i = 0; i < length; ++i) {
        const unsigned char b = (unsigned char)text[i];
        if (b < 0x20 || b > 0x7E || b == '"' || b == '\\')
            fprintf(out, "\\x%02X", b);
        else
            fputc(b, out);
    }
    fputc('"', out);
}

/* What the export left in the caller's buffers; a write past a buffer's
 * capacity fails the run. */
static void writeBuffers(FILE* out, const Export* e, const Call* c) {
    size_t k, i;
    for (k = 0; k < e->parameterCount; ++k) {
        const Parameter* p = &e->parameters[k];
        const char* b = c->buffers[k];
        const size_t capacity = p->kind == KIND_OUTBYTE ? 1 : p->capacity;
        if (p->kind == KIND_INFO) {
            const ecf_exchange_info* x = &c->info;
            fprintf(out, " %s={result %ld, code %ld, exchanges %lu, sent %lu, expected %lu, "
                         "received %lu, step %lu, port ",
                    p->name, (long)x->result, (long)x->command_code, (unsigned long)x->exchanges,
                    (unsigned long)x->bytes_sent, (unsigned long)x->bytes_expected,
                    (unsigned long)x->bytes_received, (unsigned long)x->failed_step);
            writeEscaped(out, x->port, boundedLength(x->port, sizeof x->port));
            fputc('}', out);
            continue;
        }
        if (p->kind != KIND_OUT && p->kind != KIND_OUTBYTE) continue;
        for (i = capacity; i < capacity + SLACK; ++i) {
            if ((unsigned char)b[i] != FILLER) {
                fail(e->name, "wrote past the capacity of a buffer");
                fprintf(out, " OVERRUN");
                break;
            }
        }
        fprintf(out, " %s=", p->name);
        if (p->kind == KIND_OUTBYTE)
            fprintf(out, "0x%02X", (unsigned char)b[0]);
        else
            writeEscaped(out, b, boundedLength(b, capacity));
    }
}

static void callExport(void* library, const Export* e, FILE* out) {
    Call c;
    char arguments[512] = "";
    const char* given = argumentsOf(e->name);
    AnyFunction f = findExport(library, e->name);
    size_t k;
    char what[160];
    memset(&c, 0, sizeof c);
    if (f == NULL) {
        fail(e->name, "not exported");
        return;
    }
    if (given != NULL) snprintf(arguments, sizeof arguments, "%s", given);
    if (!takeArguments(e, arguments, &c)) {
        fail(e->name, "the argument table gives more arguments than the export takes");
        return;
    }
    for (k = 0; k < e->parameterCount; ++k) {
        const Parameter* p = &e->parameters[k];
        const size_t size = (p->kind == KIND_OUTBYTE ? 1 : p->capacity) + SLACK;
        if (p->kind != KIND_OUT && p->kind != KIND_OUTBYTE) continue;
        c.buffers[k] = malloc(size);
        if (c.buffers[k] == NULL) {
            fail(e->name, "no memory");
            goto release;
        }
        memset(c.buffers[k], FILLER, size);
    }
    c.info.size = sizeof c.info;

    e->call(f, &c);

    fprintf(out, "%s =", e->name);
    if (e->result == RESULT_NUMBER)
        fprintf(out, " %ld", (long)c.number);
    else if (c.text == NULL)
        fprintf(out, " null");
    else {
        fputc(' ', out);
        writeEscaped(out, c.text, strlen(c.text));
    }
    writeBuffers(out, e, &c);
    fputc('\n', out);

    if (STACK_CHECKED && c.stackAfter != c.stackBefore) {
        snprintf(what, sizeof what, "the stack pointer moved by %ld bytes (%u bytes of arguments)",
                 (long)(c.stackAfter - c.stackBefore), (unsigned)(4 * e->parameterCount));
        fail(e->name, what);
    } else {
        printf("ok    %-26s %-10s %2u bytes of arguments%s\n", e->name, e->family,
               (unsigned)(4 * e->parameterCount), STACK_CHECKED ? ", stack pointer kept" : "");
    }
release:
    for (k = 0; k < e->parameterCount; ++k) free(c.buffers[k]);
}

#if STACK_CHECKED
/* Two callees of the client's own, to show that the reads around a call see
 * a callee that leaves its arguments on the stack. */
typedef int32_t(ECF_CALL* PairType)(int32_t, int32_t);
static int32_t ECF_CALL popsItsArguments(int32_t a, int32_t b) { return a - b; }
static int32_t __cdecl leavesItsArguments(int32_t a, int32_t b) { return a - b; }

static long stackMovedBy(AnyFunction f) {
    Call c;
    PairType pair = (PairType)f;
    STACK_BEFORE(&c);
    c.number = pair(7, 2);
    STACK_AFTER(&c);
    return c.number == 5 ? (long)(c.stackAfter - c.stackBefore) : 99999;
}

static int stackReadsWork(void) {
    const long good = stackMovedBy((AnyFunction)popsItsArguments);
    const long bad = stackMovedBy((AnyFunction)leavesItsArguments);
    if (good == 0 && bad == -8) {
        printf("ok    the stack reads see a cdecl callee called as stdcall (-8 bytes) "
               "and a stdcall one (0)\n");
        return 1;
    }
    printf("FAIL  the stack reads cannot tell the callees apart: stdcall %ld, cdecl %ld bytes\n",
           good, bad);
    return 0;
}
#else
static int stackReadsWork(void) { return 1; }
#endif

int main(int argc, char** argv) {
    const char* libraryPath = DEFAULT_LIBRARY;
    const char* resultsPath;
    void* library;
    FILE* out;
    size_t i;
    if (argc == 4 && strcmp(argv[1], "--library") == 0) {
        libraryPath = argv[2];
    } else if (argc != 2) {
        fprintf(stderr, "usage: export_client [--library PATH] RESULTS_FILE\n");
        return 2;
    }
    resultsPath = argv[argc - 1];
    setvbuf(stdout, NULL, _IONBF, 0);
    if (!stackReadsWork()) return 1;
    library = openLibrary(libraryPath);
    if (library == NULL) {
        printf("FAIL  %s cannot be loaded\n", libraryPath);
        return 1;
    }
    out = fopen(resultsPath, "wb");
    if (out == NULL) {
        printf("FAIL  %s cannot be written\n", resultsPath);
        return 1;
    }
    checkTableNames();
    for (i = 0; i < kExportCount; ++i) callExport(library, &kExports[i], out);
    if (fclose(out) != 0) fail(resultsPath, "not written whole");
    printf("%lu exports called, %d failed\n", (unsigned long)kExportCount, failures);
    return failures == 0 ? 0 : 1;
}
