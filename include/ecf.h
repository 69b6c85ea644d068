/**
 * @file ecf.h
 * @brief libecf: the operations of the ECF fiscal receipt printer, one C
 *        function each.
 *
 * Every function builds one fixed-layout command record from its arguments,
 * sends it to the printer on the selected port ("COM1".."COM4", 9600 baud,
 * 8 data bits, even parity, 1 stop bit, RTS/CTS handshake) as ESC, the record
 * and a checksum byte, and reads the printer's answer. The port is opened
 * before and closed after every exchange. Commands return the printer's
 * status byte; queries come in two forms: a text form returning `char*`, and
 * a parameter form (`ecfParam...`) filling caller buffers.
 *
 * @par Arguments
 * Each argument fills a field of fixed width in the record:
 * - **text W**: left-aligned, filled with blanks; a longer string keeps its
 *   first W bytes.
 * - **right W**: right-aligned, filled with blanks on the left; a longer
 *   string keeps its last W bytes ("ABCDEF" in right 4 is "CDEF").
 * - **digits N**: the number's N lowest decimal digits with leading zeros
 *   (7 in digits 2 is "07", 123 is "23").
 * - **byte**: the value's low 8 bits, as one byte (300 is 44).
 *
 * Nothing is checked and nothing is converted: strings go byte for byte in
 * the printer's code page 850, and the printer judges the command. Amounts
 * and prices are digit strings in centavos without separators ("1234" is
 * R$ 12,34); a quantity travels as its integer part and its three decimals
 * ("1" and "500" are 1,500). Numbers given as strings reach the printer as
 * the caller wrote them. A null string is sent as an empty one; a null
 * out-parameter is skipped.
 *
 * @par Results
 * - 0..255: a command's answer, the printer's status byte, unchanged. 0 is
 *   "accepted"; what the others mean is the printer's own (for the
 *   simulated printer: sim/README.md).
 * - 0: a query's reply was received.
 * - 1: a reply record could not be read.
 * - 4: CTS was off (nothing was sent), or the checksum byte was not written.
 * - 808, 809: clearing the output, the input buffer failed.
 * - 810: setting the time-outs failed.
 * - 1002: opening the port failed with "already exists".
 * - 1010: the port is in use by another program, process or thread; nothing
 *   was sent. The port can be used again once it is free.
 * - 1030: the port could not be opened (no such device, ...).
 * - 2000 + e: setting the line parameters failed with system error e.
 * - 4000 + e, 6000 + e: sending ESC, writing the record failed (e as a signed
 *   16-bit number).
 * - 8000 + e: reading the status byte failed with system error e.
 * - 3, 66, 67, 1098: the fiscal memory read-out (ecfLeitMemFisc(),
 *   ecfCGC_IE()); 21, 22, 23: cheques (ecfImpCheque()).
 *
 * The library's small codes (1, 3, 4, 21, 22, 23, 66, 67) can also be status
 * bytes of a printer; the library does not tell them apart.
 *
 * @par Text forms
 * A text form returns its own buffer, always at the same address: the reply's
 * fields laid end to end without separators, or, when the exchange failed,
 * "Erro: " and the result in decimal ("Erro: 1010"). Each field is taken up to
 * its first NUL byte, so a NUL shortens its field and moves the rest of the
 * text left; the layouts given below hold when no field holds a NUL. Where a
 * query fills a field, its NUL bytes become blanks first. The text stays
 * until the next call of the same function; other calls leave it alone.
 * Never free or write it.
 *
 * @par Parameter forms
 * A parameter form copies each field into a caller buffer of at least the
 * capacity that begins the output's description below (the field's width
 * and a NUL, in bytes): all its bytes as received, NULs included, then a
 * NUL. It returns the exchange's result; after a failed exchange the
 * buffers are left untouched unless the function says otherwise. The outputs are named after what the printer reports in them;
 * the library itself reads no meaning into them.
 *
 * @par Timing and threads
 * A call blocks until its last exchange ends. A status byte is awaited up to
 * 25 s. A reply record ends when complete, after 200 ms without a byte, or
 * after 30 s + 10 ms per byte; a reply longer than 300 bytes is preceded by
 * a 2 s pause. Two exchanges never overlap: while one holds the port, another
 * gets 1010. The result texts and the cheque's working state are shared by
 * the whole process without a lock: callers serialise their calls.
 *
 * @par When the answer is late, cut short or garbled
 * The library checks no answer. A command whose status byte does not come
 * within 25 s returns 0, the same as "accepted". A byte the printer sends
 * later is not this call's: it is dropped when the next exchange clears the
 * input, or, arriving after that, read as the next command's answer. A reply
 * record that is cut short, or not sent at all, is still a reply received
 * (result 0): the bytes that did not come read as NUL (empty fields, or
 * blanks where a query fills them), and garbled bytes are handed on as they
 * came. The
 * fiscal memory read-out writes its report from such a reply too, in place
 * of the earlier report. A program that must know uses the exchange report
 * (ecf_last_exchange() in ecf_ext.h compares the bytes received with the
 * bytes expected), or asks the printer (ecfStatusImp()) after a silent
 * command.
 */
