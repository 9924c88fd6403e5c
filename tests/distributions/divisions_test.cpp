#include "play/engine.h"
#include "support/combos.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <random>

namespace nvx {
namespace {

using test::RecordingHost;

// The defenders' real cards of a West holding given as a bit mask over EWCards
// (bit i = the i-th lowest defenders' card).
std::string WestCards(const Engine& e, unsigned mask) {
    const Holding& ew = e.GetEWCards();
    std::string s;
    for (std::size_t i = 0; i < ew.size(); ++i)
        if (mask & (1u << (ew.size() - 1 - i))) s += ew[i];
    return s;
}

// Brute force over every West holding of real cards, for many combinations:
// the numbering is onto 0..NumDivs-1, the multiplicities count the holdings,
// and the merge table keeps the cards above the merge rank while moving West's
// other cards to the bottom.
TEST(DivisionsProperty, NumberingAgreesWithEveryWestHolding) {
    std::mt19937 rng(4711);
    RecordingHost host;
    Engine e(host);
    for (int iter = 0; iter < 1500; ++iter) {
        const test::ComboInput in = test::RandomAdmittedCombo(rng);
        test::SetUp(e, in);
        SCOPED_TRACE(in.describe());
        const Holding ew = e.GetEWCards();
        const int n = int(ew.size());
        std::int64_t product = 1;
        for (int i = 0; i < e.classes.ClassCount[hand::Defenders]; ++i)
            product *= e.classes.ClassSize[e.classes.ClassList[hand::Defenders][i]] + 1;
        ASSERT_EQ(e.NumDivs(), product);
        ASSERT_LE(e.NumDivs(), 162);

        std::vector<int> count(e.NumDivs(), 0);
        const int r = 1 + int(rng() % 13); // one merge rank per combination
        for (unsigned mask = 0; mask < (1u << n); ++mask) {
            const std::string west = WestCards(e, mask);
            const std::uint8_t d = e.DivNrOfCards(west);
            ASSERT_LT(d, e.NumDivs());
            ++count[d];
            ASSERT_EQ(e.WestLength(d), west.size());
            // Expected merge: West keeps its cards in classes above r and has as
            // many of the cards in classes up to r, taken from the lowest.
            std::string merged;
            int low = 0;
            for (char c : west)
                if (RankValue(e.ClassRepresentative(c)) > r)
                    merged += c;
                else
                    ++low;
            for (int i = n - 1; i >= 0 && low > 0; --i)
                if (RankValue(e.ClassRepresentative(ew[std::size_t(i)])) <= r) {
                    merged += ew[std::size_t(i)];
                    --low;
                }
            ASSERT_EQ(e.MergedDivNr(d, std::uint16_t(r)), e.DivNrOfCards(merged))
                << west << " r " << r;
            ASSERT_EQ(e.MergedDivNr(d, 1), d);
        }
        std::int64_t total = 0;
        for (unsigned d = 0; d < e.NumDivs(); ++d) {
            ASSERT_GT(count[d], 0) << "division " << d << " stands for no holding";
            ASSERT_EQ(e.DivMultiplicity(std::uint8_t(d)), count[d]);
            total += e.DivMultiplicity(std::uint8_t(d));
        }
        ASSERT_EQ(total, std::int64_t(1) << n);
        ASSERT_TRUE(host.errors.empty());
    }
}

TEST(DivisionsTest, TooManyDivisionsIsReported) {
    // No real combination gets past 162 divisions; crafted class tables can.
    RecordingHost host;
    Engine e(host);
    ClassTables t;
    for (std::uint8_t r = 1; r <= 9; ++r) { // nine defenders' classes of one card: 512
        t.Owner[r] = hand::Defenders;
        t.ClassSize[r] = 1;
        t.ClassList[hand::Defenders][9 - r] = r;
    }
    t.ClassCount[hand::Defenders] = 9;
    t.EWLength = 9;
    e.classes = t;
    e.divs = GenerateDivisions(e.classes, host);
    EXPECT_EQ(host.errorCodes(), std::vector<std::uint16_t>{201});
    EXPECT_EQ(host.errors[0].text, "Generated EW DivNr not a byte");
    // The numbering is unusable, but nothing may crash on it.
    for (unsigned d = 0; d < 256; ++d) {
        (void)e.WestLength(std::uint8_t(d));
        (void)e.DivMultiplicity(std::uint8_t(d));
    }
    e.probs = DivisionProbabilities(e.classes, e.divs, 0, 0, host);
}

} // namespace
} // namespace nvx
