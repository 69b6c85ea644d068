// The simulator's frame reader fed any byte stream, with any gaps between
// the bytes: it must never crash, never hand on a record longer than the
// longest command, and always be back hunting for ESC after a gap longer than
// its inter-byte time.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

#include "ecfsim/frame.h"
#include "fuzz_exports.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    ecfsim::FrameReader reader;
    ecfsim::TimePoint now{};
    while (input.remaining_bytes() > 0) {
        const uint8_t byte = input.ConsumeIntegral<uint8_t>();
        // Mostly back to back; now and then a pause, often past the 50 ms frame gap.
        const uint8_t gap = input.ConsumeIntegral<uint8_t>();
        now += ecfsim::Milliseconds(gap < 200 ? 0 : (gap - 200) * 12);
        if (const auto event = reader.tick(now); event && event->record.size() > 209)
            ecf::fuzz::finding("a record longer than any command after a wait");
        if (const auto event = reader.push(byte, now); event && event->record.size() > 209)
            ecf::fuzz::finding("a record longer than any command");
    }
    now += ecfsim::Milliseconds(1000);
    (void)reader.tick(now);
    if (reader.inFrame()) ecf::fuzz::finding("still inside a frame after a second of silence");
    return 0;
}
