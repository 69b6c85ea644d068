// The report file where the file system is not a plain directory: links,
// long names, a crash's leftovers, pipes, and a machine that stops right
// after the call returned.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "fiscaldata/fiscal_memory.h"
#include "fiscaldata/report_file.h"
#include "printer_script.h"

namespace {

namespace fs = std::filesystem;
using ecf::fiscaldata::replaceFileWith;
using namespace ecf::test;

std::string contentsOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A scratch directory removed with everything in it.
struct Scratch {
    fs::path dir;
    Scratch() {
        char pattern[] = "/tmp/ecf-report-XXXXXX";
        dir = ::mkdtemp(pattern);
    }
    ~Scratch() { fs::remove_all(dir); }
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
    }
};

void age(const fs::path& path, std::chrono::seconds by) {
    fs::last_write_time(path, fs::last_write_time(path) - by);
}

TEST(ReportFile, LinksLongNamesAndLeftovers) {
    const std::string report = "# **RELATORIO DA LEITURA DA MEMORIA FISCAL**\r\n";
    Scratch s;
    const fs::path kept = s.dir / "kept.txt";
    write(kept, "an earlier report");

    // A link: the file it points to is replaced, the link stays.
    fs::create_symlink("kept.txt", s.dir / "link.txt");
    ASSERT_TRUE(replaceFileWith((s.dir / "link.txt").c_str(), report));
    EXPECT_TRUE(fs::is_symlink(s.dir / "link.txt"));
    EXPECT_EQ(contentsOf(kept), report);
    // A link to nothing yet: its target is created.
    fs::create_symlink("new.txt", s.dir / "dangling.txt");
    ASSERT_TRUE(replaceFileWith((s.dir / "dangling.txt").c_str(), report));
    EXPECT_EQ(contentsOf(s.dir / "new.txt"), report);
    EXPECT_TRUE(fs::is_symlink(s.dir / "dangling.txt"));
    // A loop of links is no file.
    fs::create_symlink("loop.txt", s.dir / "loop.txt");
    EXPECT_FALSE(replaceFileWith((s.dir / "loop.txt").c_str(), report));

    // The longest name a file can have.
    const fs::path longest = s.dir / std::string(255, 'r');
    ASSERT_TRUE(replaceFileWith(longest.c_str(), report));
    EXPECT_EQ(contentsOf(longest), report);

    // What a crash left: a hundred files of the earlier naming and one of
    // today's, all old, are cleared away; one a writer may still be on stays.
    for (int n = 0; n < 100; ++n) write(s.dir / ("kept.txt.tmp" + std::to_string(n)), "cut");
    write(s.dir / ".ecf-report-oldone12", "cut");
    for (const auto& e : fs::directory_iterator(s.dir))
        if (!fs::is_symlink(e.path())) age(e.path(), std::chrono::minutes(2));
    write(s.dir / ".ecf-report-writing", "being written");
    const std::size_t before = s.entries();
    ASSERT_TRUE(replaceFileWith(kept.c_str(), report + report));
    EXPECT_EQ(s.entries(), before - 101);
    EXPECT_TRUE(fs::exists(s.dir / ".ecf-report-writing"));
    EXPECT_EQ(contentsOf(kept), report + report);
}