#ifndef ECF_H
#define ECF_H

#include <stdint.h>

/** The calling convention of every export: stdcall on 32-bit Windows. */
#if defined(_WIN32) && !defined(_WIN64)
#define ECF_API __stdcall
#else
#define ECF_API
#endif

/** Marks an export (on Windows the .def file names them instead). */
#if defined(_WIN32)
#define ECF_EXPORT
#else
#define ECF_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Port selection ---------------------------------------------------- */

/**
 * Selects the port of every later exchange in this process (COM1 at load).
 *
 * COM1..COM4 open the device named in the environment variable `ECF_COM1`..
 * `ECF_COM4` when it is set, else `/dev/ttyS0`..`/dev/ttyS3` on Linux and
 * the ports COM1..COM4 on Windows. The port itself is not touched here.
 * @param index 0..3 select COM1..COM4; any other value selects COM2.
 * @return the index now selected, 0..3.
 */
ECF_EXPORT int32_t ECF_API ChangePort(int32_t index);

/* ---- Fiscal receipt: item sale ----------------------------------------- */

/**
 * Sells an item on the fiscal receipt.
 * @param description text 60.
 * @param price       unit price in centavos: right 9.
 * @param rate_index  index of the tax rate: digits 2 (the value modulo 100).
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfVendaItem(const char* description, const char* price,
                                        int32_t rate_index);
/**
 * Sells an item with a description of up to 78 characters.
 * @param description text 78.
 * @param price       unit price in centavos: right 9.
 * @param rate_index  index of the tax rate: digits 2.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfVendaItem78(const char* description, const char* price,
                                          unsigned char rate_index);
/**
 * Sells an item by code, quantity and unit price.
 *
 * The record reads as the item's quantity line: the quantity as `III,DDD`,
 * an `x`, then the unit price.
 * @param item_code        text 13.
 * @param description      text 62.
 * @param quantity_integer quantity's integer part: right 3.
 * @param quantity_decimal quantity's thousandths: right 3, all three digits
 *                         ("500" for 2,5: a "5" would be sent as "  5").
 * @param unit_price       in centavos: right 9.
 * @param rate_index       index of the tax rate: digits 2.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfVenda_Item(const char* item_code, const char* description,
                                         const char* quantity_integer,
                                         const char* quantity_decimal, const char* unit_price,
                                         unsigned char rate_index);
/**
 * Sells an item by code, quantity, unit and unit price: ecfVenda_Item() with
 * two more fields. With both empty the record equals ecfVenda_Item()'s.
 * @param item_code        text 13.
 * @param description      text 62.
 * @param quantity_integer quantity's integer part: right 3.
 * @param quantity_decimal quantity's thousandths: right 3.
 * @param unit_price       in centavos: right 9.
 * @param rate_index       index of the tax rate: digits 2.
 * @param unit             unit of the quantity ("KG", "UN"): right 2.
 * @param rounding         right 1 (its last character): how the printer
 *                         works out the item's total; the simulated printer
 *                         rounds it half up for "A" and truncates it
 *                         otherwise.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfVendaItem3d(const char* item_code, const char* description,
                                          const char* quantity_integer,
                                          const char* quantity_decimal, const char* unit_price,
                                          unsigned char rate_index, const char* unit,
                                          const char* rounding);

/* ---- Fiscal receipt: corrections and subtotal adjustments -------------- */

/**
 * Cancels an item of the open receipt.
 * @param item the item, as the printer knows it (its number): text 60.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfCancItem(const char* item);
/**
 * Gives a discount on an item of the open receipt.
 * @param percent  byte: 0 when @p discount is an amount in centavos, 1 when
 *                 it is in hundredths of a percent.
 * @param item     the item (its number): text 60.
 * @param discount right 9.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfDescItem(int32_t percent, const char* item, const char* discount);
/**
 * Cancels an item named by its number, with a reason.
 * @param item_number text 4.
 * @param text        the reason, printed: text 30.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfCancItemDef(const char* item_number, const char* text);
/**
 * Applies or cancels a surcharge or a discount on the subtotal.
 * @param kind      byte: 1 (or 'D') a discount, 2 (or 'A') a surcharge.
 * @param operation byte: 0 applies it, 1 (or 'C') cancels it.
 * @param text      text 22.
 * @param value     amount in centavos: right 10.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfCancAcresDescSubTotal(unsigned char kind, unsigned char operation,
                                                    const char* text, const char* value);

/* ---- Fiscal receipt: subtotal, payment and closing --------------------- */

