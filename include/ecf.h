/*
 * ecf.h - driver library for the ECF fiscal receipt printer.
 *
 * Every function below performs one or more exchanges with the printer over
 * the selected serial port ("COM1".."COM4", 9600 baud, 8E1, RTS/CTS) and
 * returns either the printer's status byte (0..255), a reply decoded into a
 * text or into caller buffers, or one of the link's result codes:
 *
 *     4      CTS off before sending, or the checksum byte could not be written
 *     808    clearing the output buffer failed
 *     809    clearing the input buffer failed
 *     810    setting the time-outs failed
 *     1002   opening the port failed with "already exists"
 *     1010   the port is in use (held by another program or thread)
 *     1030   the port could not be opened for any other reason
 *     2000+e setting the line parameters failed with system error e
 *     4000+e sending ESC failed            6000+e writing the record failed
 *     8000+e reading the status byte failed
 *     1      a reply record could not be read
 *
 * A few operations add codes of their own (not told apart from status bytes of
 * the same value): 3 no memory for the fiscal memory read-out; 66 more than 20
 * owner records; 67 no owner record in the fiscal memory (CGC/IE); 1098 the
 * report file could not be created; 21 bank not in the layout table; 22
 * currency file "moeda" missing or empty; 23 amount in words too long.
 *
 * Text forms (returning char*) return a module-wide result text that stays
 * valid until the next call of the same function: the reply fields laid end
 * to end, or "Erro: <code>" when the exchange failed. Never free or write it.
 *
 * Strings are NUL-terminated byte strings passed through unchanged (the
 * printer uses code page 850). A null string pointer is sent as an empty
 * string and a null out-parameter is skipped. Calls block until the printer
 * answers (up to 25 s for a status byte, 30 s + 10 ms per byte for a reply).
 * Callers serialise their calls: the result texts are shared module storage.
 */
#ifndef ECF_H
#define ECF_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define ECF_API __stdcall
#else
#define ECF_API
#endif

#if defined(_WIN32)
#define ECF_EXPORT
#else
#define ECF_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Port selection ---------------------------------------------------- */

/* Selects the port of every later exchange: 0..3 are COM1..COM4, any other
 * value selects COM2. Returns the index now selected. */
ECF_EXPORT int32_t ECF_API ChangePort(int32_t index);

/* ---- Fiscal receipt: item sale ----------------------------------------- */

ECF_EXPORT int32_t ECF_API ecfVendaItem(const char* description, const char* price,
                                        int32_t rate_index);
ECF_EXPORT int32_t ECF_API ecfVendaItem78(const char* description, const char* price,
                                          unsigned char rate_index);
ECF_EXPORT int32_t ECF_API ecfVenda_Item(const char* item_code, const char* description,
                                         const char* quantity_integer,
                                         const char* quantity_decimal, const char* unit_price,
                                         unsigned char rate_index);
ECF_EXPORT int32_t ECF_API ecfVendaItem3d(const char* item_code, const char* description,
                                          const char* quantity_integer,
                                          const char* quantity_decimal, const char* unit_price,
                                          unsigned char rate_index, const char* unit,
                                          const char* rounding);

/* ---- Fiscal receipt: corrections and subtotal adjustments -------------- */

ECF_EXPORT int32_t ECF_API ecfCancItem(const char* item);
ECF_EXPORT int32_t ECF_API ecfDescItem(int32_t percent, const char* item, const char* discount);
ECF_EXPORT int32_t ECF_API ecfCancItemDef(const char* item_number, const char* text);
ECF_EXPORT int32_t ECF_API ecfCancAcresDescSubTotal(unsigned char kind, unsigned char operation,
                                                    const char* text, const char* value);

/* ---- Fiscal receipt: subtotal, payment and closing --------------------- */

ECF_EXPORT int32_t ECF_API ecfSubTotal(void);
ECF_EXPORT int32_t ECF_API ecfAbreGaveta(void);
ECF_EXPORT int32_t ECF_API ecfFimTrans(const char* text);
ECF_EXPORT int32_t ECF_API ecfCancDoc(const char* text);
ECF_EXPORT int32_t ECF_API ecfCancVenda(const char* text);
ECF_EXPORT int32_t ECF_API ecfPagamento(unsigned char payment_type, const char* text,
                                        const char* amount, int32_t instalments);
