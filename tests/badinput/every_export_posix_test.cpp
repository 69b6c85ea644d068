// Every export of the list, called with what a careless or hostile caller and
// a faulty printer hand it: null pointers, strings of 1 MB, non-digit
// amounts, out-of-range numbers, replies that are silent, short, garbage or
// all NUL. Nothing may crash or write past a buffer (the sanitizer build
// watches), and every frame on the line still keeps the field rules.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "export_calls.h"
#include "support/pty_peer.h"
#include "scripted_line.h"
#include "wire_rules.h"

namespace {

using ecf::calls::Arguments;
using ecf::calls::ExportCall;
using ecf::calls::Kind;
using ecf::calls::Outcome;
using ecf::calls::Parameter;
using ecf::calls::Returns;
using ecf::scripted::Answer;
using ecf::scripted::Bytes;
using ecf::scripted::Exchange;

constexpr std::size_t kHuge = 1 << 20;
constexpr std::size_t kKeep = 1024;  // longer than any field
constexpr char kCanary = 0x7F;

// A megabyte of printable bytes that differ from place to place, so that a
// field taken from the wrong end shows.
const std::string& hugeText() {
    static const std::string s = [] {
        std::string t(kHuge, ' ');
        for (std::size_t i = 0; i < t.size(); ++i) t[i] = static_cast<char>('0' + (i * 7 + i / 97) % 75);
        return t;
    }();
    return s;
}

// The first and the last kKeep bytes of the huge text: every field, cut from
// either end as its kind says, must come out the same as from the whole.
const std::string& hugeHeadAndTail() {
    static const std::string s = hugeText().substr(0, kKeep) + hugeText().substr(kHuge - kKeep);
    return s;
}

enum class Strings { usual, empty, null, huge, headAndTail, nonDigits };

struct Plan {
    Strings strings = Strings::usual;
    uint32_t number = 1;
    bool nullOuts = false;
};

// Arguments as a plan says, each out-parameter a heap block of exactly its
// least size, filled with a canary, so that a write past it is caught.
class PlannedArguments final : public Arguments {
public:
    PlannedArguments(const Plan& plan, std::string reportPath)
        : plan_(plan), reportPath_(std::move(reportPath)) {}

    const char* text(std::size_t, const Parameter& p) override {
        if (std::strcmp(p.name, "report_file") == 0 && plan_.strings != Strings::null &&
            plan_.strings != Strings::empty && plan_.strings != Strings::huge &&
            plan_.strings != Strings::headAndTail)
            return reportPath_.c_str();
        switch (plan_.strings) {
            case Strings::usual: return "12345678";
            case Strings::empty: return "";
            case Strings::null: return nullptr;
            case Strings::huge: return hugeText().c_str();
            case Strings::headAndTail: return hugeHeadAndTail().c_str();
            case Strings::nonDigits: return "1,5a\xFF-\x1B?";
        }
        return "";
    }
    uint32_t number(std::size_t, const Parameter&) override { return plan_.number; }
    char* out(std::size_t, const Parameter& p) override {
        if (plan_.nullOuts) return nullptr;
        return newBlock(p.capacity);
    }
    unsigned char* outByte(std::size_t, const Parameter&) override {
        if (plan_.nullOuts) return nullptr;
        return reinterpret_cast<unsigned char*>(newBlock(1));
    }

    // Each out-parameter is untouched or holds a string that ends inside it.
    std::string outFault() const {
        for (const Block& b : blocks_) {
            if (b.size == 1) continue;  // a byte, any value
            bool untouched = true;
            bool terminated = false;
            for (std::size_t i = 0; i < b.size; ++i) {
                untouched = untouched && b.data[i] == kCanary;
                terminated = terminated || b.data[i] == '\0';
            }
            if (!untouched && !terminated)
                return "an out-parameter of " + std::to_string(b.size) + " bytes is not terminated";
        }
        return "";
    }

private:
    struct Block {
        std::unique_ptr<char[]> data;
        std::size_t size;
    };
    char* newBlock(std::size_t size) {
        blocks_.push_back(Block{std::make_unique<char[]>(size), size});
        std::memset(blocks_.back().data.get(), kCanary, size);
        return blocks_.back().data.get();
    }

