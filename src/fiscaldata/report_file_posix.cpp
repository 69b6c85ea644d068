#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

#include "report_file_system.h"

namespace ecf::fiscaldata::files {

namespace {

constexpr int kMaxLinks = 40;  // as the kernel follows them

Kind kindOf(mode_t mode) {
    if (S_ISREG(mode)) return Kind::regularFile;
    if (S_ISDIR(mode)) return Kind::directory;
    return Kind::other;
}

std::string linkTarget(const std::string& link) {
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t n = ::readlink(link.c_str(), buffer.data(), buffer.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < buffer.size()) return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

// A pipe whose reader went away answers EPIPE and raises SIGPIPE, which would
// end the caller's program: the signal is held back on this thread while the
// pipe is written, and one it raised is taken back.
class SigpipeHeld {
public:
    SigpipeHeld() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        wasPending_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
    }
    ~SigpipeHeld() {
        if (raised_ && !wasPending_) {
            const timespec none{0, 0};
            while (sigtimedwait(&pipe_, nullptr, &none) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    SigpipeHeld(const SigpipeHeld&) = delete;
    SigpipeHeld& operator=(const SigpipeHeld&) = delete;
    void noteBrokenPipe() { raised_ = true; }

private:
    sigset_t pipe_{};
    sigset_t old_{};
    bool wasPending_ = false;
    bool raised_ = false;
};

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};


}  // namespace

Target resolveTarget(const std::string& name) {
    Target t;
    t.path = name;
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat st {};
        if (::lstat(t.path.c_str(), &st) != 0) {
            t.kind = errno == ENOENT ? Kind::absent : Kind::unusable;
            return t;
        }
        if (!S_ISLNK(st.st_mode)) {
            t.kind = kindOf(st.st_mode);
            t.mode = static_cast<unsigned>(st.st_mode) & 07777u;
            t.owner = st.st_uid;
            t.group = st.st_gid;
            return t;
        }
        const std::string next = linkTarget(t.path);
        if (next.empty()) break;
        t.path = next[0] == '/' ? next : directoryOf(t.path) + "/" + next;
    }
    t.kind = Kind::unusable;  // a loop of links
    return t;
}

bool mayWrite(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool writeInPlace(const std::string& path, const std::string& content) {
    // Not waiting for a reader: a pipe nobody reads fails at once.
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    const int flags = ::fcntl(fd, F_GETFL);
    bool written = flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
    if (written) {
        SigpipeHeld held;
        written = writeAll(fd, content);
        if (!written && errno == EPIPE) held.noteBrokenPipe();
    }
    return closeFile(fd) && written;
}

bool rewriteInPlace(const std::string& path, const std::string& content) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    const bool written = writeAll(fd, content) && syncFile(fd);
    return closeFile(fd) && written;
}

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int createExclusive(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

void holdWhileWriting(int fd) { (void)::flock(fd, LOCK_EX | LOCK_NB); }

void keepAttributes(int fd, const Target& replaced) {
    // Only the owner or root may do either; a file we could write but not
    // change keeps the defaults of a new one.
    (void)!::fchown(fd, replaced.owner, replaced.group);
    (void)::fchmod(fd, static_cast<mode_t>(replaced.mode));
}

bool writeAll(int fd, const std::string& content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool syncFile(int fd) {
    while (::fsync(fd) != 0) {
        if (errno == EINVAL) return true;  // a file system with nothing to flush
        if (errno != EINTR) return false;
    }
    return true;
}

bool closeFile(int fd) { return ::close(fd) == 0; }

void removeFile(const std::string& path) { ::unlink(path.c_str()); }

bool moveOver(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool syncDirectory(const std::string& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = syncFile(fd);
    ::close(fd);
    return synced;
}

void removeLeftovers(const std::string& directory, int minimumAgeSeconds,
                     const std::function<bool(const std::string& name)>& isLeftover) {
    std::unique_ptr<DIR, DirCloser> dir(::opendir(directory.c_str()));
    if (!dir) return;
    const int dirFd = ::dirfd(dir.get());
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (!isLeftover(name)) continue;
        const int fd =
            ::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        // A writer holds its file locked; one that cannot be locked is in use.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
            now - st.st_mtime >= minimumAgeSeconds && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(dirFd, name.c_str(), 0);
        ::close(fd);
    }
}

}  // namespace ecf::fiscaldata::files
