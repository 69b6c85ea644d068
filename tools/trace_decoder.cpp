#include "trace_decoder.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "cp850.h"
#include "exchange_view.h"
#include "link/command_names.h"
#include "link/layout.h"
#include "link/step_names.h"

namespace ecf::cli {

namespace {

constexpr uint8_t kEsc = 0x1B;

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Hex digits, two a byte, optionally with blanks between the bytes.
std::optional<std::vector<uint8_t>> hexBytes(std::string_view text) {
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == ' ' || text[i] == '\t') {
            ++i;
            continue;
        }
        if (i + 1 >= text.size()) return std::nullopt;
        const int high = hexDigit(text[i]), low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(high << 4 | low));
        i += 2;
    }
    return bytes;
}

template <typename Number>
bool parseNumber(std::string_view text, Number& out, int base = 10) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, out, base);
    return !text.empty() && error == std::errc() && stop == end;
}

// %XX back to the byte; a '%' without two hex digits stays as it is.
std::string percentDecoded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
            hexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(text[i + 1]) << 4 | hexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::optional<std::string> readKey(TracedExchange& t, std::string_view key, std::string_view value,
                                   bool& sawSent, bool& sawRecv, bool& sawResult) {
    const auto bad = [&](const char* what) { return std::string(key) + "=: " + what; };
    if (key == "pid") {
        t.pid = std::string(value);
    } else if (key == "port") {
        t.port = percentDecoded(value);
    } else if (key == "device") {
        t.device = percentDecoded(value);
    } else if (key == "cmd") {
        t.command = std::string(value);
    } else if (key == "code") {
        uint8_t code = 0;
        if (!value.empty() && !parseNumber(value, code, 16)) return bad("not a byte in hex");
        if (!value.empty()) t.code = code;
    } else if (key == "sent" || key == "recv") {
        std::optional<std::vector<uint8_t>> bytes = hexBytes(value);
        if (!bytes) return bad("not hex bytes");
        (key == "sent" ? t.sent : t.received) = std::move(*bytes);
        (key == "sent" ? sawSent : sawRecv) = true;
    } else if (key == "result") {
        if (!parseNumber(value, t.result)) return bad("not a 32-bit number");
        sawResult = true;
    } else if (key == "us") {
        if (!parseNumber(value, t.elapsedUs)) return bad("not a number of microseconds");
    } else if (key == "step") {
        t.step = ecf::link::stepNamed(std::string(value).c_str());
        if (t.step == ECF_STEP_NONE) return bad("not a step of an exchange");
    } else if (key == "error") {
        if (!parseNumber(value, t.systemError)) return bad("not a number");
    }
    // Keys this reader does not know are left for readers that do.
    return std::nullopt;
}

std::variant<TracedExchange, Unreadable> readTrace(std::string_view line) {
    TracedExchange t;
    t.fromTrace = true;
    bool sawSent = false, sawRecv = false, sawResult = false;
    std::size_t at = 0;
    for (bool first = true; at <= line.size(); first = false) {
        std::size_t end = line.find(' ', at);
        if (end == std::string_view::npos) end = line.size();
        const std::string_view token = line.substr(at, end - at);
        at = end + 1;
        if (token.empty()) continue;
        const std::size_t equals = token.find('=');
        if (first && equals == std::string_view::npos) {
            t.time = std::string(token);
            continue;
        }
        if (equals == std::string_view::npos)
            return Unreadable{"'" + std::string(token.substr(0, 20)) + "' is not key=value"};
        if (auto why = readKey(t, token.substr(0, equals), token.substr(equals + 1), sawSent, sawRecv, sawResult))
            return Unreadable{*why};
    }
    if (!sawSent || !sawRecv || !sawResult) return Unreadable{"a trace line has sent=, recv= and result="};
    return t;
}

bool isPrintable(std::string_view line) {
    return std::all_of(line.begin(), line.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b >= 0x20 && b < 0x7F;
    });
}

}  // namespace

std::variant<TracedExchange, Unreadable> readTraceLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (line.empty()) return Unreadable{"an empty line"};
    if (!isPrintable(line)) return Unreadable{"not text: it holds control or non-ASCII bytes"};
    if (line.find('=') != std::string_view::npos) return readTrace(line);
    std::optional<std::vector<uint8_t>> bytes = hexBytes(line);
    if (!bytes || bytes->empty()) return Unreadable{"neither a trace line nor hex bytes"};
    TracedExchange t;
    t.sent = std::move(*bytes);
    return t;
}