ECF_EXPORT int32_t ECF_API ecfPagCancPag(unsigned char payment_type, const char* text,
                                         const char* amount, unsigned char operation,
                                         unsigned char instalments);
ECF_EXPORT int32_t ECF_API ecfPrazoCancPrazo(unsigned char payment_type, const char* text,
                                             const char* amount, unsigned char operation,
                                             unsigned char instalments);

/* ---- Non-fiscal documents and free lines -------------------------------- */

ECF_EXPORT int32_t ECF_API ecfImpCab(unsigned char code);
ECF_EXPORT int32_t ECF_API ecfInicCupomNFiscal(unsigned char document);
ECF_EXPORT int32_t ECF_API ecfInicCNFVinculado(const char* coo, const char* payment_type,
                                               const char* value);
ECF_EXPORT int32_t ECF_API ecfLineFeed(signed char station, signed char lines);
ECF_EXPORT int32_t ECF_API ecfAutentica(const char* text);
ECF_EXPORT int32_t ECF_API ecfImpLinha(const char* line);

/* ---- Readings ----------------------------------------------------------- */

ECF_EXPORT int32_t ECF_API ecfLXGerencial(const char* text);
ECF_EXPORT int32_t ECF_API ecfRZGerencial(const char* text);
ECF_EXPORT int32_t ECF_API ecfReducaoZ(const char* text);
ECF_EXPORT int32_t ECF_API ecfLeituraX(const char* text);

/* ---- Clock, header and tables ------------------------------------------ */

ECF_EXPORT int32_t ECF_API ecfAcertaData(int32_t day, int32_t month, int32_t year, int32_t hour,
                                         int32_t minute, int32_t second);
ECF_EXPORT int32_t ECF_API ecfCabLoja(const char* line1, const char* line2, const char* line3,
                                      int32_t number1, int32_t number2, const char* cgc,
                                      const char* ie);
ECF_EXPORT int32_t ECF_API ecfProgHeader30(const char* line1, const char* line2,
                                           const char* line3, int32_t number1, int32_t number2,
                                           const char* cgc, const char* ie, const char* extra);
ECF_EXPORT int16_t ECF_API ecfDescriEmpresa(const char* name, const char* cgc, const char* ie);
ECF_EXPORT int32_t ECF_API ecfCargaTabAliq(unsigned char index, const char* rate);
ECF_EXPORT int32_t ECF_API ecfCargaAliqSelect(const char* index, const char* kind,
                                              const char* rate);
ECF_EXPORT int32_t ECF_API ecfPayPatterns(const char* index, const char* name);
ECF_EXPORT int32_t ECF_API ecfProgNFComprov(const char* index, const char* name,
                                            const char* option1, const char* option2,
                                            const char* option3, const char* option4,
                                            const char* option5, const char* code);
ECF_EXPORT int32_t ECF_API ecfCargaCodCripto(const char* code);
ECF_EXPORT int32_t ECF_API ecfPrgCod(unsigned char code);
ECF_EXPORT int16_t ECF_API ecfGrava(const char* text1, const char* text2, const char* text3);

/* ---- Status queries: text forms and parameter forms --------------------- */

ECF_EXPORT char* ECF_API ecfStatusCupom(int32_t unused);
ECF_EXPORT int32_t ECF_API ecfParamStatusCup(char* coo, char* state, char* items, char* date,
                                             char* ccf, char* total_due, char* total_paid);
ECF_EXPORT char* ECF_API ecfStatusImp(void);
ECF_EXPORT int32_t ECF_API ecfParamStatusImp(unsigned char* state, unsigned char* last_status,
                                             unsigned char* flags);
ECF_EXPORT char* ECF_API ecfStatusAliquotas(unsigned char index);
ECF_EXPORT int32_t ECF_API ecfParamStatusAliquotas(unsigned char index, char* programmed,
                                                   char* rate, char* sold_today,
                                                   char* tax_today);
