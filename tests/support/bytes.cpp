#include "bytes.h"

#include <cstdio>

namespace ecf::test {

Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::string hex(const Bytes& bytes) {
    std::string out;
    char b[4];
    for (uint8_t c : bytes) {
        std::snprintf(b, sizeof b, "%02X ", c);
        out += b;
    }
    if (!out.empty()) out.pop_back();
    return out;
}

Bytes frameOf(const std::string& record) {
    Bytes frame = bytesOf("\x1B" + record);
    if (!record.empty() && record[0] == 'n') return frame;
    uint8_t sum = 0;
    for (uint8_t b : frame) sum = static_cast<uint8_t>(sum + b);
    frame.push_back(static_cast<uint8_t>(-sum));
    return frame;
}

}  // namespace ecf::test
