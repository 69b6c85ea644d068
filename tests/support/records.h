// Built command records held against their expected bytes.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bytes.h"
#include "link/record.h"

namespace ecf::test {

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
