// What the end-to-end tests share: the simulated printer behind the library's
// exports, its refusals as the library returns them, and reading its paper.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "ecf.h"
#include "ecfsim/model.h"
#include "ecfsim/status.h"
#include "support/sim_fixture.h"

namespace ecf::e2e {

using ecfsim::DocState;
using ecfsim::Model;
using ecfsim::Status;
using ecf::test::SimFixture;

// A printer refusal as an export returns it: the status byte, unchanged.
constexpr int32_t refused(Status s) { return static_cast<int32_t>(s); }

// The paper's lines, without their line ends.
inline std::vector<std::string> linesOf(const std::string& paper) {
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; start < paper.size(); start = end + 1) {
        end = std::min(paper.find('\n', start), paper.size());
        lines.push_back(paper.substr(start, end - start));
    }
    return lines;
}

inline bool printed(const std::string& paper, const std::string& text) {
    return paper.find(text) != std::string::npos;
}

// A value as the printer's replies carry it: decimal digits, leading zeros.
inline std::string digits(uint64_t value, std::size_t width) {
    const std::string s = std::to_string(value);
    return s.size() >= width ? s.substr(s.size() - width) : std::string(width - s.size(), '0') + s;
}

// The printer's own date and time texts: dd/mm/yy (or yyyy), hh:mm.
inline std::string shortDate(const ecfsim::Date& d, std::size_t yearDigits = 2) {
    return digits(uint64_t(d.day), 2) + "/" + digits(uint64_t(d.month), 2) + "/" +
           digits(uint64_t(d.year) % (yearDigits == 2 ? 100 : 10000), yearDigits);
}
inline std::string hhmm(const ecfsim::DateTime& t) {
    return digits(uint64_t(t.hour), 2) + ":" + digits(uint64_t(t.minute), 2);
}

// A receipt sold, subtotalled, paid in cash and closed through the exports.
// Returns the first non-zero status, or 0.
inline int32_t sellAndClose(const char* description, const char* price, int32_t taxIndex,
                            const char* cash, unsigned char paymentType = 1) {
    if (int32_t s = ecfVendaItem(description, price, taxIndex)) return s;
    if (int32_t s = ecfSubTotal()) return s;
    if (int32_t s = ecfPagamento(paymentType, "", cash, 0)) return s;
    return ecfFimTrans("");
}

}  // namespace ecf::e2e
