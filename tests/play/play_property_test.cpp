// Random walks through the play of random combinations: every legal card can
// be played and taken back without a trace, and the play state agrees with a
// replay of its own record of the cards. (The divisions still possible are
// checked against the layouts of real cards in the stress test.)
#include "play/engine.h"
#include "support/combos.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace nvx {
namespace {

using test::RecordingHost;

// Replays Played[1..CardIndex-1] seat by seat and checks the rest of the play
// state against what the replay finds.
void CheckAgainstReplay(const Engine& e) {
    const PlayState& p = e.play;
    const ClassTables& t = e.classes;
    std::array<int, 14> westPlayed{}, playedOf{};
    std::array<int, 5> shownOut{};
    int entriesUsed = 0, nsTricks = 0;
    bool northWonLast = false;
    std::uint8_t s = seat::None;
    const int cards = p.CardIndex - 1;
    for (int k = 1; k <= cards; ++k) {
        const std::uint8_t c = p.Played[k];
        if ((k - 1) % 4 == 0) { // a lead, always a real card of North or South
            ASSERT_TRUE(c >= 1 && c <= 13) << k;
            ASSERT_TRUE(t.Owner[c] == hand::North || t.Owner[c] == hand::South) << k;
            s = t.Owner[c] == hand::North ? seat::North : seat::South;
            if (s == seat::North && !(k > 1 && northWonLast)) ++entriesUsed;
        } else {
            s = NextSeat[s];
        }
        if (c == FirstShowOut) {
            ASSERT_EQ(shownOut[s], 0) << "second first show-out of seat " << int(s);
            shownOut[s] = 1;
        } else if (c == LaterShowOut) {
            ASSERT_EQ(shownOut[s], 1) << "later show-out before a first one, seat " << int(s);
        } else {
            ASSERT_TRUE(c >= 1 && c <= 13);
            ASSERT_EQ(t.Owner[c], SeatOwner[s]) << "card of the wrong hand at " << k;
            ++playedOf[c];
            if (s == seat::West) ++westPlayed[c];
        }
        if (k % 4 == 0) { // trick complete: the highest real card wins
            int best = 0;
            for (int j = k - 3; j <= k; ++j)
                if (p.Played[j] <= 13 && p.Played[j] > best) best = p.Played[j];
            EXPECT_EQ(p.Highest[k], best);
            northWonLast = t.Owner[best] == hand::North;
            if (t.Owner[best] != hand::Defenders) ++nsTricks;
        }
    }
    for (int r = 1; r <= 13; ++r) {
        EXPECT_EQ(p.Remaining[r] + playedOf[r], t.ClassSize[r]) << r;
        EXPECT_EQ(p.WestPlayed[r], westPlayed[r]) << r;
    }
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(p.ShownOut[x], shownOut[x]) << x;
    EXPECT_EQ(p.EntriesLeft + entriesUsed, p.Entries);
    EXPECT_EQ(e.NSTricks(), nsTricks);
    EXPECT_EQ(p.Trick, cards / 4 + 1);
    EXPECT_EQ(p.Seat, cards % 4 == 0 ? seat::None : NextSeat[s]);
    EXPECT_EQ(e.PositionInTrick(), cards % 4);
    for (std::size_t k = p.CardIndex; k < p.Played.size(); ++k) {
        EXPECT_EQ(p.Played[k], 0);
        EXPECT_EQ(p.Highest[k], 0);
    }
}

TEST(PlayProperty, EveryLegalPlayIsTakenBackWithoutATrace) {
    std::mt19937 rng(51966);
    RecordingHost host;
    Engine e(host);
    int combos = 0, plays = 0;
    for (; combos < 1000; ++combos) {
        const test::ComboInput in = test::RandomAdmittedCombo(rng);
        test::SetUp(e, in);
        SCOPED_TRACE(in.describe());
        for (int walk = 0; walk < 3; ++walk) {
            e.ResetPlay();
            const PlayState start = e.play;
            std::vector<PlayState> before;
            for (;;) {
                std::vector<std::uint8_t> legal;
                for (int code = 0; code <= 16; ++code) {
                    const PlayState here = e.play;
                    const bool expected = code >= 1 && code <= 13
                                              ? e.CanPlayCard(std::uint8_t(code))
                                          : code == 14 || code == 15 ? e.CanShowOut()
                                                                     : false;
                    const bool ok = e.Play(std::uint8_t(code));
                    ASSERT_EQ(ok, expected) << "code " << code;
                    if (ok) {
                        legal.push_back(std::uint8_t(code));
                        ++plays;
                        CheckAgainstReplay(e);
                        e.UndoPlay();
                    }
                    ASSERT_EQ(e.play, here)
                        << "code " << code << " at card " << int(here.CardIndex);
                }
                if (e.play.Seat != seat::None) {
                    ASSERT_FALSE(legal.empty()) << "a following seat has nothing to play";
                }
                if (legal.empty()) {
                    // The play ends only at a lead that neither hand can make.
                    EXPECT_EQ(e.CardsLeft(hand::South), 0);
                    if (e.CardsLeft(hand::North) > 0) {
                        EXPECT_EQ(e.play.EntriesLeft, 0);
                        EXPECT_FALSE(e.play.Trick > 1 &&
                                     e.NorthWonTrickEndingAt(e.play.CardIndex - 1));
                    }
                    break;
                }
                before.push_back(e.play);
                ASSERT_TRUE(e.Play(legal[rng() % legal.size()]));
            }
            EXPECT_LE(e.play.Trick - 1, e.classes.MaxLength);
            while (!before.empty()) {
                e.UndoPlay();
                ASSERT_EQ(e.play, before.back());
                before.pop_back();
            }
            ASSERT_EQ(e.play, start);
            ASSERT_TRUE(host.errors.empty());
            e.UndoPlay(); // one too many
            EXPECT_EQ(host.errorCodes(), std::vector<std::uint16_t>{101});
            EXPECT_EQ(e.play, start);
            host.clear();
        }
    }
    EXPECT_GT(plays, 100000); // the walks really went deep
}

} // namespace
} // namespace nvx
