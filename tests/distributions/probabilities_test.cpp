#include "distributions/probabilities.h"
#include "play/engine.h"
#include "support/combos.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace nvx {
namespace {

using test::RecordingHost;
using Int128 = __int128;

// x (x-1) ... (x-k+1): the ways to put k named cards on x places; 0 when k > x.
std::uint64_t Falling(int x, int k) {
    if (k > x) return 0;
    std::uint64_t f = 1;
    for (int i = 0; i < k; ++i)
        f *= std::uint64_t(x - i);
    return f;
}

// The probability of a division written as the fraction a/b in exact 128-bit arithmetic.
bool SameFraction(std::int64_t a, std::int64_t b, Int128 c, Int128 d) {
    return Int128(a) * d == c * Int128(b);
}

TEST(FractionTest, ProductsThatDoNotFitAreRefused) {
    // Multiplied out first, 100000 * 99999 would not fit 32 bits.
    EXPECT_EQ(Multiply(Fraction{100000, 99999}, Fraction{99999, 100000}), (Fraction{1, 1}));
    EXPECT_FALSE(Multiply(Fraction{100000, 1}, Fraction{100000, 1}));
    EXPECT_FALSE(Multiply(Fraction{1, 65536}, Fraction{1, 65536}));
    EXPECT_FALSE(Multiply(Fraction{1, 0}, Fraction{1, 1}));
    EXPECT_TRUE(Multiply(Fraction{46340, 1}, Fraction{46340, 1}));
}

class ProbabilitiesTest : public ::testing::Test {
  protected:
    RecordingHost host;
    Engine e{host};
};

TEST_F(ProbabilitiesTest, CorruptedNumeratorIsReported) {
    e.SetUpCombination("AQ9", "J73", 13, "", 0, 0);
    ASSERT_TRUE(CheckProbabilitySum(e.probs, e.divs, host));
    ASSERT_TRUE(host.errors.empty());
    e.probs.DivNumerator[3] += 1;
    EXPECT_FALSE(CheckProbabilitySum(e.probs, e.divs, host));
    EXPECT_EQ(host.errorCodes(), std::vector<std::uint16_t>{202});
    EXPECT_EQ(host.errors[0].text, "sum prob <> 1");
    // A numerator beyond the last division does not count.
    e.probs.DivNumerator[3] -= 1;
    e.probs.DivNumerator[e.NumDivs()] = 5;
    EXPECT_TRUE(CheckProbabilitySum(e.probs, e.divs, host));
}

TEST_F(ProbabilitiesTest, OverflowIsReportedAndLeavesNothingStanding) {
    e.SetUpCombination("AQ9", "J73", 13, "", 0, 0);
    ASSERT_TRUE(host.errors.empty());
    // Filled places above 13 (negative vacant places) are outside what the
    // dialog admits; the products then run past 32 bits.
    EXPECT_FALSE(BuildLengthProbabilities(e.probs, 3, 107, 0, host));
    EXPECT_EQ(host.errorCodes(), std::vector<std::uint16_t>{203});
    EXPECT_EQ(host.errors[0].text, "probability overflow");
    EXPECT_EQ(e.ProbDenominator(), 1);
    for (unsigned k = 0; k <= 13; ++k)
        EXPECT_EQ(e.LengthProbNumerator(k), 0);
    for (unsigned d = 0; d < 256; ++d)
        EXPECT_EQ(e.DivProb(std::uint8_t(d)), 0);

    host.clear();
    EXPECT_FALSE(
        BuildLengthProbabilities(e.probs, 14, 0, 0, host)); // more cards than the table holds
    EXPECT_EQ(host.errorCodes(), std::vector<std::uint16_t>{203});

    host.clear();
    EXPECT_TRUE(BuildLengthProbabilities(e.probs, 13, 0, 0, host)); // the whole suit still fits
    EXPECT_EQ(e.ProbDenominator(), 10400600);
    EXPECT_TRUE(host.errors.empty());
}

TEST_F(ProbabilitiesTest, TooFewVacantPlacesDoNotCrash) {
    // The dialog refuses this; the engine reports the failed sum and shows no figure.
    e.SetUpCombination("AKQ", "JT9", 13, "", 13, 13);
    EXPECT_EQ(host.errorCodes(), std::vector<std::uint16_t>{202});
    for (unsigned d = 0; d < e.NumDivs(); ++d)
        EXPECT_EQ(e.DivProb(std::uint8_t(d)), 0);
}

// Checks every division of the set-up combination against a brute force over
// every West holding of real cards, each weighed by counting places.
void CheckAgainstBruteForce(const Engine& e, int vw, int ve) {
    const Holding ew = e.GetEWCards();
    const int n = int(ew.size());
    const std::uint64_t all = Falling(vw + ve, n); // ways to place the n cards
    std::vector<std::uint64_t> weight(256, 0);
    std::vector<std::int64_t> count(256, 0);
    for (unsigned mask = 0; mask < (1u << n); ++mask) {
        std::string west;
        for (int i = 0; i < n; ++i)
            if (mask & (1u << i)) west += ew[std::size_t(i)];
        const int w = int(west.size());
        const std::uint8_t d = e.DivNrOfCards(west);
        weight[d] += Falling(vw, w) * Falling(ve, n - w);
        ++count[d];
    }
    std::int64_t sum = 0, multiplicities = 0;
    for (unsigned d = 0; d < e.NumDivs(); ++d) {
        const auto dn = std::uint8_t(d);
        sum += e.DivProb(dn);
        multiplicities += e.DivMultiplicity(dn);
        ASSERT_EQ(e.DivMultiplicity(dn), count[d]) << d;
        ASSERT_GE(e.DivProb(dn), 0);
        ASSERT_TRUE(SameFraction(e.DivProb(dn), e.ProbDenominator(), weight[d], all))
            << "division " << d << ": " << e.DivProb(dn) << "/" << e.ProbDenominator();
    }
    ASSERT_EQ(sum, e.ProbDenominator());
    ASSERT_EQ(multiplicities, std::int64_t(1) << n);
    for (int k = 0; k <= n; ++k)
        ASSERT_TRUE(SameFraction(e.LengthProbNumerator(unsigned(k)), e.ProbDenominator(),
                                 Int128(Falling(vw, k)) * Falling(ve, n - k), all))
            << "length " << k;
    ASSERT_LE(e.ProbDenominator(), 10400600);
    ASSERT_GT(e.ProbDenominator(), 0);
}

// Every set of defenders' cards that the dialog admits (2 to 11 cards), with
// vacant places drawn at random among the admitted ones.
TEST(ProbabilitiesProperty, EveryDefendersHoldingAgreesWithCounting) {
    std::mt19937 rng(31337);
    RecordingHost host;
    Engine e(host);
    int checked = 0;
    for (unsigned ewMask = 0; ewMask < (1u << 13); ++ewMask) {
        const int n = __builtin_popcount(ewMask);
        if (n < 2 || n > 11) continue;
        std::string north, south;
        for (int r = 1; r <= 13; ++r)
            if (!(ewMask & (1u << (r - 1))))
                (rng() % 2 ? north : south) += RankChar(std::uint16_t(r));
        int vw = 13, ve = 13;
        if (rng() % 3) {
            do {
                vw = int(rng() % 14);
                ve = int(rng() % 14);
            } while (vw + ve < n);
        }
        e.SetUpCombination(north, south, 13, "", std::uint8_t(13 - vw), std::uint8_t(13 - ve));
        SCOPED_TRACE(north + " / " + south + " vacant " + std::to_string(vw) + "/" +
                     std::to_string(ve));
        ASSERT_EQ(int(e.GetEWCards().size()), n);
        CheckAgainstBruteForce(e, vw, ve);
        ASSERT_TRUE(host.errors.empty());
        ++checked;
    }
    EXPECT_EQ(checked, 8192 - 1 - 13 - 13 - 1); // all sets but those of 0, 1, 12 and 13 cards
}

// Every admitted pair of vacant places for every number of defenders' cards.
TEST(ProbabilitiesProperty, EveryAdmittedVacantPlaces) {
    RecordingHost host;
    Engine e(host);
    std::mt19937 rng(8);
    for (int n = 2; n <= 11; ++n) {
        for (int vw = 0; vw <= 13; ++vw) {
            for (int ve = 0; ve <= 13; ++ve) {
                if (vw + ve < n) continue;
                // The defenders hold n random cards; North and South the rest.
                std::string cards = "AKQJT98765432";
                std::shuffle(cards.begin(), cards.end(), rng);
                const std::string ns = cards.substr(std::size_t(n));
                e.SetUpCombination(ns.substr(0, ns.size() / 2), ns.substr(ns.size() / 2), 13, "",
                                   std::uint8_t(13 - vw), std::uint8_t(13 - ve));
                SCOPED_TRACE("n " + std::to_string(n) + " vacant " + std::to_string(vw) + "/" +
                             std::to_string(ve));
                CheckAgainstBruteForce(e, vw, ve);
                ASSERT_TRUE(host.errors.empty());
            }
        }
    }
}

} // namespace
} // namespace nvx
