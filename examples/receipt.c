/* receipt.c - one fiscal receipt: two items, the subtotal, a cash payment
 * and the end of the transaction, then the change the printer worked out.
 *
 *     ECF_COM1=/dev/ttyUSB0 ./receipt
 *
 * Every command returns the printer's status byte (0: accepted) or a result
 * code of the link; a receipt left half done is cancelled.
 */
#include <ecf.h>
#include <stdio.h>
#include <stdlib.h>

/* Says what went wrong; true when it did. */
static int failed(const char* step, int32_t result) {
    if (result != 0) fprintf(stderr, "%s: result %ld\n", step, (long)result);
    return result != 0;
}

/* An amount in centavos, as the printer reports it, in reais. */
static void printAmount(const char* label, const char* centavos) {
    const long long value = atoll(centavos);
    printf("%s R$ %lld,%02lld\n", label, value / 100, value % 100);
}

int main(void) {
    char change[22];
    char paid[22];

    ChangePort(0); /* COM1 */
    /* Description, price in centavos, tax-rate index. */
    if (failed("item", ecfVendaItem("ARROZ TIPO 1 5KG", "2390", 1))) return 1;
    /* 2,500 KG at R$ 8,99: the quantity as "2" and "500" thousandths. */
    if (failed("item", ecfVendaItem3d("7891000100103", "FEIJAO CARIOCA", "2", "500", "899", 1,
                                      "KG", "A")) ||
        failed("subtotal", ecfSubTotal()) ||
        failed("payment", ecfPagamento(1, "", "5000", 0)) || /* R$ 50,00, type 1 (cash) */
        failed("end", ecfFimTrans("OBRIGADO"))) {
        failed("cancel", ecfCancVenda(""));
        return 1;
    }

    if (failed("change", ecfParamStatusTroco(change, paid))) return 1;
    printAmount("paid", paid);
    printAmount("change", change);
    return 0;
}