namespace {

// ESC and the bytes, modulo 256: 0 for a whole frame.
unsigned frameSum(const std::vector<uint8_t>& bytes) {
    unsigned sum = kEsc;
    for (uint8_t b : bytes) sum += b;
    return sum % 256;
}

std::string hexByte(unsigned byte) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", byte & 0xFF);
    return text;
}

// The record of a frame, and what is wrong with the frame. A record led by
// 'f' ends with the checksum byte, which makes the frame sum to 0.
std::vector<uint8_t> recordOf(const TracedExchange& t, std::string& problem) {
    std::vector<uint8_t> record = t.sent;
    if (!record.empty() && record.front() == kEsc) {
        record.erase(record.begin());
    } else if (t.fromTrace && !record.empty()) {
        problem = "the frame does not begin with ESC";
    }
    if (record.size() < 2 || record.front() != kLeadByte) return record;
    if (frameSum(record) == 0) {
        record.pop_back();
        return record;
    }
    std::vector<uint8_t> withoutLast(record.begin(), record.end() - 1);
    if (layoutOf(withoutLast.data(), withoutLast.size()) != nullptr) {
        problem = "the checksum byte is " + hexByte(record.back()) + ", not " +
                  hexByte(256 - frameSum(withoutLast));
        return withoutLast;
    }
    if (layoutOf(record.data(), record.size()) != nullptr) problem = "no checksum byte";
    return record;
}

NamedValue named(const FieldValue& v) {
    NamedValue n{std::string(v.name), std::string(v.text), v.number};
    if (v.group != 0) n.name += "[" + std::to_string(v.group) + "]";
    return n;
}

void keepNamed(std::vector<NamedValue>& out, const std::vector<FieldValue>& fields) {
    for (const FieldValue& v : fields)
        if (!v.name.empty()) out.push_back(named(v));
}

// The reply lengths the library asks for with a code, shortest first.
std::vector<uint32_t> replyLengthsOf(uint8_t code) {
    std::vector<uint32_t> lengths;
    for (const ReplyLayout& layout : replyLayouts())
        if (layout.code == code) lengths.push_back(layout.length);
    std::sort(lengths.begin(), lengths.end());
    return lengths;
}

}  // namespace

void TraceDecoder::readAnswer(DecodedExchange& d, uint8_t code) {
    const std::vector<uint8_t>& got = d.traced.received;
    const std::vector<uint32_t> lengths = replyLengthsOf(code);
    const bool readOutOverTheLine = code == fiscaldata::kReadOut.code && d.fields.size() > 0 &&
                                    d.fields[0].number && !fiscaldata::printedByPrinter(static_cast<uint8_t>(*d.fields[0].number));
    if (readOutOverTheLine) {
        if (!counts_) return;  // the counts came in no line before: the length is unknown
        const int64_t length = fiscaldata::readOutLength(*counts_);
        d.expected = length > 0 && length < INT32_MAX ? static_cast<uint32_t>(length) : 0;
        keepNamed(d.replyFields, fiscaldata::readReadOut(*counts_, got.data(), got.size()));
        return;
    }
    if (lengths.empty()) {
        d.expected = 1;  // a command the printer answers with its status byte
        return;
    }
    d.expected = lengths.back();
    for (uint32_t length : lengths)
        if (length >= got.size()) {
            d.expected = length;
            break;
        }
    if (const std::optional<ReplyLayout> layout = replyLayoutFor(code, d.expected))
        keepNamed(d.replyFields, readReply(*layout, got.data(), got.size()));
    if (code == fiscaldata::kCountQuery.code) {
        counts_.reset();
        if (got.size() == fiscaldata::kCountReplyLength) {
            uint8_t reply[fiscaldata::kCountReplyLength];
            std::copy(got.begin(), got.end(), reply);
            counts_ = fiscaldata::decodeCounts(reply);
        }
    }
}

