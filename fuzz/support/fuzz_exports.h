// The shared body of the fuzz targets that call exports: the input chooses an
// export, its arguments and the printer's answer to each of its exchanges;
// the call must then keep the rules of call_checks.h, or the target stops
// with a finding. Every target links LLVMFuzzerInitialize from here: it moves
// into a fresh directory holding a currency file, where reports go too.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ecf::fuzz {

// Runs one input against the exports of `families`, a comma-separated list of
// the export list's family names. Returns 0, as libFuzzer wants.
int runExports(const uint8_t* data, std::size_t size, const char* families);

// Stops the target with a message: a finding.
[[noreturn]] void finding(const char* what);

}  // namespace ecf::fuzz
