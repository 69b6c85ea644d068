#include "describe.h"

#include <ctime>

#include "ecfsim/state_file.h"
#include "ecfsim/status.h"

namespace ecfsim::web {

using nlohmann::json;

namespace {

// What a reply shows of itself in the log; a fiscal memory read-out may run
// to hundreds of kilobytes.
constexpr std::size_t kReplyShown = 400;

std::string two(int v) { return (v < 10 ? "0" : "") + std::to_string(v); }

std::string commandName(const std::vector<uint8_t>& record) {
    if (record.empty()) return "nothing";
    if (record[0] == kFreeLineLead) return "free text line";
    if (record[0] != kCommandLead || record.size() < 2) return "unknown";
    const CommandInfo* info = findCommand(record[1]);
    return info != nullptr ? info->name : "unknown";
}

// JSON text written piece by piece. Texts are UTF-8 already (the paper's
// and the fields' come through code page 850); only quotes, backslashes and
// control characters need escaping.
class JsonWriter {
public:
    JsonWriter& open(char bracket) {
        comma();
        out_ += bracket;
        first_ = true;
        return *this;
    }
    JsonWriter& close(char bracket) {
        out_ += bracket;
        first_ = false;
        return *this;
    }
    JsonWriter& key(std::string_view name) {
        comma();
        quoted(name);
        out_ += ':';
        first_ = true;
        return *this;
    }
    JsonWriter& text(std::string_view value) {
        comma();
        quoted(value);
        return *this;
    }
    JsonWriter& number(uint64_t value) {
        comma();
        out_ += std::to_string(value);
        return *this;
    }
    JsonWriter& boolean(bool value) {
        comma();
        out_ += value ? "true" : "false";
        return *this;
    }
    JsonWriter& null() {
        comma();
        out_ += "null";
        return *this;
    }
    std::string take() { return std::move(out_); }

private:
    void comma() {
        if (!first_) out_ += ',';
        first_ = false;
    }
    // Runs that need no escape are copied whole.
    void quoted(std::string_view s) {
        out_ += '"';
        std::size_t run = 0;
        for (std::size_t i = 0; i < s.size(); ++i) {
            const auto c = static_cast<unsigned char>(s[i]);
            if (c >= 0x20 && c != '"' && c != '\\') continue;
            out_.append(s.data() + run, i - run);
            run = i + 1;
            if (c >= 0x20) {
                out_ += '\\';
                out_ += static_cast<char>(c);
                continue;
            }
            static const char kHex[] = "0123456789abcdef";
            out_ += "\\u00";
            out_ += kHex[c >> 4];
            out_ += kHex[c & 0xF];
        }
        out_.append(s.data() + run, s.size() - run);
        out_ += '"';
    }

