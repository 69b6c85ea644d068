// Every export of the library as a row of a table, generated from the export
// list (exports/ecf.exports): its name, its argument kinds and a call that
// takes the arguments from an Arguments object. Fuzz targets and bad-input
// tests walk this table to reach every export with arguments of their choice.
// An export that the program was linked without is marked not present.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ecf_ext.h"

namespace ecf::calls {

enum class Kind { i32, u32, u8, s8, str, out, outbyte, info };
enum class Returns { i32, i16, text, ctext };

struct Parameter {
    Kind kind;
    std::size_t capacity;  // out: the least size of the caller's buffer
    const char* name;
};

// Where a call takes its arguments from. Numbers are the raw 32 bits; the
// call narrows them to the parameter's type as a C caller would.
class Arguments {
public:
    virtual ~Arguments() = default;
    virtual const char* text(std::size_t index, const Parameter& p) = 0;
    virtual uint32_t number(std::size_t index, const Parameter& p) = 0;
    virtual char* out(std::size_t index, const Parameter& p) = 0;
    virtual unsigned char* outByte(std::size_t index, const Parameter& p) = 0;
    virtual ecf_exchange_info* info(std::size_t index, const Parameter& p) = 0;
};

struct Outcome {
    int32_t value = 0;            // the result, for i32 and i16 exports
    const char* text = nullptr;   // the result text, for text and ctext exports
};

struct ExportCall {
    const char* name;
    const char* family;  // link, receipt, program, status, fiscaldata, cheque, ext
    Returns returns;
    const Parameter* parameters;
    std::size_t parameterCount;
    bool present;  // false when the program was linked without this export
    Outcome (*call)(Arguments&);
};

extern const ExportCall kExportCalls[];
extern const std::size_t kExportCallCount;

struct Table {
    const ExportCall* begin() const { return kExportCalls; }
    const ExportCall* end() const { return kExportCalls + kExportCallCount; }
};
inline Table all() { return {}; }
const ExportCall* find(const char* name);

}  // namespace ecf::calls
