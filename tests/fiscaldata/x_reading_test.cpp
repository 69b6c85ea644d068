// The X reading over the line: the text form and the parameter form.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fiscaldata/x_reading.h"
#include "printer_script.h"

namespace {

using ecf::fiscaldata::leituraXSerial;
using ecf::fiscaldata::paramLXSerial;
using namespace ecf::test;

// 747 bytes: 3 leading bytes, then printable bytes that differ along the reply.
std::string xReply() {
    std::string reply = "\x01\x02\x03";
    for (int i = 3; i < 747; ++i) reply += static_cast<char>('!' + i % 90);
    return reply;
}

std::string withNulAt(std::string reply, std::size_t at) {
    reply[at] = '\0';
    return reply;
}

TEST(XReadingText, FieldsEndToEndEachCutAtItsFirstNul) {
    const std::string full = xReply();
    const struct {
        const char* what;
        std::string reply;
        std::string text;
    } cases[] = {
        {"no NUL", full, full.substr(3)},
        {"NUL inside A2", withNulAt(full, 8), full.substr(3, 5) + full.substr(15)},
        {"NUL at the start of A1", withNulAt(full, 3), full.substr(7)},
        // group 3 starts at 175 + 123 = 298; its G2 at 303, cut after 2 bytes
        {"NUL inside G2", withNulAt(full, 305), full.substr(3, 302) + full.substr(321)},
        {"NUL in the last byte", withNulAt(full, 746), full.substr(3, 743)},
        {"short reply", full.substr(0, 100), full.substr(3, 97)},
        {"nothing arrives", "", ""},
    };
    char* buffer = nullptr;  // the first answer's: every later one comes in it
    for (const auto& c : cases) {
        ScriptedPrinter printer({c.reply});
        char* const text = leituraXSerial(printer);
        if (buffer == nullptr) buffer = text;
        EXPECT_EQ(text, buffer);
        EXPECT_EQ(std::string(text), c.text) << c.what;
        EXPECT_EQ(hex(printer.exchanges[0].frame), "1B 66 12 00 6D");
        EXPECT_EQ(printer.exchanges[0].replyLength, 747u);
        EXPECT_EQ(printer.exchanges[0].pauses, std::vector<uint32_t>{2000});
    }
    ScriptedPrinter busy({kBusy});
    EXPECT_EQ(leituraXSerial(busy), buffer);
    EXPECT_STREQ(buffer, "Erro: 1010") << "a failure's text in the same buffer";
}

TEST(XReadingParam, BlocksAreCopiedWholeEvenAfterAFailure) {
    const std::string full = withNulAt(withNulAt(xReply(), 305), 8);
    const struct {
        const char* what;
        std::string answer;
        int32_t result;
        std::string reply;  // what the blocks must hold
    } cases[] = {
        {"reply with NULs", full, 0, full},
        {"link failure", kBusy, 1010, std::string(747, '\0')},
        {"short reply", full.substr(0, 200), 0, full.substr(0, 200) + std::string(547, '\0')},
    };
    // first block, last block, groups 1..10: offset and width in the reply
    const std::pair<std::size_t, std::size_t> blocks[12] = {
        {3, 172}, {585, 162}, {175, 41}, {216, 41}, {257, 41}, {298, 41},
        {339, 41}, {380, 41}, {421, 41}, {462, 41}, {503, 41}, {544, 41}};
    for (const auto& c : cases) {
        std::vector<std::string> out(12, std::string(200, '\x7F'));
        char* outs[12];
        for (int i = 0; i < 12; ++i) outs[i] = out[i].data();
        ScriptedPrinter printer({c.answer});
        EXPECT_EQ(paramLXSerial(printer, outs), c.result) << c.what;
        for (int i = 0; i < 12; ++i) {
            const auto [offset, width] = blocks[i];
            EXPECT_EQ(out[i].substr(0, width + 2), c.reply.substr(offset, width) + '\0' + '\x7F')
                << c.what << ", block " << i;
        }
    }
}

}  // namespace