ECF_EXPORT char* ECF_API ecfStatusPayTypes(unsigned char index);
ECF_EXPORT int32_t ECF_API ecfParamStatusPayTypes(unsigned char index, char* gives_change,
                                                  char* used, char* name,
                                                  char* received_today);
ECF_EXPORT char* ECF_API ecfStatusDocsNFs(unsigned char index);
ECF_EXPORT int32_t ECF_API ecfParamStatusDocsNFs(unsigned char index, char* used_today,
                                                 char* name, char* options, char* code,
                                                 char* issued_today, char* cancelled_today,
                                                 char* issued_shift, char* issued_total,
                                                 char* last_coo, char* cancelled_total);
ECF_EXPORT char* ECF_API ecfStatusEquipo(void);
ECF_EXPORT int32_t ECF_API ecfParamStatusEquipo(char* serial, char* model, char* firmware,
                                                char* installed);
ECF_EXPORT char* ECF_API ecfStatusUser(unsigned char index);
ECF_EXPORT int32_t ECF_API ecfParamStatusUser(unsigned char index, char* header1, char* header2,
                                              char* header3, char* number1, char* number2,
                                              char* cgc, char* extra, char* ie, char* start_date,
                                              char* start_time, char* end_date, char* end_time,
                                              char* owner, char* company);
ECF_EXPORT char* ECF_API ecfStatusTroco(void);
ECF_EXPORT int32_t ECF_API ecfParamStatusTroco(char* change, char* paid);
ECF_EXPORT char* ECF_API ecfStatusVincs(unsigned char index);
ECF_EXPORT int32_t ECF_API ecfParamStatusVincs(unsigned char index, char* can_open,
                                               char* payment_type, char* name, char* paid,
                                               char* coo, char* vouchers_today,
                                               char* open_amount);

/* ---- Fiscal data: fiscal memory, X reading over the line, CGC/IE -------- */

/* Modes 1 and 2 have the printer print the read-out (by date DDMMYY, or by
 * reduction number); modes 3 and 4 receive it over the line and write it to
 * report_file (CR LF line ends), replacing any earlier file only once the
 * whole read-out is in. */
ECF_EXPORT int32_t ECF_API ecfLeitMemFisc(unsigned char mode, const char* initial_date,
                                          const char* final_date, uint32_t initial_reduction,
                                          uint32_t final_reduction, const char* report_file);
ECF_EXPORT int32_t ECF_API ecfDispMemFisc(char* owners, char* reductions, unsigned char mode,
                                          const char* initial_date, const char* final_date,
                                          uint32_t initial_reduction, uint32_t final_reduction);
ECF_EXPORT char* ECF_API ecfLeituraXSerial(void);
ECF_EXPORT int32_t ECF_API ecfParamLXSerial(char* counters, char* totals, char* rate1,
                                            char* rate2, char* rate3, char* rate4, char* rate5,
                                            char* rate6, char* rate7, char* rate8, char* rate9,
                                            char* rate10);
/* The CGC and IE of the last owner. When the fiscal memory reports no owner
 * at all, the result is 67 ("Erro: 67"). */
ECF_EXPORT char* ECF_API ecfCGC_IE(void);
ECF_EXPORT int32_t ECF_API ecfParamCGC_IE(char* cgc, char* ie);

/* ---- Cheques ------------------------------------------------------------ */

ECF_EXPORT int32_t ECF_API ecfLinhaCheque(uint32_t advance, const char* text);
ECF_EXPORT int32_t ECF_API ecfImpCheque(uint32_t bank, const char* value, const char* payee,
                                        const char* city, const char* date,
                                        const char* free_text);
ECF_EXPORT int32_t ECF_API ecfImpChequeVexa(uint32_t bank, const char* value, const char* payee,
                                            const char* city, const char* date,
                                            const char* free_text);
ECF_EXPORT int32_t ECF_API ecfChequeKorvan(uint32_t bank, const char* value, const char* payee,
                                           const char* city, const char* date,
                                           const char* extra1, const char* extra2,
                                           const char* extra3);

#ifdef __cplusplus
}
#endif

#endif /* ECF_H */
