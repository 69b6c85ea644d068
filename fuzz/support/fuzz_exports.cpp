#include "fuzz_exports.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "export_calls.h"
#include "scripted_line.h"
#include "wire_rules.h"

namespace ecf::fuzz {
namespace {

constexpr char kCanary = 0x7F;
constexpr std::size_t kLongestText = 1000;  // longer than any result text

std::string& directory() {
    static std::string path;
    return path;
}

std::string& report() {
    static std::string path;
    return path;
}

// Arguments drawn from the input. Strings are heap blocks of exactly their
// length plus the NUL, out-parameters blocks of exactly their least size, so
// that the sanitizer sees any access past them.
class DrawnArguments final : public calls::Arguments {
public:
    explicit DrawnArguments(FuzzedDataProvider& input) : input_(input) {}

    const char* text(std::size_t, const calls::Parameter& p) override {
        if (std::strcmp(p.name, "report_file") == 0) return reportPath();
        if (input_.ConsumeIntegralInRange<int>(0, 15) == 0) return nullptr;
        const std::string s = input_.ConsumeRandomLengthString(300);
        return keep(s.c_str(), s.size() + 1);
    }
    uint32_t number(std::size_t, const calls::Parameter&) override {
        return input_.ConsumeIntegral<uint32_t>();
    }
    char* out(std::size_t, const calls::Parameter& p) override {
        if (input_.ConsumeIntegralInRange<int>(0, 15) == 0) return nullptr;
        outs_.push_back(blocks_.size());
        return keep(nullptr, p.capacity);
    }
    unsigned char* outByte(std::size_t, const calls::Parameter&) override {
        return reinterpret_cast<unsigned char*>(keep(nullptr, 1));
    }

    // Each out-parameter is untouched or holds a string ending inside it.
    bool outsSound() const {
        for (std::size_t i : outs_) {
            const Block& b = blocks_[i];
            bool untouched = true;
            bool terminated = false;
            for (std::size_t k = 0; k < b.size; ++k) {
                untouched = untouched && b.data[k] == kCanary;
                terminated = terminated || b.data[k] == '\0';
            }
            if (!untouched && !terminated) return false;
        }
        return true;
    }

private:
    struct Block {
        std::unique_ptr<char[]> data;
        std::size_t size;
    };
    char* keep(const char* from, std::size_t size) {
        blocks_.push_back(Block{std::make_unique<char[]>(size), size});
        char* p = blocks_.back().data.get();
        if (from != nullptr)
            std::memcpy(p, from, size);
        else
            std::memset(p, kCanary, size);
        return p;
    }

    FuzzedDataProvider& input_;
    std::vector<Block> blocks_;
    std::vector<std::size_t> outs_;
};

// The printer's side: up to four answers, then silence. Mostly a reply that
// arrives; now and then a port that cannot be opened or a read that fails.
std::vector<scripted::Answer> drawAnswers(FuzzedDataProvider& input) {
    std::vector<scripted::Answer> answers;
    const int count = input.ConsumeIntegralInRange<int>(1, 4);
    for (int i = 0; i < count; ++i) {
        scripted::Answer a;
        switch (input.ConsumeIntegralInRange<int>(0, 15)) {
            case 0: a.openError = link::OpenError::accessDenied; break;
            case 1: a.openError = link::OpenError::other; break;
            case 2: a.readError = input.ConsumeIntegral<uint16_t>() | 1u; break;
            default: break;
        }
        const std::string bytes = input.ConsumeRandomLengthString(2048);
        a.bytes.assign(bytes.begin(), bytes.end());
        answers.push_back(std::move(a));
    }
    return answers;
}

std::vector<const calls::ExportCall*> familyOf(const char* family) {
    std::vector<const calls::ExportCall*> out;
    for (const calls::ExportCall& c : calls::all())
        if (c.present && std::strcmp(c.family, family) == 0) out.push_back(&c);
    return out;
}

}  // namespace

void finding(const char* what) {
    std::fprintf(stderr, "finding: %s\n", what);
    std::abort();
}

void enterWorkingDirectory() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/ecf-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr || ::chdir(pattern.c_str()) != 0)
        finding("no working directory");
    directory() = pattern;
    report() = directory() + "/report.txt";
    static const char names[42] = "REAL\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0REAIS";
    if (FILE* f = std::fopen("moeda", "wb")) {
        std::fwrite(names, 1, sizeof names, f);
        std::fclose(f);
    }
}

const char* reportPath() { return report().c_str(); }

int runExports(const uint8_t* data, std::size_t size, const char* family) {
    const std::vector<const calls::ExportCall*> exports = familyOf(family);
    if (exports.empty()) return 0;
    FuzzedDataProvider input(data, size);
    const calls::ExportCall& call =
        *exports[input.ConsumeIntegralInRange<std::size_t>(0, exports.size() - 1)];
    scripted::setAnswers(drawAnswers(input));
    DrawnArguments arguments(input);
    const calls::Outcome outcome = call.call(arguments);

    for (const scripted::Exchange& e : scripted::takeExchanges()) {
        if (!e.opened) continue;
        const std::string fault = wire::wireFault(e.wire, e.readLength);
        if (!fault.empty()) finding(fault.c_str());
    }
    if (!arguments.outsSound()) finding("an out-parameter is not terminated");
    if (call.returns == calls::Returns::text) {
        if (outcome.text == nullptr) finding("a text form returned null");
        if (::strnlen(outcome.text, kLongestText) == kLongestText) finding("a result text runs on");
    }
    return 0;
}

}  // namespace ecf::fuzz