/**
 * Totals the open receipt; payments follow.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfSubTotal(void);
/**
 * Opens the cash drawer, whatever the receipt's state.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfAbreGaveta(void);
/**
 * Ends the transaction: closes the paid receipt, or the open non-fiscal
 * receipt or voucher.
 * @param text printed at its foot: text 8.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfFimTrans(const char* text);
/**
 * Cancels the open non-fiscal receipt or voucher, or else the receipt.
 * @param text text 8.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfCancDoc(const char* text);
/**
 * Cancels the receipt in progress, or the last receipt.
 * @param text text 8.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfCancVenda(const char* text);
/**
 * Registers a payment on the subtotalled receipt.
 * @param payment_type byte: the index of the payment type.
 * @param text         text 2, printed.
 * @param amount       in centavos: right 10.
 * @param instalments  byte (low 8 bits).
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfPagamento(unsigned char payment_type, const char* text,
                                        const char* amount, int32_t instalments);
/**
 * Registers a payment, or cancels one.
 * @param payment_type byte: the index of the payment type.
 * @param text         text 10, printed.
 * @param amount       in centavos: right 10.
 * @param operation    byte: 0 pays, 1 cancels the last payment of this type
 *                     (of this amount, unless it is 0).
 * @param instalments  byte.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfPagCancPag(unsigned char payment_type, const char* text,
                                         const char* amount, unsigned char operation,
                                         unsigned char instalments);
/**
 * Registers a payment in instalments, or cancels one: ecfPagCancPag() under
 * the term payment's command code.
 * @param payment_type byte: the index of the payment type.
 * @param text         text 10, printed.
 * @param amount       in centavos: right 10.
 * @param operation    byte: 0 pays, 1 cancels.
 * @param instalments  byte: the number of instalments, printed.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfPrazoCancPrazo(unsigned char payment_type, const char* text,
                                             const char* amount, unsigned char operation,
                                             unsigned char instalments);

/* ---- Non-fiscal documents and free lines -------------------------------- */

/**
 * Prints the shop's header.
 * @param code byte, sent as it is.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfImpCab(unsigned char code);
/**
 * Opens a non-fiscal receipt.
 * @param document byte: the index of the non-fiscal document.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfInicCupomNFiscal(unsigned char document);
/**
 * Opens a non-fiscal voucher linked to a receipt's payment.
 * @param coo          the receipt's COO (document number): right 6.
 * @param payment_type the index of the payment type: right 2.
 * @param value        in centavos: right 9.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfInicCNFVinculado(const char* coo, const char* payment_type,
                                               const char* value);
/**
 * Advances the paper.
 *
 * Both values are widened with their sign, then read unsigned: -1 and -1
 * send "5" and "95".
 * @param station digits 1.
 * @param lines   number of blank lines: digits 2.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfLineFeed(signed char station, signed char lines);
/**
 * Prints an authentication.
 * @param text text 48.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfAutentica(const char* text);
/**
 * Prints a free line inside a non-fiscal receipt or voucher.
 *
 * The record is `n`, the line and a line feed, sent without checksum byte.
 * @param line text 48.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfImpLinha(const char* line);

/* ---- Readings ----------------------------------------------------------- */

/**
 * Prints the managerial X reading (the shift's totals).
 * @param text the operator, printed: text 8.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfLXGerencial(const char* text);
/**
 * Prints the managerial reduction and starts a new shift.
 * @param text the operator, printed: text 8.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfRZGerencial(const char* text);
/**
 * Prints the Z reduction, closing the fiscal day into the fiscal memory.
 * @param text the operator, printed: text 8.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfReducaoZ(const char* text);
/**
 * Prints the X reading (the day's totals so far).
 * @param text the operator, printed: text 8.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfLeituraX(const char* text);

/* ---- Clock, header and tables ------------------------------------------ */

