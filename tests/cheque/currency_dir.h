// The currency file is read from the current directory: each test that needs
// it works in a scratch directory holding "REAL" and "REAIS", and goes back
// when it ends.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/scratch.h"

namespace ecf::test {

// Writes "moeda" with exactly these bytes.
inline void writeCurrencyFile(const std::string& bytes) { writeFile("moeda", bytes); }

// The 42-byte file: singular and plural each in 21 bytes, NUL-padded.
inline void writeCurrencyNames(const std::string& singular, const std::string& plural) {
    std::string bytes(42, '\0');
    bytes.replace(0, singular.size(), singular);
    bytes.replace(21, plural.size(), plural);
    writeCurrencyFile(bytes);
}

class CurrencyDir : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.emplace();
        writeCurrencyNames("REAL", "REAIS");
    }
    void TearDown() override { dir_.reset(); }

private:
    std::optional<InScratchDir> dir_;
};

}  // namespace ecf::test
