// The edges of the set-up, and the game-tree search on an empty suit, and
// what it does to the play state and on a stop request; its answers are
// checked against the naive full-play search in solver_diff_test.
#include "play/solver.h"
#include "results/analysis.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

namespace nvx {
namespace {

using test::RecordingHost;

TEST(SolverTest, NoCardsForNorthAndSouth) {
    // Nothing can be led: one line with no trick.
    RecordingHost host;
    Analysis a(host);
    a.SetUpCombination("", "", 0, "", 0, 0);
    a.SetTrickTable();
    a.ComputeOptimalLines();
    ASSERT_EQ(a.LineCount(), 1);
    EXPECT_EQ(a.GetBestProb(0), 0.0);
    EXPECT_TRUE(host.errors.empty());
}

TEST(SolverTest, StopRequestEndsTheSearchPromptly) {
    const char* north = "AQT9";
    const char* south = "8642";
    long fullPolls = 0;
    {
        test::PollingHost host;
        Engine e(host);
        e.SetUpCombination(north, south, 4, "", 0, 0);
        const LineSet s = Solve(e);
        fullPolls = host.polls;
        ASSERT_GT(fullPolls, 10000);
    }
    // The stop is asked for while the search is deep in the tree.
    test::PollingHost host;
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
    const LineSet s = Solve(e);
    ASSERT_GE(pollsAtStop, 0);
    EXPECT_LT(host.polls - pollsAtStop, fullPolls / 100);
    EXPECT_FALSE(s.empty());
    EXPECT_TRUE(e.play == before);

    // With the request set from the start no trick is searched beyond the
    // first: every open branch answers with the tricks won so far.
    test::PollingHost stopped;
    stopped.stop = true;
    Engine e2(stopped);
    e2.SetUpCombination(north, south, 4, "", 0, 0);
    LineSet s2 = Solve(e2);
    EXPECT_LT(stopped.polls, fullPolls / 100);
    EXPECT_TRUE(e2.play == before);
}

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
