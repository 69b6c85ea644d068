// The ecf-sim program in a process of its own, for tests of the program
// itself (its options, its start, being killed) and of long runs whose
// memory should not count against the test.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace ecf::test {

class SimProcess {
public:
    // Runs `program` with `arguments` and waits for the path of its line (the
    // first line of its standard output) or for its end.
    SimProcess(const std::string& program, const std::vector<std::string>& arguments);
    // Stops it with SIGTERM if it still runs.
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The line's path; empty when it did not start.
    const std::string& path() const { return path_; }
    pid_t pid() const { return pid_; }
    void signal(int number);
    // Waits for its end: its exit status, or 128 + the signal that ended it.
    int wait();
    // What it wrote on standard error (complete once it has ended).
    std::string errors();

private:
    pid_t pid_ = -1;
    int errors_ = -1;
    int status_ = -1;
    std::string path_;
};

}  // namespace ecf::test