/**
 * Sets the printer's clock. Each part travels as digits 2 (2024 sends 24),
 * in the order second, minute, hour, "0", day, month, year.
 * @param day    1..31.
 * @param month  1..12.
 * @param year   two digits.
 * @param hour   0..23.
 * @param minute 0..59.
 * @param second 0..59.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfAcertaData(int32_t day, int32_t month, int32_t year, int32_t hour,
                                         int32_t minute, int32_t second);
/**
 * Programs the shop's header.
 * @param line1   text 48.
 * @param line2   text 48.
 * @param line3   text 48.
 * @param number1 digits 4.
 * @param number2 digits 4.
 * @param cgc     the company's taxpayer number: text 18.
 * @param ie      the state registration: text 15.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfCabLoja(const char* line1, const char* line2, const char* line3,
                                      int32_t number1, int32_t number2, const char* cgc,
                                      const char* ie);
/**
 * Programs the shop's header with a fourth text: ecfCabLoja()'s record and
 * one more field.
 * @param line1   text 48.
 * @param line2   text 48.
 * @param line3   text 48.
 * @param number1 digits 4.
 * @param number2 digits 4.
 * @param cgc     text 18.
 * @param ie      text 15.
 * @param extra   text 15.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfProgHeader30(const char* line1, const char* line2,
                                           const char* line3, int32_t number1, int32_t number2,
                                           const char* cgc, const char* ie, const char* extra);
/**
 * Programs the company's description. A CGC or IE other than the current
 * owner's makes a new owner in the fiscal memory.
 * @param name text 30.
 * @param cgc  text 18.
 * @param ie   text 15.
 * @return the low 16 bits of the status byte or link result code.
 */
ECF_EXPORT int16_t ECF_API ecfDescriEmpresa(const char* name, const char* cgc, const char* ie);
/**
 * Loads an entry of the table of tax rates.
 * @param index one character, '0' + index: 0..9 send a digit, 10 sends ':'.
 * @param rate  in hundredths of a percent ("1700" is 17,00 %): right 4.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfCargaTabAliq(unsigned char index, const char* rate);
/**
 * Loads an entry of the table of tax rates with its kind.
 * @param index right 2 ("3" is sent " 3").
 * @param kind  right 1 (its last character): "T" goods, "S" services.
 * @param rate  in hundredths of a percent: right 4.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfCargaAliqSelect(const char* index, const char* kind,
                                              const char* rate);
/**
 * Loads an entry of the table of payment types.
 * @param index right 2.
 * @param name  text 20.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfPayPatterns(const char* index, const char* name);
/**
 * Loads an entry of the table of non-fiscal documents.
 * @param index   right 2.
 * @param name    text 20.
 * @param option1 right 1 (its last character; empty sends a blank).
 * @param option2 right 1.
 * @param option3 right 1.
 * @param option4 right 1.
 * @param option5 right 1.
 * @param code    right 2.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfProgNFComprov(const char* index, const char* name,
                                            const char* option1, const char* option2,
                                            const char* option3, const char* option4,
                                            const char* option5, const char* code);
/**
 * Loads the ten-character cipher code.
 * @param code right 10.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfCargaCodCripto(const char* code);
/**
 * Loads the one-byte program code.
 * @param code byte.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfPrgCod(unsigned char code);
/**
 * Writes the user record of three short texts.
 * @param text1 text 8.
 * @param text2 text 4.
 * @param text3 text 1 (its first character).
 * @return the low 16 bits of the status byte or link result code.
 */
ECF_EXPORT int16_t ECF_API ecfGrava(const char* text1, const char* text2, const char* text3);

/* ---- Status queries: text forms and parameter forms --------------------- */

/**
 * The receipt's status (of the receipt in progress, or else the last one)
 * as one text of 67 characters: coo 4, state 1, items 6, ccf 6, date 8,
 * total_due 21, total_paid 21 (see ecfParamStatusCup()).
 * @param unused ignored.
 * @return the result text.
 */
ECF_EXPORT char* ECF_API ecfStatusCupom(int32_t unused);
/**
 * The receipt's status as fields. The outputs are written even after a
 * failed exchange (then empty): look at the result first.
 * @param[out] coo        5: the last document's COO, its last 4 digits.
 * @param[out] state      2: the printer's state as one digit (0 idle,
 *                        1 receipt open, 2 subtotalled, 3 paying, 4 paid,
 *                        5 non-fiscal receipt, 6 linked voucher).
 * @param[out] items      7: the receipt's items not cancelled.
 * @param[out] date       9: today, `dd/mm/yy`.
 * @param[out] ccf        7: the fiscal receipt counter.
 * @param[out] total_due  22: the receipt's total, in centavos.
 * @param[out] total_paid 22: what has been paid on it, in centavos.
 * @return the exchange's result.
 */
ECF_EXPORT int32_t ECF_API ecfParamStatusCup(char* coo, char* state, char* items, char* date,
                                             char* ccf, char* total_due, char* total_paid);
