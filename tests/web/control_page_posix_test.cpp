// The control page's JSON API over HTTP, with the library on the printer's
// line: what the page would never send is refused and changes nothing; a
// condition, a fault, the clock and the resets change what the library gets.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

#include "control_page.h"
#include "ecf.h"
#include "ecfsim/status.h"
#include "support/scratch.h"
#include "support/sim_fixture.h"

namespace {

using ecf::test::SimFixture;
using ecfsim::Status;
using nlohmann::json;

constexpr int32_t refused(Status s) { return static_cast<int32_t>(s); }

class Page {
public:
    explicit Page(SimFixture& sim)
        : page_(sim.simulator(), {"127.0.0.1", 0}), http_("127.0.0.1", page_.port()) {}

    httplib::Result get(const std::string& path, const httplib::Headers& headers = {}) {
        return http_.Get(path, headers);
    }
    httplib::Result post(const std::string& path, const std::string& body,
                         const httplib::Headers& headers = {},
                         const char* type = "application/json") {
        return http_.Post(path, headers, body, type);
    }
    // A POST the page would make; its answer's JSON.
    json change(const std::string& path, const json& body) {
        auto r = post(path, body.dump());
        EXPECT_TRUE(r && r->status == 200) << path << " " << body << ": "
                                           << (r ? r->body : "no answer");
        return r ? json::parse(r->body, nullptr, false) : json();
    }
    json state() { return json::parse(get("/api/state")->body); }
    int port() const { return page_.port(); }

private:
    ecfsim::web::ControlPage page_;
    httplib::Client http_;
};

TEST(ControlPage, RefusesWhatThePageWouldNotSendAndChangesNothing) {
    SimFixture sim;
    Page page(sim);
    ASSERT_EQ(ecfVendaItem("ARROZ", "1234", 1), 0);  // a receipt open: a reset would show
    json before = page.state();

    const std::string port = std::to_string(page.port());
    const std::string reset = R"({"reset":"printer"})";
    const std::string big(5000, ' ');
    struct {
        const char* name;
        const char* path;
        std::string body;
        int status;
        httplib::Headers headers = {};
        const char* type = "application/json";
    } cases[] = {
        {"not JSON", "/api/reset", R"({"reset":)", 400},
        {"not an object", "/api/condition", "[true]", 400},
        {"an unknown field", "/api/condition", R"({"paperOut":true,"smoke":true})", 400},
        {"a field of the wrong type", "/api/condition", R"({"paperOut":1})", 400},
        {"nothing to change", "/api/condition", "{}", 400},
        {"a fault without its value", "/api/fault", R"({"fault":"late"})", 400},
        {"a status byte above 255", "/api/fault", R"({"fault":"status:256"})", 400},
        {"a period of 0", "/api/fault", R"({"fault":"garbage/0"})", 400},
        {"a day that does not exist", "/api/clock", R"({"time":"2031-02-29T10:00:00"})", 400},
        {"a year the clock cannot keep", "/api/clock", R"({"time":"1999-12-31T23:59:59"})", 400},
        {"an unknown reset", "/api/reset", R"({"reset":"everything"})", 400},
        {"a body not typed as JSON", "/api/reset", reset, 415, {}, "text/plain"},
        {"a body too large", "/api/reset", R"({"reset":"printer","x":")" + big + "\"}", 413},
        {"another site's page", "/api/reset", reset, 403, {{"Origin", "http://shop.example"}}},
        {"a name rebound to this machine", "/api/reset", reset, 403,
         {{"Host", "shop.example:" + port}, {"Origin", "http://shop.example:" + port}}},
    };
    for (const auto& c : cases) {
        auto r = page.post(c.path, c.body, c.headers, c.type);
        ASSERT_TRUE(r) << c.name;
        EXPECT_EQ(r->status, c.status) << c.name << ": " << r->body;
        EXPECT_FALSE(json::parse(r->body, nullptr, false).value("error", "").empty()) << c.name;
    }
    EXPECT_EQ(page.get("/api/reset")->status, 405) << "no GET changes anything";
    EXPECT_EQ(page.get("/api/events?after=x")->status, 400);
    EXPECT_EQ(page.get("/api/state", {{"Origin", "http://shop.example"}})->status, 403);
    EXPECT_EQ(page.get("/api/state", {{"X-Filler", std::string(9000, 'a')}})->status, 431);
    EXPECT_EQ(page.get("/api/state", {{"Origin", "http://127.0.0.1:" + port}})->status, 200)
        << "the page's own origin";
    for (const char* path : {"/", "/app.js", "/style.css", "/api/paper", "/api/log"})
        EXPECT_EQ(page.get(path)->status, 200) << path;

    json after = page.state();
    after.erase("clock");
    before.erase("clock");
    EXPECT_EQ(after.dump(), before.dump()) << "the printer is as it was";
}