    std::string out_;
    bool first_ = true;
};

void writeFields(JsonWriter& w, const std::vector<uint8_t>& record) {
    w.key("fields").open('[');
    const FieldList list = record.empty() ? FieldList{nullptr, nullptr}
                                          : fieldsOf(record[0], record.size() > 1 ? record[1] : 0);
    for (const FieldInfo* f = list.begin; f != list.end; ++f) {
        if (f->pos + f->width > record.size()) continue;  // e.g. the long form's last field
        w.open('{').key("name").text(f->name).key("value");
        if (f->byteValue) {
            w.number(record[f->pos]);
        } else {
            std::string_view text(reinterpret_cast<const char*>(record.data() + f->pos), f->width);
            while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
                text.remove_suffix(1);
            w.text(cp850ToUtf8(text));
        }
        w.close('}');
    }
    w.close(']');
}

// Whether the printer answers this record with one status byte.
bool answersWithStatus(const Exchange& e) {
    const auto& r = e.record;
    if (e.kind != FrameEvent::Kind::command || e.fault.kind == Fault::Kind::status) return true;
    if (r.empty() || r[0] != kCommandLead || r.size() < 3) return true;
    const CommandInfo* info = findCommand(r[1]);
    if (info == nullptr || info->answer == AnswerKind::statusByte) return true;
    return info->answer == AnswerKind::readOut && r[2] <= 2;
}

void writeAnswer(JsonWriter& w, const Exchange& e) {
    w.key("answer");
    if (!e.heard) {
        w.null();
        return;
    }
    w.open('{').key("length").number(e.answer.size());
    if (answersWithStatus(e) && e.answer.size() == 1) {
        w.key("status").number(e.answer[0]).key("meaning").text(meaningOf(e.answer[0]));
    } else {
        const std::size_t shown = std::min(e.answer.size(), kReplyShown);
        w.key("text").text(cp850ToUtf8({reinterpret_cast<const char*>(e.answer.data()), shown}));
        if (shown < e.answer.size()) w.key("more").boolean(true);
    }
    w.close('}');
}

json describeDocument(const Model& m) {
    switch (m.state) {
        case DocState::idle: return {{"kind", "none"}};
        case DocState::nonFiscal: {
            const auto& d = m.documents[static_cast<std::size_t>(m.document.index - 1)];
            return {{"kind", "non-fiscal receipt"}, {"coo", m.document.coo},
                    {"name", cp850ToUnicode(d.name)}, {"lines", m.document.lines}};
        }
        case DocState::linkedVoucher:
            return {{"kind", "linked voucher"}, {"coo", m.document.coo},
                    {"linkedCoo", m.document.linkedCoo}, {"paymentType", m.document.index},
                    {"amount", m.document.amount}, {"lines", m.document.lines}};
        default: break;
    }
    const Receipt& r = m.receipt;
    return {{"kind", "fiscal receipt"}, {"state", nameOf(m.state)}, {"coo", r.coo},
            {"ccf", r.ccf},           {"gross", r.gross()},          {"due", r.due()},
            {"paid", r.paid()},       {"change", r.change()},        {"liveItems", r.liveItems()}};
}

}  // namespace

std::string isoTime(const DateTime& t) {
    return std::to_string(t.date.year) + "-" + two(t.date.month) + "-" + two(t.date.day) + "T" +
           two(t.hour) + ":" + two(t.minute) + ":" + two(t.second);
}

std::string isoTime(std::chrono::system_clock::time_point t, bool millis) {
    using namespace std::chrono;
    const auto since = t.time_since_epoch();
    const int64_t second = duration_cast<seconds>(since).count();
    // Exchanges come thousands a second: the local time of a second is
    // worked out once.
    thread_local int64_t cachedSecond = -1;
    thread_local std::string cachedText;
    if (second != cachedSecond) {
        cachedText = isoTime(localDateTime(second));
        cachedSecond = second;
    }
    if (!millis) return cachedText;
    const auto ms = duration_cast<milliseconds>(since).count() % 1000;
    return cachedText + "." + std::to_string(1000 + ms).substr(1);
}

std::string describeExchange(const Exchange& e, uint64_t seq) {
    JsonWriter w;
    w.open('{').key("seq").number(seq).key("at").text(isoTime(e.at));
    w.key("frame").text(kindName(e.kind)).key("command").text(commandName(e.record));
    if (e.record.size() > 1 && e.record[0] == kCommandLead) w.key("code").number(e.record[1]);
    writeFields(w, e.record);
    w.key("heard").boolean(e.heard);
    writeAnswer(w, e);
    if (e.fault.kind != Fault::Kind::none) w.key("fault").text(faultSpec(e.fault));
    w.key("changed").boolean(e.changedState).key("coo").number(e.coo);
    w.key("printed").open('[');
    e.printed.forEachLine([&w](Paper::Station station, std::string_view line) {
        w.open('{').key("station").text(station == Paper::Station::cheque ? "cheque" : "receipt");
        w.key("text").text(line).close('}');
    });
    return w.close(']').close('}').take();
}

json describeConditions(const Conditions& c) {
    return {{"paperOut", c.paperOut},
            {"paperNearEnd", c.paperNearEnd},
            {"coverOpen", c.coverOpen},
            {"offline", c.offline}};
}

json describeState(const Simulator& simulator) {
    const Model m = simulator.snapshot();
    const SimulatorStats stats = simulator.stats();
    return {{"clock", isoTime(simulator.clock())},
            {"clockOffset", m.clockOffset},
            {"conditions", describeConditions(simulator.conditions())},
            {"fault", faultSpec(simulator.fault())},
            {"document", describeDocument(m)},
            {"model", json::parse(modelToJson(m)).at("model")},
            {"stats",
             {{"frames", stats.frames},
              {"badFrames", stats.badFrames},
              {"bytesIn", stats.bytesIn},
              {"bytesOut", stats.bytesOut},
              {"saveErrors", stats.saveErrors}}}};
}

std::string dump(const json& j) { return j.dump(-1, ' ', false, json::error_handler_t::replace); }

}  // namespace ecfsim::web
