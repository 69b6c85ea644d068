/* A client of the installed library: selects a port and asks for the
 * printer status. With no printer on the port it reports the link's code. */
#include <ecf.h>
#include <stdio.h>

int main(void) {
    if (ChangePort(3) != 3) return 1;
    printf("%s\n", ecfStatusImp());
    return 0;
}
