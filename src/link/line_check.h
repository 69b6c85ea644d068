// The checks of a local serial line, step by step, for a diagnosis
// (`ecf doctor`): opening and locking the device as an exchange does, the
// line settings it keeps, and CTS. Nothing is sent to the printer.
#pragma once

#include <cstdint>
#include <string>

#include "posix_port.h"
#include "serial_port.h"

namespace ecf::link {

struct LineCheck {
    OpenError opened = OpenError::other;  // none: opened and locked
    uint32_t openError = 0;               // the errno of a failed open or lock
    bool lockFailed = false;              // the lock failed: someone else holds it
    uint32_t settingsError = 0;           // applying 9600 8E1 RTS/CTS: 0, or its errno
    HeldLine held;                        // what the device holds afterwards
    uint32_t modemError = 0;  // reading the modem lines: 0, or its errno (the device
                              // cannot report them: the library counts CTS as on)
    bool cts = false;
};

// Opens `path` as an exchange would, applies the line settings, reads them
// back and reads CTS, then closes it.
LineCheck checkLocalLine(const std::string& path);

}  // namespace ecf::link
