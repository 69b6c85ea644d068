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
#include <string>
#include <thread>

#include "fiscaldata/report_file.h"
#include "support/scratch.h"

namespace {

namespace fs = std::filesystem;
using ecf::fiscaldata::replaceFileWith;
using ecf::test::contentsOf;
using ecf::test::ScratchDir;
using ecf::test::writeFile;

TEST(ReportFile, LinksLongNamesAndLeftovers) {
    const std::string report = "# **RELATORIO DA LEITURA DA MEMORIA FISCAL**\r\n";
    ScratchDir s;
    const fs::path kept = s / "kept.txt";
    writeFile(kept, "an earlier report");

    // A link: the file it points to is replaced, the link stays.
    fs::create_symlink("kept.txt", s / "link.txt");
    ASSERT_TRUE(replaceFileWith((s / "link.txt").c_str(), report));
    EXPECT_TRUE(fs::is_symlink(s / "link.txt"));
    EXPECT_EQ(contentsOf(kept), report);
    // A link to nothing yet: its target is created.
    fs::create_symlink("new.txt", s / "dangling.txt");
    ASSERT_TRUE(replaceFileWith((s / "dangling.txt").c_str(), report));
    EXPECT_EQ(contentsOf(s / "new.txt"), report);
    EXPECT_TRUE(fs::is_symlink(s / "dangling.txt"));
    // A loop of links is no file.
    fs::create_symlink("loop.txt", s / "loop.txt");
    EXPECT_FALSE(replaceFileWith((s / "loop.txt").c_str(), report));

    // The longest name a file can have.
    const fs::path longest = s.path() / std::string(255, 'r');
    ASSERT_TRUE(replaceFileWith(longest.c_str(), report));
    EXPECT_EQ(contentsOf(longest), report);

    // What a crash left: a hundred files of the earlier naming and one of
    // today's, all old, are cleared away; one a writer may still be on stays.
    for (int n = 0; n < 100; ++n) writeFile(s / ("kept.txt.tmp" + std::to_string(n)), "cut");
    writeFile(s / ".ecf-report-oldone12", "cut");
    for (const auto& e : fs::directory_iterator(s.path()))
        if (!fs::is_symlink(e.path())) fs::last_write_time(e, fs::last_write_time(e) - std::chrono::minutes(2));
    writeFile(s / ".ecf-report-writing1", "being written");
    const std::size_t before = s.entries();
    ASSERT_TRUE(replaceFileWith(kept.c_str(), report + report));
    EXPECT_EQ(s.entries(), before - 101);
    EXPECT_TRUE(fs::exists(s / ".ecf-report-writing1"));
    EXPECT_EQ(contentsOf(kept), report + report);
}

// A file that may be written where no file may be added: written in place,
// as opening it allows; a new one there cannot be made.
TEST(ReportFile, AWritableFileInAClosedDirectoryIsRewritten) {
    ScratchDir s;
    const fs::path kept = s / "mf.txt";
    writeFile(kept, "an earlier report");
    const bool root = ::geteuid() == 0;  // root adds files anywhere but to an immutable directory
    const std::string closeIt = root ? "chattr +i " : "chmod 0555 ";
    const std::string openIt = root ? "chattr -i " : "chmod 0755 ";
    if (std::system((closeIt + s.path().string() + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "cannot close a directory here";
    const bool rewritten = replaceFileWith(kept.c_str(), "the new report");
    const bool created = replaceFileWith((s / "new.txt").c_str(), "a new report");
    (void)!std::system((openIt + s.path().string()).c_str());
    EXPECT_TRUE(rewritten);
    EXPECT_EQ(contentsOf(kept), "the new report");
    EXPECT_FALSE(created);
    EXPECT_EQ(s.entries(), 1u);
}

TEST(ReportFile, APipeWithASlowReaderGetsEverything) {
    ScratchDir s;
    const fs::path fifo = s / "fifo";
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

// An ext4 file system on a loop device, mounted so that replacing a file
// does not flush its data first (only the writer's own syncs count), stopped
// as by a power cut (its journal not flushed) and mounted again.
class CrashableDisk {
public:
    CrashableDisk() {
        fs::create_directory(mountPoint_);
        ready_ = ::geteuid() == 0 &&
                 run("truncate -s 32M " + image_ + " && mkfs.ext4 -q -F " + image_) && mount();
    }
    ~CrashableDisk() {
        if (ready_) run("umount " + mountPoint_);
    }
    CrashableDisk(const CrashableDisk&) = delete;
    CrashableDisk& operator=(const CrashableDisk&) = delete;

    bool ready() const { return ready_; }
    std::string file(const std::string& name) const { return mountPoint_ + "/" + name; }
    bool flushEverything() { return run("sync -f " + mountPoint_); }
    // What is on the disk now stays; what is only in memory is lost.
    bool crashAndMountAgain() {
        const int fd = ::open(mountPoint_.c_str(), O_RDONLY | O_DIRECTORY);
        constexpr unsigned long kShutdown = _IOR('X', 125, uint32_t);  // ext4's
        uint32_t noLogFlush = 2;
        const bool down = fd >= 0 && ::ioctl(fd, kShutdown, &noLogFlush) == 0;
        if (fd >= 0) ::close(fd);
        ready_ = run("umount " + mountPoint_) && mount();
        return down && ready_;
    }

private:
    static bool run(const std::string& command) {
        return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
    }
    bool mount() { return run("mount -o loop,noauto_da_alloc " + image_ + " " + mountPoint_); }

    ScratchDir scratch_;
    std::string image_ = scratch_ / "disk.img";
    std::string mountPoint_ = scratch_ / "mnt";
    bool ready_ = false;
};

TEST(ReportFile, SurvivesAPowerCutRightAfterTheCall) {
    CrashableDisk disk;
    if (!disk.ready()) GTEST_SKIP() << "no ext4 on a loop device to crash here (needs root)";
    std::string report;
    while (report.size() < 200000) report += "   0001     0000      01/02/98   23:59   00000000000001234,56  \r\n";
    writeFile(disk.file("earlier.txt"), "an earlier report");
    ASSERT_TRUE(disk.flushEverything());
    ASSERT_TRUE(replaceFileWith(disk.file("new.txt").c_str(), report));
    ASSERT_TRUE(replaceFileWith(disk.file("earlier.txt").c_str(), report));
    ASSERT_TRUE(disk.crashAndMountAgain());
    EXPECT_TRUE(contentsOf(disk.file("new.txt")) == report) << "a new report";
    EXPECT_TRUE(contentsOf(disk.file("earlier.txt")) == report) << "a report that replaced another";

    // One the disk cannot hold leaves the earlier report, and nothing beside it.
    EXPECT_FALSE(replaceFileWith(disk.file("earlier.txt").c_str(), std::string(40 << 20, 'x')));
    EXPECT_TRUE(contentsOf(disk.file("earlier.txt")) == report);
    for (const auto& e : fs::directory_iterator(disk.file("")))
        EXPECT_NE(e.path().filename().string().rfind(".ecf-report-", 0), 0u) << e.path();
}

}  // namespace
