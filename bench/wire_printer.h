// A printer for the benchmarks at the other end of a pseudo-terminal: it
// reads each frame by the command register, checks nothing, and answers at
// once with a reply of the length the command asks for (zeros; the count
// query reports the owners and reductions it is told). Paced, it behaves as
// a 9600 baud 8E1 line would: a frame is taken to arrive when its last bit
// would, and the reply goes out one byte every 11 bit times.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace ecf::bench {

constexpr double kByteMicroseconds = 11.0 * 1e6 / 9600.0;  // 1145.8 µs

class WirePrinter {
public:
    explicit WirePrinter(bool paced = false);
    ~WirePrinter();
    WirePrinter(const WirePrinter&) = delete;
    WirePrinter& operator=(const WirePrinter&) = delete;

    const std::string& path() const { return path_; }
    // What the count query reports: owners (2 digits) and reductions (4).
    void setCounts(int owners, int reductions) { owners_ = owners; reductions_ = reductions; }
    // Stays silent to every frame (for the long waits).
    void setSilent(bool silent) { silent_ = silent; }
    uint64_t frames() const { return frames_; }

private:
    void serve();
    std::size_t frameLength(const std::vector<uint8_t>& pending) const;
    uint32_t replyLength(uint8_t code) const;
    void answer(const std::vector<uint8_t>& reply, int64_t frameStartNs, std::size_t frameBytes);

    bool paced_;
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
    std::atomic<int> owners_{0};
    std::atomic<int> reductions_{0};
    std::atomic<bool> silent_{false};
    std::atomic<bool> stop_{false};
    std::atomic<uint64_t> frames_{0};
    int lastOwners_ = 0;
    int lastReductions_ = 0;
    std::thread thread_;
};

}  // namespace ecf::bench
