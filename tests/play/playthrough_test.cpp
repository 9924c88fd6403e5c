// The play-through in real cards: the record of the play, its separators,
// refusals, take-backs and the queries of the play panel and tricks table.
#include "play/line_helper.h"
#include "play/playthrough.h"
#include "play/possible_divs.h"
#include "support/combos.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace nvx {
namespace {

using test::RecordingHost;

class PlayThroughTest : public ::testing::Test {
  protected:
    void Analyse(const char* north, const char* south, std::uint8_t entries,
                 const char* discards = "") {
        a.SetUpCombination(north, south, entries, discards, 0, 0);
        a.SetTrickTable();
        a.ComputeOptimalLines();
        ASSERT_GE(a.StratCount(), 1);
        start = a.engine().play;
    }
    PlayThrough& pt() { return a.play(); }

    RecordingHost host;
    Analysis a{host};
    PlayState start;
};

TEST_F(PlayThroughTest, WorkedExampleOfTheRecord) {
    // North A 5, South 4 3: South 3, West Q, North A, East shows out; North
    // leads the 5.
    Analyse("A5", "43", 1);
    ASSERT_GT(test::SelectLineAccepting(a, "3QA-5"), 0);
    EXPECT_EQ(pt().GetPlayString(), "3QA-;5");
    EXPECT_EQ(pt().CompletedTricks(), 1);
    EXPECT_EQ(pt().CurrentTrickCards(), "5");
    EXPECT_EQ(pt().TrickLeaderSeat(), seat::North);
    EXPECT_EQ(pt().CurrentSeat(), seat::East);
    std::string west, east;
    pt().SplitDefendersCards(west, east);
    EXPECT_EQ(west, "Q");
    EXPECT_EQ(east, "-");
    EXPECT_EQ(pt().TrickWinningCard(1), 'A');
    EXPECT_TRUE(pt().TrickWonByNS(1));
    EXPECT_EQ(pt().NSTricksWon(), 1);
    EXPECT_EQ(pt().NorthUnplayed(), "");
    EXPECT_EQ(pt().SouthUnplayed(), "4");
    EXPECT_TRUE(host.errors.empty());
}

TEST_F(PlayThroughTest, CardsOfAClassArePlayedOneByOne) {
    // North A K 5 (classes {A, K} and {5}).
    Analyse("AK5", "32", 2);
    EXPECT_TRUE(pt().CanPlayChar('A'));
    EXPECT_TRUE(pt().CanPlayChar('K'));
    ASSERT_GT(test::SelectLineAccepting(a, "A"), 0);
    ASSERT_TRUE(pt().PlayChar('4'));                      // East
    ASSERT_TRUE(pt().PlayChar(pt().LineCards().front())); // South
    ASSERT_TRUE(pt().PlayChar('6'));                      // West
    ASSERT_EQ(pt().GetPlayString().size(), 4u);
    // North won the trick and leads again: the K (its class has a card left)
    // but not the A a second time.
    EXPECT_TRUE(pt().CanPlayChar('K'));
    EXPECT_FALSE(pt().CanPlayChar('A'));
    EXPECT_EQ(pt().PlayableCards().find('A'), std::string::npos);
    EXPECT_NE(pt().PlayableCards().find('K'), std::string::npos);
    const std::string before = pt().GetPlayString();
    const PlayState state = a.engine().play;
    EXPECT_FALSE(pt().PlayChar('A'));
    EXPECT_EQ(pt().GetPlayString(), before);
    EXPECT_TRUE(a.engine().play == state);
    EXPECT_EQ(pt().NorthUnplayed(), "K5");
}

TEST_F(PlayThroughTest, TrickSeparators) {
    Analyse("AK5", "32", 2);
    EXPECT_EQ(pt().TrickLeaderSeat(), seat::None); // empty record
    EXPECT_EQ(pt().CompletedTricks(), 0);
    ASSERT_GT(test::SelectLineAccepting(a, "A4"), 0);
    EXPECT_FALSE(pt().AddTrickSeparator()); // the trick is not complete
    EXPECT_FALSE(pt().PlayChar(';'));
    ASSERT_TRUE(pt().PlayChar(pt().LineCards().front()));
    ASSERT_TRUE(pt().PlayChar('6'));
    // Four cards and no separator: the trick already counts and still names
    // its leader.
    EXPECT_EQ(pt().GetPlayString().size(), 4u);
    EXPECT_EQ(pt().CompletedTricks(), 1);
    EXPECT_EQ(pt().TrickLeaderSeat(), seat::North);
    EXPECT_EQ(pt().CurrentTrickCards().size(), 4u);
    const PlayState afterTrick = a.engine().play;

    ASSERT_TRUE(pt().PlayChar(';'));
    EXPECT_EQ(pt().GetPlayString().back(), ';');
    EXPECT_EQ(pt().TrickLeaderSeat(), seat::None);
    EXPECT_EQ(pt().CurrentTrickCards(), "");
    EXPECT_EQ(pt().CompletedTricks(), 1);
    EXPECT_FALSE(pt().AddTrickSeparator());
    // Taking back at length 5 removes only the separator.
    pt().TakeBackCard();
    EXPECT_EQ(pt().GetPlayString().size(), 4u);
    EXPECT_TRUE(a.engine().play == afterTrick);
    pt().DropTrickSeparator(); // nothing to drop
    EXPECT_EQ(pt().GetPlayString().size(), 4u);

    // The next card writes the separator first.
    ASSERT_TRUE(pt().PlayChar(pt().LineCards().front()));
    EXPECT_EQ(pt().GetPlayString().size(), 6u);
    EXPECT_EQ(pt().GetPlayString()[4], ';');
    EXPECT_EQ(pt().CurrentTrickCards().size(), 1u);
}

TEST_F(PlayThroughTest, RefusalsChangeNothing) {
    Analyse("AK5", "32", 2, "5");
    // No line selected yet.
    EXPECT_FALSE(pt().PlayChar('2'));
    EXPECT_EQ(pt().GetPlayString(), "");
    pt().TakeBackCard(); // on an empty record: nothing happens
    EXPECT_EQ(pt().GetPlayString(), "");
    EXPECT_TRUE(a.engine().play == start);
    EXPECT_TRUE(host.errors.empty());

    a.SelectStrat(1);
    EXPECT_EQ(pt().NorthUnplayed(), "AK"); // the discard takes no part
    for (char c : {'5', 'x', 'a', '1', ';', '-', 'Q', '\0'}) {
        EXPECT_FALSE(pt().PlayChar(c)) << c;
        EXPECT_FALSE(pt().CanPlayChar(c)) << c;
        EXPECT_EQ(pt().GetPlayString(), "");
        EXPECT_TRUE(a.engine().play == start);
    }
    EXPECT_EQ(a.dynamicEvaluation().StackDepth(), 1u);
}

TEST_F(PlayThroughTest, LayoutsWithKJT9) {
    // The defenders hold K J 10 9 (classes {K} and {J, 10, 9}).
    Analyse("AQ8765", "432", 2);
    a.SelectStrat(1);
    EXPECT_TRUE(pt().IsDivisionPossible("KJ", "T9"));
    EXPECT_TRUE(pt().IsDivisionPossible("Kx", "xx"));   // three x for the three unnamed cards
    EXPECT_FALSE(pt().IsDivisionPossible("Kx", "T9"));  // J left to an x, T 9 named
    EXPECT_FALSE(pt().IsDivisionPossible("KJ", "xxx")); // five cards for four
    EXPECT_FALSE(pt().IsDivisionPossible("KJ", "J9"));  // a card twice
    EXPECT_TRUE(pt().IsDivisionPossible("", "KJT9"));
    EXPECT_TRUE(pt().IsDivisionPossible("xxxx", ""));

    // A trick in which West plays the 10 and East the K.
    ASSERT_GT(test::SelectLineAccepting(a, "2T"), 0);
    ASSERT_TRUE(pt().PlayChar(pt().LineCards().front()));
    ASSERT_TRUE(pt().PlayChar('K'));
    EXPECT_FALSE(pt().IsDivisionPossible("KJ", "T9"));
    EXPECT_FALSE(pt().IsDivisionPossible("Kx", "xx"));
    EXPECT_TRUE(pt().IsDivisionPossible("JT", "K9"));
    EXPECT_TRUE(pt().IsDivisionPossible("Jx", "Kx"));
    EXPECT_FALSE(pt().IsDivisionPossible("Tx", "Kx")); // J left to an x, T named
    EXPECT_TRUE(pt().IsDivisionPossible("xx", "Kx"));
    EXPECT_FALSE(pt().IsDivisionPossible("", "KJT9"));

    // West shows out at once: it held no card of the suit.
    ASSERT_GT(test::SelectLineAccepting(a, "2-"), 0);
    EXPECT_TRUE(pt().IsDivisionPossible("", "KJT9"));
    EXPECT_TRUE(pt().IsDivisionPossible("", "Kxxx"));
    EXPECT_FALSE(pt().IsDivisionPossible("J", "KT9"));
    EXPECT_FALSE(pt().IsDivisionPossible("x", "Kxx"));
    EXPECT_TRUE(host.errors.empty());
}

// Random play-throughs of random combinations: the queries on the record in
// real cards agree with the play state, which works by class, and the layouts
// still possible are exactly those of the divisions still possible.
TEST(PlayThroughProperty, RecordAgreesWithThePlayState) {
    std::mt19937 rng(2024);
    int positions = 0;
    for (int n = 0; n < 30; ++n) {
        test::ComboInput in;
        do {
            in = test::RandomAdmittedCombo(rng);
        } while (NormalizeHolding(in.north).size() + NormalizeHolding(in.south).size() > 6);
        RecordingHost host;
        Analysis a(host);
        a.SetUpCombination(in.north, in.south, in.entries, in.discards, in.westFilled(),
                           in.eastFilled());
        const Engine& e = a.engine();
        if (e.NumDivs() > 64 || e.GetEWCards().size() > 8) continue;
        a.SetTrickTable();
        a.ComputeOptimalLines();
        a.SelectStrat(1 + int(rng() % a.StratCount()));
        PlayThrough& pt = a.play();
        const std::string ew = e.GetEWCards().str();
        for (;;) {
            // The record and the play state.
            const std::string& ps = pt.GetPlayString();
            const int cards = int(ps.size() - ps.size() / 5);
            ASSERT_EQ(cards, e.play.CardIndex - 1) << in.describe() << " " << ps;
            EXPECT_EQ(pt.CompletedTricks(), cards / 4);
            EXPECT_EQ(pt.NSTricksWon(), e.NSTricks()) << in.describe() << " " << ps;
            EXPECT_EQ(pt.CurrentSeat(), e.play.Seat);
            EXPECT_EQ(pt.NorthUnplayed().size(), e.CardsLeft(hand::North));
            EXPECT_EQ(pt.SouthUnplayed().size(), e.CardsLeft(hand::South));
            // Every concrete layout that the record allows belongs to a
            // division still possible, and every such division has one.
            TDom possible;
            PossibleDivs(e, possible);
            std::vector<bool> hasLayout(e.NumDivs(), false);
            for (unsigned m = 0; m < (1u << ew.size()); ++m) {
                std::string w, x;
                for (unsigned i = 0; i < ew.size(); ++i)
                    ((m >> i) & 1 ? w : x).push_back(ew[i]);
                if (!pt.IsDivisionPossible(w, x)) continue;
                const std::uint8_t d = e.DivNrOfCards(w);
                EXPECT_NE(std::find(possible.begin(), possible.end(), d), possible.end())
                    << in.describe() << " " << ps << " West " << w;
                hasLayout[d] = true;
            }
            for (std::uint8_t d : possible)
                EXPECT_TRUE(hasLayout[d]) << in.describe() << " " << ps << " division " << int(d);
            ++positions;

            const std::string choice =
                a.dynamicEvaluation().DeclarerTurn() ? pt.LineCards() : pt.PlayableCards();
            if (choice.empty()) break;
            if (rng() % 3 == 0) pt.AddTrickSeparator();
            ASSERT_TRUE(pt.PlayChar(choice[rng() % choice.size()])) << in.describe();
        }
        EXPECT_TRUE(host.errors.empty()) << in.describe();
    }
    EXPECT_GT(positions, 100);
}

} // namespace
} // namespace nvx
