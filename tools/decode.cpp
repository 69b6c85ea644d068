// ecf decode: reads a wire trace and tells each exchange.
#include <iostream>

#include "support_commands.h"

namespace ecf::cli {

int runDecode(const std::string& file, const Options& options) {
    (void)options;
    std::cerr << "ecf: decode " << file << ": not yet\n";
    return 1;
}

}  // namespace ecf::cli
