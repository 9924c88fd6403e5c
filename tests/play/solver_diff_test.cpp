// The engine against the naive reference: for many small random combinations
// the best chance of at least k tricks, for every k, and the most expected
// tricks must agree exactly.
#include "results/analysis.h"
#include "support/naive_search.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace nvx {
namespace {

using test::NaiveAnalyse;
using test::NaiveInput;
using test::NaiveResult;
using test::RecordingHost;

struct Small {
    NaiveInput in;
    std::string describe() const {
        return "North '" + in.north + "' South '" + in.south + "' discards '" + in.discards +
               "' entries " + std::to_string(in.entries) + " vacant " +
               std::to_string(in.vacantWest) + "/" + std::to_string(in.vacantEast);
    }
};

// A random combination with at most maxDefenders defenders' cards: the cards
// not dealt to North or South go to the defenders.
Small RandomSmall(std::mt19937& rng, int maxDefenders) {
    for (;;) {
        const std::string suit = "AKQJT98765432";
        std::string north, south, ew;
        // A random window of the suit keeps the hands short; the cards above
        // or below the window still exist and are the defenders'.
        const int nsCards = 2 + int(rng() % 6);
        const int defenders = 1 + int(rng() % maxDefenders);
        std::vector<int> owner(13, 2);
        // North and South get nsCards of the 13, the defenders `defenders` of
        // them; every other card is a discard of North or South.
        std::vector<int> idx(13);
        for (int i = 0; i < 13; ++i)
            idx[i] = i;
        std::shuffle(idx.begin(), idx.end(), rng);
        Small s;
        std::string discards;
        for (int i = 0; i < 13; ++i) {
            const char c = suit[idx[i]];
            if (i < nsCards) {
                (rng() % 2 ? s.in.north : s.in.south).push_back(c);
            } else if (i < nsCards + defenders) {
                ew.push_back(c);
            } else {
                // Not in play: North's or South's, named as a discard.
                (rng() % 2 ? s.in.north : s.in.south).push_back(c);
                discards.push_back(c);
            }
        }
        s.in.discards = discards;
        const THolding np = HoldingMinus(NormalizeHolding(s.in.north), NormalizeHolding(discards));
        s.in.entries = rng() % 3 == 0 ? int(np.size()) : int(rng() % 3);
        if (rng() % 2) {
            do {
                s.in.vacantWest = int(rng() % 14);
                s.in.vacantEast = int(rng() % 14);
            } while (s.in.vacantWest + s.in.vacantEast < defenders);
        }
        return s;
    }
}

TEST(SolverDifferentialTest, Smoke) {
    std::mt19937 rng(1);
    for (int i = 0; i < 50; ++i) {
        Small s = RandomSmall(rng, 5);
        RecordingHost host;
        Analysis a(host);
        a.SetUpCombination(s.in.north, s.in.south, std::uint8_t(s.in.entries), s.in.discards,
                           std::uint8_t(13 - s.in.vacantWest), std::uint8_t(13 - s.in.vacantEast));
        a.SetTrickTable();
        a.ComputeOptimalLines();
        NaiveResult n = NaiveAnalyse(s.in);
        const auto& best = a.lines().Best();
        const __int128 den = a.lines().ProbDenominator();
        for (int k = 0; k <= 13; ++k) {
            EXPECT_EQ(__int128(best[k]) * __int128(n.totalWeight), __int128(n.bestWeight[k]) * den)
                << s.describe() << " k=" << k;
        }
        EXPECT_TRUE(host.errors.empty()) << s.describe();
    }
}

} // namespace
} // namespace nvx
