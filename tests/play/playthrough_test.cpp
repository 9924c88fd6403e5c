// The play-through in real cards: the layouts still possible, and the record
// of the play against the play state. The tool's transcripts and the windows'
// flow test play lines through card by card and show the tricks table's rows
// still possible; the stress test plays every line with take-backs.
#include "play/playthrough.h"
#include "play/possible_divs.h"
#include "results/analysis.h"
#include "support/combos.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace nvx {
namespace {

using test::RecordingHost;

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
        const Engine& e = a.GetEngine();
        if (e.NumDivs() > 64 || e.GetEWCards().size() > 8) continue;
        a.SetTrickTable();
        a.ComputeOptimalLines();
        a.SelectLine(1 + int(rng() % a.LineCount()));
        PlayThrough& pt = a.GetPlay();
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
            Dom possible;
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
                a.GetDynamicEvaluation().DeclarerTurn() ? pt.LineCards() : pt.PlayableCards();
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
