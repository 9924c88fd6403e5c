#include "results/lines_helper.h"
#include "results/summary.h"

#include <gtest/gtest.h>

namespace nvx {
namespace {

// The two lines of the worked example: weights 3 and 1, A = (2,0), B = (1,1).
TEST(ResultsSummary, ReadsEveryQuery) {
    test::Analysis an;
    an.Run({TVal{2, 0}, TVal{1, 1}}, {3, 1});
    const ResultsSummary r = SummarizeResults(an.host, an.lines);
    EXPECT_TRUE(an.host.errors.empty());
    EXPECT_FALSE(r.Imps);
    EXPECT_EQ(r.MinK, 1);
    EXPECT_EQ(r.MaxK, 2);
    ASSERT_EQ(r.Lines.size(), 2u);
    EXPECT_EQ(r.Lines[0].Name, "A");
    EXPECT_DOUBLE_EQ(r.Lines[0].Prob[0], 1.5);
    EXPECT_EQ(r.Lines[0].Tricks, (std::vector<std::uint8_t>{2, 0}));
    EXPECT_EQ(r.Lines[1].Beaters, std::vector<int>{0});
    EXPECT_TRUE(r.Lines[0].Beaters.empty());
    EXPECT_EQ(r.BestForGoal[2], std::vector<int>{0});
    EXPECT_EQ(r.BestForGoal[1], std::vector<int>{1});
    EXPECT_EQ(r.PayoffBest, std::vector<int>{0});
    EXPECT_DOUBLE_EQ(r.Payoff[0][1], 0.5);
    EXPECT_DOUBLE_EQ(r.Payoff[1][0], -0.5);
}

} // namespace
} // namespace nvx