/**
 * The printer's status as one text of 8 characters: the state in two digits
 * (a value of 100 or more gives its first two), the status byte of the last
 * command in three, then '1' or '0' for the flags 0x02, 0x04 and 0x08 (see
 * ecfParamStatusImp()). "01000100" is a receipt open on a day with sales.
 * @return the result text.
 */
ECF_EXPORT char* ECF_API ecfStatusImp(void);
/**
 * The printer's status as three bytes, unchanged. The outputs are written
 * even after a failed exchange (then 0): look at the result first.
 * @param[out] state       the printer's state (as in ecfParamStatusCup()).
 * @param[out] last_status the status byte the last command was answered with.
 * @param[out] flags       0x01 drawer open, 0x02 the day has movement,
 *                         0x04 a Z reduction is due (the day began earlier),
 *                         0x08 today's Z reduction is done, 0x10 no room for
 *                         another owner in the fiscal memory.
 * @return the exchange's result.
 */
ECF_EXPORT int32_t ECF_API ecfParamStatusImp(unsigned char* state, unsigned char* last_status,
                                             unsigned char* flags);
/**
 * One entry of the table of tax rates as one text of 39 characters: kind 1
 * ("T", "S" or blank), then the fields of ecfParamStatusAliquotas():
 * programmed 1, rate 6, sold_today 17, tax_today 14.
 * @param index the entry, sent as digits 2.
 * @return the result text.
 */
ECF_EXPORT char* ECF_API ecfStatusAliquotas(unsigned char index);
/**
 * One entry of the table of tax rates as fields.
 * @param index           the entry, sent as digits 2.
 * @param[out] programmed 2: "1" when the entry is programmed, else "0".
 * @param[out] rate       7: the rate, e.g. "17,00%", right-aligned.
 * @param[out] sold_today 18: sales at this rate today, in centavos.
 * @param[out] tax_today  15: the tax they carry, in centavos.
 * @return the exchange's result.
 */
ECF_EXPORT int32_t ECF_API ecfParamStatusAliquotas(unsigned char index, char* programmed,
                                                   char* rate, char* sold_today,
                                                   char* tax_today);
/**
 * One entry of the table of payment types as one text of 45 characters:
 * programmed 1 ("S" or "N"), then the fields of ecfParamStatusPayTypes():
 * gives_change 1, used 1, name 21, received_today 21.
 * @param index the entry, sent as digits 2.
 * @return the result text.
 */
ECF_EXPORT char* ECF_API ecfStatusPayTypes(unsigned char index);
/**
 * One entry of the table of payment types as fields.
 * @param index               the entry, sent as digits 2.
 * @param[out] gives_change   2: "1" when this type gives change (cash).
 * @param[out] used           2: "1" when the current or last receipt used it.
 * @param[out] name           22: the name.
 * @param[out] received_today 22: received with it today, in centavos (cash
 *                            net of change).
 * @return the exchange's result.
 */
ECF_EXPORT int32_t ECF_API ecfParamStatusPayTypes(unsigned char index, char* gives_change,
                                                  char* used, char* name,
                                                  char* received_today);
/**
 * One entry of the table of non-fiscal documents as one text of 121
 * characters: programmed 1 ("S" or "N"), then the fields of
 * ecfParamStatusDocsNFs(): used_today 1, name 21, options 5 (one by one, a
 * NUL among them adds nothing), code 3, issued_today 7, cancelled_today 7,
 * issued_shift 19, issued_total 19, last_coo 19, cancelled_total 19.
 * @param index the entry, sent as digits 2.
 * @return the result text.
 */
ECF_EXPORT char* ECF_API ecfStatusDocsNFs(unsigned char index);
/**
 * One entry of the table of non-fiscal documents as fields.
 * @param index                the entry, sent as digits 2.
 * @param[out] used_today      2: "1" when it was issued today.
 * @param[out] name            22: the name.
 * @param[out] options         6: the five option characters as programmed,
 *                             joined as strings (a NUL among them is left
 *                             out, so it holds 0 to 5 characters).
 * @param[out] code            4: a blank and the two-character code.
 * @param[out] issued_today    8: how many were issued today.
 * @param[out] cancelled_today 8: how many were cancelled today.
 * @param[out] issued_shift    20: issued since the last managerial reduction.
 * @param[out] issued_total    20: issued since installation.
 * @param[out] last_coo        20: the COO of the last one.
 * @param[out] cancelled_total 20: cancelled since installation.
 * @return the exchange's result.
 */
ECF_EXPORT int32_t ECF_API ecfParamStatusDocsNFs(unsigned char index, char* used_today,
                                                 char* name, char* options, char* code,
                                                 char* issued_today, char* cancelled_today,
                                                 char* issued_shift, char* issued_total,
                                                 char* last_coo, char* cancelled_total);
