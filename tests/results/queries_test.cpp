#include "lines_helper.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace nvx {
namespace {

using test::Analysis;

// The queries of the results outside the list of lines; inside it the tool's
// transcripts and the golden results print every one of them.
TEST(ResultQueries, PositionsOutsideTheList) {
    Analysis an;
    an.Run({Val{2, 0}, Val{1, 1}}, {3, 1});
    const ProbLines& r = an.lines;
    EXPECT_EQ(r.GetLine(0), r.GetLine(1));
    EXPECT_EQ(r.GetLine(-3), r.GetLine(1));
    EXPECT_EQ(r.GetLine(3), nullptr);
    EXPECT_EQ(r.GetLineName(3), "");
    EXPECT_DOUBLE_EQ(r.GetLineProb(1, 14), 0.0);
    EXPECT_EQ(r.GetLineTricksAt(2, 2), 0); // no such division
    EXPECT_TRUE(r.GetBestForGoal(14).empty());

    ProbLines none;
    EXPECT_EQ(none.GetLine(1), nullptr);
    EXPECT_TRUE(none.GetBestForGoal(1).empty());
    EXPECT_TRUE(none.GetPayoffBest().empty());
    EXPECT_EQ(none.GetMinK(), 13);
    EXPECT_EQ(none.GetMaxK(), 0);
    EXPECT_TRUE(none.GetBeaters(an.host, 1).Lines.empty());
    EXPECT_DOUBLE_EQ(none.GetPayoff(an.host, 1, 1), 0.0);
}

// Weights 2, 4, 2, 3; 13 lines no one of which is payoff-best. The last
// thinning pass drops a line that beat a shown line, and nothing shown beats it.
TEST(ResultQueries, BeatersNotAvailableWhenTheBeaterWasDropped) {
    const std::vector<Val> vals = {{1, 5, 0, 1}, {1, 3, 1, 0}, {3, 1, 2, 0}, {2, 0, 2, 5},
                                   {5, 1, 1, 1}, {0, 1, 0, 4}, {2, 0, 5, 3}, {0, 2, 3, 0},
                                   {0, 0, 5, 4}, {3, 5, 0, 0}, {4, 0, 2, 1}, {0, 2, 0, 3},
                                   {1, 2, 2, 0}};
    const std::vector<std::int32_t> w = {2, 4, 2, 3};
    Analysis an;
    an.Run(vals, w);
    ASSERT_EQ(an.Warnings().size(), 1u);
    EXPECT_TRUE(an.host.errors.empty());
    const ProbLines& r = an.lines;
    const PayoffTable trick;
    int unavailable = 0;
    for (int i = 1; i <= r.LineCount(); ++i) {
        const LineBeaters beaters = r.GetBeaters(an.host, i);
        if (!beaters.ByUnshownLine) continue;
        EXPECT_TRUE(beaters.Lines.empty());
        ++unavailable;
        const ProbLine& line = *r.GetLine(i);
        EXPECT_LT(line.Worst, 0);
        EXPECT_EQ(line.WorstOpp, nullptr);
        // Something among all the lines beats it, nothing shown does.
        bool beatenByInput = false;
        for (const Val& v : vals)
            beatenByInput |= Payoff(an.host, trick, v, line.Val, w) > 0;
        EXPECT_TRUE(beatenByInput);
        const std::vector<int> payoffBest = r.GetPayoffBest();
        EXPECT_EQ(std::count(payoffBest.begin(), payoffBest.end(), i), 0);
        for (const auto& s : r.ProbList())
            EXPECT_LE(Payoff(an.host, trick, s->Val, line.Val, w), 0);
    }
    EXPECT_GE(unavailable, 1);
}

} // namespace
} // namespace nvx
