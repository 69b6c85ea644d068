// The serial port of the platform the library was built for.
#pragma once

#include <memory>

#include "serial_port.h"

namespace ecf::link {

std::unique_ptr<SerialPort> makePlatformPort();

}  // namespace ecf::link
