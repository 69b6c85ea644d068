// What replacing the report file asks of the operating system, one small
// call each; report_file_posix.cpp and report_file_win32.cpp answer it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace ecf::fiscaldata::files {

enum class Kind { absent, regularFile, directory, other, unusable };

// What the caller's name leads to, symbolic links followed.
struct Target {
    Kind kind = Kind::unusable;
    std::string path;  // the file itself: the last link's target
    // What a regular file there carries over to the file replacing it.
    unsigned mode = 0;
    uint32_t owner = 0;
    uint32_t group = 0;
};

Target resolveTarget(const std::string& name);
// Whether an existing file may be written by us, as opening it would tell.
bool mayWrite(const std::string& path);
// A pipe or device: opened without waiting for a reader, then written with
// blocking writes until all of it is taken.
bool writeInPlace(const std::string& path, const std::string& content);

// A regular file truncated and written where it is, then flushed to disk:
// for a directory that may not be written (no file can be created beside).
bool rewriteInPlace(const std::string& path, const std::string& content);

std::string directoryOf(const std::string& path);
std::string fileNameOf(const std::string& path);

// A descriptor of a file created here and nowhere else (-1, errno set).
int createExclusive(const std::string& path);
// Marks the file as being written, so that no cleaner takes it for a leftover.
void holdWhileWriting(int fd);
void keepAttributes(int fd, const Target& replaced);
bool writeAll(int fd, const std::string& content);
// The file's bytes are on the disk.
bool syncFile(int fd);
bool closeFile(int fd);
void removeFile(const std::string& path);
// Puts `from` in the place of `to` in one step.
bool moveOver(const std::string& from, const std::string& to);
// The directory's entries (the rename) are on the disk.
bool syncDirectory(const std::string& directory);

// Removes the files of `directory` whose names `isLeftover` accepts, once
// they are untouched for `minimumAgeSeconds` and held by no writer.
void removeLeftovers(const std::string& directory, int minimumAgeSeconds,
                     const std::function<bool(const std::string& name)>& isLeftover);

}  // namespace ecf::fiscaldata::files
