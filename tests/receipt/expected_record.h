// Expected records written out field by field, for the command tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/record.h"

namespace ecf::test {

inline std::string sp(std::size_t n) { return std::string(n, ' '); }
inline std::string nul(std::size_t n) { return std::string(n, '\0'); }
// The lead byte 'f' and a command code.
inline std::string command(uint8_t code) { return std::string("f") + static_cast<char>(code); }
// s followed by spaces up to width w.
inline std::string pad(const std::string& s, std::size_t w) { return s + sp(w - s.size()); }

template <std::size_t N>
std::string str(const Record<N>& r) {
    return std::string(r.bytes().begin(), r.bytes().end());
}

// One stretch of a built record and what it must hold.
struct FieldCase {
    const char* name;
    std::string record;
    std::size_t position;
    std::string expected;
};

inline void expectFields(const std::vector<FieldCase>& cases) {
    for (const FieldCase& c : cases)
        EXPECT_EQ(c.record.substr(c.position, c.expected.size()), c.expected) << c.name;
}

}  // namespace ecf::test
