#include "report_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace ecf::fiscaldata {

namespace {

// ---- the few calls that differ between platforms ----

#ifdef _WIN32
int createNew(const char* path) {
    return ::_open(path, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
long writeSome(int fd, const char* data, std::size_t length) {
    const unsigned chunk = length > 0x40000000u ? 0x40000000u : static_cast<unsigned>(length);
    return ::_write(fd, data, chunk);
}
int closeFile(int fd) { return ::_close(fd); }
// rename() on Windows refuses to replace an existing file.
bool replaceFile(const char* from, const char* to) {
    return ::MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}
#else
int createNew(const char* path) {
    return ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
long writeSome(int fd, const char* data, std::size_t length) {
    return static_cast<long>(::write(fd, data, length));
}
int closeFile(int fd) { return ::close(fd); }
bool replaceFile(const char* from, const char* to) { return std::rename(from, to) == 0; }
#endif

// What stands at the target path now.
enum class Target { absent, regularFile, directory, other, unusable };

Target targetAt(const char* path, unsigned* mode) {
    struct stat st {};
    if (::stat(path, &st) != 0) return errno == ENOENT ? Target::absent : Target::unusable;
    *mode = static_cast<unsigned>(st.st_mode) & 07777u;
    if ((st.st_mode & S_IFMT) == S_IFDIR) return Target::directory;
    if ((st.st_mode & S_IFMT) == S_IFREG) return Target::regularFile;
    return Target::other;
}

// An existing file we may not write keeps us out, as opening it would.
bool mayWrite(const char* path) {
#ifdef _WIN32
    return ::_access(path, 2) == 0;
#else
    const int fd = ::open(path, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
#endif
}

bool writeAll(int fd, const std::string& content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const long n = writeSome(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A file that is removed again unless it is kept.
class NewFile {
public:
    NewFile() = default;
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    ~NewFile() {
        if (fd_ >= 0) closeFile(fd_);
        if (!path_.empty()) std::remove(path_.c_str());
    }

    // Creates a file that did not exist: the target's name plus ".tmpN".
    bool createBeside(const std::string& target) {
        for (int n = 0; n < 100; ++n) {
            std::string candidate = target + ".tmp" + std::to_string(n);
            fd_ = createNew(candidate.c_str());
            if (fd_ >= 0) {
                path_ = std::move(candidate);
                return true;
            }
            if (errno != EEXIST) return false;
        }
        return false;
    }

    bool write(const std::string& content) { return writeAll(fd_, content); }

    // The replaced file's permissions carry over, as when it is overwritten.
    void keepMode(unsigned mode) {
#ifdef _WIN32
        (void)mode;
#else
        (void)::fchmod(fd_, static_cast<mode_t>(mode));
#endif
    }

    // Closes the file and puts it in the target's place.
    bool replace(const char* target) {
        const int fd = fd_;
        fd_ = -1;
        if (closeFile(fd) != 0) return false;
        if (!replaceFile(path_.c_str(), target)) return false;
        path_.clear();
        return true;
    }

private:
    int fd_ = -1;
    std::string path_;
};

// A device or pipe (e.g. /dev/null) is written in place: it is no report
// that could be left cut, and it must not be replaced by a plain file.
bool writeInPlace(const char* path, const std::string& content) {
#ifdef _WIN32
    const int fd = ::_open(path, _O_WRONLY | _O_BINARY);
#else
    const int fd = ::open(path, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
#endif
    if (fd < 0) return false;
    const bool written = writeAll(fd, content);
    return closeFile(fd) == 0 && written;
}

}  // namespace

bool replaceFileWith(const char* path, const std::string& content) {
    if (path == nullptr || *path == '\0') return false;
    unsigned mode = 0;
    const Target target = targetAt(path, &mode);
    switch (target) {
        case Target::directory:
        case Target::unusable: return false;
        case Target::other: return writeInPlace(path, content);
        case Target::regularFile:
            if (!mayWrite(path)) return false;
            break;
        case Target::absent: break;
    }
    NewFile file;
    if (!file.createBeside(path)) return false;
    if (target == Target::regularFile) file.keepMode(mode);
    return file.write(content) && file.replace(path);
}

}  // namespace ecf::fiscaldata
