#include <gtest/gtest.h>

#include <string>

#include "link/link.h"
#include "link/record.h"

namespace {

std::string field(void (*put)(uint8_t*, std::size_t, const char*), std::size_t width,
                  const char* s) {
    std::string out(width, '?');
    put(reinterpret_cast<uint8_t*>(out.data()), width, s);
    return out;
}

struct TextCase {
    const char* input;
    std::size_t width;
    const char* text;
    const char* rightAligned;
};

TEST(FieldKinds, TextAndRightAlignedFields) {
    const TextCase cases[] = {
        {"", 4, "    ", "    "},
        {nullptr, 3, "   ", "   "},
        {"AB", 4, "AB  ", "  AB"},
        {"ABCD", 4, "ABCD", "ABCD"},
        {"ABCDEF", 4, "ABCD", "CDEF"},
        {"AB", 1, "A", "B"},
        {"\xE5\x87", 3, "\xE5\x87 ", " \xE5\x87"},  // bytes pass unchanged
    };
    for (const auto& c : cases) {
        const std::string label = c.input ? c.input : "(null)";
        EXPECT_EQ(field(ecf::putText, c.width, c.input), c.text) << label;
        EXPECT_EQ(field(ecf::putRightAligned, c.width, c.input), c.rightAligned) << label;
    }
}

TEST(FieldKinds, DigitFieldsKeepTheLowestDigits) {
    struct {
        uint32_t value;
        std::size_t width;
        const char* digits;
    } cases[] = {
        {7, 2, "07"},      {123, 2, "23"},        {100, 2, "00"},
        {54321, 4, "4321"}, {4294967295u, 10, "4294967295"}, {9, 1, "9"},
    };
    for (const auto& c : cases) {
        std::string out(c.width, '?');
        ecf::putDigits(reinterpret_cast<uint8_t*>(out.data()), c.width, c.value);
        EXPECT_EQ(out, c.digits) << c.value;
    }
}

TEST(Checksum, MakesTheFrameSumToZero) {
    struct {
        std::vector<uint8_t> record;
        uint8_t checksum;
    } cases[] = {
        {{0x66, 0xD1, 0x00}, 0xAE},
        {{0x66, 0x14, ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '}, 0x6B},
        {{0x66, 0xE0, 0x00, 0x00}, 0x9F},
        {{0x66, 0x7F}, 0x00},  // sums to 0 with ESC: the byte is 0x00
        {{0x66, 0x1B, 0x00}, 0x64},  // a code equal to ESC is an ordinary byte
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ecf::link::checksumOf(c.record.data(), static_cast<uint32_t>(c.record.size())),
                  c.checksum);
    }
}

TEST(ChangePort, StoresZeroToThreeAndOtherwiseOne) {
    struct {
        int32_t argument;
        int32_t stored;
        const char* name;
    } cases[] = {{0, 0, "COM1"}, {1, 1, "COM2"}, {2, 2, "COM3"}, {3, 3, "COM4"},
                 {7, 1, "COM2"}, {-1, 1, "COM2"}, {4, 1, "COM2"}};
    for (const auto& c : cases) {
        EXPECT_EQ(ChangePort(c.argument), c.stored) << c.argument;
        EXPECT_EQ(ecf::link::PortaSerial.load(), c.stored);
        EXPECT_STREQ(ecf::link::portName(ecf::link::PortaSerial.load()), c.name);
    }
    ChangePort(0);
    EXPECT_STREQ(ecf::link::portName(99), "COM2");
}

}  // namespace
