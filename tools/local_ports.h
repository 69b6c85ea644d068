// Local serial devices as /dev, /sys and /proc show them, without opening
// any: which are present, and which processes have one open or locked.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace ecf::cli {

struct Holder {
    pid_t pid = 0;
    std::string name;     // the process's command name, or "" when hidden from us
    bool locks = false;   // holds the device locked (flock): the library then gets 1010
    bool opened = false;  // has it open (seen only for processes we may look into)
};

// The other processes that have the device at `path` open or locked.
std::vector<Holder> holdersOf(const std::string& path);

// "minicom (pid 4242)", or "pid 4242" for a process whose name is hidden.
std::string describe(const Holder& holder);

// The holders of a device as lists for a person: those that lock it, and
// those that only have it open ("ecf-sim (pid 12), cat (pid 40)").
struct HolderNames {
    std::string locking;
    std::string opening;
};
HolderNames holderNamesOf(const std::string& path);

struct SerialDevice {
    std::string path;    // /dev/ttyS0, /dev/ttyUSB0, /dev/serial/by-id/...
    std::string target;  // for a link under /dev/serial/by-id: the device it names
};

// The serial devices present: /dev/ttyS* with a UART behind them,
// /dev/ttyUSB*, /dev/ttyACM* and the links of /dev/serial/by-id, in
// natural order (ttyS2 before ttyS10).
std::vector<SerialDevice> serialDevices();

}  // namespace ecf::cli
