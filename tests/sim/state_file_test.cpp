// The simulator's state file: what it keeps, what it refuses to load and
// why, and how it is saved and locked.
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <nlohmann/json.hpp>

#include "ecfsim/printer.h"
#include "ecfsim/state_file.h"
#include "records.h"
#include "support/scratch.h"

namespace {

using ecfsim::Model;
using ecfsim::StateFileError;
using ecf::test::ScratchDir;
using ecf::test::writeFile;
namespace r = simtest;

Model modelWithHistory() {
    int64_t now = ecfsim::secondsOf({{2024, 3, 15}, 10, 0, 0});
    ecfsim::Printer p(ecfsim::freshModel({{2024, 3, 1}, 9, 0, 0}), [&now] { return now; });
    for (const r::Bytes& record : {r::sellItem("ARROZ", "1000", 1), r::subtotal(), r::pay(1, "1500"),
                                   r::endTransaction(), r::reading(0x13)})
        p.execute(record);
    now += 24 * 3600;
    p.execute(r::sellItem("FEIJAO", "800", 2));  // a receipt left open
    return p.model();
}

// Every part of the model, and its texts byte for byte: code page 850 and
// controls, readable in the file.
TEST(StateFile, KeepsTheWholeModel) {
    Model m = modelWithHistory();
    m.header.lines[1] = "A\x80\x87UCAR \xC7\xD2\xE5 \x01\x7F\xFF";
    const std::string json = ecfsim::modelToJson(m);
    EXPECT_NE(json.find("AÇçUCAR ÃÊÕ"), std::string::npos);
    const Model back = ecfsim::modelFromJson(json);
    EXPECT_EQ(ecfsim::modelToJson(back), json);
    EXPECT_EQ(back.header.lines[1], m.header.lines[1]);
    ASSERT_EQ(back.reductions.size(), 1u);
    EXPECT_EQ(back.reductions[0].total, 1000);
    EXPECT_EQ(back.state, ecfsim::DocState::receiptOpen);
    EXPECT_EQ(back.receipt.items.at(0).description, "FEIJAO");
    EXPECT_EQ(back.grandTotal, 1000);
    EXPECT_EQ(back.counters.coo, 3u);
}

TEST(StateFile, RefusesWhatIsNotAStateAndSaysWhy) {
    const std::string good = ecfsim::modelToJson(modelWithHistory());
    auto replaced = [&good](const std::string& from, const std::string& to) {
        std::string s = good;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    auto edited = [&good](const std::function<void(nlohmann::json&)>& edit) {
        nlohmann::json j = nlohmann::json::parse(good);
        edit(j["model"]);
        return j.dump();
    };
    using nlohmann::json;
    struct {
        const char* name;
        std::string text;
        const char* reason;
    } cases[] = {
        {"empty", "", "not valid JSON"},
        {"garbage bytes", std::string("\x00\xFF\x1B", 3), "not valid JSON"},
        {"another format", replaced("ecf-sim state", "something"), "not an ecf-sim state"},
        {"another version", replaced("\"version\": 1", "\"version\": 9"), "version 9"},
        {"no model", "{\"format\":\"ecf-sim state\",\"version\":1}", "no \"model\""},
        {"a counter as text", edited([](json& m) { m["counters"]["coo"] = "zero"; }), "bad value"},
        {"no owners", edited([](json& m) { m["owners"] = json::array(); }), "1 to 20 owners"},
        {"a table too short", edited([](json& m) { m["taxRates"].erase(0); }), "bad value"},
        {"no reductions", edited([](json& m) { m.erase("reductions"); }), "lacks /reductions"},
        {"only the owners", edited([](json& m) { m = {{"owners", m["owners"]}}; }), "lacks"},
        {"a part no printer has", edited([](json& m) { m["drawer"] = 1; }), "/drawer"},
        {"a negative CRZ", edited([](json& m) { m["counters"]["crz"] = -5; }), "/counters/crz holds -5"},
        {"a negative grand total", edited([](json& m) { m["grandTotal"] = -1; }), "grand total is negative"},
        {"reduction 77 with CRZ 0", edited([](json& m) {
             m["reductions"][0]["number"] = 77;
             m["counters"]["crz"] = 0;
         }), "1 reductions but CRZ is 0"},
        {"reductions out of order", edited([](json& m) { m["reductions"][0]["number"] = 2; }), "numbered 2"},
        {"a text outside code page 850", replaced("LOJA SIMULADA", "LOJA \u20AC"), "code page 850"},
        {"a text that is not UTF-8", replaced("LOJA SIMULADA", "LOJA \xC3"), "not valid JSON"},
        {"a clock centuries away", edited([](json& m) { m["clockOffset"] = 9000000000000; }), "century"},
    };
    for (const auto& c : cases) {
        try {
            ecfsim::modelFromJson(c.text);
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const StateFileError& e) {
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << c.name << ": " << e.what();
        }
    }
}

TEST(StateFile, SavesAtomicallyAndLoadsBack) {
    ScratchDir dir;
    const std::string path = dir / "printer.json";
    EXPECT_FALSE(ecfsim::loadStateIfAny(path));
    const Model m = modelWithHistory();
    ecfsim::saveState(path, m);
    EXPECT_EQ(ecfsim::modelToJson(ecfsim::loadStateIfAny(path).value()), ecfsim::modelToJson(m));
    EXPECT_THROW(ecfsim::saveState(dir / "missing/printer.json", m), StateFileError);

    writeFile(path, "{ broken");
    try {
        ecfsim::loadState(path);
        ADD_FAILURE() << "a corrupt file loaded";
    } catch (const StateFileError& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    // Only "no such file" means no state: a link to nothing does not.
    ASSERT_EQ(::symlink("gone.json", (dir / "link.json").c_str()), 0);
    EXPECT_THROW(ecfsim::loadStateIfAny(dir / "link.json"), StateFileError);
    EXPECT_THROW(ecfsim::resolveLinks(dir / "link.json", false), StateFileError);
    EXPECT_EQ(ecfsim::resolveLinks(dir / "link.json", true), dir / "gone.json");
}

// Saves cut short by a crash are cleared by the next keeper of the file; the
// lock file goes with the lock. (One keeper at a time: the program's tests.)
TEST(StateFile, TheLockClearsLeftoversAndGoesWithThem) {
    ScratchDir dir;
    const std::string path = dir / "printer.json";
    for (const char* left : {".tmp", ".tmp.x7k2m9"}) writeFile(path + left, "cut short by a crash");
    {
        ecfsim::StateLock lock(path);
        EXPECT_EQ(dir.entries(), 1u) << "the lock file alone";
    }
    EXPECT_EQ(dir.entries(), 0u);
}

}  // namespace
