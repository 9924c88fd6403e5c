// The game-tree search on positions whose answers are known, its end-of-play
// counting, and what it does to the play state and on a stop request.
#include "play/solver.h"
#include "results/analysis.h"
#include "support/combos.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace nvx {
namespace {

using test::RecordingHost;

std::uint8_t Code(const Engine& e, char card) {
    return static_cast<std::uint8_t>(RankValue(e.ClassRepresentative(card)));
}

// Plays real cards in order (each must be legal); '-' is a show-out.
void PlayCards(Engine& e, std::string_view cards) {
    for (char c : cards)
        ASSERT_TRUE(e.Play(c == '-' ? FirstShowOut : Code(e, c))) << "card " << c;
}

// The non-dominated strategies of a set, multiplied out.
TFactor Strategies(Host& h, TStratSet s) {
    return StratSetToFactor(h, s);
}

std::vector<TVal> Sorted(const TFactor& f) {
    std::vector<TVal> v(f.EvalList.begin(), f.EvalList.end());
    std::sort(v.begin(), v.end(), [](const TVal& a, const TVal& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end());
    });
    return v;
}

TEST(SolverTest, NorthLeadsOnlyAfterWinningOrWithAnEntry) {
    RecordingHost host;
    Engine e(host);
    // North A K 5, South 2, no entry: only South can lead the first trick.
    e.SetUpCombination("AK5", "2", 0, "", 0, 0);

    // Trick 1 goes to the defenders: North's A K can never be reached.
    PlayCards(e, "2Q53");
    ASSERT_EQ(e.play.EntriesLeft, 0);
    const PlayState lost = e.play;
    TFactor f = Strategies(host, Solve(e));
    ASSERT_EQ(f.EvalList.size(), 1u);
    EXPECT_EQ(f.EvalList.front(), TVal::filled(f.Dom.size(), 0));
    EXPECT_TRUE(e.play == lost);

    // Trick 1 goes to North: it leads the king next without an entry.
    for (int i = 0; i < 4; ++i)
        e.UndoPlay();
    PlayCards(e, "23A4");
    const PlayState won = e.play;
    f = Strategies(host, Solve(e));
    for (const TVal& v : f.EvalList)
        for (std::uint8_t x : v)
            EXPECT_GE(x, 2);
    EXPECT_TRUE(e.play == won);
    EXPECT_EQ(e.play.EntriesLeft, 0);
    EXPECT_TRUE(host.errors.empty());
}

TEST(SolverTest, NoCardsForNorthAndSouth) {
    RecordingHost host;
    Engine e(host);
    e.SetUpCombination("", "", 0, "", 0, 0);
    const TFactor f = Strategies(host, Solve(e));
    ASSERT_EQ(f.Dom.size(), e.NumDivs());
    ASSERT_EQ(f.EvalList.size(), 1u);
    EXPECT_EQ(f.EvalList.front(), TVal::filled(e.NumDivs(), 0));

    // The whole analysis: nothing can be led, one line with no trick.
    Analysis a(host);
    a.SetUpCombination("", "", 0, "", 0, 0);
    a.SetTrickTable();
    a.ComputeOptimalLines();
    ASSERT_EQ(a.StratCount(), 1);
    EXPECT_EQ(a.GetStratName(1), "A");
    EXPECT_EQ(a.GetBestProb(0), 0.0);
    EXPECT_TRUE(host.errors.empty());
}

TEST(SolverTest, LastTrickWithAndWithoutAnEntry) {
    for (std::uint8_t entries : {0, 1}) {
        RecordingHost host;
        Engine e(host);
        // North A 4, South 3. South leads the 3, West wins with the K.
        // Left: North's ace, South void, the defenders' Q and lower cards.
        e.SetUpCombination("A4", "3", entries, "", 0, 0);
        PlayCards(e, "3K42");
        ASSERT_EQ(e.play.EntriesLeft, entries);
        EXPECT_EQ(WinsLastTrick(e, 1), entries > 0) << int(entries);

        e.UndoPlay();
        EXPECT_EQ(Sorted(Strategies(host, Solve(e))), Sorted(Strategies(host, SolveFullPlay(e))));
    }
    RecordingHost host;
    Engine e(host);
    // North wins trick 1 with the 4 (East shows out): it leads the ace next.
    e.SetUpCombination("A4", "3", 0, "", 0, 0);
    PlayCards(e, "324-");
    EXPECT_TRUE(WinsLastTrick(e, 1));
}

// Positions all over the play of random combinations: Solve gives them back
// exactly as it found them, classes and all.
TEST(SolverTest, LeavesThePlayStateAsItFoundIt) {
    std::mt19937 rng(4711);
    int checked = 0;
    while (checked < 60) {
        const test::ComboInput in = test::RandomAdmittedCombo(rng);
        RecordingHost host;
        Engine e(host);
        test::SetUp(e, in);
        // Small suits from the start, larger ones only late in the play.
        const int small = e.classes.NorthLength + e.classes.SouthLength <= 6 && e.NumDivs() <= 64;
        test::PlayRandomly(e, rng, small ? int(rng() % 8) : 8 + int(rng() % 12));
        if (!small && e.CardsLeft(hand::Defenders) > 4) continue;
        const PlayState play = e.play;
        const ClassTables classes = e.classes;
        const TStratSet s = Solve(e);
        EXPECT_FALSE(s.empty()) << in.describe();
        EXPECT_TRUE(e.play == play) << in.describe();
        EXPECT_TRUE(e.classes == classes) << in.describe();
        EXPECT_TRUE(host.errors.empty()) << in.describe();
        ++checked;
    }
}

// Counts how often the search asks for the stop request.
class CountingHost : public RecordingHost {
  public:
    bool stopRequested() override {
        ++polls;
        return RecordingHost::stopRequested();
    }
    long polls = 0;
};

TEST(SolverTest, StopRequestEndsTheSearchPromptly) {
    const char* north = "AQT9";
    const char* south = "8642";
    long fullPolls = 0;
    {
        CountingHost host;
        Engine e(host);
        e.SetUpCombination(north, south, 4, "", 0, 0);
        const TStratSet s = Solve(e);
        fullPolls = host.polls;
        ASSERT_GT(fullPolls, 10000);
    }
    // The stop is asked for while the search is deep in the tree.
    CountingHost host;
    Engine e(host);
    e.SetUpCombination(north, south, 4, "", 0, 0);
    const PlayState before = e.play;
    long pollsAtStop = -1;
    host.onPendingEvents = [&] {
        if (host.pendingEventCalls == 200) {
            host.stop = true;
            pollsAtStop = host.polls;
        }
    };
    const TStratSet s = Solve(e);
    ASSERT_GE(pollsAtStop, 0);
    EXPECT_LT(host.polls - pollsAtStop, fullPolls / 100);
    EXPECT_FALSE(s.empty());
    EXPECT_TRUE(e.play == before);

    // With the request set from the start no trick is searched beyond the
    // first: every open branch answers with the tricks won so far.
    CountingHost stopped;
    stopped.stop = true;
    Engine e2(stopped);
    e2.SetUpCombination(north, south, 4, "", 0, 0);
    TStratSet s2 = Solve(e2);
    EXPECT_LT(stopped.polls, fullPolls / 100);
    EXPECT_TRUE(e2.play == before);
}

} // namespace
} // namespace nvx
