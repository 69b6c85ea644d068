// Writing the report file so that a failure half-way never leaves a cut
// report in place of an earlier one: the bytes go to a new file beside the
// target, which then replaces the target in one step.
#pragma once

#include <string>

namespace ecf::fiscaldata {

// Replaces the file at `path` with exactly `content` (binary, no translation).
// False, with nothing left behind and an earlier file untouched, when the
// file cannot be created or written.
bool replaceFileWith(const char* path, const std::string& content);

}  // namespace ecf::fiscaldata
