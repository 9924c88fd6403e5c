// The game-tree search on an empty suit, and what it does to the play state
// and on a stop request; its answers are checked against the naive full-play
// search in solver_diff_test.
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

} // namespace
} // namespace nvx
