#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "ecfsim/printer.h"
#include "ecfsim/state_file.h"
#include "records.h"

namespace {

using ecfsim::Model;
using ecfsim::StateFileError;
namespace r = simtest;

// A scratch directory removed with everything in it.
class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/ecfsim-test-XXXXXX";
        path_ = ::mkdtemp(pattern);
    }
    ~TempDir() { (void)!std::system(("rm -rf '" + path_ + "'").c_str()); }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

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

void write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(StateFile, KeepsTheWholeModel) {
    const Model m = modelWithHistory();
    const Model back = ecfsim::modelFromJson(ecfsim::modelToJson(m));
    EXPECT_EQ(ecfsim::modelToJson(back), ecfsim::modelToJson(m));
    ASSERT_EQ(back.reductions.size(), 1u);
    EXPECT_EQ(back.reductions[0].total, 1000);
    EXPECT_EQ(back.state, ecfsim::DocState::receiptOpen);
    EXPECT_EQ(back.receipt.items.at(0).description, "FEIJAO");
    EXPECT_EQ(back.grandTotal, 1000);
    EXPECT_EQ(back.counters.coo, 3u);
}

TEST(StateFile, KeepsTextsByteForByte) {
    Model m = ecfsim::freshModel({{2024, 3, 1}, 9, 0, 0});
    m.header.lines[0] = "A\x80\x87UCAR \xC7\xD2\xE5 \x01\x7F\xFF";  // code page 850 and controls
    const std::string json = ecfsim::modelToJson(m);
    EXPECT_NE(json.find("AÇçUCAR ÃÊÕ"), std::string::npos) << "readable in the file";
    EXPECT_EQ(ecfsim::modelFromJson(json).header.lines[0], m.header.lines[0]);
}

TEST(StateFile, RefusesWhatIsNotAState) {
    const std::string good = ecfsim::modelToJson(ecfsim::freshModel({{2024, 3, 1}, 9, 0, 0}));
    auto replaced = [&good](const std::string& from, const std::string& to) {
        std::string s = good;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"empty", ""},
        {"not JSON", "{\"format\": "},
        {"garbage bytes", std::string("\x00\xFF\x1B", 3)},
        {"another format", replaced("ecf-sim state", "something")},
        {"another version", replaced("\"version\": 1", "\"version\": 9")},
        {"no model", "{\"format\":\"ecf-sim state\",\"version\":1}"},
        {"a counter as text", replaced("\"coo\": 0", "\"coo\": \"zero\"")},
        {"no owners", replaced("\"owners\": [", "\"owners\": [], \"x\": [")},
        {"a table too short", replaced("\"taxRates\": [", "\"taxRates\": [], \"x\": [")},
        {"a text outside code page 850", replaced("LOJA SIMULADA", "LOJA \u20AC")},
        {"a text that is not UTF-8", replaced("LOJA SIMULADA", "LOJA \xC3")},
        {"a clock centuries away", replaced("\"clockOffset\": 0", "\"clockOffset\": 9000000000000")},
    };
    for (const auto& c : cases) {
        EXPECT_THROW(ecfsim::modelFromJson(c.text), StateFileError) << c.name;
    }
}

TEST(StateFile, SavesAtomicallyAndLoadsBack) {
    TempDir dir;
    const std::string path = dir.file("printer.json");
    EXPECT_FALSE(ecfsim::stateExists(path));
    const Model m = modelWithHistory();
    ecfsim::saveState(path, m);
    EXPECT_TRUE(ecfsim::stateExists(path));
    EXPECT_FALSE(ecfsim::stateExists(path + ".tmp"));
    EXPECT_EQ(ecfsim::modelToJson(ecfsim::loadState(path)), ecfsim::modelToJson(m));

    // A failed save leaves the old file as it was.
    EXPECT_THROW(ecfsim::saveState(dir.file("missing/printer.json"), m), StateFileError);
    write(path + ".tmp", "left over from a crash");
    ecfsim::saveState(path, ecfsim::freshModel({{2024, 3, 1}, 9, 0, 0}));
    EXPECT_EQ(ecfsim::loadState(path).reductions.size(), 0u);

    write(path, "{ broken");
    try {
        ecfsim::loadState(path);
        ADD_FAILURE() << "a corrupt file loaded";
    } catch (const StateFileError& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    EXPECT_THROW(ecfsim::loadState(dir.file("none.json")), StateFileError);
}

}  // namespace
