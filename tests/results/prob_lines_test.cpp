// The thinning out of too many lines and a stop request; the random sets of
// property_test and the golden results (which keep payoff-best lines through
// the thinning) check the lines otherwise.
#include "lines_helper.h"

#include <gtest/gtest.h>

namespace nvx {
namespace {

using test::Analysis;
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
    EXPECT_EQ(an.lines.ProbList()[0]->Val, UnitVals(13)[12]);
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

// Thinned out with equal weights, a payoff-best line stays against a line that
// covers it (vals[12] covers 2, 8 and 10 for every trick goal they are best
// for) and against a line with better chances for every goal that it beats on
// average (vals[8] against vals[12]).
TEST(ChooseRepresentatives, KeepPayoffBestLines) {
    const std::vector<Val> covered = Stairs(
        {25, 19, 17, 15, 13, 11, 9, 7, 5, 3, 1},
        {{5, 3, 8, 10, 10, 3, 2, 11, 3, 6, 4, 0, 5, 6, 2, 2, 4, 1, 5, 4, 13, 9, 9, 0, 9, 10, 11},
         {5, 1, 4, 5, 13, 4, 7, 11, 5, 2, 7, 7, 11, 2, 0, 4, 0, 11, 5, 13, 6, 0, 8, 12, 6, 5, 6}});
    const std::vector<Val> beaten = Stairs(
        {9, 11, 17, 23, 5, 25, 21, 1, 3, 7, 13, 19},
        {{6, 1, 0, 6, 1, 10, 8, 0, 4, 2, 12, 8, 6, 7, 0, 7, 12, 2, 8, 3, 13, 12, 9, 9, 5, 4, 4}});
    const std::vector<std::int32_t> w(27, 1);
    ASSERT_EQ(CmpAllKStrict(NewProbLine(beaten[8], w), NewProbLine(beaten[12], w)), '>');
    test::RecordingHost host;
    ASSERT_LT(Payoff(host, PayoffTable(), beaten[8], beaten[12], w), 0);
    const struct {
        const std::vector<Val>& vals;
        std::vector<std::size_t> kept;
    } cases[] = {{covered, {2, 8, 10}}, {beaten, {12}}};
    for (const auto& c : cases) {
        Analysis an;
        an.Run(c.vals, w);
        ASSERT_EQ(an.Warnings().size(), 1u);
        EXPECT_TRUE(an.host.errors.empty());
        EXPECT_EQ(an.lines.LineCount(), 12);
        for (std::size_t i : c.kept) {
            const ProbLine* s = an.Find(c.vals[i]);
            ASSERT_NE(s, nullptr) << i;
            EXPECT_EQ(s->WorstOpp, nullptr) << i;
        }
    }
}

// P beats B and C by the same and no line beats it; B is best for three
// tricks, C for one, and B beats C by as much as P does. Taking the lines as
// they come (B, C, P), P is found beating C first; C's worst opponent is still
// B, the first of the two in the list.
TEST(ComputeOptimalLines, WorstOpponentIsTheFirstOfTheKeptLinesThatBeatItMost) {
    const Val p{2, 0, 3}, b{0, 3, 1}, c{1, 2, 0};
    Analysis an;
    an.Run({p, c, b}, {5, 5, 1});
    ASSERT_EQ(an.lines.LineCount(), 3);
    const ProbLine* lineC = an.Find(c);
    ASSERT_NE(lineC, nullptr);
    EXPECT_EQ(lineC->Worst, -1);
    ASSERT_NE(lineC->WorstOpp, nullptr);
    EXPECT_EQ(lineC->WorstOpp->Val, b);
    EXPECT_EQ(an.Find(p)->WorstOpp, nullptr);
    EXPECT_TRUE(an.host.errors.empty());
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
