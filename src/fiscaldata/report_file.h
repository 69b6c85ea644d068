// Writing the report file so that neither a failure half-way nor a crash of
// the machine right after a success leaves a cut or empty report: the bytes
// go to a new file beside the target, reach the disk, and then replace the
// target in one step, itself flushed to the disk before the call returns.
#pragma once

#include <string>

namespace ecf::fiscaldata {

// Replaces the file at `path` with exactly `content` (binary, no translation).
// A symbolic link is followed: the file it points to is replaced and the link
// stays. A pipe or device is written in place, all of it. False, with nothing
// left behind and an earlier file untouched, when the file cannot be created,
// written or flushed to the disk.
bool replaceFileWith(const char* path, const std::string& content);

}  // namespace ecf::fiscaldata
