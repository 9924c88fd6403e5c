// Helpers for the tests of the optimal lines: running the driver on given Vals.
#pragma once

#include "results/prob_lines.h"
#include "support/recording_host.h"

#include <numeric>
#include <string>
#include <vector>

namespace nvx::test {

struct Analysis {
    RecordingHost host;
    ProbLines lines;

    void Run(const std::vector<Val>& vals, const std::vector<std::int32_t>& weights,
             const PayoffTable& table = PayoffTable()) {
        const std::int32_t total = std::accumulate(weights.begin(), weights.end(), 0);
        lines.ComputeOptimalLines(host, table, vals, weights, total);
    }

    // The line with this Val, or null.
    const ProbLine* Find(const Val& v) const {
        for (const auto& s : lines.ProbList())
            if (s->Val == v) return s.get();
        return nullptr;
    }
    std::vector<std::string> Warnings() const {
        std::vector<std::string> w;
        for (const auto& m : host.messages)
            if (m.kind == MessageKind::Warning) w.push_back(m.text);
        return w;
    }
};

// The Vals of the lines, in display order.
inline std::vector<Val> LineVals(const ProbLines& lines) {
    std::vector<Val> vals;
    for (const auto& s : lines.ProbList())
        vals.push_back(s->Val);
    return vals;
}

// n divisions; line i takes one trick in division i and none elsewhere. With
// equal weights all have the same chances and no line beats another.
inline std::vector<Val> UnitVals(int n) {
    std::vector<Val> vals;
    for (int i = 0; i < n; ++i) {
        Val v = Val::filled(n, 0);
        v[i] = 1;
        vals.push_back(v);
    }
    return vals;
}

} // namespace nvx::test
