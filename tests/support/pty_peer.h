// A scripted printer at the other end of a pseudo-terminal: the library opens
// the pty's slave by path (through ECF_COMn), the peer reads each frame from
// the master and writes its scripted answer.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bytes.h"
#include "scoped_env.h"

namespace ecf::test {

class PtyPeer {
public:
    // One step of the script: read exactly `frameLength` bytes (none: 0), wait
    // `delayMs`, write `answer`; then, with `hangUp`, close both ends of the
    // pty as a printer dropping off the line does. A frame that never arrives
    // ends the script.
    struct Step {
        std::size_t frameLength;
        Bytes answer;
        int delayMs = 0;
        bool hangUp = false;
    };

    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    const std::string& path() const { return path_; }

    // Runs the script on a thread; wait() joins it and returns what arrived
    // since the last wait(); arrived() counts it without waiting.
    void serve(std::vector<Step> script);
    Bytes wait();
    std::size_t arrived();

private:
    bool readFrame(std::size_t length);
    void writeAnswer(const Bytes& answer);
    void hangUp();

    int master_ = -1;
    int slave_ = -1;  // kept open so that the pty lives between exchanges
    std::string path_;
    std::thread thread_;
    std::mutex mutex_;
    Bytes received_;
};

}  // namespace ecf::test
