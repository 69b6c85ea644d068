// The status queries, text and parameter forms: every argument and every reply drawn from the input.
#include <cstddef>
#include <cstdint>

#include "fuzz_exports.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ecf::fuzz::enterWorkingDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    return ecf::fuzz::runExports(data, size, "status");
}
