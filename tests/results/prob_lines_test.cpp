// The thinning out of too many lines, a stop request, and a second analysis
// on the same object; the random sets of property_test and the golden results
// check the lines otherwise.
#include "lines_helper.h"

#include <gtest/gtest.h>

namespace nvx {
namespace {

using test::Analysis;
using test::Unit;
using test::UnitVals;

constexpr const char* ThirteenLinesWarning =
    "There are 13 different optimal strategies: too many to display. \r"
    "Some representatives will be chosen.";

TEST(ComputeOptimalLines, ThirteenLinesWarnAndAreReduced) {
    Analysis an;
    an.Run(UnitVals(13), std::vector<std::int32_t>(13, 1));
    EXPECT_EQ(an.Warnings(), std::vector<std::string>{ThirteenLinesWarning});
    // All have equal weights and are payoff-best: the second pass keeps the first.
    ASSERT_EQ(an.lines.LineCount(), 1);
    EXPECT_EQ(an.lines.ProbList()[0]->Val, Unit(13, 12));
    EXPECT_EQ(an.lines.ProbList()[0]->Name, "A");
    // The thinning lets the host handle its events once per line it keeps
    // as the first of a pair: 13 in the first pass, 1 in the second.
    EXPECT_GE(an.host.pendingEventCalls, 13 + 1);
    EXPECT_TRUE(an.host.errors.empty());
}

// 27 divisions of weight 1; line i (1..13) is optimal for the goal of i tricks
// and for no other goal, so no line covers another.
std::vector<Val> OneGoalEachVals() {
    auto best = [](int k) { return 2 * (14 - k); };
    std::vector<Val> vals;
    for (int i = 1; i <= 13; ++i) {
        auto f = [&](int k) { return k > 13 ? 0 : k == i ? best(k) : best(k) - 1; };
        Val v;
        for (int t = 13; t >= 1; --t)
            for (int c = 0; c < f(t) - f(t + 1); ++c)
                v.push_back(static_cast<std::uint8_t>(t));
        while (v.size() < 27)
            v.push_back(0);
        vals.push_back(v);
    }
    return vals;
}

TEST(ComputeOptimalLines, RepresentativesMayLeaveMoreThanTwelveLines) {
    Analysis an;
    const std::vector<Val> vals = OneGoalEachVals();
    an.Run(vals, std::vector<std::int32_t>(27, 1));
    EXPECT_EQ(an.Warnings(), std::vector<std::string>{ThirteenLinesWarning});
    ASSERT_EQ(an.lines.LineCount(), 13);
    // Sorted by the goal each one is best for, the largest first.
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(an.lines.ProbList()[i]->Val, vals[12 - i]);
        EXPECT_EQ(an.lines.ProbList()[i]->Name, std::string(1, static_cast<char>('A' + i)));
    }
    for (int k = 1; k <= 13; ++k)
        EXPECT_EQ(an.lines.GetBestForGoal(k), std::vector<int>{14 - k});
    EXPECT_TRUE(an.host.errors.empty());
}

// Lines on 27 divisions of weight 1 that need thinning out: most are a
// staircase of tricks with one more trick in one division (given by the
// division), a few are irregular.
std::vector<Val> Stairs(std::initializer_list<int> extra, std::vector<Val> others = {}) {
    std::vector<Val> vals;
    for (int at : extra) {
        Val v;
        for (int d = 0; d < 27; ++d)
            v.push_back(static_cast<std::uint8_t>(13 - (d + 1) / 2 + (d == at)));
        vals.push_back(v);
    }
    vals.insert(vals.end(), others.begin(), others.end());
    return vals;
}

const std::vector<Val> CoveredPayoffBestVals = Stairs(
    {25, 19, 17, 15, 13, 11, 9, 7, 5, 3, 1},
    {{5, 3, 8, 10, 10, 3, 2, 11, 3, 6, 4, 0, 5, 6, 2, 2, 4, 1, 5, 4, 13, 9, 9, 0, 9, 10, 11},
     {5, 1, 4, 5, 13, 4, 7, 11, 5, 2, 7, 7, 11, 2, 0, 4, 0, 11, 5, 13, 6, 0, 8, 12, 6, 5, 6}});

TEST(ChooseRepresentatives, KeepsPayoffBestLinesThatAreCovered) {
    Analysis an;
    an.Run(CoveredPayoffBestVals, std::vector<std::int32_t>(27, 1));
    ASSERT_EQ(an.Warnings().size(), 1u);
    EXPECT_TRUE(an.host.errors.empty());
    ASSERT_EQ(an.lines.LineCount(), 12);
    // The first line is beaten on average and is optimal for every trick goal
    // that these payoff-best lines are optimal for; they stay all the same.
    const ProbLine& first = *an.lines.ProbList()[0];
    EXPECT_EQ(first.Val, CoveredPayoffBestVals[12]);
    EXPECT_NE(first.WorstOpp, nullptr);
    for (int i : {2, 8, 10}) {
        const ProbLine* s = an.Find(CoveredPayoffBestVals[i]);
        ASSERT_NE(s, nullptr) << i;
        EXPECT_EQ(s->WorstOpp, nullptr);
        EXPECT_EQ(CmpCoversBest(first, *s, an.lines.Best()), '>');
    }
}

const std::vector<Val> EqualWeightsVals = Stairs(
    {5, 3, 11, 23, 1, 25, 7, 9},
    {{2, 6, 11, 11, 4, 0, 11, 11, 7, 1, 1, 2, 8, 10, 11, 0, 1, 1, 7, 8, 6, 5, 7, 1, 5, 8, 10},
     {5, 3, 4, 2, 5, 8, 6, 6, 13, 4, 8, 4, 2, 5, 9, 0, 4, 13, 9, 8, 10, 0, 6, 3, 7, 13, 3},
     {13, 12, 12, 11, 11, 10, 10, 9, 9, 8, 3, 7, 7, 6, 6, 5, 5, 4, 4, 8, 3, 2, 2, 2, 1, 0, 0},
     {13, 8, 12, 11, 11, 10, 10, 9, 9, 8, 12, 8, 7, 6, 6, 5, 5, 4, 4, 3, 3, 2, 2, 1, 1, 0, 0},
     {13, 12, 12, 11, 11, 10, 10, 9, 9, 8, 8, 7, 7, 6, 6, 5, 5, 0, 4, 3, 3, 3, 2, 1, 1, 4, 0},
     {13, 12, 12, 11, 2, 10, 10, 9, 9, 8, 8, 7, 7, 6, 6, 5, 5, 4, 4, 4, 3, 11, 2, 1, 1, 0, 0}});

// Too many lines for the window, with equal weights: the representatives number
// count and include line kept, payoff-best.
void ExpectRepresentativesKeepPayoffBest(Analysis& an, const std::vector<Val>& vals, int count,
                                         std::size_t kept) {
    an.Run(vals, std::vector<std::int32_t>(27, 1));
    ASSERT_EQ(an.Warnings().size(), 1u);
    EXPECT_TRUE(an.host.errors.empty());
    EXPECT_EQ(an.lines.LineCount(), count);
    const ProbLine* k = an.Find(vals[kept]);
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->WorstOpp, nullptr);
}

