// The memory watch, which stops the oldest analysis first, and an analysis
// whose allocation fails part-way. That a real analysis stops when the watch
// asks it to is in the tool's tests (--max-memory).
#include "lines_helper.h"
#include "results/analysis.h"
#include "results/memory_limit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <new>
#include <thread>

namespace nvx {
namespace {

using namespace std::chrono_literals;

// Waits up to two seconds for the condition.
bool Eventually(const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + 2s;
    while (!condition() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(1ms);
    return condition();
}

TEST(MemoryWatch, StopsTheOldestAnalysisOneAtATime) {
    std::atomic<std::uint64_t> resident{10 * Megabyte};
    MemoryWatch watch(
        100, [&] { return resident.load(); }, 1ms);
    const std::uint32_t first = watch.Start();
    const std::uint32_t second = watch.Start();
    std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(watch.MustStop(first));
    resident = 200 * Megabyte;
    EXPECT_TRUE(Eventually([&] { return watch.MustStop(first); }));
    std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(watch.MustStop(second)); // not while the first is stopping
    resident = 50 * Megabyte;             // its memory is freed
    watch.End(first);
    std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(watch.MustStop(second));
    resident = 200 * Megabyte;
    EXPECT_TRUE(Eventually([&] { return watch.MustStop(second); }));
}

// The allocation that fails in the middle of the computation: the n-th time
// the host handles events.
struct FailingHost : SilentHost {
    void ProcessPendingEvents() override {
        if (++calls == failAt) throw std::bad_alloc();
    }
    long calls = 0;
    long failAt = 0;
};

TEST(AnalysisOutOfMemory, FailedAllocationLeavesNoLinesAndAUsableAnalysis) {
    SilentHost quiet;
    Analysis fresh(quiet);
    fresh.SetUpCombination("AQT", "432", 13, "", 13, 13);
    fresh.SetTrickTable();
    ASSERT_EQ(fresh.ComputeOptimalLines(), ComputeEnd::Finished);
    const std::vector<Val> expected = test::LineVals(fresh.GetLines());
    ASSERT_FALSE(expected.empty());

    FailingHost host;
    Analysis a(host);
    // One search after the other: the same number of calls every time.
    a.GetDynamicEvaluation().SetSearchThreads(1);
    a.SetUpCombination("AQT", "432", 13, "", 13, 13);
    a.SetTrickTable();
    ASSERT_EQ(a.ComputeOptimalLines(), ComputeEnd::Finished);
    const long calls = host.calls;
    ASSERT_GT(calls, 2);
    // Early in the search, and late, among the lines.
    for (long failAt : {2L, calls / 2, calls}) {
        host.calls = 0;
        host.failAt = failAt;
        EXPECT_EQ(a.ComputeOptimalLines(), ComputeEnd::OutOfMemory) << failAt;
        EXPECT_EQ(a.LineCount(), 0) << failAt;
        EXPECT_FALSE(a.GetDynamicEvaluation().HasLine());
        // The same combination again, without a new set-up, then another one.
        host.failAt = 0;
        EXPECT_EQ(a.ComputeOptimalLines(), ComputeEnd::Finished);
        EXPECT_EQ(test::LineVals(a.GetLines()), expected) << failAt;
    }
    a.SetUpCombination("AQ", "32", 13, "", 13, 13);
    EXPECT_EQ(a.ComputeOptimalLines(), ComputeEnd::Finished);
    EXPECT_GT(a.LineCount(), 0);
}

} // namespace
} // namespace nvx
