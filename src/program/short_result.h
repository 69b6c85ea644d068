// Two programming commands answer with a 16-bit result: the low half of the
// exchange's result, taken as signed.
#pragma once

#include <cstdint>

namespace ecf::program {

inline int16_t lowHalf(int32_t result) {
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(result)));
}

}  // namespace ecf::program
