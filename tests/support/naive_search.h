// A deliberately naive analysis used as a reference in tests: every concrete
// layout of the defenders' real cards, every card played separately (no card
// classes), every trick played out to the end (no shortcut formulas), and
// explicit sets of trick vectors instead of factored line sets.
#pragma once

#include "support/combos.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace nvx::test {

struct NaiveResult {
    // bestWeight[k], k = 1..13: the largest total weight of the layouts on which
    // one declarer strategy takes at least k tricks; bestWeight[0]: the largest
    // total of weight x tricks (expected tricks times totalWeight).
    std::array<std::uint64_t, 14> bestWeight{};
    // The sum of the weights of all layouts.
    std::uint64_t totalWeight = 0;
    // The number of non-dominated strategies at the root.
    std::size_t strategies = 0;
};

NaiveResult NaiveAnalyse(const ComboInput& input);

// x (x-1) ... (x-k+1): the ways to put k named cards on x places; 0 when k > x.
std::uint64_t Falling(int x, int k);

// Whether the engine's best weights (best[k] for at least k tricks, best[0]
// weight times tricks) over its denominator are the reference's for every goal,
// cross-multiplied so that the comparison is exact.
template <class Weights>
testing::AssertionResult SameBestAsNaive(const Weights& best, std::int64_t denominator,
                                         const ComboInput& input) {
    const NaiveResult naive = NaiveAnalyse(input);
    for (int k = 0; k <= 13; ++k)
        if (__int128(best[k]) * naive.totalWeight != __int128(naive.bestWeight[k]) * denominator)
            return testing::AssertionFailure()
                   << "goal " << k << ": engine " << best[k] << "/" << denominator << ", naive "
                   << naive.bestWeight[k] << "/" << naive.totalWeight;
    return testing::AssertionSuccess();
}

} // namespace nvx::test
