// The exports of the families ECF_FUZZ_FAMILIES names (see CMakeLists.txt):
// every argument and every reply drawn from the input.
#include <cstddef>
#include <cstdint>

#include "fuzz_exports.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    return ecf::fuzz::runExports(data, size, ECF_FUZZ_FAMILIES);
}
