// The search against two references:
// - the naive full-play analysis (every real card and layout, every trick
//   played out, explicit Pareto sets): for many small random combinations the
//   best chance of at least k tricks, for every k, and the most expected
//   tricks must agree exactly;
// - the same search without the end-of-play counting: at random positions near
//   the end of the play the non-dominated strategies must be the same.
#include "play/solver.h"
#include "results/analysis.h"
#include "support/combos.h"
#include "support/naive_search.h"
#include "support/recording_host.h"
#include "support/test_scale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace nvx {
namespace {

using test::ComboInput;
using test::RecordingHost;

// A random small combination: nsCards playing cards for North and South
// together, `defenders` cards for the defenders, and every other card of the
// suit given to North or South as a discard.
ComboInput RandomSmall(std::mt19937& rng, int maxNSCards, int maxDefenders,
                       bool noDiscards = false) {
    const std::string suit = "AKQJT98765432";
    const int nsCards =
        noDiscards ? 13 - maxDefenders + int(rng() % 2) : 2 + int(rng() % unsigned(maxNSCards - 1));
    const int defenders = noDiscards ? 13 - nsCards : int(rng() % unsigned(maxDefenders + 1));
    std::string order = suit;
    std::shuffle(order.begin(), order.end(), rng);
    ComboInput in;
    for (int i = 0; i < 13; ++i) {
        const char c = order[i];
        if (i >= nsCards && i < nsCards + defenders) continue;                 // a defenders' card
        ((noDiscards ? i % 2 : rng() % 2) ? in.north : in.south).push_back(c); // short hands
        if (i >= nsCards + defenders) in.discards.push_back(c);
    }
    const Holding northPlays =
        HoldingMinus(NormalizeHolding(in.north), NormalizeHolding(in.discards));
    // Entries limited (0..2) or, as with the option off, North's playing cards.
    in.entries = std::uint8_t(rng() % 3 == 0 ? northPlays.size() : rng() % 3);
    if (rng() % 2) {
        do {
            in.vacantWest = std::uint8_t(rng() % 14);
            in.vacantEast = std::uint8_t(rng() % 14);
        } while (in.vacantWest + in.vacantEast < defenders);
    }
    return in;
}

// North longer than South, no entries, two or three defenders' cards: the
// endings where North, with no way back, must overtake South's last cards or
// keep a card above them (North's top class holding one, two or more cards).
ComboInput RandomLongNorth(std::mt19937& rng) {
    std::string order = "AKQJT98765432";
    std::shuffle(order.begin(), order.end(), rng);
    const int north = 3 + int(rng() % 3), south = 2 + int(rng() % unsigned(north - 2));
    const int defenders = 2 + int(rng() % 2);
    ComboInput in;
    in.north = order.substr(0, std::size_t(north));
    in.south = order.substr(std::size_t(north), std::size_t(south));
    for (std::size_t i = std::size_t(north + south + defenders); i < order.size(); ++i) {
        (rng() % 2 ? in.north : in.south).push_back(order[i]);
        in.discards.push_back(order[i]);
    }
    in.entries = 0;
    return in;
}

// Analyses the combination with the engine and with the naive reference and
// compares the best weights, cross-multiplied with the two denominators.
void CompareWithNaive(const ComboInput& in, Analysis& a) {
    RecordingHost& host = static_cast<RecordingHost&>(a.GetHost());
    test::SetUp(a.GetEngine(), in);
    a.SetTrickTable();
    a.ComputeOptimalLines();
    ASSERT_TRUE(host.errors.empty()) << in.describe();
    ASSERT_GE(a.LineCount(), 1) << in.describe();

    EXPECT_TRUE(test::SameBestAsNaive(a.GetLines().Best(), a.GetLines().ProbDenominator(), in))
        << in.describe();
}

// One combination in twelve has no discards: the defenders hold every card
// North and South do not, nine or ten against two short hands.
TEST(SolverDifferentialTest, BestChancesAndExpectedTricksMatchNaiveFullPlay) {
    std::mt19937 rng(20240611);
    int limitedEntries = 0, withDiscards = 0, withVacant = 0, longHand = 0, sixDefenders = 0;
    const int combos = test::Scaled(324);
    for (int i = 0; i < combos; ++i) {
        const ComboInput in = i % 12 == 11 ? RandomSmall(rng, 4, 10, true) : RandomSmall(rng, 6, 6);
        RecordingHost host;
        Analysis a(host);
        CompareWithNaive(in, a);
        if (HasFatalFailure()) return;

        const Engine& e = a.GetEngine();
        limitedEntries += in.entries < e.classes.NorthLength;
        withDiscards += !e.combo.Discards.empty();
        withVacant += in.vacantWest < 13 || in.vacantEast < 13;
        longHand += e.classes.MaxLength >= 4;
        sixDefenders += e.classes.EWLength == 6;
    }
    // The sample covers what it is meant to cover.
    EXPECT_GT(limitedEntries, combos / 4);
    EXPECT_GT(withDiscards, combos / 2);
    EXPECT_GT(withVacant, combos / 4);
    EXPECT_GT(longHand, combos / 10);
    EXPECT_GT(sixDefenders, combos / 20);
}

std::vector<Val> SortedLines(Host& h, LineSet s, Dom& dom) {
    Factor f = LineSetToFactor(h, s);
    dom = f.Dom;
    std::vector<Val> v(f.EvalList.begin(), f.EvalList.end());
    std::sort(v.begin(), v.end(), [](const Val& a, const Val& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end());
    });
    return v;
}

