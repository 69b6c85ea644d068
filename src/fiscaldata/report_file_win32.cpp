#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstdint>

#include "report_file_system.h"

namespace ecf::fiscaldata::files {

namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

std::size_t lastSeparator(const std::string& path) { return path.find_last_of("/\\"); }

uint64_t ticksOf(const FILETIME& t) {
    return (uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime;
}


}  // namespace

Target resolveTarget(const std::string& name) {
    Target t;
    t.path = name;
    struct _stat64 st {};
    if (::_stat64(name.c_str(), &st) != 0) {
        t.kind = errno == ENOENT ? Kind::absent : Kind::unusable;
        return t;
    }
    if ((st.st_mode & _S_IFMT) == _S_IFDIR)
        t.kind = Kind::directory;
    else if ((st.st_mode & _S_IFMT) == _S_IFREG)
        t.kind = Kind::regularFile;
    else
        t.kind = Kind::other;
    return t;
}

bool mayWrite(const std::string& path) { return ::_access(path.c_str(), 2) == 0; }

bool writeInPlace(const std::string& path, const std::string& content) {
    const int fd = ::_open(path.c_str(), _O_WRONLY | _O_BINARY);
    if (fd < 0) return false;
    const bool written = writeAll(fd, content);
    return closeFile(fd) && written;
}

bool rewriteInPlace(const std::string& path, const std::string& content) {
    const int fd = ::_open(path.c_str(), _O_WRONLY | _O_TRUNC | _O_BINARY);
    if (fd < 0) return false;
    const bool written = writeAll(fd, content) && syncFile(fd);
    return closeFile(fd) && written;
}

std::string directoryOf(const std::string& path) {
    const std::size_t at = lastSeparator(path);
    if (at == std::string::npos) return ".";
    return at == 0 ? path.substr(0, 1) : path.substr(0, at);
}

std::string fileNameOf(const std::string& path) {
    const std::size_t at = lastSeparator(path);
    return at == std::string::npos ? path : path.substr(at + 1);
}

int createExclusive(const std::string& path) {
    return ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                   _S_IREAD | _S_IWRITE);
}

// An open file cannot be deleted here: the writer's own handle holds it.
void holdWhileWriting(int) {}

void keepAttributes(int, const Target&) {}

bool writeAll(int fd, const std::string& content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const std::size_t left = content.size() - done;
        const unsigned chunk = left > 0x40000000u ? 0x40000000u : static_cast<unsigned>(left);
        const int n = ::_write(fd, content.data() + done, chunk);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// FlushFileBuffers underneath.
bool syncFile(int fd) { return ::_commit(fd) == 0; }

bool closeFile(int fd) { return ::_close(fd) == 0; }

void removeFile(const std::string& path) { ::DeleteFileA(path.c_str()); }

// Write-through: the move is on the disk when it returns.
bool moveOver(const std::string& from, const std::string& to) {
    return ::MoveFileExA(from.c_str(), to.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool syncDirectory(const std::string&) { return true; }

void removeLeftovers(const std::string& directory, int minimumAgeSeconds,
                     const std::function<bool(const std::string& name)>& isLeftover) {
    WIN32_FIND_DATAA found;
    const std::string base =
        directory + (directory.empty() || isSeparator(directory.back()) ? "" : "\\");
    const HANDLE search = ::FindFirstFileA((base + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const uint64_t minimumAge = uint64_t(minimumAgeSeconds) * 10000000u;  // 100 ns units
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        if (!isLeftover(found.cFileName)) continue;
        if (ticksOf(now) - ticksOf(found.ftLastWriteTime) < minimumAge) continue;
        ::DeleteFileA((base + found.cFileName).c_str());  // fails while a writer has it open
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
}

}  // namespace ecf::fiscaldata::files
