#include <gtest/gtest.h>

#include "ecfsim/register.h"

namespace {

using ecfsim::AnswerKind;
using ecfsim::findCommand;

TEST(Register, KnowsEveryCommandWithItsLengthAndAnswer) {
    struct {
        uint8_t code;
        uint16_t length;
        AnswerKind answer;
        uint16_t reply;
    } cases[] = {
        {0x06, 12, AnswerKind::statusByte, 0},  {0x07, 16, AnswerKind::statusByte, 0},
        {0xC7, 12, AnswerKind::statusByte, 0},  {0xD1, 3, AnswerKind::statusByte, 0},
        {0xD5, 27, AnswerKind::statusByte, 0},  {0xD8, 27, AnswerKind::statusByte, 0},
        {0xFA, 4, AnswerKind::statusByte, 0},   {0xD0, 113, AnswerKind::statusByte, 0},
        {0xD2, 84, AnswerKind::statusByte, 0},  {0xD6, 91, AnswerKind::statusByte, 0},
        {0xD3, 79, AnswerKind::statusByte, 0},  {0xD4, 36, AnswerKind::statusByte, 0},
        {0xD9, 39, AnswerKind::statusByte, 0},  {0x01, 3, AnswerKind::statusByte, 0},
        {0x6F, 50, AnswerKind::statusByte, 0},  {0xDD, 3, AnswerKind::statusByte, 0},
        {0xDE, 19, AnswerKind::statusByte, 0},  {0xEC, 5, AnswerKind::statusByte, 0},
        {0x10, 10, AnswerKind::statusByte, 0},  {0x11, 10, AnswerKind::statusByte, 0},
        {0x13, 10, AnswerKind::statusByte, 0},  {0x14, 10, AnswerKind::statusByte, 0},
        {0x16, 15, AnswerKind::statusByte, 0},  {0x78, 65, AnswerKind::statusByte, 0},
        {0xDA, 187, AnswerKind::statusByte, 0}, {0x1B, 15, AnswerKind::statusByte, 0},
        {0x20, 7, AnswerKind::statusByte, 0},   {0x21, 3, AnswerKind::statusByte, 0},
        {0x22, 9, AnswerKind::statusByte, 0},   {0x23, 51, AnswerKind::statusByte, 0},
        {0x24, 24, AnswerKind::statusByte, 0},  {0x2A, 12, AnswerKind::statusByte, 0},
        {0x12, 3, AnswerKind::reply, 747},      {0x26, 23, AnswerKind::reply, 9},
        {0x15, 23, AnswerKind::readOut, 0},     {0xC0, 84, AnswerKind::statusByte, 0},
        {0xC1, 209, AnswerKind::statusByte, 0}, {0xDF, 4, AnswerKind::reply, 7},
        {0xE0, 4, AnswerKind::reply, 72},       {0xE1, 4, AnswerKind::reply, 41},
        {0xE2, 4, AnswerKind::reply, 47},       {0xE3, 4, AnswerKind::reply, 123},
        {0xE4, 4, AnswerKind::reply, 52},       {0xE5, 4, AnswerKind::reply, 268},
        {0xE6, 4, AnswerKind::reply, 47},       {0xE7, 4, AnswerKind::reply, 66},
    };
    for (const auto& c : cases) {
        const auto* info = findCommand(c.code);
        ASSERT_NE(info, nullptr) << std::hex << int(c.code);
        EXPECT_EQ(info->length, c.length) << std::hex << int(c.code);
        EXPECT_EQ(info->answer, c.answer) << std::hex << int(c.code);
        if (c.answer == AnswerKind::reply) {
            EXPECT_EQ(info->replyLength, c.reply);
        }
    }
    EXPECT_EQ(std::distance(ecfsim::commandsBegin(), ecfsim::commandsEnd()),
              static_cast<long>(sizeof cases / sizeof cases[0]));
    EXPECT_EQ(findCommand(0xDA)->longLength, 202);
}

TEST(Register, DoesNotKnowOtherCodes) {
    for (uint8_t code : {0x00, 0x02, 0x1A, 0x25, 0x6E, 0x66, 0xD7, 0xDB, 0xE8, 0xFF})
        EXPECT_EQ(findCommand(code), nullptr) << std::hex << int(code);
}

TEST(Register, ChecksumMakesTheFrameSumToZero) {
    const uint8_t subtotal[] = {0x66, 0xD1, 0x00};
    EXPECT_EQ(ecfsim::checksumFor(subtotal, 3), 0xAE);
    const uint8_t leituraX[] = {0x66, 0x14, ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
    EXPECT_EQ(ecfsim::checksumFor(leituraX, sizeof leituraX), 0x6B);
    const uint8_t zeroSum[] = {0xE5};  // 0x1B + 0xE5 = 0x100
    EXPECT_EQ(ecfsim::checksumFor(zeroSum, 1), 0x00);
}

}  // namespace
