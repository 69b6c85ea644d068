// ecf doctor: checks a port step by step, in the order an exchange meets
// them, and says in plain words what is wrong and what to do; then asks the
// printer for its status through the library, as any export would.
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <vector>

#include "ecf.h"
#include "link/line_check.h"
#include "local_ports.h"
#include "link/net_check.h"
#include "link/port_url.h"
#include "support_commands.h"

namespace ecf::cli {

namespace {

enum class Mark { ok, note, fail };

struct Check {
    std::string name;
    Mark mark;
    std::string finding;
    std::string advice;  // what to do, for a note or a failure
};

class Findings {
public:
    // Records a check; returns whether later checks still make sense.
    bool add(const std::string& name, Mark mark, const std::string& finding, const std::string& advice = "") {
        checks_.push_back({name, mark, finding, advice});
        return mark != Mark::fail;
    }
    const std::vector<Check>& checks() const { return checks_; }

private:
    std::vector<Check> checks_;
};

const char* markText(Mark mark) {
    switch (mark) {
        case Mark::ok: return "ok";
        case Mark::note: return "note";
        default: return "FAIL";
    }
}

std::string errorText(uint32_t error) { return std::strerror(static_cast<int>(error)); }

std::string resolved(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    const std::string out = real != nullptr ? real : path;
    std::free(real);
    return out;
}

// Pseudo-terminal slaves have the majors 136 to 143 on Linux.
bool isPseudoTerminal(const struct stat& st) {
    return major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
}

std::string kindOf(const std::string& real, const struct stat& st) {
    if (isPseudoTerminal(st)) return "a pseudo-terminal: a simulator or another program stands behind it";
    if (real.find("ttyUSB") != std::string::npos) return "a USB serial adapter";
    if (real.find("ttyACM") != std::string::npos) return "a USB modem-class serial device";
    return "a serial port";
}

std::string groupName(gid_t gid) {
    const group* g = ::getgrgid(gid);
    return g != nullptr ? g->gr_name : std::to_string(gid);
}

// Whether this user is listed in the group (by the group database), though
// this process may not carry it yet.
bool userListedIn(gid_t gid) {
    const passwd* pw = ::getpwuid(::getuid());
    if (pw == nullptr) return false;
    int count = 64;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    if (::getgrouplist(pw->pw_name, pw->pw_gid, groups.data(), &count) < 0) {
        groups.resize(static_cast<std::size_t>(count));
        if (::getgrouplist(pw->pw_name, pw->pw_gid, groups.data(), &count) < 0) return false;
    }
    for (int i = 0; i < count; ++i)
        if (groups[static_cast<std::size_t>(i)] == gid) return true;
    return false;
}

bool checkPermissions(Findings& f, const std::string& device, const struct stat& st) {
    if (::access(device.c_str(), R_OK | W_OK) == 0)
        return f.add("permissions", Mark::ok, "this user may read and write it");
    const std::string group = groupName(st.st_gid);
    const passwd* owner = ::getpwuid(st.st_uid);
    const std::string finding = "this user may not read and write " + device + " (owner " +
                                (owner != nullptr ? owner->pw_name : std::to_string(st.st_uid)) +
                                ", group " + group + ")";
    if ((st.st_mode & S_IRGRP) == 0 || (st.st_mode & S_IWGRP) == 0)
        return f.add("permissions", Mark::fail, finding,
                     "Ask the administrator to give this user read and write access to it.");
    if (userListedIn(st.st_gid))
        return f.add("permissions", Mark::fail, finding,
                     "This user is in the group " + group +
                         ", but this session started before: log out and in again (or run newgrp " + group + ").");
    return f.add("permissions", Mark::fail, finding,
                 "Join the group " + group + ": sudo usermod -aG " + group +
                     " $USER, then log out and in again.");
}

bool checkHolders(Findings& f, const std::string& device) {
    const HolderNames holders = holderNamesOf(device);
    if (!holders.locking.empty())
        return f.add("other processes", Mark::fail,
                     "locked by " + holders.locking + ": the library would get 1010 (the port is in use)",
                     "Close that program, or stop its service, and try again.");
    if (!holders.opening.empty())
        return f.add("other processes", Mark::note, "none holds it locked, but it is open in " + holders.opening,
                     "Fine for the printer's simulator or a passive logger; a terminal program "
                     "there would take the printer's answers.");
    return f.add("other processes", Mark::ok, "none has it open");
}

bool checkLine(Findings& f, const std::string& device, const ecf::link::LineCheck& line, bool pseudoTerminal) {
    if (line.opened != ecf::link::OpenError::none) {
        if (line.lockFailed)
            return f.add("line", Mark::fail, "another process took the lock meanwhile",
                         "Close the program that uses the port and try again.");
        return f.add("line", Mark::fail, "cannot open " + device + ": " + errorText(line.openError),
                     "The library would get " +
                         std::string(line.opened == ecf::link::OpenError::accessDenied ? "1010" : "1030") + ".");
    }
    if (line.settingsError != 0)
        return f.add("line", Mark::fail,
                     device + " refuses 9600 baud 8E1 RTS/CTS: " + errorText(line.settingsError),
                     "The library would get " + std::to_string(2000 + line.settingsError) +
                         "; the device or its driver cannot take these settings.");
    const ecf::link::HeldLine& held = line.held;
    if (!held.baud9600 || !held.eightBits || !held.oneStopBit || !held.rtsCts)
        return f.add("line", Mark::fail, device + " did not keep 9600 baud, 8 bits, one stop bit and RTS/CTS",
                     "Its driver ignores some of the settings: try another adapter or driver.");
    if (!held.evenParity && pseudoTerminal)
        return f.add("line", Mark::note, "takes 9600 baud, 8 bits, one stop bit and RTS/CTS; no parity",
                     "A pseudo-terminal cannot carry parity: fine for a simulator.");
    if (!held.evenParity)
        return f.add("line", Mark::note, "takes 9600 baud, 8 bits, one stop bit and RTS/CTS, but not even parity",
                     "The printer sends even parity: expect garbled answers from this adapter.");
    return f.add("line", Mark::ok, "takes 9600 baud, 8 data bits, even parity, one stop bit, RTS/CTS");
}

bool checkCts(Findings& f, const ecf::link::LineCheck& line) {
    if (line.modemError != 0)
        return f.add("CTS", Mark::note, "the device reports no modem lines: the library counts CTS as on");
    if (line.cts) return f.add("CTS", Mark::ok, "on: the printer is ready to take a command");
    return f.add("CTS", Mark::fail, "off: the library sends nothing and returns 4",
                 "Switch the printer on and check that its cable carries RTS/CTS (a three-wire "
                 "cable leaves CTS off).");
}

bool checkLocal(Findings& f, const std::string& device) {
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return f.add("device", Mark::fail, device + " does not exist",
                         "Plug the printer's adapter in, or check the name: ecf ports lists the serial "
                         "devices present; --device PATH or ECF_COMn=PATH points the port elsewhere.");
        return f.add("device", Mark::fail, "cannot look at " + device + ": " + std::strerror(errno));
    }
    const std::string real = resolved(device);
    const std::string shownAs = real == device ? device : device + " (" + real + ")";
    if (!S_ISCHR(st.st_mode))
        return f.add("device", Mark::fail, shownAs + " is not a character device",
                     "Point the port at the device itself, e.g. /dev/ttyUSB0.");
    f.add("device", Mark::ok, shownAs + " is a character device, " + kindOf(real, st));
    if (!checkPermissions(f, device, st) || !checkHolders(f, device)) return false;
    const ecf::link::LineCheck line = ecf::link::checkLocalLine(device);
    return checkLine(f, device, line, isPseudoTerminal(st)) && checkCts(f, line);
}

bool checkNetwork(Findings& f, const std::string& url) {
    const ecf::link::NetworkCheck net = ecf::link::checkNetworkPort(url);
    if (!net.wellFormed)
        return f.add("URL", Mark::fail, url + " is not of the form tcp://HOST:PORT or rfc2217://HOST:PORT",
                     "Give the server's name or address and its TCP port, e.g. tcp://till-server:4001.");
    const ecf::link::PortUrl parts = *ecf::link::parsePortUrl(url);
    const bool rfc2217 = parts.scheme == ecf::link::PortUrl::Scheme::rfc2217;
    if (net.lookupError != 0)
        return f.add("name", Mark::fail, "cannot find the address of " + parts.host,
                     "Check the name and the name service, or give the address (e.g. "
                     "tcp://192.168.0.20:4001).");
    f.add("name", Mark::ok, parts.host + " has " + std::to_string(net.addresses) + " address(es)");
    const std::string where = parts.host + ":" + std::to_string(parts.port);
    if (net.opened == ecf::link::OpenError::accessDenied)
        return f.add("connection", Mark::fail,
                     where + " turned the connection away: another client holds the port (the library "
                             "would get 1010)",
                     "Close the other client, or wait until it is done.");
    if (net.opened != ecf::link::OpenError::none)
        return f.add("connection", Mark::fail, "cannot connect to " + where + ": " + errorText(net.openError),
                     "Check that the server runs and listens on port " + std::to_string(parts.port) +
                         " (ser2net: its accepter), and that no firewall stands between.");
    if (!rfc2217)
        return f.add("connection", Mark::ok,
                     "connected; over raw TCP the line's settings are the server's (ser2net: 9600e81,rtscts)");
    f.add("connection", Mark::ok, "connected");
    if (!net.modemState)
        return f.add("Telnet", Mark::note, "the server took RFC 2217 but reported no modem lines",
                     "The library counts CTS as on.");
    const uint8_t lines = *net.modemState;
    if ((lines & 0xF0) == 0)
        return f.add("Telnet", Mark::note,
                     "the server speaks RFC 2217 and reports every modem line off: the library counts CTS as on",
                     "Three-wire cabling or a pseudo-terminal behind the server shows this.");
    if ((lines & 0x10) == 0)
        return f.add("Telnet", Mark::fail, "the server speaks RFC 2217 and reports CTS off: the library "
                                           "sends nothing and returns 4",
                     "Switch the printer on and check that its cable carries RTS/CTS.");
    return f.add("Telnet", Mark::ok, "the server speaks RFC 2217 and reports CTS on");
}

// 0.8 ms, 12 ms, 2140 ms.
std::string millisecondsText(uint32_t us) {
    if (us >= 10000) return std::to_string(us / 1000) + " ms";
    return std::to_string(us / 1000) + "." + std::to_string(us / 100 % 10) + " ms";
}

struct StatusBytes {
    unsigned char a = 0, b = 0, c = 0;
    bool operator!=(const StatusBytes& o) const { return a != o.a || b != o.b || c != o.c; }
};

// The printer status, twice when the first comes in full: a line that
// garbles bytes gives two different answers.
int askThePrinter(Findings& f, ecf_exchange_info& info) {
    StatusBytes first;
    (void)ecfParamStatusImp(&first.a, &first.b, &first.c);
    info = lastExchange();
    switch (answerOf(info)) {
        case Answer::linkFailure: f.add("printer", Mark::fail, problemOf(info)); return 1;
        case Answer::silent:
            f.add("printer", Mark::fail, problemOf(info),
                  "Check that the printer is on and on line, that the cable is a null-modem one "
                  "with RTS/CTS, and that the port is the one the printer hangs on.");
            return 3;
        case Answer::cutShort:
            f.add("printer", Mark::fail, problemOf(info),
                  "A loose cable, or a speed other than 9600 somewhere on the way; try again.");
            return 3;
        default: break;
    }
    StatusBytes second;
    (void)ecfParamStatusImp(&second.a, &second.b, &second.c);
    const ecf_exchange_info again = lastExchange();
    if (answerOf(again) != Answer::full || first != second) {
        f.add("printer", Mark::fail, "answered, but garbled: two status queries in a row gave different answers",
              "Something on the way changes bytes: a speed or parity other than 9600 8E1 on a "
              "converter or device server, or a bad cable.");
        return 1;
    }
    f.add("printer", Mark::ok,
          "answered the printer status in full: " + std::to_string(info.bytes_received) + " of " +
              std::to_string(info.bytes_expected) + " bytes in " + millisecondsText(info.elapsed_us));
    return 0;
}

void printFindings(const Findings& f, const PortMapping& m, int status, const ecf_exchange_info& info,
                   bool json) {
    if (json) {
        Json j;
        j["port"] = "COM" + std::to_string(m.number);
        j["device"] = m.device;
        j["from"] = m.why;
        j["checks"] = Json::array();
        for (const Check& c : f.checks()) {
            Json check = {{"check", c.name}, {"mark", markText(c.mark)}, {"finding", c.finding}};
            if (!c.advice.empty()) check["advice"] = c.advice;
            j["checks"].push_back(check);
        }
        if (info.exchanges > 0) j["exchange"] = exchangeJson(info);
        j["answered"] = status == 0;
        std::cout << dump(j) << "\n";
        return;
    }
    for (const Check& c : f.checks()) {
        const std::string mark = std::string("[") + markText(c.mark) + "]";
        std::cout << mark << std::string(7 - mark.size(), ' ') << c.name << ": " << c.finding << "\n";
        if (!c.advice.empty()) std::cout << "       " << c.advice << "\n";
    }
    std::cout << (status == 0 ? "The printer answers on COM" + std::to_string(m.number) + "."
                              : std::string("Found a problem: see FAIL above."))
              << "\n";
}

}  // namespace

int runDoctor(const Options& options) {
    const PortMapping m = mappingOf(options, portNumber(options));
    Findings f;
    f.add("port", Mark::ok, "COM" + std::to_string(m.number) + " is " + m.device + " (" + m.why + ")");
    const bool network = ecf::link::looksLikeUrl(m.device);
    ecf_exchange_info info{};
    int status = 1;
    if (network ? checkNetwork(f, m.device) : checkLocal(f, m.device)) {
        status = applyPortOptions(options);
        if (status == 0) status = askThePrinter(f, info);
    }
    printFindings(f, m, status, info, options.json);
    return status;
}

}  // namespace ecf::cli