/**
 * The equipment's data as one text of 42 characters: serial 11, model 16,
 * firmware 5, installed 10 (see ecfParamStatusEquipo()). NULs become blanks
 * except in each field's last position, where a NUL still shortens it.
 * @return the result text.
 */
ECF_EXPORT char* ECF_API ecfStatusEquipo(void);
/**
 * The equipment's data as fields; every NUL becomes a blank.
 * @param[out] serial    12: the serial number.
 * @param[out] model     17: the model.
 * @param[out] firmware  6: the firmware's version.
 * @param[out] installed 11: the installation date, `dd/mm/yyyy`.
 * @return the exchange's result.
 */
ECF_EXPORT int32_t ECF_API ecfParamStatusEquipo(char* serial, char* model, char* firmware,
                                                char* installed);
/**
 * One owner's data as one text of 265 characters, in reply order: header1
 * 49, header2 49, header3 49, number1 5, number2 5, cgc 19, ie 15, extra 17,
 * start_date 9, start_time 6, end_date 9, end_time 6, owner 5, company 22
 * (see ecfParamStatusUser()). NULs become blanks, and '/' in the dates, in
 * every position but a field's last; number1 and number2 are not filled,
 * owner and company wholly.
 * @param index the owner, sent as digits 2 (0: the current owner).
 * @return the result text.
 */
ECF_EXPORT char* ECF_API ecfStatusUser(unsigned char index);
/**
 * One owner's data as fields, filled as by ecfStatusUser(). Note that extra
 * comes before ie.
 * @param index           the owner, sent as digits 2 (0: the current owner).
 * @param[out] header1    50: the header's first line.
 * @param[out] header2    50: its second line.
 * @param[out] header3    50: its third line.
 * @param[out] number1    6: the header's first number.
 * @param[out] number2    6: its second number.
 * @param[out] cgc        20: the owner's CGC.
 * @param[out] extra      18: the header's fourth text.
 * @param[out] ie         16: the owner's IE.
 * @param[out] start_date 10: the ownership's start, `dd/mm/yy`.
 * @param[out] start_time 7: its time without the third character: "1234"
 *                        for 12:34.
 * @param[out] end_date   10: the ownership's end ("////////" while current).
 * @param[out] end_time   7: its time, as start_time.
 * @param[out] owner      6: the owner's number.
 * @param[out] company    23: the company's name.
 * @return the exchange's result.
 */
ECF_EXPORT int32_t ECF_API ecfParamStatusUser(unsigned char index, char* header1, char* header2,
                                              char* header3, char* number1, char* number2,
                                              char* cgc, char* extra, char* ie, char* start_date,
                                              char* start_time, char* end_date, char* end_time,
                                              char* owner, char* company);
/**
 * The change of the current or last receipt as one text of 42 characters:
 * change 21, paid 21 (see ecfParamStatusTroco()); NULs become blanks.
 * @return the result text.
 */
ECF_EXPORT char* ECF_API ecfStatusTroco(void);
/**
 * The change of the current or last receipt as two amounts; NULs become
 * blanks. Its query carries two blanks where the text form's carries zeros.
 * @param[out] change 22: the change given, in centavos.
 * @param[out] paid   22: the amount paid, in centavos.
 * @return the exchange's result.
 */
ECF_EXPORT int32_t ECF_API ecfParamStatusTroco(char* change, char* paid);
/**
 * What a payment type of the last receipt allows in linked vouchers, as one
 * text of 63 characters: can_open 1, payment_type 3, name 21, paid 21, coo 7,
 * vouchers_today 3, open_amount 7 (see ecfParamStatusVincs()). Not filled: a
 * NUL shortens its field.
 * @param index the payment type, sent as digits 2.
 * @return the result text.
 */
ECF_EXPORT char* ECF_API ecfStatusVincs(unsigned char index);
/**
 * What a payment type of the last receipt allows in linked vouchers, as
 * fields; every NUL becomes a blank.
 * @param index               the payment type, sent as digits 2.
 * @param[out] can_open       2: "S" when a voucher may be opened for it now,
 *                            else "N".
 * @param[out] payment_type   4: the payment type.
 * @param[out] name           22: its name.
 * @param[out] paid           22: paid with it on the last receipt, in centavos.
 * @param[out] coo            8: that receipt's COO.
 * @param[out] vouchers_today 4: vouchers for it today.
 * @param[out] open_amount    8: what vouchers may still cover, in centavos.
 * @return the exchange's result.
 */
