// The currency file is read from the current directory: each test that needs
// it works in a fresh temporary directory and goes back when it ends.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace ecf::test {

class CurrencyDir : public ::testing::Test {
protected:
    void SetUp() override {
        char cwd[4096];
        ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
        previous_ = cwd;
        char dir[] = "/tmp/ecf-cheque-XXXXXX";
        ASSERT_NE(::mkdtemp(dir), nullptr);
        dir_ = dir;
        ASSERT_EQ(::chdir(dir_.c_str()), 0);
    }
    void TearDown() override {
        std::remove((dir_ + "/moeda").c_str());
        (void)!::chdir(previous_.c_str());
        ::rmdir(dir_.c_str());
    }

    // Writes "moeda" with exactly these bytes.
    static void writeCurrencyFile(const std::string& bytes) {
        std::FILE* f = std::fopen("moeda", "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }

    // The 42-byte file: singular and plural each in 21 bytes, NUL-padded.
    static void writeNames(const std::string& singular, const std::string& plural) {
        std::string bytes(42, '\0');
        bytes.replace(0, singular.size(), singular);
        bytes.replace(21, plural.size(), plural);
        writeCurrencyFile(bytes);
    }

private:
    std::string previous_;
    std::string dir_;
};

}  // namespace ecf::test
