#include "play/engine.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(e.NumDivs(), 1);
    EXPECT_EQ(e.DivProb(0), e.ProbDenominator());
    e.SetUpCombination("", "", 0, "", 0, 0);
    EXPECT_EQ(e.NumDivs(), 14);
    EXPECT_TRUE(host.errors.empty());
}

} // namespace
} // namespace nvx
