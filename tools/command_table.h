// The exports of the library as the command-line tool sees them: generated
// from the one export list, so the tool cannot drift from the header.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ecf::cli {

enum class Kind { i32, u32, u8, s8, str, out, outbyte };
enum class ResultKind { i32, i16, text };

struct Param {
    Kind kind;
    const char* name;
    unsigned capacity;  // bytes of an out buffer
};

// Thrown when a command-line argument does not fit its parameter.
struct BadArgument {
    std::string message;
};

// The arguments of one call, converted from text to the types the export
// declares, and the buffers its out-parameters write into.
class Call {
public:
    Call(const std::vector<Param>& params, const std::vector<std::string>& inputs);

    const char* str(std::size_t i) const { return values_[i].text.c_str(); }
    int32_t i32(std::size_t i) const { return static_cast<int32_t>(values_[i].number); }
    uint32_t u32(std::size_t i) const { return static_cast<uint32_t>(values_[i].number); }
    unsigned char u8(std::size_t i) const { return static_cast<unsigned char>(values_[i].number); }
    signed char s8(std::size_t i) const { return static_cast<signed char>(values_[i].number); }
    char* out(std::size_t i) { return values_[i].buffer.data(); }
    unsigned char* outbyte(std::size_t i) {
        return reinterpret_cast<unsigned char*>(values_[i].buffer.data());
    }

    void setResult(int32_t result) { result_ = result; }
    void setText(const char* text) { text_ = text != nullptr ? text : ""; }

    int32_t result() const { return result_; }
    const std::string& text() const { return text_; }
    // An out-parameter as the export left it: up to its first NUL.
    std::string output(std::size_t i) const;
    unsigned outputByte(std::size_t i) const {
        return static_cast<unsigned char>(values_[i].buffer[0]);
    }

private:
    struct Value {
        std::string text;
        long long number = 0;
        std::vector<char> buffer;
    };
    std::vector<Value> values_;
    int32_t result_ = 0;
    std::string text_;
};

struct Command {
    const char* exportName;
    ResultKind result;
    std::vector<Param> params;
    void (*invoke)(Call&);
};

const std::vector<Command>& commands();

// "ecfStatusCupom" -> "StatusCupom"; and its kebab-case alias "status-cupom".
std::string shortName(const std::string& exportName);
std::string kebabName(const std::string& exportName);

// One line saying what an export does, for the help text.
const char* summaryOf(const std::string& exportName);

// Code page 850 bytes as UTF-8, for showing the printer's texts.
std::string cp850ToUtf8(const std::string& bytes);

// A text typed in the terminal (UTF-8) as code page 850 bytes for the
// printer; bytes that are not UTF-8, or a character the code page lacks, are
// a BadArgument naming the parameter and the character.
std::string utf8ToCp850(const std::string& text, const char* paramName);

// The names closest to a mistyped one, best first, at most three; case is
// ignored.
std::vector<std::string> closestNames(const std::string& typed, const std::vector<std::string>& names);

}  // namespace ecf::cli
