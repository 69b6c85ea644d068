/* fiscal_memory.c - counts the records of the fiscal memory, then receives
 * them over the line into a report file.
 *
 *     ECF_COM1=/dev/ttyUSB0 ./fiscal_memory report.txt
 *
 * Mode 4 selects by reduction number (here all of them, 1 to 9999); mode 3
 * would select by date, DDMMYY. Modes 1 and 2 have the printer print the
 * read-out instead.
 */
#include <ecf.h>
#include <stdio.h>

int main(int argc, char** argv) {
    char owners[3];
    char reductions[5];
    int32_t result;

    if (argc != 2) {
        fprintf(stderr, "usage: %s REPORT-FILE\n", argv[0]);
        return 2;
    }

    result = ecfDispMemFisc(owners, reductions, 4, "", "", 1, 9999);
    if (result != 0) {
        fprintf(stderr, "count: result %ld\n", (long)result);
        return 1;
    }
    printf("%s owners, %s reductions\n", owners, reductions);

    /* The report replaces the file in one step; on failure the old one stays.
     * 1098: the file could not be written; 66: more than 20 owners. */
    result = ecfLeitMemFisc(4, "", "", 1, 9999, argv[1]);
    if (result != 0) {
        fprintf(stderr, "read-out: result %ld\n", (long)result);
        return 1;
    }
    printf("report written to %s\n", argv[1]);
    return 0;
}
