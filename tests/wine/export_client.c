/*
 * export_client: calls every export the way a legacy point-of-sale program
 * does: loads the library by name ("ecf.dll" or "libecf.so" unless --library
 * names one), finds each export by its undecorated name and calls it through
 * a function-pointer type generated from the export list
 * (cmake/ExportClient.cmake). On 32-bit Windows that type is stdcall, and the
 * stack pointer must be the same before and after every call: an export
 * compiled cdecl, or a .def entry popping other bytes, moves it.
 *
 *     export_client [--library PATH] RESULTS_FILE
 *
 * Each export is called once, in the list's order, with the arguments of the
 * table below (others take 1 and ""), against the printer on COM1.
 * RESULTS_FILE gets one line per export: its result or text and what it wrote
 * into the caller's buffers; the DLL's and libecf.so's must be the same.
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
 * export must leave alone; no capacity of the list is over LARGEST. */
enum { SLACK = 16, FILLER = 0x5A, LARGEST = 256 };

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

/* The export's row of the table, marked used; a row never used names an
 * export the list no longer has. */
static int rowUsed[ARGUMENT_ROWS];
static const char* argumentsOf(const char* name) {
    size_t i;
    for (i = 0; i < ARGUMENT_ROWS; ++i) {
        if (strcmp(kArguments[i].name, name) != 0) continue;
        rowUsed[i] = 1;
        return kArguments[i].arguments;
    }
    return NULL;
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
 * capacity, or a string not ended inside it, fails the run. */
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
        /* A buffer written to must hold a string ending inside it. */
        for (i = 0; i < capacity && (unsigned char)b[i] == FILLER; ++i) {
        }
        if (p->kind == KIND_OUT && i < capacity && boundedLength(b, capacity) == capacity)
            fail(e->name, "left a buffer unterminated");
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
    char buffers[MAX_PARAMETERS][LARGEST + SLACK];
    const char* given = argumentsOf(e->name);
    AnyFunction f = findExport(library, e->name);
    size_t k;
    char what[160];
    memset(&c, 0, sizeof c);
    memset(buffers, FILLER, sizeof buffers);
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
        if (e->parameters[k].capacity > LARGEST) fail(e->name, "a buffer larger than LARGEST");
        c.buffers[k] = buffers[k];
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
    printf("%s the stack reads see a stdcall callee (%ld bytes, want 0) and a cdecl one called "
           "as stdcall (%ld, want -8)\n", good == 0 && bad == -8 ? "ok   " : "FAIL ", good, bad);
    return good == 0 && bad == -8;
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
    for (i = 0; i < kExportCount; ++i) callExport(library, &kExports[i], out);
    for (i = 0; i < ARGUMENT_ROWS; ++i)
        if (!rowUsed[i]) fail(kArguments[i].name, "in the argument table, not in the list");
    if (fclose(out) != 0) fail(resultsPath, "not written whole");
    printf("%lu exports called, %d failed\n", (unsigned long)kExportCount, failures);
    return failures == 0 ? 0 : 1;
}
