#include "port_environment.h"

#include <cstdlib>
#include <string>

namespace ecf::link {

const char* portFromEnvironment(unsigned number) {
    const std::string variable = "ECF_COM" + std::to_string(number);
    const char* value = std::getenv(variable.c_str());
    return value != nullptr && *value != '\0' ? value : nullptr;
}

}  // namespace ecf::link
