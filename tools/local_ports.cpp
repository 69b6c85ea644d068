#include "local_ports.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

namespace ecf::cli {

namespace {

std::vector<std::string> entriesOf(const std::string& folder) {
    std::vector<std::string> names;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir) return names;
    while (const dirent* e = ::readdir(dir.get())) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    return names;
}

bool isNumber(const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

std::string firstLineOf(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// The processes holding a flock on the file (device and inode), from
// /proc/locks: "1: FLOCK  ADVISORY  WRITE 4242 00:1a:3 0 EOF", the device's
// major and minor in hex.
std::vector<pid_t> flockHolders(dev_t device, ino_t inode) {
    std::vector<pid_t> pids;
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string id, kind, advisory, mode, file;
        long pid = 0;
        if (!(fields >> id >> kind >> advisory >> mode >> pid >> file) || kind != "FLOCK") continue;
        unsigned major = 0, minor = 0;
        unsigned long long number = 0;
        if (std::sscanf(file.c_str(), "%x:%x:%llu", &major, &minor, &number) != 3) continue;
        if (makedev(major, minor) == device && number == inode && pid > 0)
            pids.push_back(static_cast<pid_t>(pid));
    }
    return pids;
}

// Natural order: runs of digits compare as numbers.
bool naturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::isdigit(static_cast<unsigned char>(a[i])) && std::isdigit(static_cast<unsigned char>(b[j]))) {
            const std::size_t i0 = i, j0 = j;
            while (i < a.size() && std::isdigit(static_cast<unsigned char>(a[i]))) ++i;
            while (j < b.size() && std::isdigit(static_cast<unsigned char>(b[j]))) ++j;
            const unsigned long x = std::strtoul(a.substr(i0, i - i0).c_str(), nullptr, 10);
            const unsigned long y = std::strtoul(b.substr(j0, j - j0).c_str(), nullptr, 10);
            if (x != y) return x < y;
            continue;
        }
        if (a[i] != b[j]) return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

bool hasPrefix(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// A ttyS device is only a name until a UART answers behind it: the kernel
// gives the port's type 0 (unknown) otherwise.
bool hasUart(const std::string& name) {
    const std::string type = firstLineOf("/sys/class/tty/" + name + "/type");
    return !type.empty() && type != "0";
}

}  // namespace

std::vector<Holder> holdersOf(const std::string& path) {
    struct stat device {};
    if (::stat(path.c_str(), &device) != 0) return {};
    std::map<pid_t, Holder> found;
    for (const pid_t pid : flockHolders(device.st_dev, device.st_ino)) {
        found[pid].pid = pid;
        found[pid].locks = true;
    }
    for (const std::string& entry : entriesOf("/proc")) {
        if (!isNumber(entry)) continue;
        const auto pid = static_cast<pid_t>(std::strtol(entry.c_str(), nullptr, 10));
        const std::string fds = "/proc/" + entry + "/fd";
        for (const std::string& fd : entriesOf(fds)) {
            struct stat st {};
            if (::stat((fds + "/" + fd).c_str(), &st) == 0 && st.st_dev == device.st_dev &&
                st.st_ino == device.st_ino) {
                found[pid].pid = pid;
                found[pid].opened = true;
                break;
            }
        }
    }
    std::vector<Holder> holders;
    for (auto& [pid, holder] : found) {
        if (pid == ::getpid()) continue;
        holder.name = firstLineOf("/proc/" + std::to_string(pid) + "/comm");
        holders.push_back(holder);
    }
    return holders;
}

std::string describe(const Holder& holder) {
    const std::string pid = "pid " + std::to_string(holder.pid);
    return holder.name.empty() ? pid : holder.name + " (" + pid + ")";
}

HolderNames holderNamesOf(const std::string& path) {
    HolderNames names;
    for (const Holder& h : holdersOf(path)) {
        std::string& list = h.locks ? names.locking : names.opening;
        list += (list.empty() ? "" : ", ") + describe(h);
    }
    return names;
}

std::vector<SerialDevice> serialDevices() {
    std::vector<SerialDevice> devices;
    std::vector<std::string> names;
    for (const std::string& name : entriesOf("/dev")) {
        if ((hasPrefix(name, "ttyS") && hasUart(name)) || hasPrefix(name, "ttyUSB") ||
            hasPrefix(name, "ttyACM"))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end(), naturalLess);
    for (const std::string& name : names) devices.push_back({"/dev/" + name, ""});

    std::vector<std::string> links = entriesOf("/dev/serial/by-id");
    std::sort(links.begin(), links.end(), naturalLess);
    for (const std::string& link : links) {
        const std::string path = "/dev/serial/by-id/" + link;
        char* resolved = ::realpath(path.c_str(), nullptr);
        devices.push_back({path, resolved != nullptr ? resolved : ""});
        std::free(resolved);
    }
    return devices;
}

}  // namespace ecf::cli
