#include "trace.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

#include "command_names.h"
#include "step_names.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace ecf::link::trace {

namespace {

// The line of one exchange, one line per exchange, fields separated by one
// space, keys and values as they stand (the format is stable; README.md):
//
//   2026-12-06T15:44:13.123456Z pid=1234 port=COM1 device=/dev/ttyS0 cmd=SubTotal
//   code=D1 sent=1B66D100AE recv=00 result=0 us=6912[ step=open error=2]
//
// (one line, wrapped here). The time is UTC. device is percent-encoded
// (%20 for a space); sent is ESC, the record and the checksum byte as written,
// recv the bytes read, both as hex with two digits a byte, empty when there
// were none. step and error (errno, or GetLastError() on Windows) follow only
// when the exchange stopped at a step.
class Line {
public:
    Line(char* at, std::size_t room) : at_(at), end_(at + room) {}

    Line& text(const char* s) {
        while (*s != '\0') put(*s++);
        return *this;
    }
    Line& number(int64_t value) {
        char digits[20];
        int n = 0;
        uint64_t v = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
        do {
            digits[n++] = static_cast<char>('0' + v % 10);
            v /= 10;
        } while (v != 0);
        if (value < 0) put('-');
        while (n > 0) put(digits[--n]);
        return *this;
    }
    Line& padded(unsigned value, int width) {
        char digits[10];
        for (int i = width - 1; i >= 0; --i, value /= 10)
            digits[i] = static_cast<char>('0' + value % 10);
        for (int i = 0; i < width; ++i) put(digits[i]);
        return *this;
    }
    Line& hex(const uint8_t* bytes, std::size_t count) {
        static const char kDigits[] = "0123456789ABCDEF";
        for (std::size_t i = 0; i < count; ++i) {
            put(kDigits[bytes[i] >> 4]);
            put(kDigits[bytes[i] & 0x0F]);
        }
        return *this;
    }
    // Spaces, '%', control and non-ASCII bytes as %XX, so that the value
    // stays one field.
    Line& encoded(const char* s) {
        for (; *s != '\0'; ++s) {
            const auto c = static_cast<uint8_t>(*s);
            if (c <= 0x20 || c == '%' || c >= 0x7F) {
                put('%');
                hex(&c, 1);
            } else {
                put(static_cast<char>(c));
            }
        }
        return *this;
    }
    std::size_t length(const char* start) const { return static_cast<std::size_t>(at_ - start); }

private:
    void put(char c) {
        if (at_ < end_) *at_++ = c;
    }
    char* at_;
    char* end_;
};

// The UTC time now, as 2026-12-06T15:44:13.123456Z.
void putUtcNow(Line& line) {
    using namespace std::chrono;
    const int64_t us = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
    const int64_t seconds = us >= 0 ? us / 1000000 : 0;
    int64_t days = seconds / 86400;
    const int64_t secondOfDay = seconds % 86400;
    // Civil date from days since 1970-01-01 (proleptic Gregorian calendar).
    days += 719468;
    const int64_t era = days / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    const int64_t day = dayOfYear - (153 * monthFromMarch + 2) / 5 + 1;
    const int64_t month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
    const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    line.padded(static_cast<unsigned>(year), 4).text("-").padded(static_cast<unsigned>(month), 2)
        .text("-").padded(static_cast<unsigned>(day), 2).text("T")
        .padded(static_cast<unsigned>(secondOfDay / 3600), 2).text(":")
        .padded(static_cast<unsigned>(secondOfDay / 60 % 60), 2).text(":")
        .padded(static_cast<unsigned>(secondOfDay % 60), 2).text(".")
        .padded(static_cast<unsigned>(us >= 0 ? us % 1000000 : 0), 6).text("Z");
}

int64_t processId() {
#ifdef _WIN32
    return static_cast<int64_t>(::GetCurrentProcessId());
#else
    return static_cast<int64_t>(::getpid());
#endif
}

std::size_t formatLine(char* out, std::size_t room, const ecf_exchange_info& r, const Wire& wire,
                       const ExchangeLog& log) {
    Line line(out, room);
    putUtcNow(line);
    line.text(" pid=").number(processId());
    line.text(" port=").encoded(r.port).text(" device=").encoded(r.device);
    line.text(" cmd=").text(commandName(r.command_code)).text(" code=");
    if (r.command_code >= 0) {
        const auto code = static_cast<uint8_t>(r.command_code);
        line.hex(&code, 1);
    }
    line.text(" sent=");
    if (log.escSent) line.text("1B");
    line.hex(wire.record, log.recordWritten);
    if (log.checksumSent) line.hex(&log.checksum, 1);
    line.text(" recv=").hex(log.receivedBytes(wire), log.received);
    line.text(" result=").number(r.result).text(" us=").number(r.elapsed_us);
    if (r.failed_step != ECF_STEP_NONE)
        line.text(" step=").text(stepName(r.failed_step)).text(" error=").number(r.system_error);
    line.text("\n");
    return line.length(out);
}

// Room for everything of a line but its hex bytes: the time, the numbers,
// the longest names, a device whose every byte is percent-encoded.
constexpr std::size_t kLineWithoutBytes = 512 + 3 * sizeof(ecf_exchange_info::device);
// A line of any command or status query fits on the stack; only the fiscal
// memory read-out takes the heap.
constexpr std::size_t kStackLine = 4096;

#ifdef _WIN32

// The trace file on Windows, opened for appending only: each line, written
// at once, lands whole at the end however many processes share the file.
class TraceFile {
public:
    bool open(const char* path) {
        const HANDLE h = ::CreateFileA(path, FILE_APPEND_DATA,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        handle_ = h;
        return true;
    }
    bool isOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    void append(const char* data, std::size_t length) {
        DWORD written = 0;
        (void)::WriteFile(handle_, data, static_cast<DWORD>(length), &written, nullptr);
    }
    void close() {
        if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

#else

// SIGPIPE held back on this thread while it writes to a pipe whose reader
// may be gone: the write then fails with EPIPE and the process lives on.
class PipeSignalHeld {
public:
    PipeSignalHeld() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigemptyset(&pending);
        held_ = ::pthread_sigmask(SIG_BLOCK, &pipe_, &previous_) == 0;
        alreadyPending_ = ::sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
    }
    ~PipeSignalHeld() {
        if (!held_) return;
        if (brokenPipe && !alreadyPending_) {
            const timespec none{0, 0};
            while (::sigtimedwait(&pipe_, nullptr, &none) < 0 && errno == EINTR) {
            }
        }
        ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    PipeSignalHeld(const PipeSignalHeld&) = delete;
    PipeSignalHeld& operator=(const PipeSignalHeld&) = delete;

    bool brokenPipe = false;

private:
    sigset_t pipe_;
    sigset_t previous_;
    bool held_ = false;
    bool alreadyPending_ = false;
};

// The trace file on POSIX systems. Opened non-blocking: a FIFO without a
// reader fails at the open, and a full pipe or disk loses the line. O_APPEND
// puts each line, written at once, whole at the end of a file that several
// processes share.
class TraceFile {
public:
    bool open(const char* path) {
        const int fd =
            ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd < 0) return false;
        struct stat st {};
        pipe_ = ::fstat(fd, &st) == 0 && S_ISFIFO(st.st_mode);
        fd_ = fd;
        return true;
    }
    bool isOpen() const { return fd_ >= 0; }
    void append(const char* data, std::size_t length) {
        if (!pipe_) {
            writeLine(data, length);
            return;
        }
        PipeSignalHeld held;
        held.brokenPipe = !writeLine(data, length) && errno == EPIPE;
    }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    // One write; a line cut short is ended, so that the next one starts whole.
    bool writeLine(const char* data, std::size_t length) {
        const ssize_t n = ::write(fd_, data, length);
        if (n > 0 && static_cast<std::size_t>(n) < length) (void)!::write(fd_, "\n", 1);
        return n >= 0;
    }

    int fd_ = -1;
    bool pipe_ = false;
};

#endif

// The trace's state: the one piece of global state it adds.
struct Trace {
    std::mutex mutex;
    TraceFile file;
    std::atomic<bool> on{false};
};

Trace& theTrace() {
    static Trace trace;
    return trace;
}

// ECF_TRACE is read once, when the library is loaded; the file is closed
// when it is unloaded.
struct LoadAndUnload {
    LoadAndUnload() {
        (void)theTrace();  // built before this object, so that it outlives it
        const char* path = std::getenv("ECF_TRACE");
        if (path != nullptr && *path != '\0') start(path);
    }
    ~LoadAndUnload() { start(nullptr); }
} const loadAndUnload;

}  // namespace

bool on() { return theTrace().on.load(std::memory_order_relaxed); }

int32_t start(const char* path) {
    Trace& trace = theTrace();
    const std::lock_guard<std::mutex> lock(trace.mutex);
    trace.file.close();
    trace.on.store(false, std::memory_order_relaxed);
    if (path == nullptr || *path == '\0') return 0;
    if (!trace.file.open(path)) return -1;
    trace.on.store(true, std::memory_order_relaxed);
    return 0;
}

void write(const ecf_exchange_info& report, const Wire& wire, const ExchangeLog& log) {
    const std::size_t room = kLineWithoutBytes + 2 * (std::size_t{log.bytesSent()} + log.received);
    char stackLine[kStackLine];
    std::unique_ptr<char[]> heapLine;
    char* out = stackLine;
    if (room > sizeof stackLine) {
        heapLine.reset(new (std::nothrow) char[room]);
        if (heapLine == nullptr) return;  // no memory: the line is lost, the exchange is not
        out = heapLine.get();
    }
    const std::size_t length = formatLine(out, room, report, wire, log);

    Trace& trace = theTrace();
    const std::lock_guard<std::mutex> lock(trace.mutex);
    if (trace.file.isOpen()) trace.file.append(out, length);
}

}  // namespace ecf::link::trace

extern "C" int32_t ECF_API ecf_set_trace(const char* path) { return ecf::link::trace::start(path); }
