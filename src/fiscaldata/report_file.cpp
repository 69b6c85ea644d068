#include "report_file.h"

#include <cerrno>
#include <chrono>
#include <random>

#include "report_file_system.h"

namespace ecf::fiscaldata {

namespace {

using files::Kind;

// Temporary files are named by this prefix and a few random characters, so
// that any name the target can have leaves room for them.
constexpr const char* kTemporaryPrefix = ".ecf-report-";
constexpr int kRandomCharacters = 8;
// A temporary file untouched this long belongs to a writer that is gone.
constexpr int kLeftoverAgeSeconds = 60;

constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";

std::string randomCharacters() {
    std::random_device device;
    std::mt19937_64 mix(
        (uint64_t{device()} << 32) ^ device() ^
        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::string s;
    for (int i = 0; i < kRandomCharacters; ++i) s += kAlphabet[mix() % (sizeof kAlphabet - 1)];
    return s;
}

// Ours: a temporary file by today's naming, or by the earlier one (the
// target's name, ".tmp" and a number).
bool isLeftoverName(const std::string& name, const std::string& targetName) {
    const std::string prefix = kTemporaryPrefix;
    if (name.compare(0, prefix.size(), prefix) == 0)
        return name.size() == prefix.size() + kRandomCharacters &&
               name.find_first_not_of(kAlphabet, prefix.size()) == std::string::npos;
    const std::string earlier = targetName + ".tmp";
    return name.size() > earlier.size() && name.compare(0, earlier.size(), earlier) == 0 &&
           name.find_first_not_of("0123456789", earlier.size()) == std::string::npos;
}

// A new file beside the target, removed again unless it takes the target's place.
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (fd_ >= 0) files::closeFile(fd_);
        if (!path_.empty()) files::removeFile(path_);
    }

    bool createIn(const std::string& directory) {
        for (int attempt = 0; attempt < 16; ++attempt) {
            std::string candidate = directory + "/" + kTemporaryPrefix + randomCharacters();
            fd_ = files::createExclusive(candidate);
            if (fd_ >= 0) {
                path_ = std::move(candidate);
                files::holdWhileWriting(fd_);
                return true;
            }
            if (errno != EEXIST) return false;
        }
        return false;
    }

    void keepAttributesOf(const files::Target& replaced) { files::keepAttributes(fd_, replaced); }
    bool write(const std::string& content) { return files::writeAll(fd_, content); }

    // On the disk, closed, and in the target's place.
    bool install(const std::string& target) {
        if (!files::syncFile(fd_)) return false;
        const int fd = fd_;
        fd_ = -1;
        if (!files::closeFile(fd) || !files::moveOver(path_, target)) return false;
        path_.clear();
        return true;
    }

private:
    int fd_ = -1;
    std::string path_;
};

}  // namespace

bool replaceFileWith(const char* path, const std::string& content) {
    if (path == nullptr || *path == '\0') return false;
    const files::Target target = files::resolveTarget(path);
    switch (target.kind) {
        case Kind::directory:
        case Kind::unusable: return false;
        case Kind::other: return files::writeInPlace(target.path, content);
        case Kind::regularFile:
            if (!files::mayWrite(target.path)) return false;
            break;
        case Kind::absent: break;
    }
    const std::string directory = files::directoryOf(target.path);
    const std::string targetName = files::fileNameOf(target.path);
    files::removeLeftovers(directory, kLeftoverAgeSeconds, [&](const std::string& name) {
        return isLeftoverName(name, targetName);
    });
    TemporaryFile file;
    if (!file.createIn(directory)) {
        // A file that may be written in a directory that may not: what
        // opening the file itself allows, without the new file beside it.
        const bool refused = errno == EACCES || errno == EPERM;
        return refused && target.kind == Kind::regularFile &&
               files::rewriteInPlace(target.path, content);
    }
    if (target.kind == Kind::regularFile) file.keepAttributesOf(target);
    return file.write(content) && file.install(target.path) && files::syncDirectory(directory);
}

}  // namespace ecf::fiscaldata
