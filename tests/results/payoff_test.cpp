#include "results/payoff.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <vector>

namespace nvx {
namespace {

// Inside the suit's range the random sets of property_test check the table
// against the scores; outside it every entry is 0.
TEST(PayoffTable, ImpTableOutsideTheSuit) {
    ContractGoal goal;
    goal.Contract.Level = 3;
    goal.Contract.Strain = 4;
    goal.TricksNeeded = 2;
    PayoffTable t;
    t.SetIMPTable(goal, 2);
    EXPECT_EQ(t.TablePayoff(7, 2), -9); // 7 + 9 tricks: more than 13, scored 0
    EXPECT_EQ(t.TablePayoff(13, 7), 0);
    EXPECT_EQ(t.TablePayoff(14, 0), 0);
    EXPECT_EQ(t.TablePayoff(0, -1), 0);
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
