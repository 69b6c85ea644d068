#include "fuzz_exports.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "call_checks.h"

namespace ecf::fuzz {
namespace {

std::string& report() {
    static std::string path;
    return path;
}

// Arguments drawn from the input; now and then a null string or out-parameter.
class DrawnArguments final : public calls::GuardedArguments {
public:
    explicit DrawnArguments(FuzzedDataProvider& input) : input_(input) {}

    const char* text(std::size_t, const calls::Parameter& p) override {
        if (std::strcmp(p.name, "report_file") == 0) return report().c_str();
        if (input_.ConsumeIntegralInRange<int>(0, 15) == 0) return nullptr;
        return exactCopy(input_.ConsumeRandomLengthString(300));
    }
    uint32_t number(std::size_t, const calls::Parameter&) override { return input_.ConsumeIntegral<uint32_t>(); }
    char* out(std::size_t, const calls::Parameter& p) override {
        return input_.ConsumeIntegralInRange<int>(0, 15) == 0 ? nullptr : outBlock(p.capacity);
    }
    unsigned char* outByte(std::size_t, const calls::Parameter&) override { return outByteBlock(); }
    ecf_exchange_info* info(std::size_t, const calls::Parameter&) override {
        if (input_.ConsumeIntegralInRange<int>(0, 15) == 0) return nullptr;
        return infoBlock(input_.ConsumeIntegral<uint32_t>());
    }

private:
    FuzzedDataProvider& input_;
};

// The printer's side: up to four answers, then silence. Mostly a reply that
// arrives; now and then a port that cannot be opened or a read that fails.
std::vector<scripted::Answer> drawAnswers(FuzzedDataProvider& input) {
    std::vector<scripted::Answer> answers(input.ConsumeIntegralInRange<std::size_t>(1, 4));
    for (scripted::Answer& a : answers) {
        switch (input.ConsumeIntegralInRange<int>(0, 15)) {
            case 0: a.openError = link::OpenError::accessDenied; break;
            case 1: a.openError = link::OpenError::other; break;
            case 2: a.readError = input.ConsumeIntegral<uint16_t>() | 1u; break;
            default: break;
        }
        const std::string bytes = input.ConsumeRandomLengthString(2048);
        a.bytes.assign(bytes.begin(), bytes.end());
    }
    return answers;
}

// The exports of the families named in a comma-separated list.
std::vector<const calls::ExportCall*> familiesOf(const std::string& families) {
    std::vector<const calls::ExportCall*> out;
    for (const calls::ExportCall& c : calls::all())
        if (c.present && ("," + families + ",").find("," + std::string(c.family) + ",") != std::string::npos)
            out.push_back(&c);
    return out;
}

void enterWorkingDirectory() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/ecf-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr || ::chdir(pattern.c_str()) != 0)
        finding("no working directory");
    report() = pattern + "/report.txt";
    // Every exchange also goes through the trace's formatting, hostile replies and all.
    if (ecf_set_trace("/dev/null") != 0) finding("no trace");
    static const char names[42] = "REAL\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0REAIS";
    if (FILE* f = std::fopen("moeda", "wb")) {
        std::fwrite(names, 1, sizeof names, f);
        std::fclose(f);
    }
}

}  // namespace

void finding(const char* what) {
    std::fprintf(stderr, "finding: %s\n", what);
    std::abort();
}

int runExports(const uint8_t* data, std::size_t size, const char* families) {
    static const std::vector<const calls::ExportCall*> exports = familiesOf(families);  // one list a target
    if (exports.empty()) finding("no export of these families");
    FuzzedDataProvider input(data, size);
    const calls::ExportCall& call = *exports[input.ConsumeIntegralInRange<std::size_t>(0, exports.size() - 1)];
    scripted::setAnswers(drawAnswers(input));
    DrawnArguments arguments(input);
    const calls::Outcome outcome = call.call(arguments);
    const std::string fault = calls::callFault(call, outcome, scripted::takeExchanges(), arguments);
    if (!fault.empty()) finding(fault.c_str());
    return 0;
}

}  // namespace ecf::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ecf::fuzz::enterWorkingDirectory();
    return 0;
}
