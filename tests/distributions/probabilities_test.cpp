#include "distributions/probabilities.h"
#include "play/engine.h"
#include "support/naive_search.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace nvx {
namespace {

using test::Falling;
using test::RecordingHost;
using Int128 = __int128;

bool SameFraction(std::int64_t a, std::int64_t b, Int128 c, Int128 d) {
    return Int128(a) * d == c * Int128(b);
}

// The failures: a product that does not fit, a sum that is not one, more
// filled places than the dialog admits, and too few vacant places.
TEST(ProbabilitiesTest, FailuresAreReportedAndLeaveNoFigure) {
    EXPECT_EQ(Multiply(Fraction{100000, 99999}, Fraction{99999, 100000}), (Fraction{1, 1}));
    EXPECT_FALSE(Multiply(Fraction{1, 65536}, Fraction{1, 65536}));
    EXPECT_TRUE(Multiply(Fraction{46340, 1}, Fraction{46340, 1}));

    RecordingHost host;
    Engine e(host);
    e.SetUpCombination("AQ9", "J73", 13, "", 0, 0);
    e.probs.DivNumerator[3] += 1;
    EXPECT_FALSE(CheckProbabilitySum(e.probs, e.divs, host));
    e.probs.DivNumerator[3] -= 1;
    e.probs.DivNumerator[e.NumDivs()] = 5; // beyond the last division: does not count
    EXPECT_TRUE(CheckProbabilitySum(e.probs, e.divs, host));
    EXPECT_FALSE(BuildLengthProbabilities(e.probs, 3, 107, 0, host));
    EXPECT_FALSE(BuildLengthProbabilities(e.probs, 14, 0, 0, host));
    EXPECT_EQ(host.errorCodes(), (std::vector<std::uint16_t>{202, 203, 203}));
    EXPECT_EQ(e.ProbDenominator(), 1);
    for (unsigned d = 0; d < 256; ++d)
        EXPECT_EQ(e.DivProb(std::uint8_t(d)), 0);
    host.clear();
    EXPECT_TRUE(BuildLengthProbabilities(e.probs, 13, 0, 0, host)); // the whole suit fits
    EXPECT_EQ(e.ProbDenominator(), 10400600);

    e.SetUpCombination("AKQ", "JT9", 13, "", 13, 13); // no place for the defenders' cards
    EXPECT_EQ(host.errorCodes(), std::vector<std::uint16_t>{202});
    for (unsigned d = 0; d < e.NumDivs(); ++d)
        EXPECT_EQ(e.DivProb(std::uint8_t(d)), 0);
}

// Checks the divisions of the set-up combination against a brute force over
// every West holding of real cards, each weighed by counting places: the
// numbering is onto 0..NumDivs-1, the multiplicities count the holdings, and
// the merge at rank r keeps West's cards of classes above r while moving its
// other cards to the bottom.
void CheckAgainstBruteForce(const Engine& e, int vw, int ve, std::uint16_t r) {
    const Holding ew = e.GetEWCards();
    const int n = int(ew.size());
    std::int64_t product = 1;
    for (int i = 0; i < e.classes.ClassCount[hand::Defenders]; ++i)
        product *= e.classes.ClassSize[e.classes.ClassList[hand::Defenders][i]] + 1;
    ASSERT_EQ(e.NumDivs(), product);
    const auto low = [&](char c) { return RankValue(e.ClassRepresentative(c)) <= r; };
    const std::uint64_t all = Falling(vw + ve, n); // ways to place the n cards
    std::vector<std::uint64_t> weight(256, 0);
    std::vector<std::int64_t> count(256, 0);
    for (unsigned mask = 0; mask < (1u << n); ++mask) {
        std::string west;
        for (int i = 0; i < n; ++i)
            if (mask & (1u << i)) west += ew[std::size_t(i)];
        const std::uint8_t d = e.DivNrOfCards(west);
        ASSERT_LT(d, e.NumDivs());
        ASSERT_EQ(e.WestLength(d), west.size());
        weight[d] += Falling(vw, int(west.size())) * Falling(ve, n - int(west.size()));
        ++count[d];
        std::string merged;
        for (char c : west)
            if (!low(c)) merged += c;
        for (int i = n - 1, k = int(std::count_if(west.begin(), west.end(), low)); k > 0; --i)
            if (low(ew[std::size_t(i)])) merged += ew[std::size_t(i)], --k;
        ASSERT_EQ(e.MergedDivNr(d, r), e.DivNrOfCards(merged)) << west << " r " << r;
    }
    std::int64_t sum = 0;
    for (unsigned d = 0; d < e.NumDivs(); ++d) {
        const auto dn = std::uint8_t(d);
        sum += e.DivProb(dn);
        ASSERT_GT(count[d], 0) << "division " << d << " stands for no holding";
        ASSERT_EQ(e.DivMultiplicity(dn), count[d]) << d;
        ASSERT_TRUE(SameFraction(e.DivProb(dn), e.ProbDenominator(), weight[d], all))
            << "division " << d << ": " << e.DivProb(dn) << "/" << e.ProbDenominator();
    }
    ASSERT_EQ(sum, e.ProbDenominator());
    for (int k = 0; k <= n; ++k)
        ASSERT_TRUE(SameFraction(e.LengthProbNumerator(unsigned(k)), e.ProbDenominator(),
                                 Int128(Falling(vw, k)) * Falling(ve, n - k), all))
            << "length " << k;
    ASSERT_GT(e.ProbDenominator(), 0);
    ASSERT_LE(e.ProbDenominator(), 10400600);
}

// Every set of defenders' cards that the dialog admits (2 to 11 cards) and,
// for each number of them, every admitted pair of vacant places: the two lists
// are walked side by side, the shorter one round again. North and South share
// the other cards at random and discard some of them now and then.
TEST(ProbabilitiesProperty, EveryDefendersHoldingAndVacantPlacesAgreeWithCounting) {
    std::mt19937 rng(31337);
    RecordingHost host;
    Engine e(host);
    for (int n = 2; n <= 11; ++n) {
        std::vector<unsigned> holdings;
        for (unsigned ewMask = 0; ewMask < (1u << 13); ++ewMask)
            if (__builtin_popcount(ewMask) == n) holdings.push_back(ewMask);
        std::vector<std::pair<int, int>> vacant;
        for (int vw = 0; vw <= 13; ++vw)
            for (int ve = 0; ve <= 13; ++ve)
                if (vw + ve >= n) vacant.push_back({vw, ve});
        for (std::size_t i = 0; i < std::max(holdings.size(), vacant.size()); ++i) {
            std::string north, south, discards;
            for (std::uint16_t r = 1; r <= 13; ++r)
                if (!(holdings[i % holdings.size()] & (1u << (r - 1)))) {
                    (rng() % 2 ? north : south) += RankChar(r);
                    if (rng() % 8 == 0) discards += RankChar(r);
                }
            const auto [vw, ve] = vacant[i % vacant.size()];
            e.SetUpCombination(north, south, 13, discards, std::uint8_t(13 - vw),
                               std::uint8_t(13 - ve));
            SCOPED_TRACE(north + " / " + south + " discards " + discards + " vacant " +
                         std::to_string(vw) + "/" + std::to_string(ve));
            ASSERT_EQ(int(e.GetEWCards().size()), n);
            CheckAgainstBruteForce(e, vw, ve, std::uint16_t(1 + rng() % 13));
            ASSERT_TRUE(host.errors.empty());
        }
    }
}

} // namespace
} // namespace nvx