ECF_EXPORT int32_t ECF_API ecfParamStatusVincs(unsigned char index, char* can_open,
                                               char* payment_type, char* name, char* paid,
                                               char* coo, char* vouchers_today,
                                               char* open_amount);

/* ---- Fiscal data: fiscal memory, X reading over the line, CGC/IE -------- */

/**
 * Reads the fiscal memory: printed by the printer, or received over the line
 * into a report file.
 *
 * Modes 0 to 2 send the read-out command and return its status byte. Modes 3
 * and above first count the selection's records (as ecfDispMemFisc()), then
 * receive them in one reply and write the report. The report replaces the
 * file at @p report_file in one step (it is written beside it and renamed
 * over it), so a failure leaves the earlier file as it was. It is text with
 * CR LF line ends: a heading, the owner and reduction counts, one line per
 * owner (CGC, IE, start and end date and time) and one per reduction
 * (number, restart counter, date, time, total).
 *
 * A read-out that comes cut short, not at all, or garbled still returns 0,
 * and its report, written from what arrived (blank records where nothing
 * did), replaces the earlier one. To know, compare the bytes received with
 * the bytes expected in ecf_last_exchange().
 * @param mode              byte: 1 by date, 2 by reduction number, printed;
 *                          3 by date, 4 by reduction number, into the file.
 * @param initial_date      `DDMMYY` (modes 1 and 3): right 6.
 * @param final_date        `DDMMYY` (modes 1 and 3): right 6.
 * @param initial_reduction the first reduction (modes 2 and 4): digits 4.
 * @param final_reduction   the last reduction (modes 2 and 4): digits 4.
 * @param report_file       the report's path (modes 3 and above).
 * @return modes 0 to 2: status byte, or a result code of the link. Other
 *         modes: 0 when the report is written; the count's or the read-out's
 *         failing result; 66 more than 20 owners; 3 no memory for the reply;
 *         1098 the report could not be written. A count that is not digits
 *         (or did not come: NUL bytes) gives 66 or 3.
 */
ECF_EXPORT int32_t ECF_API ecfLeitMemFisc(unsigned char mode, const char* initial_date,
                                          const char* final_date, uint32_t initial_reduction,
                                          uint32_t final_reduction, const char* report_file);
/**
 * Counts the owner records and the reduction records of a fiscal memory
 * selection. The outputs are written even after a failed exchange: look at
 * the result first.
 * @param[out] owners       3: the owner count, two digits as received.
 * @param[out] reductions   5: the reduction count, four digits as received.
 * @param mode              byte: 1 or 3 select by date, 2 or 4 by reduction.
 * @param initial_date      `DDMMYY`: right 6.
 * @param final_date        `DDMMYY`: right 6.
 * @param initial_reduction digits 4.
 * @param final_reduction   digits 4.
 * @return the exchange's result.
 */
ECF_EXPORT int32_t ECF_API ecfDispMemFisc(char* owners, char* reductions, unsigned char mode,
                                          const char* initial_date, const char* final_date,
                                          uint32_t initial_reduction, uint32_t final_reduction);
/**
 * The data of an X reading, received over the line instead of printed, as
 * one text of 744 characters, 55 fields end to end:
 * - counters: CRZ 4, date 8, CRO 4, COO 6, GNF 6, CCF 6, grand total 21,
 *   then today's gross sales 21, cancelled receipts 21, discounts 21, and
 *   sales under substitution (F) 18, exempt (I) 18, not levied (N) 18;
 * - ten tax rates: kind and rate 5 ("T1700"), sold today 18, tax due 18;
 * - totals of today: receipts 6, cancelled receipts 6, non-fiscal
 *   documents 6, surcharges 18, net sales 18, change 18, linked vouchers 18,
 *   cash 18, other payment types 18, cancelled items 18, then the day's
 *   first COO 9 and the COO now 9.
 *
 * Amounts are in centavos.
 * @return the result text.
 */
ECF_EXPORT char* ECF_API ecfLeituraXSerial(void);
/**
 * The data of an X reading as twelve blocks, each copied whole, NULs
 * included, with the fields of ecfLeituraXSerial() inside. The outputs are
 * written even after a failed exchange: look at the result first.
 * @param[out] counters 173: the counters block (172 characters).
 * @param[out] totals   163: the totals block (162 characters).
 * @param[out] rate1    42: tax rate 1: kind and rate 5, sold 18, tax due 18.
 * @param[out] rate2    42: tax rate 2.
 * @param[out] rate3    42: tax rate 3.
 * @param[out] rate4    42: tax rate 4.
 * @param[out] rate5    42: tax rate 5.
 * @param[out] rate6    42: tax rate 6.
 * @param[out] rate7    42: tax rate 7.
 * @param[out] rate8    42: tax rate 8.
 * @param[out] rate9    42: tax rate 9.
 * @param[out] rate10   42: tax rate 10.
 * @return the exchange's result.
 */
