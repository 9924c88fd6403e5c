#include "play/engine.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

namespace nvx {
namespace {

using test::RecordingHost;

class PlayStateTest : public ::testing::Test {
  protected:
    RecordingHost host;
    Engine e{host};

    // The play code of a real card: the class rank of its class.
    std::uint8_t Code(char card) const {
        return std::uint8_t(RankValue(e.ClassRepresentative(card)));
    }
};

TEST_F(PlayStateTest, ShowOutRules) {
    // Defenders: Q J T 9 8 7 6 5 4 and nothing else.
    e.SetUpCombination("AK3", "2", 3, "", 0, 0);
    ASSERT_TRUE(e.Play(Code('2'))); // South leads, West to play
    EXPECT_TRUE(e.CanShowOut());    // East might hold them all
    ASSERT_TRUE(e.Play(LaterShowOut));
    EXPECT_EQ(e.play.Played[2], FirstShowOut); // the state picks 14 itself
    EXPECT_EQ(e.play.ShownOut[seat::West], 1);
    // North must follow suit while it has cards.
    EXPECT_FALSE(e.CanShowOut());
    ASSERT_TRUE(e.Play(Code('3')));
    // East's partner has shown out: East must follow.
    EXPECT_FALSE(e.CanShowOut());
    EXPECT_TRUE(e.CanPlayCard(Code('4')));
    ASSERT_TRUE(e.Play(Code('Q')));
    EXPECT_EQ(e.NSTricks(), 0);
    // South is void now: as third hand it may only show out.
    ASSERT_TRUE(e.Play(Code('K'))); // North leads with one of its entries
    EXPECT_EQ(e.play.Seat, seat::East);
    ASSERT_TRUE(e.Play(Code('J')));
    EXPECT_TRUE(e.CanShowOut());
    ASSERT_TRUE(e.Play(FirstShowOut));
    EXPECT_EQ(e.play.Played[7], FirstShowOut);
    EXPECT_EQ(e.play.ShownOut[seat::South], 1);
    EXPECT_FALSE(e.CanPlayCard(Code('T'))); // West has shown out
    ASSERT_TRUE(e.Play(FirstShowOut));
    EXPECT_EQ(e.play.Played[8], LaterShowOut);
    EXPECT_EQ(e.NSTricks(), 1);
    // Taking back the later show-out leaves West void; taking back the first clears it.
    e.UndoPlay();
    EXPECT_EQ(e.play.ShownOut[seat::West], 1);
    e.UndoPlay();
    EXPECT_EQ(e.play.ShownOut[seat::South], 0);
    EXPECT_TRUE(host.errors.empty());
}

TEST_F(PlayStateTest, WhenTheDefendersHaveNoCardsTheyOnlyShowOut) {
    e.SetUpCombination("AKQJT98", "765432", 1, "", 0, 0);
    ASSERT_TRUE(e.Play(Code('A')));
    for (std::uint8_t r = 1; r <= 13; ++r)
        EXPECT_FALSE(e.CanPlayCard(r));
    EXPECT_TRUE(e.CanShowOut());
    ASSERT_TRUE(e.Play(FirstShowOut));
    ASSERT_TRUE(e.Play(Code('2')));
    EXPECT_TRUE(e.CanShowOut()); // West, although East has shown out
    ASSERT_TRUE(e.Play(FirstShowOut));
    EXPECT_EQ(e.NSTricks(), 1);
}

} // namespace
} // namespace nvx