DecodedExchange TraceDecoder::decode(const TracedExchange& traced) {
    DecodedExchange d;
    d.traced = traced;
    const std::vector<uint8_t> record = recordOf(traced, d.frame);
    int32_t code = traced.code;
    if (!record.empty() && record[0] == kFreeLineLeadByte) code = kFreeLineLeadByte;
    if (record.size() >= 2 && record[0] == kLeadByte) code = record[1];
    d.command = code >= 0 ? ecf::link::commandName(code) : traced.command.empty() ? "unknown" : traced.command;

    if (const Layout* layout = layoutOf(record.data(), record.size())) {
        for (const FieldValue& v : readRecord(*layout, record.data(), record.size())) {
            if (!v.name.empty() && v.name != "command" && v.name != "lead") {
                d.fields.push_back(named(v));
            } else if (!v.asLaidOut) {
                d.fields.push_back({"byte " + std::to_string(v.position) + " (not as laid out)",
                                    std::string(v.raw), std::nullopt});
            }
        }
    } else if (!record.empty() && d.frame.empty()) {
        d.frame = "no layout of the library has " + std::to_string(record.size()) +
                  (code >= 0 ? " bytes with the code " + hexByte(static_cast<unsigned>(code)) : " bytes");
    }
    if (traced.fromTrace && code >= 0 && code != kFreeLineLeadByte) readAnswer(d, static_cast<uint8_t>(code));
    if (traced.fromTrace && code == kFreeLineLeadByte) d.expected = 1;

    ecf_exchange_info& r = d.report;
    r.size = sizeof r;
    r.result = traced.result;
    r.command_code = code;
    r.exchanges = traced.fromTrace ? 1 : 0;
    r.bytes_sent = static_cast<uint32_t>(traced.sent.size());
    r.bytes_received = static_cast<uint32_t>(traced.received.size());
    r.bytes_expected = d.expected != 0 ? d.expected : r.bytes_received;
    r.elapsed_us = traced.elapsedUs;
    r.failed_step = traced.step;
    r.system_error = traced.systemError;
    std::snprintf(r.port, sizeof r.port, "%s", traced.port.c_str());
    std::snprintf(r.device, sizeof r.device, "%s", traced.device.c_str());
    return d;
}

namespace {

// A text with its control bytes as \xNN, so that nothing reaches the
// terminal but text; in quotes, with '"' and '\\' escaped too. Bytes above
// 0x7F are code page 850 to convert, or bytes to pass as they are (`raw`: a
// printer's text with --raw, a device's path).
std::string escaped(const std::string& bytes, bool raw, bool inQuotes) {
    std::string out = inQuotes ? "\"" : "";
    for (char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        if (inQuotes && (b == '"' || b == '\\')) {
            out += '\\';
            out += c;
        } else if (b >= 0x20 && b < 0x7F) {
            out += c;
        } else if (b >= 0x80) {
            if (raw)
                out += c;
            else
                ecf::cp850::appendUtf8(out, ecf::cp850::codePoint(b));
        } else {
            out += "\\x" + hexByte(b);
        }
    }
    return inQuotes ? out + "\"" : out;
}

void putFields(std::string& out, const std::vector<NamedValue>& fields, const char* indent, bool raw) {
    for (const NamedValue& f : fields)
        out += indent + f.name + ": " + (f.number ? std::to_string(*f.number) : escaped(f.text, raw, true)) + "\n";
}

std::string elapsedText(uint32_t us) {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%03u ms", us / 1000, us % 1000);
    return text;
}

}  // namespace

std::string describe(const DecodedExchange& d, bool raw) {
    const TracedExchange& t = d.traced;
    std::string out;
    if (t.fromTrace)
        for (const std::string* part : {&t.time, &t.port, &t.device}) out += escaped(*part, true, false) + " ";
    out += escaped(d.command, true, false);
    if (d.report.command_code >= 0) out += " (" + hexByte(static_cast<unsigned>(d.report.command_code)) + ")";
    out += "\n";
    if (!d.frame.empty()) out += "  frame: " + d.frame + "\n";
    putFields(out, d.fields, "  ", raw);
    if (!t.fromTrace) return out;

    out += "  answer: ";
    if (t.received.empty()) {
        out += "none\n";
    } else if (d.expected == 1 && t.received.size() == 1) {
        out += "status byte " + std::to_string(t.received[0]) + "\n";
    } else {
        out += std::to_string(t.received.size()) + " of " +
               (d.expected != 0 ? std::to_string(d.expected) : std::string("?")) + " bytes\n";
        putFields(out, d.replyFields, "    ", raw);
    }
    out += "  result: " + std::to_string(t.result) + " (" + meaningOf("", t.result, d.report) + ")\n";
    if (const std::string problem = problemOf(d.report); !problem.empty())
        out += "  problem: " + escaped(problem, true, false) + "\n";
    out += "  took: " + elapsedText(t.elapsedUs) + "\n";
    return out;
}

}  // namespace ecf::cli
