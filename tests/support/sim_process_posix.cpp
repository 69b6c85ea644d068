#include "sim_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace ecf::test {

SimProcess::SimProcess(const std::string& program, const std::vector<std::string>& arguments) {
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return;
    if (::pipe2(err, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return;
    }
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    // Spawned rather than forked: no copy of a large test process (under the
    // address sanitizer) for every start.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    errors_ = err[0];
    char c;
    while (pid_ > 0 && ::read(out[0], &c, 1) == 1 && c != '\n') path_ += c;
    ::close(out[0]);
}

SimProcess::~SimProcess() {
    if (pid_ > 0 && status_ < 0) {
        signal(SIGTERM);
        wait();
    }
    if (errors_ >= 0) ::close(errors_);
}

void SimProcess::signal(int number) {
    if (pid_ > 0 && status_ < 0) ::kill(pid_, number);
}

int SimProcess::wait() {
    if (pid_ <= 0) return -1;
    if (status_ >= 0) return status_;
    int raw = 0;
    while (::waitpid(pid_, &raw, 0) < 0)
        if (errno != EINTR) return -1;
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return status_;
}

std::string SimProcess::errors() {
    std::string text;
    char buffer[4096];
    ::fcntl(errors_, F_SETFL, O_NONBLOCK);
    for (ssize_t n; (n = ::read(errors_, buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    return text;
}

}  // namespace ecf::test
