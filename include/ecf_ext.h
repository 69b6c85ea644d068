/**
 * @file ecf_ext.h
 * @brief Extensions of libecf: what happened on the line, a wire trace, the
 *        library's version and its result codes in words.
 *
 * These exports sit beside the printer operations of ecf.h and never change
 * what those do: their results, the bytes they send and their timing stay
 * exactly the same whether these are used or not. Their names are snake case
 * with the prefix `ecf_`; like every export they are stdcall on 32-bit
 * Windows and listed in the export list.
 */
#ifndef ECF_EXT_H
#define ECF_EXT_H

#include <stdint.h>

#include "ecf.h"

#ifdef __cplusplus
extern "C" {
#endif

/** The step of an exchange at which it stopped (ecf_exchange_info::failed_step). */
typedef enum ecf_step {
    ECF_STEP_NONE = 0,          /**< the exchange ran to its end (or was not made) */
    ECF_STEP_OPEN = 1,          /**< opening the port (or connecting to it) */
    ECF_STEP_LOCK = 2,          /**< the port is held by someone else */
    ECF_STEP_LINE_SETTINGS = 3, /**< setting 9600 8E1 RTS/CTS */
    ECF_STEP_CLEARING = 4,      /**< clearing the output or input buffer */
    ECF_STEP_TIMEOUTS = 5,      /**< setting the time-outs */
    ECF_STEP_CTS = 6,           /**< CTS was off: nothing was sent */
    ECF_STEP_SENDING = 7,       /**< sending ESC, the record or the checksum */
    ECF_STEP_READING = 8        /**< reading the answer */
} ecf_step;

/**
 * What the last export called on this thread did on the line.
 *
 * Every field is 32 bits wide or a byte array, so the layout is the same for
 * every compiler and every binding (no padding). The caller sets `size` to
 * `sizeof(ecf_exchange_info)`; later versions only add fields at the end.
 */
typedef struct ecf_exchange_info {
    uint32_t size;           /**< set by the caller: the size of this struct */
    int32_t result;          /**< what the export returned (a text form: its last
                                  exchange's result) */
    int32_t command_code;    /**< the record's command code (byte 1), 'n' (0x6E) for a free
                                  line, -1 when the export made no exchange */
    uint32_t exchanges;      /**< exchanges the export made; the fields below describe the last */
    uint32_t bytes_sent;     /**< ESC, record and checksum bytes as written */
    uint32_t bytes_expected; /**< 1 for a status byte, else the reply's length */
    uint32_t bytes_received; /**< bytes the printer sent back: 0 when it stayed silent */
    uint32_t elapsed_us;     /**< from opening the port to closing it, in microseconds */
    uint32_t failed_step;    /**< an ecf_step: where the exchange stopped */
    int32_t system_error;    /**< errno (POSIX) or GetLastError() (Windows) at that step, or 0 */
    char port[8];            /**< the port's name, "COM1".."COM4" */
    char device[256];        /**< the device path or URL actually opened, NUL-terminated */
} ecf_exchange_info;

/**
 * Reports the last exchange of the last export called on this thread.
 *
 * Each thread has its own report; an export that made no exchange (a cheque
 * refused before the line, ChangePort) leaves `exchanges` 0, `command_code`
 * -1 and its result.
 * @param info  filled in; its `size` must be set by the caller.
 * @return 0; -1 when @p info is null; -2 when `info->size` is smaller than
 *         the struct's first version. Before any export was called on this
 *         thread, every field is 0 and `command_code` is -1.
 */
ECF_EXPORT int32_t ECF_API ecf_last_exchange(ecf_exchange_info* info);

/**
 * A short message for a result code of the link or of the library.
 *
 * @param result    a result of an export.
 * @param language  "pt-BR" (the default, also for null) or "en"; any other
 *                  value is taken as "pt-BR".
 * @return a static UTF-8 text, never null: e.g. 1010 gives "porta em uso"
 *         / "the port is in use". Codes that are only the printer's status
 *         byte get a neutral text, since their meaning is the printer's;
 *         unknown codes "código desconhecido" / "unknown code".
 */
ECF_EXPORT const char* ECF_API ecf_result_text(int32_t result, const char* language);

/** @return the library's version, e.g. "1.1.0" (a static text). */
ECF_EXPORT const char* ECF_API ecf_version(void);

/**
 * Starts the wire trace into @p path (appending), or stops it (null or "").
 *
 * Replaces what `ECF_TRACE` chose when the library was loaded. Every
 * exchange then appends one line, in one write, in the format the README
 * gives (UTC time, process id, port and device, command name and code, the
 * bytes sent and received as hex, result, microseconds, the failed step).
 * @param path  the trace file, or null or "" to stop.
 * @return 0; -1 when @p path cannot be opened for appending (a directory, a
 *         FIFO nobody reads, no permission; the trace is then off). A trace
 *         that later cannot be written (a full disk or pipe) loses its lines
 *         and never changes or delays an exchange.
 */
ECF_EXPORT int32_t ECF_API ecf_set_trace(const char* path);

#ifdef __cplusplus
}
#endif

#endif /* ECF_EXT_H */
