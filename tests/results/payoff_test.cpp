#include "results/payoff.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <vector>

namespace nvx {
namespace {

TEST(PayoffTable, ImpTableThreeNotrump) {
    // 3NT not vulnerable, 2 tricks needed: scores by suit tricks 0..6 are
    // -100, -50, 400, 430, 460, 490, 520; from 7 tricks the total exceeds 13
    // and the score is 0.
    ContractGoal goal;
    goal.Contract.Level = 3;
    goal.Contract.Strain = 4;
    goal.TricksNeeded = 2;
    PayoffTable t;
    t.SetIMPTable(goal, 2);
    EXPECT_TRUE(t.IsIMPs());
    const int cases[][3] = {{2, 2, 0}, {2, 1, 10}, {2, 0, 11},  {1, 0, 2},
                            {3, 2, 1}, {6, 2, 3},  {1, 2, -10}, {7, 2, -9},
                            {7, 0, 3}, {13, 7, 0}, {14, 0, 0},  {0, -1, 0}};
    for (const auto& [a, b, imps] : cases)
        EXPECT_EQ(t.TablePayoff(a, b), imps) << a << " against " << b;
    for (int i = 0; i <= 13; ++i)
        for (int j = 0; j <= 13; ++j)
            EXPECT_EQ(t.TablePayoff(i, j), -t.TablePayoff(j, i)) << i << "," << j;
    // Back to tricks: one for more tricks, minus one for fewer.
    t.SetTrickTable();
    EXPECT_FALSE(t.IsIMPs());
    EXPECT_EQ(t.TablePayoff(13, 12), 1);
    EXPECT_EQ(t.TablePayoff(2, 9), -1);
    EXPECT_EQ(t.TablePayoff(7, 7), 0);
}

TEST(Payoff, SumsTableEntriesWeightedByDivision) {
    test::RecordingHost host;
    PayoffTable t;
    const std::vector<std::int32_t> w = {1, 2, 3};
    EXPECT_EQ(Payoff(host, t, Val{2, 1, 0}, Val{1, 1, 1}, w), 1 * 1 + 2 * 0 - 3 * 1);
    EXPECT_EQ(Payoff(host, t, Val{1, 1, 1}, Val{2, 1, 0}, w), 2);
    // A larger probability table (room for more divisions) is fine.
    const std::vector<std::int32_t> wide = {1, 2, 3, 100, 100};
    EXPECT_EQ(Payoff(host, t, Val{2, 1, 0}, Val{1, 1, 1}, wide), -2);
    EXPECT_TRUE(host.errors.empty());
    // Vals of different lengths, or longer than the probability table, are not
    // over one division set: reported, and no payoff.
    EXPECT_EQ(Payoff(host, t, Val{2, 1}, Val{1, 1, 1}, w), 0);
    EXPECT_EQ(Payoff(host, t, Val{2, 1, 0, 4}, Val{1, 1, 1, 0}, w), 0);
    EXPECT_EQ(host.errorCodes(), (std::vector<std::uint16_t>{501, 501}));
}

} // namespace
} // namespace nvx
