// Where a port really is: the environment may point each of "COM1".."COM9"
// somewhere else (a device path, another port name, or a network URL).
#pragma once

namespace ecf::link {

// The value of ECF_COMn for port number n, read anew at every call; nullptr
// when the variable is unset or empty.
const char* portFromEnvironment(unsigned number);

}  // namespace ecf::link
