// The page's threads give way to the printer's line: when the machine is
// busy, the line and the program at its other end come first, and the page
// catches up while they wait (its queue is bounded; what it misses, it counts).
#pragma once

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

namespace ecfsim::web {

// Lowers this thread's priority and names it (as top -H and debuggers show it).
inline void giveWayToTheLine(const char* name) {
#ifdef __linux__
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);  // this thread only, on Linux
    ::pthread_setname_np(::pthread_self(), name);
#endif
}

}  // namespace ecfsim::web
