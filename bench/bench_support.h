// Shared by the benchmark files.
#pragma once

#include <sys/resource.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace ecf::bench {

// While set, every exchange goes to a port that does nothing.
extern bool nullPort;

// CPU time of the calling thread, in milliseconds.
inline double threadCpuMs() {
    rusage u{};
    ::getrusage(RUSAGE_THREAD, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// Peak resident memory of the process (VmHWM), in KiB; resetPeak() starts a
// new peak from the current size.
inline long peakKiB() {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (f == nullptr) return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, f) != nullptr)
        if (std::strncmp(line, "VmHWM:", 6) == 0) kib = std::strtol(line + 6, nullptr, 10);
    std::fclose(f);
    return kib;
}
inline void resetPeak() {
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

}  // namespace ecf::bench
