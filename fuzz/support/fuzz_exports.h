// The shared body of the fuzz targets that call exports: the input chooses an
// export of a family, its arguments and the printer's answer to each of its
// exchanges; the call must then keep the rules of the line and of its
// buffers, or the target stops with a finding.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ecf::fuzz {

// Moves into a fresh directory holding a currency file, where reports are
// written too. Called once, from LLVMFuzzerInitialize.
void enterWorkingDirectory();

// The path every report file of a target is written to.
const char* reportPath();

// Runs one input against the exports of `family` (as the export list names
// it). Returns 0, as libFuzzer wants; a broken rule aborts.
int runExports(const uint8_t* data, std::size_t size, const char* family);

// Stops the target with a message: a finding.
[[noreturn]] void finding(const char* what);

}  // namespace ecf::fuzz
