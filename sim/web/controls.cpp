#include "controls.h"

#include "describe.h"
#include "journal.h"

namespace ecfsim::web {

using nlohmann::json;

namespace {

using Reading = std::variant<ControlRequest, std::string>;

// The body as a JSON object whose members all have one of `names`.
std::variant<json, std::string> objectOf(const std::string& body,
                                         std::initializer_list<const char*> names) {
    json j = json::parse(body, nullptr, false);
    if (j.is_discarded()) return std::string("the body is not JSON");
    if (!j.is_object()) return std::string("the body must be a JSON object");
    if (j.empty()) return std::string("the body names nothing to change");
    for (const auto& member : j.items()) {
        bool known = false;
        for (const char* n : names) known = known || member.key() == n;
        if (!known) return "unknown field \"" + member.key() + "\"";
    }
    return j;
}

std::optional<std::string> stringMember(const json& j, const char* name) {
    const auto it = j.find(name);
    if (it == j.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
}

// "YYYY-MM-DDTHH:MM:SS" (or a blank for the T); years 2000 to 2099, as the
// printer's clock keeps two digits of them.
std::optional<DateTime> readTime(const std::string& text) {
    if (text.size() != 19) return std::nullopt;
    auto number = [&text](std::size_t pos, std::size_t width) -> std::optional<int> {
        int v = 0;
        for (std::size_t i = pos; i < pos + width; ++i) {
            if (text[i] < '0' || text[i] > '9') return std::nullopt;
            v = v * 10 + (text[i] - '0');
        }
        return v;
    };
    const auto year = number(0, 4), month = number(5, 2), day = number(8, 2);
    const auto hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
    if (text[4] != '-' || text[7] != '-' || (text[10] != 'T' && text[10] != ' ') ||
        text[13] != ':' || text[16] != ':' || !year || !month || !day || !hour || !minute ||
        !second)
        return std::nullopt;
    const DateTime t{{*year, *month, *day}, *hour, *minute, *second};
    if (t.date.year < 2000 || t.date.year > 2099 || !isValidDate(t.date) || t.hour > 23 ||
        t.minute > 59 || t.second > 59)
        return std::nullopt;
    return t;
}

Reading readFault(const json& j) {
    const auto spec = stringMember(j, "fault");
    if (!spec) return std::string("\"fault\" must be a text such as \"late:500/3\" or \"none\"");
    ControlRequest r;
    r.kind = ControlRequest::Kind::fault;
    if (*spec == "none") return r;
    const auto fault = parseFault(*spec);
    if (!fault) return "not a fault: \"" + *spec + "\"";
    r.fault = *fault;
    return r;
}

Reading readConditions(const json& j) {
    ControlRequest r;
    r.kind = ControlRequest::Kind::conditions;
    const std::pair<const char*, std::optional<bool>*> members[] = {
        {"paperOut", &r.conditions.paperOut},
        {"paperNearEnd", &r.conditions.paperNearEnd},
        {"coverOpen", &r.conditions.coverOpen},
        {"offline", &r.conditions.offline}};
    for (const auto& [name, target] : members) {
        const auto it = j.find(name);
        if (it == j.end()) continue;
        if (!it->is_boolean()) return std::string("\"") + name + "\" must be true or false";
        *target = it->get<bool>();
    }
    return r;
}

Reading readClock(const json& j) {
    const auto text = stringMember(j, "time");
    if (!text) return std::string("\"time\" must be a text: \"YYYY-MM-DDTHH:MM:SS\" or \"host\"");
    ControlRequest r;
    r.kind = ControlRequest::Kind::clock;
    if (*text == "host") return r;
    r.time = readTime(*text);
    if (!r.time) return "not a time from 2000 to 2099: \"" + *text + "\"";
    return r;
}

Reading readReset(const json& j) {
    const auto what = stringMember(j, "reset");
    if (!what || (*what != "day" && *what != "printer"))
        return std::string("\"reset\" must be \"day\" or \"printer\"");
    ControlRequest r;
    r.kind = ControlRequest::Kind::reset;
    r.wholePrinter = *what == "printer";
    return r;
}

// The host's clock, as the printer (at `now`) sees it without its offset.
DateTime hostTime(const Model& m, const DateTime& now) {
    return localDateTime(secondsOf(now) - m.clockOffset);
}

}  // namespace

Conditions ConditionChange::applyTo(Conditions c) const {
    if (paperOut) c.paperOut = *paperOut;
    if (paperNearEnd) c.paperNearEnd = *paperNearEnd;
    if (coverOpen) c.coverOpen = *coverOpen;
    if (offline) c.offline = *offline;
    return c;
}

std::variant<ControlRequest, std::string> readControl(const std::string& path,
                                                      const std::string& body) {
    struct Route {
        const char* path;
        std::initializer_list<const char*> names;
        Reading (*read)(const json&);
    };
    static const Route kRoutes[] = {
        {"/api/fault", {"fault"}, readFault},
        {"/api/condition", {"paperOut", "paperNearEnd", "coverOpen", "offline"}, readConditions},
        {"/api/clock", {"time"}, readClock},
        {"/api/reset", {"reset"}, readReset},
    };
    for (const Route& route : kRoutes) {
        if (path != route.path) continue;
        auto object = objectOf(body, route.names);
        if (auto* reason = std::get_if<std::string>(&object)) return *reason;
        return route.read(std::get<json>(object));
    }
    return std::string();
}

void resetDay(Model& m) {
    m.state = DocState::idle;
    m.receipt = Receipt{};
    m.document = OpenDocument{};
    clearDay(m);
}

std::string moveClock(Model& m, const DateTime& now, const DateTime& target) {
    if (!m.lastReductionDate.empty() && target.date < m.lastReductionDate)
        return "the printer refuses a date before its last Z reduction";
    if (m.day.hasMovement() && target.date < m.day.opened)
        return "the printer refuses a date before the day its movement began";
    m.clockOffset += secondsOf(target) - secondsOf(now);
    return {};
}

ControlResult applyControl(Simulator& simulator, Journal& journal, const ControlRequest& request) {
    json done;
    std::string refused;
    switch (request.kind) {
        case ControlRequest::Kind::fault:
            simulator.inject(request.fault);
            done = {{"fault", faultSpec(simulator.fault())}};
            break;
        case ControlRequest::Kind::conditions: {
            const Conditions c = request.conditions.applyTo(simulator.conditions());
            simulator.setConditions(c);
            done = {{"conditions", describeConditions(c)}};
            break;
        }
        case ControlRequest::Kind::clock:
            refused = simulator.editModel([&request](Model& m, const DateTime& now) {
                return moveClock(m, now, request.time ? *request.time : hostTime(m, now));
            });
            done = {{"clock", isoTime(simulator.clock())}};
            break;
        case ControlRequest::Kind::reset:
            refused = simulator.editModel([&request](Model& m, const DateTime& now) {
                if (request.wholePrinter)
                    m = freshModel(hostTime(m, now));
                else
                    resetDay(m);
                return std::string();
            });
            done = {{"reset", request.wholePrinter ? "printer" : "day"}};
            break;
    }
    if (!refused.empty()) return {409, {{"error", refused}}};
    done["at"] = isoTime(std::chrono::system_clock::now());
    journal.note(done);
    return {200, done};
}

}  // namespace ecfsim::web
