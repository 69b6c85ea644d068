// The register of layouts: every command layout builds a record that reads
// back as what built it, and replies read back as named fields.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "fiscaldata/fiscal_memory.h"
#include "link/layout.h"
#include "status/query.h"

namespace {

using ecf::Argument;
using ecf::FieldKind;
using ecf::FieldValue;

// A value for the k-th argument that its field keeps whole.
Argument sampleFor(const ecf::Field& f, std::size_t k, std::vector<std::string>& texts) {
    if (ecf::takesText(f.kind)) {
        texts.push_back(std::string("QRSTUVWXYZ").substr(k % 8, f.width < 3 ? f.width : 3));
        return texts.back().c_str();
    }
    if (f.kind == FieldKind::digits) return static_cast<uint32_t>(f.width == 1 ? 7 : 10 + k);
    return static_cast<uint32_t>(0x30 + k);  // a byte or an index character
}

TEST(CommandLayouts, EveryLayoutCoversItsRecordAndReadsBackWhatBuiltIt) {
    for (const ecf::Layout* layout : ecf::commandLayouts()) {
        SCOPED_TRACE(layout->senders);
        EXPECT_TRUE(ecf::coversEveryPosition(*layout));
        std::vector<std::string> texts;
        texts.reserve(layout->fields.size());
        std::vector<Argument> given, notWritten;
        for (const ecf::Field& f : layout->fields) {
            if (!ecf::takesArgument(f.kind)) continue;
            given.push_back(sampleFor(f, given.size(), texts));
            notWritten.push_back(ecf::kNotWritten);
        }
        std::vector<uint8_t> record(layout->length, 0xEE);
        ASSERT_TRUE(ecf::buildRecord(*layout, record.data(), given.data(), given.size()));
        EXPECT_EQ(ecf::layoutOf(record.data(), record.size()), layout);

        const std::vector<FieldValue> values = ecf::readRecord(*layout, record.data(), record.size());
        ASSERT_EQ(values.size(), layout->fields.size());
        std::size_t k = 0;
        for (std::size_t i = 0; i < values.size(); ++i) {
            const FieldValue& v = values[i];
            EXPECT_TRUE(v.asLaidOut) << v.position;
            if (!ecf::takesArgument(layout->fields[i].kind)) continue;
            EXPECT_EQ(v.name, layout->fields[i].name);
            const Argument& a = given[k++];
            if (a.kind == Argument::Kind::text) {
                EXPECT_EQ(v.text, a.text) << v.name;
            } else {
                EXPECT_EQ(v.number, a.number) << v.name;
            }
        }

        // Fields left unwritten stay 0x00; the fixed bytes are there all the same.
        ASSERT_TRUE(ecf::buildRecord(*layout, record.data(), notWritten.data(), notWritten.size()));
        const auto unwritten = ecf::readRecord(*layout, record.data(), record.size());
        for (std::size_t i = 0; i < unwritten.size(); ++i) {
            const FieldValue& v = unwritten[i];
            EXPECT_TRUE(v.asLaidOut) << v.position;
            if (ecf::takesArgument(layout->fields[i].kind)) {
                EXPECT_EQ(v.raw, std::string(v.raw.size(), '\0')) << v.name;
            }
        }
        EXPECT_FALSE(ecf::buildRecord(*layout, record.data(), given.data(), given.size() + 1));
    }
}

TEST(CommandLayouts, RecordsAreFoundByTheirBytes) {
    const uint8_t changeParam[] = {'f', 0xE6, ' ', ' '};
    const uint8_t changeText[] = {'f', 0xE6, 0, 0};
    const uint8_t freeLine[50] = {'n'};
    const uint8_t unknown[] = {'f', 0xE8, 0, 0};
    EXPECT_STREQ(ecf::layoutOf(changeParam, 4)->senders, "ecfParamStatusTroco");
    EXPECT_STREQ(ecf::layoutOf(changeText, 4)->senders, "ecfStatusTroco");
    EXPECT_STREQ(ecf::layoutOf(freeLine, 50)->senders, "ecfImpLinha");
    EXPECT_EQ(ecf::layoutOf(freeLine, 49), nullptr);
    EXPECT_EQ(ecf::layoutOf(unknown, 4), nullptr);
    EXPECT_EQ(ecf::layoutFor(0xDA, 202)->fields.size(), ecf::layoutFor(0xDA, 187)->fields.size() + 1);
}

// One named field of a reply as read back.
struct Expected {
    const char* name;
    unsigned group;
    std::size_t position;
    std::string text;
};

void expectField(const std::vector<FieldValue>& values, const Expected& e) {
    for (const FieldValue& v : values) {
        if (v.name != e.name || v.group != e.group) continue;
        EXPECT_EQ(v.position, e.position) << e.name;
        EXPECT_EQ(v.text, e.text) << e.name;
        return;
    }
    ADD_FAILURE() << e.name << " " << e.group << " not found";
}

std::vector<uint8_t> replyOf(std::size_t length, std::size_t at, const std::string& bytes) {
    std::vector<uint8_t> reply(length, ' ');
    std::copy(bytes.begin(), bytes.end(), reply.begin() + static_cast<long>(at));
    return reply;
}

TEST(ReplyLayouts, RepliesReadBackAsNamedFields) {
    const struct {
        uint8_t code;
        std::size_t length;
        std::size_t at;
        std::string bytes;
        Expected field;
    } cases[] = {
        {0xE0, 72, 3, "0042", {"coo", 0, 3, "0042"}},
        {0xE4, 50, 3, std::string("SN1\0\0", 5), {"serial", 0, 3, "SN1"}},
        {0xE5, 268, 241, "00001", {"owner", 0, 241, "00001"}},
        {0x12, 747, 175 + 41 * 2, "T1800", {"rate", 3, 257, "T1800"}},
        {0x12, 747, 738, "000000123", {"last_operation", 0, 738, "000000123"}},
        {0x26, 9, 3, "030012", {"reductions", 0, 5, "0012"}},
    };
    for (const auto& c : cases) {
        const auto layout = ecf::replyLayoutFor(c.code, c.length);
        ASSERT_TRUE(layout) << c.field.name;
        const std::vector<uint8_t> reply = replyOf(c.length, c.at, c.bytes);
        const std::vector<FieldValue> values = ecf::readReply(*layout, reply.data(), reply.size());
        expectField(values, c.field);
        std::size_t covered = 0;
        for (const FieldValue& v : values) covered += v.raw.size();
        EXPECT_EQ(covered, c.length) << c.field.name;
    }

    const uint8_t printer[7] = {6, 0xDF, 0, 7, 0, 5, 0x0E};
    const auto values = ecf::readReply(*ecf::replyLayoutFor(0xDF, 7), printer, 7);
    EXPECT_EQ(values.back().name, "flags");
    EXPECT_EQ(values.back().number, 0x0Eu);
    EXPECT_FALSE(ecf::replyLayoutFor(0xE4, 51));
}

TEST(ReplyLayouts, ReadOutEntriesAreNumberedAndShortRepliesKeepWhatArrived) {
    const ecf::fiscaldata::MemoryCounts counts{2, 1};
    const std::size_t length = 5 + 2 * 59 + 5 + 41 + 22;
    std::vector<uint8_t> reply(length, '.');
    const std::string cgc2 = "22.222.222/0001-22", total = "00000000000001234,56";
    std::copy(cgc2.begin(), cgc2.end(), reply.begin() + 5 + 59);
    std::copy(total.begin(), total.end(), reply.begin() + 5 + 2 * 59 + 5 + 21);
    const auto values = ecf::fiscaldata::readReadOut(counts, reply.data(), reply.size());
    expectField(values, {"cgc", 2, 64, cgc2});
    expectField(values, {"total", 1, 149, total});
    EXPECT_EQ(values.back().position, length - 22);

    // Cut inside the second owner: only the first owner's fields and the rest as it came.
    const auto cut = ecf::fiscaldata::readReadOut(counts, reply.data(), 100);
    EXPECT_EQ(cut.size(), 1 + 6 + 1u);
    EXPECT_EQ(cut.back().position, 64u);
    EXPECT_EQ(cut.back().raw.size(), 36u);
}

// The export list names every out-parameter; a reply field handed whole to
// an out-parameter carries the same name, so the tool's decoding and the
// docs speak of one field by one name.
std::map<std::string, std::vector<std::string>> outputNamesOfTheList() {
    std::map<std::string, std::vector<std::string>> outputs;
    std::ifstream list(ECF_EXPORTS_FILE);
    std::string line;
    while (std::getline(list, line)) {
        std::istringstream words(line);
        std::string name, result, param;
        if (!(words >> name >> result) || name[0] == '#' || name[0] == '@') continue;
        while (words >> param)
            if (param.rfind("out", 0) == 0) outputs[name].push_back(param.substr(param.find(':') + 1));
    }
    return outputs;
}

TEST(ReplyLayouts, FieldsHandedToAnOutParameterBearItsNameInTheExportList) {
    const auto outputs = outputNamesOfTheList();
#ifdef _WIN32
    if (outputs.empty()) GTEST_SKIP() << "the export list is not reachable from here";
#endif
    ASSERT_FALSE(outputs.empty()) << ECF_EXPORTS_FILE;
    using namespace ecf::status;
    for (const Query* q : {&kPrinterStatus, &kReceiptStatus, &kTaxRateStatus, &kPaymentTypeStatus,
                           &kDocumentStatus, &kEquipmentStatus, &kUserData, &kChangeStatus,
                           &kLinkedStatus}) {
        std::istringstream senders(q->paramRecord.layout.senders);
        std::string form;
        while (senders >> form && form.rfind("ecfParam", 0) != 0) {}
        ASSERT_EQ(outputs.count(form), 1u) << q->paramRecord.layout.senders;
        const std::vector<std::string>& names = outputs.at(form);
        std::map<int, int> fieldsPerOutput;
        for (const ecf::ReplyField& f : q->fields) ++fieldsPerOutput[f.out];
        for (const ecf::ReplyField& f : q->fields) {
            if (f.out == ecf::kNotDelivered || fieldsPerOutput[f.out] > 1) continue;
            ASSERT_LT(static_cast<std::size_t>(f.out), names.size()) << form;
            EXPECT_EQ(f.name, names[static_cast<std::size_t>(f.out)]) << form;
        }
    }
}

}  // namespace
