#include "play/engine.h"
#include "support/combos.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <random>

namespace nvx {
namespace {

using test::RecordingHost;

std::uint8_t R(char c) {
    return static_cast<std::uint8_t>(RankValue(c));
}

// The edges of the set-up: a card in both hands, discards of the defenders'
// cards, no defenders' cards, no cards for North and South.
TEST(SetUpTest, Edges) {
    RecordingHost host;
    Engine e(host);
    e.SetUpCombination("AKQ5", "QJ43", 9, "", 0, 0);
    EXPECT_EQ(e.GetSouth(), Holding("J43")); // the queen stays with North
    EXPECT_EQ(e.classes.ClassSize[R('Q')], 3);
    e.SetUpCombination("AK", "Q", 9, "A2", 0, 0);
    EXPECT_EQ(e.GetDiscards(), Holding("A"));
    EXPECT_EQ(e.classes.NorthLength, 1);
    e.SetUpCombination("AKQJT98", "765432", 9, "", 0, 0);
    EXPECT_EQ(e.classes.EWLength, 0);
    EXPECT_EQ(e.NumDivs(), 1);
    EXPECT_EQ(e.DivProb(0), e.ProbDenominator());
    e.SetUpCombination("", "", 0, "", 0, 0);
    EXPECT_EQ(e.classes.MaxLength, 0);
    EXPECT_EQ(e.NumDivs(), 14);
    EXPECT_TRUE(host.errors.empty());
}

TEST(SetUpTest, SecondSetUpReplacesEverything) {
    RecordingHost host;
    Engine used(host), fresh(host);
    used.SetUpCombination("AJ9753", "K2", 1, "", 3, 4);
    used.Play(R('2'));
    used.combo.PlayString = "K2;";
    used.SetUpCombination("Q8", "A64", 2, "8", 1, 0);
    fresh.SetUpCombination("Q8", "A64", 2, "8", 1, 0);
    EXPECT_EQ(used.classes, fresh.classes);
    EXPECT_EQ(used.play, fresh.play);
    EXPECT_EQ(used.divs, fresh.divs);
    EXPECT_EQ(used.probs, fresh.probs);
    EXPECT_EQ(used.combo.ClassMap, fresh.combo.ClassMap);
    EXPECT_TRUE(used.combo.PlayString.empty());
    EXPECT_TRUE(host.errors.empty());
}

// Independent check of the card classes: a class is a maximal run of one hand's
// playing cards with consecutive ranks.
TEST(SetUpProperty, ClassesAreMaximalRunsOfEachHand) {
    std::mt19937 rng(20240611);
    RecordingHost host;
    Engine e(host);
    for (int iter = 0; iter < 2000; ++iter) {
        const test::ComboInput in = test::RandomAdmittedCombo(rng);
        test::SetUp(e, in);
        SCOPED_TRACE(in.describe());
        const Holding north = NormalizeHolding(in.north);
        const Holding south = HoldingMinus(NormalizeHolding(in.south), north);
        const Holding discards = NormalizeHolding(in.discards);
        int handOf[14];
        for (int r = 1; r <= 13; ++r) {
            const char c = RankChar(std::uint16_t(r));
            handOf[r] = HasCard(c, discards) ? -1
                        : HasCard(c, north)  ? hand::North
                        : HasCard(c, south)  ? hand::South
                                             : hand::Defenders;
        }
        int lengths[3] = {0, 0, 0};
        for (int r = 1; r <= 13; ++r) {
            const char c = RankChar(std::uint16_t(r));
            if (handOf[r] < 0) {
                EXPECT_EQ(e.ClassRepresentative(c), c);
                EXPECT_EQ(e.classes.Owner[r], hand::None);
                continue;
            }
            ++lengths[handOf[r]];
            int lo = r, hi = r;
            while (lo > 1 && handOf[lo - 1] == handOf[r])
                --lo;
            while (hi < 13 && handOf[hi + 1] == handOf[r])
                ++hi;
            const int rep = handOf[r] == hand::Defenders ? hi : lo;
            ASSERT_EQ(e.ClassRepresentative(c), RankChar(std::uint16_t(rep))) << c;
            EXPECT_EQ(e.classes.Owner[rep], handOf[r]);
            EXPECT_EQ(e.classes.ClassSize[rep], hi - lo + 1);
            if (rep != r) {
                EXPECT_EQ(e.classes.Owner[r], hand::None);
                EXPECT_EQ(e.classes.ClassSize[r], 0);
            }
        }
        EXPECT_EQ(e.classes.NorthLength, lengths[hand::North]);
        EXPECT_EQ(e.classes.SouthLength, lengths[hand::South]);
        EXPECT_EQ(e.classes.EWLength, lengths[hand::Defenders]);
        EXPECT_EQ(e.classes.MaxLength, std::max(lengths[0], lengths[1]));
        for (std::uint8_t h = 0; h < 3; ++h) {
            const auto& list = e.classes.ClassList[h];
            for (int i = 0; i < e.classes.ClassCount[h]; ++i) {
                EXPECT_EQ(e.classes.Owner[list[i]], h);
                if (i > 0) {
                    EXPECT_GT(list[i - 1], list[i]); // highest first, each once
                }
            }
        }
        ASSERT_TRUE(host.errors.empty());
    }
}

} // namespace
} // namespace nvx