ECF_EXPORT int32_t ECF_API ecfParamLXSerial(char* counters, char* totals, char* rate1,
                                            char* rate2, char* rate3, char* rate4, char* rate5,
                                            char* rate6, char* rate7, char* rate8, char* rate9,
                                            char* rate10);
/**
 * The CGC and IE of the last owner in the fiscal memory, as one text of 33
 * characters: cgc 18, ie 15. Reads the owner records over the line (a count
 * and a read-out, as ecfLeitMemFisc() mode 4 over reductions 0 to 1).
 *
 * Errors as text: the count's or the read-out's failing result, 67 when the
 * fiscal memory reports no owner (a silent printer included), 3 no memory.
 * @return the result text.
 */
ECF_EXPORT char* ECF_API ecfCGC_IE(void);
/**
 * The CGC and IE of the last owner as fields; left untouched on failure.
 * @param[out] cgc 19: the company's taxpayer number.
 * @param[out] ie  16: the state registration.
 * @return 0; or as ecfCGC_IE()'s error text: the exchange's failing result,
 *         67 no owner, 3 no memory.
 */
ECF_EXPORT int32_t ECF_API ecfParamCGC_IE(char* cgc, char* ie);

/* ---- Cheques ------------------------------------------------------------ */

/**
 * Prints one line on the cheque in the printer.
 * @param advance lines to advance first: its last decimal digit (12 sends 2).
 * @param text    text 80.
 * @return status byte, or a result code of the link.
 */
ECF_EXPORT int32_t ECF_API ecfLinhaCheque(uint32_t advance, const char* text);
/**
 * Prints a cheque laid out for its bank: the amount in figures, the amount
 * in words on two lines, the payee, and a date line with the free text, the
 * city, the day, the month's name and the year. Sent as five lines of
 * ecfLinhaCheque(); the first failing line ends the cheque there.
 *
 * The amount in words is in Portuguese capitals, code page 850, with the
 * currency's names read at every call from the file "moeda" in the current
 * directory: 42 bytes, the singular name in bytes 0 to 20 and the plural in
 * bytes 21 to 41, each NUL-terminated.
 * @param bank      the bank's code, one of the 75 of the layout table.
 * @param value     the amount in centavos, digits only: up to 16, of which
 *                  the last 14 are printed ("123456" prints (1.234,56)).
 * @param payee     up to 84 characters.
 * @param city      up to 24, ending at the layout's column.
 * @param date      `DDMMYY` (its first six characters); a month outside
 *                  1..12 prints "ERRO MES".
 * @param free_text up to 20, at the start of the date line.
 * @return the last line's status byte or link result code; 21 the bank is
 *         not in the table, 22 "moeda" is missing or empty, 23 the amount
 *         in words does not fit on its two lines (nothing sent for these).
 */
ECF_EXPORT int32_t ECF_API ecfImpCheque(uint32_t bank, const char* value, const char* payee,
                                        const char* city, const char* date,
                                        const char* free_text);
/**
 * Prints a cheque as ecfImpCheque() does, from the second layout table.
 * @param bank      the bank's code, one of the 75 of the second table.
 * @param value     the amount in centavos, as for ecfImpCheque().
 * @param payee     up to 84 characters.
 * @param city      up to 24.
 * @param date      `DDMMYY`.
 * @param free_text up to 20.
 * @return as ecfImpCheque().
 */
ECF_EXPORT int32_t ECF_API ecfImpChequeVexa(uint32_t bank, const char* value, const char* payee,
                                            const char* city, const char* date,
                                            const char* free_text);
/**
 * Sends a whole cheque in one record, with the bank's 36-digit layout row
 * from the first table, for the printer to lay out.
 * @param bank   the bank's code, one of the 75 of the layout table.
 * @param value  the amount in centavos: right 11.
 * @param payee  text 66.
 * @param city   text 21.
 * @param date   its first 8 bytes as they stand (a shorter date is followed
 *               by 0x00 bytes).
 * @param extra1 text 21.
 * @param extra2 text 21.
 * @param extra3 text 21.
 * @return status byte, or a result code of the link; 21 the bank is not in
 *         the table (nothing sent).
 */
ECF_EXPORT int32_t ECF_API ecfChequeKorvan(uint32_t bank, const char* value, const char* payee,
                                           const char* city, const char* date,
                                           const char* extra1, const char* extra2,
                                           const char* extra3);

#ifdef __cplusplus
}
#endif

#endif /* ECF_H */