TEST(ControlPage, ConditionsFaultsClockAndResetsReachTheLibrary) {
    SimFixture sim;
    Page page(sim);
    unsigned char state = 0, last = 0, flags = 0;

    struct {
        json conditions;
        int32_t sale;   // what a sale then gets
        uint8_t flags;  // what the printer status then shows
    } cases[] = {
        {{{"paperNearEnd", true}}, 0, ecfsim::kFlagPaperNearEnd},
        {{{"paperNearEnd", false}, {"paperOut", true}}, refused(Status::paperOut),
         ecfsim::kFlagPaperOut},
        {{{"paperOut", false}, {"coverOpen", true}}, refused(Status::coverOpen),
         ecfsim::kFlagCoverOpen},
        {{{"coverOpen", false}}, 0, 0},
    };
    for (const auto& c : cases) {
        page.change("/api/condition", c.conditions);
        EXPECT_EQ(ecfVendaItem("FEIJAO", "899", 1), c.sale) << c.conditions;
        ASSERT_EQ(ecfParamStatusImp(&state, &last, &flags), 0);
        EXPECT_EQ(flags & 0xE0, c.flags) << c.conditions;
    }
    EXPECT_EQ(sim.model().receipt.liveItems(), 2u) << "refused sales left nothing";

    // Offline: the printer hears nothing at all.
    page.change("/api/condition", {{"offline", true}});
    const int line = ::open(sim.path().c_str(), O_RDWR | O_NOCTTY);
    const uint8_t subtotal[] = {0x1B, 0x66, 0xD1, 0x00, 0xAE};
    ASSERT_EQ(::write(line, subtotal, sizeof subtotal), ssize_t(sizeof subtotal));
    pollfd p{line, POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 300), 0) << "no answer while offline";
    ::close(line);
    page.change("/api/condition", {{"offline", false}});

    EXPECT_EQ(page.change("/api/fault", {{"fault", "status:77/2"}})["fault"], "status:77/2");
    EXPECT_EQ(ecfSubTotal(), 0);
    EXPECT_EQ(ecfSubTotal(), 77) << "every second answer";
    page.change("/api/fault", {{"fault", "none"}});
    ASSERT_EQ(ecfPagamento(1, "", "10000", 0), 0);
    ASSERT_EQ(ecfFimTrans(""), 0);

    // The log names what arrived and what went back.
    const json log = json::parse(page.get("/api/log")->body);
    const json* refusal = nullptr;
    for (const json& e : log["entries"])
        if (e.value("command", "") == "sell item" && e["answer"].value("status", 0) == 30)
            refusal = &e;
    ASSERT_NE(refusal, nullptr) << log.dump(1);
    EXPECT_EQ((*refusal)["fields"][0], (json{{"name", "description"}, {"value", "FEIJAO"}}));
    EXPECT_EQ((*refusal)["answer"]["meaning"], "paper out");
    EXPECT_NE(page.get("/api/paper")->body.find("FEIJAO"), std::string::npos);

    // The clock moves, and not before the open day; the day and the printer reset.
    const json moved = page.change("/api/clock", {{"time", "2031-05-04T10:00:00"}});
    EXPECT_EQ(moved["clock"].get<std::string>().substr(0, 13), "2031-05-04T10");
    EXPECT_EQ(page.post("/api/clock", R"({"time":"2001-01-01T10:00:00"})")->status, 409);
    EXPECT_EQ(ecfVendaItem("FEIJAO", "899", 1), refused(Status::reductionPending))
        << "a day left open";
    page.change("/api/reset", {{"reset", "day"}});
    EXPECT_EQ(sim.model().state, ecfsim::DocState::idle);
    EXPECT_EQ(ecfVendaItem("FEIJAO", "899", 1), 0) << "a new day";
    page.change("/api/reset", {{"reset", "printer"}});
    EXPECT_EQ(sim.model().counters.coo, 0u);
    EXPECT_EQ(page.state()["document"]["kind"], "none");
}

// While the state file cannot be written the printer keeps nothing it was
// asked for: a sale is refused (28) and never reaches the roll, a reset from
// the page is refused (409); once the file can be written both work again.
TEST(ControlPage, ShowsOnlyWhatTheStateFileKept) {
    ecf::test::ScratchDir scratch;
    const std::filesystem::path dir = scratch.path() / "state";
    std::filesystem::create_directory(dir);
    SimFixture::Options o;
    o.statePath = (dir / "printer.json").string();
    SimFixture sim(o);
    Page page(sim);
    ASSERT_EQ(ecfVendaItem("ARROZ", "1234", 1), 0);

    std::filesystem::remove_all(dir);
    EXPECT_EQ(ecfVendaItem("FEIJAO", "899", 1), refused(Status::memoryNotWritten));
    EXPECT_EQ(page.post("/api/reset", R"({"reset":"day"})")->status, 409);
    EXPECT_EQ(sim.model().receipt.liveItems(), 1u) << "neither the sale nor the reset was kept";

    std::filesystem::create_directory(dir);
    page.change("/api/reset", {{"reset", "day"}});
    EXPECT_EQ(sim.model().receipt.liveItems(), 0u);
    // The journal takes exchanges in on a thread of its own: wait for the refusal.
    const auto logged = [&page] {
        const json log = json::parse(page.get("/api/log")->body);
        for (const json& e : log["entries"])
            if (e.contains("answer") && e["answer"].value("status", 0) == 28) return true;
        return false;
    };
    for (int i = 0; i < 200 && !logged(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::string paper = page.get("/api/paper")->body;
    EXPECT_NE(paper.find("ARROZ"), std::string::npos);
    EXPECT_EQ(paper.find("FEIJAO"), std::string::npos) << "a refused sale printed nothing";
}

}  // namespace
