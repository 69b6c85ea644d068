#include <gtest/gtest.h>

#include <string>

#include "ecf.h"
#include "support/pty_peer.h"

namespace {

using ecf::test::Bytes;
using ecf::test::PtyPeer;
using ecf::test::ScopedEnv;

class Readings : public ::testing::Test {
protected:
    PtyPeer peer;
    ScopedEnv env{"ECF_COM1", peer.path()};
    void SetUp() override { ChangePort(0); }

    // Sends one reading and returns its frame as it reached the line.
    Bytes frameOf(int32_t (*reading)(const char*), const char* text, int32_t* result) {
        peer.serve({{12, {0x00}}});
        *result = reading(text);
        return peer.wait();
    }
};

TEST_F(Readings, LeituraXWithAnEmptyTextIsFramedWithChecksum6B) {
    int32_t result = -1;
    const Bytes frame = frameOf(ecfLeituraX, "", &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ecf::test::hex(frame), "1B 66 14 20 20 20 20 20 20 20 20 6B");
}

TEST_F(Readings, TheFourDifferOnlyInTheirCode) {
    struct {
        int32_t (*reading)(const char*);
        uint8_t code;
    } cases[] = {{ecfLXGerencial, 0x10}, {ecfRZGerencial, 0x11}, {ecfReducaoZ, 0x13},
                 {ecfLeituraX, 0x14}};
    for (const auto& c : cases) {
        int32_t result = -1;
        const Bytes frame = frameOf(c.reading, "ABCDEFGHIJKL", &result);
        ASSERT_EQ(frame.size(), 12u);
        EXPECT_EQ(frame[2], c.code);
        EXPECT_EQ(std::string(frame.begin() + 3, frame.begin() + 11), "ABCDEFGH");
        unsigned sum = 0;
        for (uint8_t b : frame) sum += b;
        EXPECT_EQ(sum % 256, 0u);
    }
}

TEST_F(Readings, StatusByteIsReturnedUnchangedAndNullTextIsEmpty) {
    peer.serve({{12, {0xC8}}});
    EXPECT_EQ(ecfLeituraX(nullptr), 0xC8);
    EXPECT_EQ(ecf::test::hex(peer.wait()), "1B 66 14 20 20 20 20 20 20 20 20 6B");
}

}  // namespace