    Plan plan_;
    std::string reportPath_;
    std::vector<Block> blocks_;
};

// The library reads "moeda" from the current directory and writes reports
// where it is told: all of it happens in a fresh directory.
class BadInput : public ::testing::TestWithParam<const ExportCall*> {
protected:
    static void SetUpTestSuite() {
        previous_ = std::filesystem::current_path();
        char pattern[] = "/tmp/ecf-badinput-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        directory_ = pattern;
        std::filesystem::current_path(directory_);
        std::ofstream moeda("moeda", std::ios::binary);
        const char names[42] = "REAL\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0REAIS";
        moeda.write(names, sizeof names);
    }
    static void TearDownTestSuite() {
        std::filesystem::current_path(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }
    void SetUp() override {
        if (!GetParam()->present) {
            GTEST_SKIP() << GetParam()->name << " is not in the library yet";
        }
    }

    struct Run {
        Outcome outcome;
        std::vector<Exchange> exchanges;
        std::string outFault;
    };

    // Calls the export once, every exchange answered by `answer`.
    static Run run(const ExportCall& call, const Plan& plan, const Answer& answer) {
        ecf::scripted::setAnswers(std::vector<Answer>(16, answer));
        PlannedArguments arguments(plan, (directory_ / "report.txt").string());
        Run r;
        r.outcome = call.call(arguments);
        r.exchanges = ecf::scripted::takeExchanges();
        r.outFault = arguments.outFault();
        return r;
    }

    static std::vector<Bytes> wires(const Run& r) {
        std::vector<Bytes> out;
        for (const Exchange& e : r.exchanges) out.push_back(e.wire);
        return out;
    }

    static void expectSound(const ExportCall& call, const Run& r, const std::string& what) {
        SCOPED_TRACE(what);
        for (const Exchange& e : r.exchanges) {
            if (!e.opened) continue;
            EXPECT_EQ(ecf::wire::wireFault(e.wire, e.readLength), "") << ecf::test::hex(e.wire);
        }
        EXPECT_EQ(r.outFault, "");
        if (call.returns == Returns::text) {
            ASSERT_NE(r.outcome.text, nullptr);
            EXPECT_LT(std::strlen(r.outcome.text), 1000u);
        }
    }

    static std::filesystem::path previous_;
    static std::filesystem::path directory_;
};

std::filesystem::path BadInput::previous_;
std::filesystem::path BadInput::directory_;

Answer zeros() { return Answer{ecf::link::OpenError::none, 0, Bytes(1024, 0)}; }

TEST_P(BadInput, NullStringsGoOutAsEmptyStrings) {
    const ExportCall& call = *GetParam();
    const Run empty = run(call, Plan{Strings::empty, 1, false}, zeros());
    const Run null = run(call, Plan{Strings::null, 1, false}, zeros());
    expectSound(call, null, "null strings");
    EXPECT_EQ(wires(null), wires(empty));
    EXPECT_EQ(null.outcome.value, empty.outcome.value);
}

TEST_P(BadInput, NullOutParametersAreSkipped) {
    const ExportCall& call = *GetParam();
    const Run given = run(call, Plan{Strings::usual, 1, false}, zeros());
    const Run skipped = run(call, Plan{Strings::usual, 1, true}, zeros());
    expectSound(call, skipped, "null out-parameters");
    EXPECT_EQ(wires(skipped), wires(given));
    EXPECT_EQ(skipped.outcome.value, given.outcome.value);
}

TEST_P(BadInput, AMegabyteStringIsCutToItsField) {
    const ExportCall& call = *GetParam();
    const Run huge = run(call, Plan{Strings::huge, 1, false}, zeros());
    const Run cut = run(call, Plan{Strings::headAndTail, 1, false}, zeros());
    expectSound(call, huge, "1 MB strings");
    EXPECT_EQ(wires(huge), wires(cut));
    EXPECT_EQ(huge.outcome.value, cut.outcome.value);
}

TEST_P(BadInput, NumbersOutOfEveryRangeKeepTheFrame) {
    const ExportCall& call = *GetParam();
    for (const uint32_t number : {0u, 3u, 4u, 99u, 100u, 255u, 256u, 300u, 9999u, 10000u, 0x7FFFFFFFu,
                                  0x80000000u, 0xFFFFFFFFu}) {
        for (const Strings strings : {Strings::usual, Strings::nonDigits}) {
            const Run r = run(call, Plan{strings, number, false}, zeros());
            expectSound(call, r, "number " + std::to_string(number));
        }
    }
}

// Replies a printer should never send, each given to every exchange.
std::vector<std::pair<std::string, Answer>> hostileAnswers() {
    std::mt19937 random(20240601);
    Bytes garbage(2048);
    for (uint8_t& b : garbage) b = static_cast<uint8_t>(random());
    Bytes digits(2048, '9');
    return {
        {"silent", Answer{}},
        {"one byte", Answer{ecf::link::OpenError::none, 0, Bytes{0x41}}},
        {"three bytes", Answer{ecf::link::OpenError::none, 0, Bytes{0x30, 0x32, 0x31}}},
        {"all 0xFF", Answer{ecf::link::OpenError::none, 0, Bytes(2048, 0xFF)}},
        {"all NUL", Answer{ecf::link::OpenError::none, 0, Bytes(2048, 0x00)}},
        {"all nines", Answer{ecf::link::OpenError::none, 0, digits}},
        {"garbage", Answer{ecf::link::OpenError::none, 0, garbage}},
        {"port in use", Answer{ecf::link::OpenError::accessDenied, 0, {}}},
        {"port gone", Answer{ecf::link::OpenError::other, 0, {}}},
        {"read fails", Answer{ecf::link::OpenError::none, 5, {}}},
    };
}

TEST_P(BadInput, HostileRepliesNeverBreakTheCall) {
    const ExportCall& call = *GetParam();
    for (const auto& [name, answer] : hostileAnswers()) {
        for (const uint32_t number : {1u, 3u, 4u}) {  // 3 and 4: the read-out over the line
            const Run r = run(call, Plan{Strings::usual, number, false}, answer);
            expectSound(call, r, name + ", number " + std::to_string(number));
        }
    }
}

std::vector<const ExportCall*> allExports() {
    std::vector<const ExportCall*> out;
    for (const ExportCall& c : ecf::calls::all()) {
        if (c.family == std::string("link")) continue;  // ChangePort sends nothing
        out.push_back(&c);
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(EveryExport, BadInput, ::testing::ValuesIn(allExports()),
                         [](const ::testing::TestParamInfo<const ExportCall*>& row) { return std::string(row.param->name); });

TEST(ExportTable, HoldsEveryExportOfTheList) {
    std::ifstream list(ECF_EXPORTS_FILE);
    ASSERT_TRUE(list.good());
    std::size_t listed = 0;
    for (std::string line; std::getline(list, line);) {
        if (line.empty() || line[0] == '#' || line[0] == '@') continue;
        const std::string name = line.substr(0, line.find_first_of(" \t"));
        EXPECT_NE(ecf::calls::find(name.c_str()), nullptr) << name;
        ++listed;
    }
    EXPECT_EQ(listed, ecf::calls::kExportCallCount);
}

}  // namespace
