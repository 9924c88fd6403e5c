// Work on worker threads: a stop request of the host reaches the workers and
// an exception on a worker reaches the caller. And the first cards searched on
// workers: the sets and the reports (once each, in the same order) of the
// serial search, reports as the search without the table of trick starts
// gives them, the host called on its own thread only, and an interrupt that
// leaves the state as it was. The analyses of the golden results search
// their first cards on workers too. And the terms of the whole play
// multiplied out on two threads.
#include "play/dynamic_eval.h"
#include "play/solver.h"
#include "play/trick_table.h"
#include "play/workers.h"
#include "results/analysis.h"
#include "strategy/reference.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <new>
#include <string>
#include <thread>
#include <vector>

namespace nvx {
namespace {

using test::RecordingHost;

// Waits for the worker's stop request, a second at most.
void AwaitStop(Host& h) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!h.StopRequested() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// An exception on a worker stops the others and reaches the caller, the host
// asked for nothing. (A stop request of the host reaching the workers: the
// interrupt test below.)
TEST(RunOnWorkersTest, AnExceptionOnAWorkerReachesTheCaller) {
    RecordingHost failing;
    std::atomic<int> stopped{0};
    const auto makeWorker = [&](Host& h) -> WorkerJob {
        return [&](std::size_t job) {
            h.ReportInternalError(static_cast<std::uint16_t>(100 + job), "job", "");
            if (job == 1) throw std::bad_alloc();
            AwaitStop(h);
            stopped += h.StopRequested();
        };
    };
    EXPECT_THROW(RunOnWorkers(failing, 2, 3, makeWorker, [&](std::size_t) { ADD_FAILURE(); }),
                 std::bad_alloc);
    EXPECT_FALSE(failing.stop);
    EXPECT_EQ(stopped, 2);
    EXPECT_EQ(failing.errorCodes(), (std::vector<std::uint16_t>{100, 101, 102}));
    EXPECT_EQ(failing.foreignCalls, 0);
}

// The sets of every first card and their union.
std::vector<LineSet> FirstCardSets(Engine& e, unsigned threads) {
    DynamicEvaluation dyn(e);
    dyn.SetSearchThreads(threads);
    std::vector<LineSet> sets{dyn.StartSolving()};
    EXPECT_EQ(dyn.LastSearchThreads() > 1, threads > 1);
    for (std::uint8_t code = 1; code <= FirstShowOut; ++code)
        sets.push_back(dyn.FirstCardSet(code));
    return sets;
}

TEST(FirstCardsOnWorkersTest, ReportsComeAsFromTheSerialSearchWithoutTable) {
    // The ace's digit of the division numbers weighs nothing: divisions that
    // differ in the ace get one number, and the strategy algebra reports the
    // clashes wherever sets over them meet, deep in the tree too. The table of
    // trick starts and the workers report them as the plain search does.
    RecordingHost host;
    Engine e(host);
    e.SetUpCombination("KJ5", "Q432", 9, "", 0, 0);
    ASSERT_EQ(e.classes.Owner[13], hand::Defenders);
    e.divs.DivWeight[13] = 0;
    host.clear();
    const LineSet plain = Solve(e, nullptr);
    const std::vector<std::uint16_t> reports = host.errorCodes();
    ASSERT_FALSE(reports.empty());
    host.clear();
    TrickStartTable table;
    EXPECT_TRUE(Solve(e, &table) == plain);
    EXPECT_EQ(host.errorCodes(), reports);
    EXPECT_GT(table.GetStats().hits, 0u);
    host.clear();
    const std::vector<LineSet> serial = FirstCardSets(e, 1);
    const std::vector<std::uint16_t> firstCards = host.errorCodes();
    ASSERT_FALSE(firstCards.empty());
    host.clear();
    for (unsigned threads : {2u, 5u}) {
        EXPECT_TRUE(FirstCardSets(e, threads) == serial) << threads;
        EXPECT_EQ(host.errorCodes(), firstCards) << threads;
        host.clear();
    }
    EXPECT_EQ(host.foreignCalls, 0);
}

TEST(FirstCardsOnWorkersTest, AnInterruptStopsTheWorkersAndLeavesTheStateAsItWas) {
    RecordingHost host;
    Engine e(host);
    e.SetUpCombination("AT8", "Q642", 13, "", 0, 0);
    const std::vector<LineSet> full = FirstCardSets(e, 1);

    // The Interrupt button is clicked while the host handles its events.
    Analysis a(host);
    a.SetUpCombination("AT8", "Q642", 13, "", 0, 0);
    a.SetTrickTable();
    a.GetDynamicEvaluation().SetSearchThreads(2);
    const PlayState start = a.GetEngine().play;
    host.onPendingEvents = [&] { host.stop = true; };
    a.ComputeOptimalLines();
    EXPECT_GT(a.GetDynamicEvaluation().LastSearchThreads(), 1u);
    EXPECT_TRUE(a.GetEngine().play == start);
    EXPECT_FALSE(a.GetDynamicEvaluation().HasLine());
    EXPECT_EQ(a.LineCount(), 0); // the strategies found were not made into lines
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(host.foreignCalls, 0);
    // The workers were stopped: some first card's search was cut short.
    bool cut = false;
    for (std::uint8_t code = 1; code <= FirstShowOut; ++code)
        cut |= !(a.GetDynamicEvaluation().FirstCardSet(code) == full[code]);
    EXPECT_TRUE(cut);
}

// The strategies of the whole play, the terms multiplied out on two threads
// ahead of the union that takes them, are those that uniting the terms'
// expansions one by one gives, in the same order, the host called on its own
// thread only. An interrupt while the terms are multiplied out ends it.
TEST(RootUnionOnTwoThreadsTest, SameAsUnitingTermByTermAndInterruptible) {
    RecordingHost host;
    Engine e(host);
    e.SetUpCombination("KT74", "J52", 13, "", 0, 0);
    const LineSet all = Solve(e);
    ASSERT_GT(all.size(), 100u);
    LineSet s = all, copy = all;
    EXPECT_EQ(LineSetToFactor(host, s), test::LineSetToFactorTermByTerm(host, copy));
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(host.foreignCalls, 0);

    s = all;
    int polls = 0;
    host.onPendingEvents = [&] { host.stop = ++polls > 40; };
    LineSetToFactor(host, s);
    EXPECT_TRUE(host.stop);
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(host.foreignCalls, 0);
}

} // namespace
} // namespace nvx
