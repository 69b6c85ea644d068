#include "line_check.h"

namespace ecf::link {

LineCheck checkLocalLine(const std::string& path) {
    LineCheck check;
    PosixPort port;
    check.opened = port.open(path.c_str());
    check.openError = port.openDetails().systemError;
    check.lockFailed = port.openDetails().lockFailed;
    if (check.opened != OpenError::none) return check;
    check.settingsError = port.applyLineSettings(LineSettings{});
    (void)port.heldLine(&check.held);
    uint32_t modem = 0;
    check.modemError = port.modemStatus(&modem);
    check.cts = check.modemError == 0 && (modem & kModemCtsOn) != 0;
    port.close();
    return check;
}

}  // namespace ecf::link