// A file that may be written where no file may be added: written in place,
// as opening it allows; a new one there cannot be made.
TEST(ReportFile, AWritableFileInAClosedDirectoryIsRewritten) {
    Scratch s;
    const fs::path kept = s.dir / "mf.txt";
    write(kept, "an earlier report");
    const bool root = ::geteuid() == 0;  // root adds files anywhere but to an immutable directory
    const std::string closeIt = root ? "chattr +i " : "chmod 0555 ";
    const std::string openIt = root ? "chattr -i " : "chmod 0755 ";
    if (std::system((closeIt + s.dir.string() + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "cannot close a directory here";
    const bool rewritten = replaceFileWith(kept.c_str(), "the new report");
    const bool created = replaceFileWith((s.dir / "new.txt").c_str(), "a new report");
    (void)!std::system((openIt + s.dir.string()).c_str());
    EXPECT_TRUE(rewritten);
    EXPECT_EQ(contentsOf(kept), "the new report");
    EXPECT_FALSE(created);
    EXPECT_EQ(s.entries(), 1u);
}

TEST(ReportFile, APipeWithASlowReaderGetsEverything) {
    Scratch s;
    const fs::path fifo = s.dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(replaceFileWith(fifo.c_str(), "no reader")) << "nobody reads: no wait";

    std::string big;
    for (int i = 0; big.size() < 640000; ++i) big += std::to_string(i) + "\r\n";
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    std::string received;
    std::atomic<bool> closed{false};
    std::thread slow([&] {  // 16 KiB a millisecond, until the writer is gone
        char chunk[16384];
        for (;;) {
            const ssize_t n = ::read(reader, chunk, sizeof chunk);
            if (n > 0) received.append(chunk, static_cast<std::size_t>(n));
            if (n == 0 && closed) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    EXPECT_TRUE(replaceFileWith(fifo.c_str(), big));
    closed = true;
    slow.join();
    ::close(reader);
    EXPECT_EQ(received.size(), big.size());
    EXPECT_TRUE(received == big);
}

// An ext4 file system on a loop device, stopped as by a power cut (its
// journal not flushed) and mounted again.
class CrashableDisk {
public:
    CrashableDisk() {
        if (::geteuid() != 0) {
            reason_ = "not root";
            return;
        }
        image_ = s_.dir / "disk.img";
        mountPoint_ = s_.dir / "mnt";
        fs::create_directory(mountPoint_);
        if (!run("truncate -s 32M " + image_.string() + " && mkfs.ext4 -q -F " + image_.string()) ||
            !mount()) {
            reason_ = "no loop device or ext4 here";
            return;
        }
        mounted_ = true;
    }
    ~CrashableDisk() {
        if (mounted_) run("umount " + mountPoint_.string());
    }
    CrashableDisk(const CrashableDisk&) = delete;
    CrashableDisk& operator=(const CrashableDisk&) = delete;

    const std::string& unavailable() const { return reason_; }
    fs::path file(const std::string& name) const { return mountPoint_ / name; }
    bool flushEverything() { return run("sync -f " + mountPoint_.string()); }

    // What is on the disk now stays; what is only in memory is lost.
    bool crashAndMountAgain() {
        const int fd = ::open(mountPoint_.c_str(), O_RDONLY | O_DIRECTORY);
        constexpr unsigned long kShutdown = _IOR('X', 125, uint32_t);  // ext4's, no log flush
        uint32_t noLogFlush = 2;
        const bool down = fd >= 0 && ::ioctl(fd, kShutdown, &noLogFlush) == 0;
        if (fd >= 0) ::close(fd);
        mounted_ = !run("umount " + mountPoint_.string());
        return down && !mounted_ && (mounted_ = mount());
    }

private:
    static bool run(const std::string& command) {
        return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
    }
    // Replacing a file does not flush its data first (as some file systems
    // do on their own): only the writer's own syncs count.
    bool mount() {
        return run("mount -o loop,noauto_da_alloc " + image_.string() + " " + mountPoint_.string());
    }

    Scratch s_;
    fs::path image_, mountPoint_;
    std::string reason_;
    bool mounted_ = false;
};

TEST(ReportFile, SurvivesAPowerCutRightAfterTheCall) {
    CrashableDisk disk;
    if (!disk.unavailable().empty()) GTEST_SKIP() << "no disk to crash: " << disk.unavailable();
    const std::string owner = ownerRecord("12.345.678/0001-90", "123.456.789.012", "01/02/98",
                                          "08:30", "31/12/99", "18:00");
    auto readOut = [&](const fs::path& path) {
        ScriptedPrinter printer({countReply("01", "0000"), readOutReply({owner}, {})});
        return ecf::fiscaldata::readOutToFile(printer, {4, nullptr, nullptr, 1, 9999},
                                              path.c_str());
    };
    Scratch reference;
    ASSERT_EQ(readOut(reference.dir / "mf.txt"), 0);
    const std::string expected = contentsOf(reference.dir / "mf.txt");

    write(disk.file("earlier.txt"), "an earlier report");
    ASSERT_TRUE(disk.flushEverything());
    ASSERT_EQ(readOut(disk.file("new.txt")), 0);
    ASSERT_EQ(readOut(disk.file("earlier.txt")), 0);
    ASSERT_TRUE(disk.crashAndMountAgain());
    EXPECT_EQ(contentsOf(disk.file("new.txt")), expected) << "a new report";
    EXPECT_EQ(contentsOf(disk.file("earlier.txt")), expected) << "a report that replaced another";
}

}  // namespace
