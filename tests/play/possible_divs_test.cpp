#include "play/possible_divs.h"
#include "support/combos.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <random>

namespace nvx {
namespace {

using test::RecordingHost;

// Every division whose West holding is consistent with the cards each defender
// has played and with the show-outs: a plain filter over all divisions.
Dom FilterAllDivisions(const Engine& e) {
    const PlayState& p = e.play;
    const ClassTables& t = e.classes;
    Dom dom;
    for (unsigned d = 0; d < e.NumDivs(); ++d) {
        bool ok = true;
        for (int i = 0; i < t.ClassCount[hand::Defenders] && ok; ++i) {
            const std::uint8_t r = t.ClassList[hand::Defenders][i];
            const unsigned w = e.DivWeight(r);
            const int west = int(d / w % (t.ClassSize[r] + 1u)); // West's cards of the class
            const int eastPlayed = t.ClassSize[r] - p.Remaining[r] - p.WestPlayed[r];
            if (west < p.WestPlayed[r] || t.ClassSize[r] - west < eastPlayed) ok = false;
            if (p.ShownOut[seat::West] && west != p.WestPlayed[r]) ok = false;
            if (p.ShownOut[seat::East] && t.ClassSize[r] - west != eastPlayed) ok = false;
        }
        if (ok) dom.push_back(std::uint8_t(d));
    }
    return dom;
}

TEST(PossibleDivsTest, LargestNumberingFitsADivisionSet) {
    RecordingHost host;
    Engine e(host);
    // North and South hold Q 9 6 4: the defenders hold AK, JT, 87, 5 and 32,
    // 3 * 3 * 3 * 2 * 3 = 162 divisions, the most any combination has.
    e.SetUpCombination("Q9", "64", 13, "", 0, 0);
    ASSERT_EQ(e.NumDivs(), 162);
    Dom d;
    PossibleDivs(e, d);
    ASSERT_EQ(d.size(), 162u);
    for (unsigned i = 0; i < d.size(); ++i)
        ASSERT_EQ(d[i], i);
    EXPECT_TRUE(host.errors.empty());
}

// In random positions of random combinations the enumeration agrees with the
// filter over all divisions, and always contains the division actually dealt.
TEST(PossibleDivsProperty, AgreesWithFilterAndKeepsTheRealDivision) {
    std::mt19937 rng(777);
    RecordingHost host;
    Engine e(host);
    int positions = 0;
    for (int iter = 0; iter < 1500; ++iter) {
        const test::ComboInput in = test::RandomAdmittedCombo(rng);
        test::SetUp(e, in);
        SCOPED_TRACE(in.describe());
        // Deal the defenders' cards: West's count per class.
        std::array<int, 14> westHolds{};
        for (int i = 0; i < e.classes.ClassCount[hand::Defenders]; ++i) {
            const std::uint8_t r = e.classes.ClassList[hand::Defenders][i];
            westHolds[r] = int(rng() % (e.classes.ClassSize[r] + 1u));
        }
        unsigned dealt = 0;
        for (int r = 1; r <= 13; ++r)
            dealt += unsigned(westHolds[r]) * e.DivWeight(std::uint16_t(r));
        // Play at random, the defenders only as the deal allows.
        for (;;) {
            Dom d;
            PossibleDivs(e, d);
            ASSERT_EQ(d, FilterAllDivisions(e)) << "at card " << int(e.play.CardIndex);
            ASSERT_TRUE(std::find(d.begin(), d.end(), dealt) != d.end());
            ++positions;
            std::vector<std::uint8_t> codes;
            for (std::uint8_t c : test::LegalCodes(e)) {
                const std::uint8_t s = e.play.Seat;
                if (s == seat::West || s == seat::East) {
                    auto left = [&](std::uint8_t r) {
                        const int westLeft = westHolds[r] - e.play.WestPlayed[r];
                        return s == seat::West ? westLeft : e.play.Remaining[r] - westLeft;
                    };
                    int total = 0;
                    for (int i = 0; i < e.classes.ClassCount[hand::Defenders]; ++i)
                        total += left(e.classes.ClassList[hand::Defenders][i]);
                    if (c <= 13 ? left(c) == 0 : total > 0) continue;
                }
                codes.push_back(c);
            }
            if (codes.empty()) {
                ASSERT_EQ(e.play.Seat, seat::None); // the deal never leaves a defender stuck
                break;
            }
            ASSERT_TRUE(e.Play(codes[rng() % codes.size()]));
        }
    }
    EXPECT_GT(positions, 10000);
    EXPECT_TRUE(host.errors.empty());
}

} // namespace
} // namespace nvx
