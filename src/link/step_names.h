// The steps of an exchange by name, as the wire trace writes them
// (step=open) and the tools read and show them.
#pragma once

#include <cstdint>
#include <cstring>

#include "ecf_ext.h"

namespace ecf::link {

inline const char* stepName(uint32_t step) {
    switch (step) {
        case ECF_STEP_OPEN: return "open";
        case ECF_STEP_LOCK: return "lock";
        case ECF_STEP_LINE_SETTINGS: return "line-settings";
        case ECF_STEP_CLEARING: return "clearing";
        case ECF_STEP_TIMEOUTS: return "timeouts";
        case ECF_STEP_CTS: return "cts";
        case ECF_STEP_SENDING: return "sending";
        case ECF_STEP_READING: return "reading";
        default: return "none";
    }
}

// The step of a name stepName() gives; ECF_STEP_NONE for any other text.
inline uint32_t stepNamed(const char* name) {
    for (uint32_t step = ECF_STEP_OPEN; step <= ECF_STEP_READING; ++step)
        if (std::strcmp(stepName(step), name) == 0) return step;
    return ECF_STEP_NONE;
}

}  // namespace ecf::link
