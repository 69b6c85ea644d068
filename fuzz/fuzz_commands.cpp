// The sale-cycle and programming commands: every argument drawn from the
// input, held against the command register on the line.
#include <cstddef>
#include <cstdint>

#include "fuzz_exports.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ecf::fuzz::enterWorkingDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    return ecf::fuzz::runExports(data + 1, size - 1, (data[0] & 1) != 0 ? "receipt" : "program");
}
