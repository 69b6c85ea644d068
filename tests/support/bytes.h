// Byte strings as the tests write and compare them; built on every platform.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ecf::test {

using Bytes = std::vector<uint8_t>;

Bytes bytesOf(const std::string& s);
// "1B 66 ...": what a failed comparison of frames prints.
std::string hex(const Bytes& bytes);

// ESC, the record and the byte that makes the frame sum to 0 modulo 256;
// a free line (lead byte 'n') goes without it.
Bytes frameOf(const std::string& record);

inline std::string sp(std::size_t n) { return std::string(n, ' '); }
inline std::string nul(std::size_t n) { return std::string(n, '\0'); }
// s cut or filled with spaces to width w.
inline std::string pad(const std::string& s, std::size_t w) { return (s + sp(w)).substr(0, w); }

}  // namespace ecf::test
