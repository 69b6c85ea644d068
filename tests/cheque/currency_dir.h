// The currency file is read from the current directory: each test that needs
// it works in a fresh temporary directory and goes back when it ends.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace ecf::test {

class CurrencyDir : public ::testing::Test {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        previous_ = fs::current_path();
        dir_ = fs::temp_directory_path() / ("ecf-cheque-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir_);
        fs::current_path(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(dir_, ignored);
    }

    // Writes "moeda" with exactly these bytes.
    static void writeCurrencyFile(const std::string& bytes) {
        std::ofstream("moeda", std::ios::binary) << bytes;
    }

    // The 42-byte file: singular and plural each in 21 bytes, NUL-padded.
    static void writeNames(const std::string& singular, const std::string& plural) {
        std::string bytes(42, '\0');
        bytes.replace(0, singular.size(), singular);
        bytes.replace(21, plural.size(), plural);
        writeCurrencyFile(bytes);
    }

private:
    std::filesystem::path previous_;
    std::filesystem::path dir_;
};

}  // namespace ecf::test
