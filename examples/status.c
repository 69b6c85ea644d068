/* status.c - the receipt's status, once as the text form returns it and once
 * field by field from the parameter form.
 *
 *     ECF_COM1=/dev/ttyUSB0 ./status
 */
#include <ecf.h>
#include <stdio.h>
#include <string.h>

int main(void) {
    /* The text form: the fields end to end, or "Erro: " and the result. The
     * text belongs to the library and lasts until the next ecfStatusCupom. */
    const char* text = ecfStatusCupom(0);
    if (strncmp(text, "Erro: ", 6) == 0) {
        fprintf(stderr, "receipt status: %s\n", text);
        return 1;
    }
    printf("text:   %s\n", text);

    /* The parameter form: each field in a buffer of its own. Its outputs
     * are written even when the exchange failed, so the result comes first. */
    char coo[5], state[2], items[7], date[9], ccf[7], total_due[22], total_paid[22];
    const int32_t result =
        ecfParamStatusCup(coo, state, items, date, ccf, total_due, total_paid);
    if (result != 0) {
        fprintf(stderr, "receipt status: result %ld\n", (long)result);
        return 1;
    }
    printf("COO %s, CCF %s, state %s, %s items, on %s\n", coo, ccf, state, items, date);
    printf("due %s, paid %s (centavos)\n", total_due, total_paid);
    return 0;
}
