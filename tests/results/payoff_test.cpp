#include "results/payoff.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <vector>

namespace nvx {
namespace {

TContractGoal Goal(int level, int strain, int tricksNeeded, bool vul = false, bool dbl = false,
                   bool rdbl = false) {
    TContractGoal g;
    g.Contract.Level = static_cast<std::uint8_t>(level);
    g.Contract.Strain = static_cast<std::uint8_t>(strain);
    g.Contract.Vulnerable = vul;
    g.Contract.Doubled = dbl;
    g.Contract.Redoubled = rdbl;
    g.TricksNeeded = static_cast<std::uint8_t>(tricksNeeded);
    return g;
}

void ExpectAntisymmetric(const PayoffTable& t) {
    for (int i = 0; i <= 13; ++i)
        for (int j = 0; j <= 13; ++j)
            EXPECT_EQ(t.TablePayoff(i, j), -t.TablePayoff(j, i)) << i << "," << j;
}

TEST(PayoffTable, TrickTableComparesTricks) {
    PayoffTable t;
    EXPECT_FALSE(t.IsIMPs());
    EXPECT_EQ(t.TablePayoff(3, 2), 1);
    EXPECT_EQ(t.TablePayoff(0, 13), -1);
    EXPECT_EQ(t.TablePayoff(7, 7), 0);
    ExpectAntisymmetric(t);
    // Setting an IMP table and then the trick table again restores it.
    t.SetIMPTable(Goal(3, 4, 2), 2);
    EXPECT_TRUE(t.IsIMPs());
    t.SetTrickTable();
    EXPECT_FALSE(t.IsIMPs());
    EXPECT_EQ(t.TablePayoff(13, 12), 1);
    EXPECT_EQ(t.TablePayoff(2, 9), -1);
}

TEST(PayoffTable, ImpTableThreeNotrump) {
    // 3NT not vulnerable, 2 tricks needed: scores by suit tricks 0..6 are
    // -100, -50, 400, 430, 460, 490, 520; from 7 tricks the total exceeds 13
    // and the score is 0.
    PayoffTable t;
    t.SetIMPTable(Goal(3, 4, 2), 2);
    EXPECT_TRUE(t.IsIMPs());
    EXPECT_EQ(t.TablePayoff(2, 2), 0);
    EXPECT_EQ(t.TablePayoff(2, 1), 10); // 450
    EXPECT_EQ(t.TablePayoff(2, 0), 11); // 500
    EXPECT_EQ(t.TablePayoff(1, 0), 2);  // 50
    EXPECT_EQ(t.TablePayoff(3, 2), 1);  // 30
    EXPECT_EQ(t.TablePayoff(6, 2), 3);  // 120
    EXPECT_EQ(t.TablePayoff(1, 2), -10);
    // Out of range: 0 points.
    EXPECT_EQ(t.TablePayoff(7, 2), -9); // -400
    EXPECT_EQ(t.TablePayoff(7, 0), 3);  // 100
    EXPECT_EQ(t.TablePayoff(13, 7), 0);
    ExpectAntisymmetric(t);
}

TEST(PayoffTable, OutsideTheTableIsZero) {
    PayoffTable t;
    EXPECT_EQ(t.TablePayoff(14, 0), 0);
    EXPECT_EQ(t.TablePayoff(0, -1), 0);
}

TEST(Payoff, SumsTableEntriesWeightedByDivision) {
    test::RecordingHost host;
    PayoffTable t;
    const std::vector<std::int32_t> w = {1, 2, 3};
    EXPECT_EQ(Payoff(host, t, TVal{2, 1, 0}, TVal{1, 1, 1}, w), 1 * 1 + 2 * 0 - 3 * 1);
    EXPECT_EQ(Payoff(host, t, TVal{1, 1, 1}, TVal{2, 1, 0}, w), 2);
    EXPECT_EQ(Payoff(host, t, TVal{2, 1, 0}, TVal{2, 1, 0}, w), 0);
    // A larger probability table (room for more divisions) is fine.
    const std::vector<std::int32_t> wide = {1, 2, 3, 100, 100};
    EXPECT_EQ(Payoff(host, t, TVal{2, 1, 0}, TVal{1, 1, 1}, wide), -2);
    EXPECT_TRUE(host.errors.empty());

    t.SetIMPTable(Goal(3, 4, 2), 2);
    // 3NT, 2 needed: (2 vs 1) 10 IMPs x 1, (1 vs 1) 0, (0 vs 1) -2 IMPs x 3.
    EXPECT_EQ(Payoff(host, t, TVal{2, 1, 0}, TVal{1, 1, 1}, w), 10 - 6);
    EXPECT_EQ(Payoff(host, t, TVal{1, 1, 1}, TVal{2, 1, 0}, w), -4);
    EXPECT_TRUE(host.errors.empty());
}

// Vals of different lengths, or longer than the probability table, are not
// over one division set: reported, and no payoff.
TEST(Payoff, ValsOverDifferentSetsAreRefused) {
    test::RecordingHost host;
    PayoffTable t;
    const std::vector<std::int32_t> w = {1, 2, 3};
    EXPECT_EQ(Payoff(host, t, TVal{2, 1}, TVal{1, 1, 1}, w), 0);
    EXPECT_EQ(Payoff(host, t, TVal{2, 1, 0, 4}, TVal{1, 1, 1, 0}, w), 0);
    EXPECT_EQ(host.errorCodes(), (std::vector<std::uint16_t>{501, 501}));
}

} // namespace
} // namespace nvx
