/*
 * The export client's call table (generated from the export list by
 * cmake/ExportClient.cmake) and what its callers use: the arguments of one
 * call, its result, and the stack pointer read just before and just after the
 * call through the export's stdcall function-pointer type.
 */
#ifndef EXPORT_CLIENT_H
#define EXPORT_CLIENT_H

#include <stddef.h>
#include <stdint.h>

#include "ecf_ext.h"

/* What GetProcAddress or dlsym found, before it is given its real type. */
typedef void (*AnyFunction)(void);

#if defined(_WIN32) && defined(__i386__)
#define ECF_CALL __stdcall
/* A stdcall export pops its own arguments: the stack pointer after the call
 * equals the one before. The reads sit right around the call (the client is
 * built without optimisation), and the client checks them first on two
 * callees of its own, one that pops and one that does not. */
#define STACK_CHECKED 1
#define STACK_BEFORE(c) __asm__ __volatile__("movl %%esp, %0" : "=m"((c)->stackBefore) : : "memory")
#define STACK_AFTER(c) __asm__ __volatile__("movl %%esp, %0" : "=m"((c)->stackAfter) : : "memory")
#else
#define ECF_CALL
#define STACK_CHECKED 0
#define STACK_BEFORE(c) ((void)(c))
#define STACK_AFTER(c) ((void)(c))
#endif

enum { MAX_PARAMETERS = 16 };

typedef enum Kind {
    KIND_I32, KIND_U32, KIND_I16, KIND_U8, KIND_S8, /* numbers */
    KIND_STR,                                       /* an input string */
    KIND_OUT, KIND_OUTBYTE,                         /* the caller's buffers */
    KIND_INFO                                       /* an ecf_exchange_info to fill */
} Kind;
typedef enum Result { RESULT_NUMBER, RESULT_TEXT } Result;

typedef struct Parameter {
    Kind kind;
    size_t capacity; /* KIND_OUT: the least size of the caller's buffer */
    const char* name;
} Parameter;

/* One call: its arguments by index, then what it gave back. */
typedef struct Call {
    uint32_t numbers[MAX_PARAMETERS];
    const char* texts[MAX_PARAMETERS];
    char* buffers[MAX_PARAMETERS]; /* KIND_OUT and KIND_OUTBYTE */
    ecf_exchange_info info;        /* KIND_INFO */
    int32_t number;
    const char* text;
    uintptr_t stackBefore;
    uintptr_t stackAfter;
} Call;

typedef struct Export {
    const char* name;
    const char* family;
    Result result;
    size_t parameterCount;
    Parameter parameters[MAX_PARAMETERS];
    void (*call)(AnyFunction f, Call* c);
} Export;

extern const Export kExports[];
extern const size_t kExportCount;

#endif