// The counting of the last trick and of the endings in which the defenders
// hold at most one card gives exactly what playing them out gives. Positions
// are taken near the end of the play, where the counting cuts in; a third of
// them from RandomLongNorth, which reaches the rows for North the longer hand
// without entries (among them North's second-highest card against South's
// lowest), the rest with entries, discards and either hand longer.
TEST(SolverDifferentialTest, EndOfPlayCountingMatchesPlayingItOut) {
    std::mt19937 rng(77);
    int compared = 0;
    for (int i = 0; i < test::Scaled(3000); ++i) {
        const bool longNorth = i % 3 == 2;
        ComboInput in = longNorth ? RandomLongNorth(rng) : RandomSmall(rng, 6, 4);
        if (!longNorth) {
            if (i % 2 == 0) { // half of the discards back into play: longer hands
                std::shuffle(in.discards.begin(), in.discards.end(), rng);
                in.discards.resize(in.discards.size() / 2);
            }
            // Few entries, so that the entry rows of the counting all occur.
            in.entries = std::uint8_t(rng() % 4 == 0 ? 2 + rng() % 2 : rng() % 2);
        }
        RecordingHost host;
        Engine e(host);
        e.SetUpCombination(in.north, in.south, in.entries, in.discards, 0, 0);
        if (e.classes.EWLength < 2) continue;
        while (e.CardsLeft(hand::Defenders) > 2 + rng() % 2 && test::PlayRandomly(e, rng, 1) == 1) {
        }
        test::PlayRandomly(e, rng, int(rng() % 4));

        const PlayState before = e.play;
        Dom countedDom, playedDom;
        const std::vector<Val> counted = SortedLines(host, Solve(e), countedDom);
        ASSERT_TRUE(e.play == before) << in.describe();
        const std::vector<Val> played = SortedLines(host, SolveFullPlay(e), playedDom);
        ASSERT_TRUE(e.play == before) << in.describe();
        EXPECT_TRUE(countedDom == playedDom) << in.describe();
        EXPECT_TRUE(counted == played)
            << in.describe() << " after " << int(e.play.CardIndex - 1) << " cards";
        EXPECT_TRUE(host.errors.empty()) << in.describe();
        ++compared;
    }
    EXPECT_GT(compared, test::Scaled(1500));
}

} // namespace
} // namespace nvx