TEST(ChooseRepresentatives, OfTwoEqualLinesKeepsTheOneThatBecamePayoffBest) {
    // Lines 2 and 11 take the same tricks in a different order, so they have the
    // same weights; line 2 is beaten only by lines dropped in the first pass.
    const std::vector<std::int32_t> w(27, 1);
    ASSERT_EQ(NewProbLine(EqualWeightsVals[2], w).GoalWeight,
              NewProbLine(EqualWeightsVals[11], w).GoalWeight);
    Analysis an;
    ExpectRepresentativesKeepPayoffBest(an, EqualWeightsVals, 11, 2);
    EXPECT_EQ(an.Find(EqualWeightsVals[11]), nullptr);
}

const std::vector<Val> BeatenDominatorVals = Stairs(
    {9, 11, 17, 23, 5, 25, 21, 1, 3, 7, 13, 19},
    {{6, 1, 0, 6, 1, 10, 8, 0, 4, 2, 12, 8, 6, 7, 0, 7, 12, 2, 8, 3, 13, 12, 9, 9, 5, 4, 4}});

TEST(ChooseRepresentatives, KeepsPayoffBestLineAgainstABeatenLineWithBetterChances) {
    // Line 8 is at least as likely as line 12 to make every goal, but line 12
    // beats it on average: line 12 stays.
    const std::vector<std::int32_t> w(27, 1);
    const ProbLine s8 = NewProbLine(BeatenDominatorVals[8], w);
    const ProbLine s12 = NewProbLine(BeatenDominatorVals[12], w);
    ASSERT_EQ(CmpAllKStrict(s8, s12), '>');
    Analysis an;
    ExpectRepresentativesKeepPayoffBest(an, BeatenDominatorVals, 12, 12);
    EXPECT_LT(Payoff(an.host, PayoffTable(), BeatenDominatorVals[8], BeatenDominatorVals[12], w),
              0);
}

TEST(ComputeOptimalLines, StopRequestCutsComparisonShortAndSkipsWarning) {
    // Stop set from the start: nothing is compared, every line counts as
    // payoff-best and all 27 are kept; names after the 26th are "?".
    Analysis an;
    an.host.stop = true;
    an.Run(UnitVals(27), std::vector<std::int32_t>(27, 1));
    EXPECT_EQ(an.host.pendingEventCalls, 0);
    EXPECT_TRUE(an.host.messages.empty());
    ASSERT_EQ(an.lines.LineCount(), 27);
    EXPECT_EQ(an.lines.ProbList()[0]->Name, "A");
    EXPECT_EQ(an.lines.ProbList()[25]->Name, "Z");
    EXPECT_EQ(an.lines.ProbList()[26]->Name, "?");
    EXPECT_EQ(an.lines.GetLineName(27), "?");

    // Stop set while the host handles its events: the comparison ends there.
    Analysis mid;
    mid.host.onPendingEvents = [&mid] { mid.host.stop = true; };
    mid.Run(UnitVals(13), std::vector<std::int32_t>(13, 1));
    EXPECT_EQ(mid.host.pendingEventCalls, 1);
    EXPECT_TRUE(mid.host.messages.empty());
    EXPECT_EQ(mid.lines.LineCount(), 13);

    // A line that would have been found beaten and dominated stays when the
    // comparison never happens.
    Analysis early;
    early.host.stop = true;
    early.Run({Val{2, 1}, Val{1, 0}}, {1, 1});
    EXPECT_EQ(early.lines.LineCount(), 2);
    Analysis full;
    full.Run({Val{2, 1}, Val{1, 0}}, {1, 1});
    EXPECT_EQ(full.lines.LineCount(), 1);
}

} // namespace
} // namespace nvx
