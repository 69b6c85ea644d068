// Every export of the list, called with what a careless or hostile caller and
// a faulty printer hand it: null pointers, strings of 1 MB, non-digit
// amounts, out-of-range numbers, replies that are silent, short, garbage or
// all NUL. Nothing may crash or write past a buffer (the sanitizer build
// watches), and every frame on the line still keeps the field rules.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "call_checks.h"
#include "cheque/currency_dir.h"

namespace {

using ecf::calls::ExportCall;
using ecf::calls::Parameter;
using ecf::scripted::Answer;
using ecf::scripted::Bytes;

constexpr std::size_t kHuge = 1 << 20;
constexpr std::size_t kKeep = 1024;  // longer than any field

// A megabyte of printable bytes that differ from place to place, so that a
// field taken from the wrong end shows; and its first and last kKeep bytes:
// every field, cut from either end as its kind says, must come out the same.
const std::string& hugeText() {
    static const std::string s = [] {
        std::string t(kHuge, ' ');
        for (std::size_t i = 0; i < t.size(); ++i) t[i] = static_cast<char>('0' + (i * 7 + i / 97) % 75);
        return t;
    }();
    return s;
}
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

// Arguments as a plan says; a report file name stays a usable path unless
// the plan is about the strings' length or absence.
class PlannedArguments final : public ecf::calls::GuardedArguments {
public:
    explicit PlannedArguments(const Plan& plan) : plan_(plan) {}

    const char* text(std::size_t, const Parameter& p) override {
        switch (plan_.strings) {
            case Strings::empty: return "";
            case Strings::null: return nullptr;
            case Strings::huge: return hugeText().c_str();
            case Strings::headAndTail: return exactCopy(hugeHeadAndTail());
            default: break;
        }
        if (std::strcmp(p.name, "report_file") == 0) return exactCopy("report.txt");
        return exactCopy(plan_.strings == Strings::usual ? "12345678" : "1,5a\xFF-\x1B?");
    }
    uint32_t number(std::size_t, const Parameter&) override { return plan_.number; }
    char* out(std::size_t, const Parameter& p) override { return plan_.nullOuts ? nullptr : outBlock(p.capacity); }
    unsigned char* outByte(std::size_t, const Parameter&) override {
        return plan_.nullOuts ? nullptr : outByteBlock();
    }
    // The report is no out-parameter to skip: its size is the plan's number.
    ecf_exchange_info* info(std::size_t, const Parameter&) override { return infoBlock(plan_.number); }

private:
    Plan plan_;
};

// What a call did: its result and the frames it put on the line.
struct Call {
    int32_t value;
    std::vector<Bytes> wires;
};

// The library reads "moeda" from the current directory and writes reports
// where it is told: all of it happens in a scratch directory.
class BadInput : public ::testing::TestWithParam<const ExportCall*> {
protected:
    static void SetUpTestSuite() {
        directory_ = std::make_unique<ecf::test::InScratchDir>();
        ecf::test::writeCurrencyNames("REAL", "REAIS");
    }
    static void TearDownTestSuite() { directory_.reset(); }
    void SetUp() override { ASSERT_TRUE(GetParam()->present) << GetParam()->name << " is missing"; }

    // Calls the export once, every exchange answered by `answer`, and checks
    // that the call kept the rules.
    static Call run(const Plan& plan, const Answer& answer = zeros(), const std::string& what = "") {
        const ExportCall& call = *GetParam();
        ecf::scripted::setAnswers(std::vector<Answer>(16, answer));
        PlannedArguments arguments(plan);
        const ecf::calls::Outcome outcome = call.call(arguments);
        const std::vector<ecf::scripted::Exchange> exchanges = ecf::scripted::takeExchanges();
        EXPECT_EQ(ecf::calls::callFault(call, outcome, exchanges, arguments), "") << what;
        Call r{outcome.value, {}};
        for (const auto& e : exchanges) r.wires.push_back(e.wire);
        return r;
    }
    static Answer zeros() { return Answer{ecf::link::OpenError::none, 0, Bytes(1024, 0)}; }

    static inline std::unique_ptr<ecf::test::InScratchDir> directory_;
};

// Each pair of plans must put the same frames on the line and give the same result.
TEST_P(BadInput, NullAndHugeArgumentsGoOutAsTheirPlainCounterparts) {
    const struct {
        const char* what;
        Plan plan, counterpart;
    } cases[] = {
        {"null strings as empty strings", {Strings::null, 1, false}, {Strings::empty, 1, false}},
        {"null out-parameters skipped", {Strings::usual, 1, true}, {Strings::usual, 1, false}},
        {"1 MB strings cut to their fields", {Strings::huge, 1, false}, {Strings::headAndTail, 1, false}},
    };
    for (const auto& c : cases) {
        const Call r = run(c.plan, zeros(), c.what);
        const Call counterpart = run(c.counterpart, zeros(), c.what);
        EXPECT_EQ(r.wires, counterpart.wires) << c.what;
        EXPECT_EQ(r.value, counterpart.value) << c.what;
    }
}

TEST_P(BadInput, NumbersOutOfEveryRangeKeepTheFrame) {
    for (const uint32_t number : {0u, 3u, 4u, 99u, 100u, 255u, 256u, 300u, 9999u, 10000u, 0x7FFFFFFFu,
                                  0x80000000u, 0xFFFFFFFFu}) {
        for (const Strings strings : {Strings::usual, Strings::nonDigits})
            run(Plan{strings, number, false}, zeros(), "number " + std::to_string(number));
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
    for (const auto& [name, answer] : hostileAnswers()) {
        for (const uint32_t number : {1u, 3u, 4u})  // 3 and 4: the read-out over the line
            run(Plan{Strings::usual, number, false}, answer, name + ", number " + std::to_string(number));
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

// The extensions answer what they cannot use with a clear result, never a crash.
TEST(Extensions, RefuseNullShortAndHugeArguments) {
    ecf_exchange_info info{};
    const struct {
        const char* what;
        std::function<int32_t()> call;
        int32_t result;
    } cases[] = {
        {"no report", [] { return ecf_last_exchange(nullptr); }, -1},
        {"a report of size 0", [&] { info.size = 0; return ecf_last_exchange(&info); }, -2},
        {"a report one byte short", [&] { info.size = sizeof info - 1; return ecf_last_exchange(&info); }, -2},
        {"a report longer than this one", [&] { info.size = 0xFFFFFFFF; return ecf_last_exchange(&info); }, 0},
        {"a trace path of 1 MB", [] { return ecf_set_trace(hugeText().c_str()); }, -1},
        {"no trace path", [] { return ecf_set_trace(nullptr); }, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.call(), c.result) << c.what;
    EXPECT_EQ(info.size, 0xFFFFFFFFu) << "the caller's size stays";
    EXPECT_STREQ(ecf_result_text(1010, hugeText().c_str()), "porta em uso");
    EXPECT_STREQ(ecf_result_text(1010, "en"), "the port is in use");
    EXPECT_STREQ(ecf_result_text(INT32_MIN, "en"), "unknown code");
}

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
