// What a call of an export must keep, whatever its arguments and the
// printer's answers: every frame it put on the line keeps the field rules,
// every out-parameter is untouched or holds a string ending inside it, and a
// text form returns a text of bounded length. Shared by the fuzz targets and
// the bad-input tests.
#pragma once

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "export_calls.h"
#include "scripted_line.h"
#include "wire_rules.h"

namespace ecf::calls {

constexpr std::size_t kLongestText = 1000;  // longer than any result text

// Arguments in heap blocks of exactly their size (a string and its NUL, an
// out-parameter its least size, filled with a canary), so that the sanitizers
// see any access past them and outFault() sees an unterminated out-parameter.
class GuardedArguments : public Arguments {
public:
    static constexpr char kCanary = 0x7F;

    std::string outFault() const {
        for (const Block& b : outs_) {
            bool untouched = true, terminated = false;
            for (std::size_t i = 0; i < b.size; ++i) {
                untouched = untouched && b.data[i] == kCanary;
                terminated = terminated || b.data[i] == '\0';
            }
            if (!untouched && !terminated)
                return "an out-parameter of " + std::to_string(b.size) + " bytes is not terminated";
        }
        return "";
    }

protected:
    const char* exactCopy(const std::string& s) { return keep(texts_, s.size() + 1, s.c_str()); }
    char* outBlock(std::size_t size) { return keep(outs_, size, nullptr); }
    unsigned char* outByteBlock() { return reinterpret_cast<unsigned char*>(keep(texts_, 1, nullptr)); }
    // An exchange report whose size field says `size`, in a block no longer
    // than that (at least the size field, at most the whole struct).
    ecf_exchange_info* infoBlock(uint32_t size) {
        const std::size_t bytes = std::max<std::size_t>(sizeof size, std::min<std::size_t>(size, sizeof(ecf_exchange_info)));
        char* block = keep(texts_, bytes, nullptr);
        std::memcpy(block, &size, sizeof size);
        return reinterpret_cast<ecf_exchange_info*>(block);
    }

private:
    struct Block {
        std::unique_ptr<char[]> data;
        std::size_t size;
    };
    static char* keep(std::vector<Block>& blocks, std::size_t size, const char* from) {
        blocks.push_back(Block{std::make_unique<char[]>(size), size});
        char* p = blocks.back().data.get();
        if (from != nullptr) std::memcpy(p, from, size);
        else std::memset(p, kCanary, size);
        return p;
    }
    std::vector<Block> texts_, outs_;
};

// Empty when the call kept the rules above, else the first rule it broke.
inline std::string callFault(const ExportCall& call, const Outcome& outcome,
                             const std::vector<scripted::Exchange>& exchanges,
                             const GuardedArguments& arguments) {
    for (const scripted::Exchange& e : exchanges) {
        if (!e.opened) continue;
        const std::string fault = wire::wireFault(e.wire, e.readLength);
        if (!fault.empty())
            return fault + " (code " + std::to_string(e.wire.size() > 2 ? e.wire[2] : 0) + ")";
    }
    if (std::string fault = arguments.outFault(); !fault.empty()) return fault;
    if (call.returns != Returns::text && call.returns != Returns::ctext) return "";
    if (outcome.text == nullptr) return "a text form returned null";
    if (::strnlen(outcome.text, kLongestText) == kLongestText) return "a result text runs on";
    return "";
}

}  // namespace ecf::calls
