// The port the library opens on POSIX systems: a device, or a network port
// when ECF_COMn holds a URL. This definition lives alone in its file on
// purpose: it is the one link-time seam of the library. A program that links
// the library's objects without this file (the ecf_core target) defines
// makePlatformPort() itself, e.g. to answer every exchange from a script,
// with no pseudo-terminal and no state added to the library.
#include "choosing_port.h"
#include "platform_port.h"
#include "posix_port.h"

namespace ecf::link {

std::unique_ptr<SerialPort> makePlatformPort() {
    return std::make_unique<ChoosingPort>(std::make_unique<PosixPort>(), &devicePathFor);
}

}  // namespace ecf::link
