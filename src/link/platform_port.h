// The serial port of the platform the library was built for.
#pragma once

#include <memory>

#include "serial_port.h"

namespace ecf::link {

// A new, closed port for one exchange. Defined once per platform in a file of
// its own (platform_posix.cpp; win32_port.cpp on Windows), so that a fuzz or
// test program can link the rest of the library (ecf_core) and supply its own.
std::unique_ptr<SerialPort> makePlatformPort();

}  // namespace ecf::link
