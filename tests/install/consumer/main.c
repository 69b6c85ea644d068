/* A client of the installed library: selects a port and asks for the
 * printer status. With no printer on the port it reports the link's code,
 * and the exchange report says where it stopped. */
#include <ecf.h>
#include <ecf_ext.h>
#include <stdio.h>

int main(void) {
    ecf_exchange_info info = {sizeof info};
    if (ChangePort(3) != 3) return 1;
    printf("%s\n", ecfStatusImp());
    if (ecf_last_exchange(&info) != 0 || info.failed_step != ECF_STEP_OPEN) return 2;
    return 0;
}
