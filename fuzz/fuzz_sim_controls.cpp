// The control page's requests, any body to any of its paths: reading one
// never crashes, and one that is taken leaves a printer whose state file
// still loads (a clock moved or a day reset keeps the model's rules).
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

#include "controls.h"
#include "ecfsim/state_file.h"
#include "fuzz_exports.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const char* const kPaths[] = {"/api/fault", "/api/condition", "/api/clock",
                                         "/api/reset"};
    const std::string path = kPaths[data[0] % 4];
    const std::string body(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto reading = ecfsim::web::readControl(path, body);
    const auto* request = std::get_if<ecfsim::web::ControlRequest>(&reading);
    if (request == nullptr) {
        if (std::get<std::string>(reading).empty())
            ecf::fuzz::finding("a known path refused without a reason");
        return 0;
    }
    const ecfsim::DateTime now{{2024, 3, 15}, 10, 0, 0};
    ecfsim::Model m = ecfsim::freshModel({{2024, 3, 1}, 9, 0, 0});
    m.lastReductionDate = {2024, 3, 14};
    if (request->kind == ecfsim::web::ControlRequest::Kind::clock && request->time)
        (void)ecfsim::web::moveClock(m, now, *request->time);
    if (request->kind == ecfsim::web::ControlRequest::Kind::reset) ecfsim::web::resetDay(m);
    try {
        (void)ecfsim::modelFromJson(ecfsim::modelToJson(m));
    } catch (const ecfsim::StateFileError&) {
        ecf::fuzz::finding("a control left a state that does not load");
    }
    return 0;
}
