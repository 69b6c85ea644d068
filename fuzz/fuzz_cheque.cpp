// The cheque commands: bank, amount, payee, city, date and texts, and the
// printer's status bytes, all drawn from the input.
#include <cstddef>
#include <cstdint>

#include "fuzz_exports.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ecf::fuzz::enterWorkingDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    return ecf::fuzz::runExports(data, size, "cheque");
}
