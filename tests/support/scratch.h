// A directory of its own for a test, removed with everything in it; the same
// as the current directory for a while; and the two file helpers tests keep
// needing beside it.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace ecf::test {

class ScratchDir {
public:
    explicit ScratchDir(const std::filesystem::path& under = std::filesystem::temp_directory_path())
        : path_(under / ("ecf-test-" + std::to_string(std::random_device{}()))) {
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(path_), {}));
    }

private:
    std::filesystem::path path_;
};

// The current directory moved into a scratch directory for the object's life
// (for what the library reads from or writes to the current directory).
class InScratchDir {
public:
    InScratchDir() { std::filesystem::current_path(dir_.path()); }
    ~InScratchDir() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
    }
    InScratchDir(const InScratchDir&) = delete;
    InScratchDir& operator=(const InScratchDir&) = delete;

private:
    std::filesystem::path previous_ = std::filesystem::current_path();
    ScratchDir dir_;
};

inline std::string contentsOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace ecf::test
