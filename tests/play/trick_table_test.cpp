// The table of solved trick starts: a search that takes sets from it gives
// exactly the sets of the search without it, also when the table was filled
// by searches from other positions (where North-South may have won other
// tricks), when its budget runs out and after a stop (with internal errors
// reported: workers_test).
#include "play/solver.h"
#include "play/trick_table.h"
#include "support/combos.h"
#include "support/recording_host.h"
#include "support/test_scale.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>

namespace nvx {
namespace {

using test::RecordingHost;

TEST(TrickStartTableTest, SetsAreThoseOfTheSearchWithoutTable) {
    std::mt19937 rng(7741);
    int limitedEntries = 0, discards = 0, vacant = 0, voids = 0, budgetRanOut = 0;
    std::size_t hits = 0;
    const int combos = test::Scaled(400);
    for (int i = 0; i < combos; ++i) {
        const test::ComboInput in = test::RandomAdmittedCombo(rng);
        RecordingHost host;
        Engine e(host);
        test::SetUp(e, in);
        const ClassTables& c = e.classes;
        // Small combinations from the start, the others from later in the
        // play, where the search is short.
        const bool small = e.NumDivs() <= 24 && c.MaxLength <= 4;
        // One table for several positions of the combination, as the first
        // cards of an analysis share one.
        TrickStartTable shared;
        for (int position = 0; position < 3; ++position) {
            e.ResetPlay();
            test::PlayRandomly(e, rng, (small ? 0 : 6) + int(rng() % 6));
            const PlayState before = e.play;
            const LineSet plain = Solve(e, nullptr);
            const LineSet withTable = Solve(e, &shared);
            ASSERT_TRUE(withTable == plain)
                << in.describe() << " after " << int(e.play.CardIndex - 1) << " cards";
            ASSERT_TRUE(e.play == before);

            // A table too small for all it is offered stores what fits first.
            const std::size_t budget = LineSetBytes(plain) / 4;
            TrickStartTable tiny(budget);
            ASSERT_TRUE(Solve(e, &tiny) == plain)
                << in.describe() << " after " << int(e.play.CardIndex - 1) << " cards";
            EXPECT_LE(tiny.GetStats().bytes, budget);
            budgetRanOut += tiny.GetStats().full;
        }
        ASSERT_TRUE(host.errors.empty()) << in.describe();
        hits += shared.GetStats().hits;
        limitedEntries += in.entries < c.NorthLength;
        discards += !in.discards.empty();
        vacant += in.vacantWest < 13 || in.vacantEast < 13;
        voids += c.NorthLength != c.SouthLength && std::min(c.NorthLength, c.SouthLength) < 3;
    }
    // The sample covers what it is meant to cover.
    EXPECT_GT(limitedEntries, combos / 8);
    EXPECT_GT(discards, combos / 10);
    EXPECT_GT(vacant, combos / 5);
    EXPECT_GT(voids, combos / 5);
    EXPECT_GT(budgetRanOut, combos / 5);
    EXPECT_GT(hits, std::size_t(combos) * 10);
}

TEST(TrickStartTableTest, NothingIsStoredOnceAStopIsSeen) {
    test::PollingHost host;
    Engine e(host);
    e.SetUpCombination("AJ9", "T432", 2, "", 0, 0);
    const LineSet full = Solve(e, nullptr);
    TrickStartTable counted;
    host.polls = 0;
    ASSERT_TRUE(Solve(e, &counted) == full);
    const long polls = host.polls;
    ASSERT_GT(polls, 1000);
    for (long at : {polls / 10, polls / 2, polls - 1}) {
        host.Restart(at);
        TrickStartTable table;
        const LineSet stopped = Solve(e, &table);
        ASSERT_TRUE(host.stop);
        EXPECT_FALSE(stopped == full);
        EXPECT_TRUE(table.GetStats().closed);
        // The search goes on afresh with the table of the stopped one.
        host.stopAt = LONG_MAX;
        host.stop = false;
        EXPECT_TRUE(Solve(e, &table) == full) << "stopped at poll " << at;
    }
}

} // namespace
} // namespace nvx
