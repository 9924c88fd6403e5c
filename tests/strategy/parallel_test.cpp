// Items made ahead, on two threads once a run lasts, and taken in order: every
// item once and in order, what making it reported just before it is taken,
// the host called on its own thread only (and there, also from the items made
// meanwhile), and a stop or an exception ending the run with the second thread
// joined.
#include "strategy/parallel.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <new>
#include <thread>
#include <vector>

namespace nvx {
namespace {

using test::RecordingHost;

constexpr std::size_t Count = 400, Ahead = 8;

// Items slow enough that a run of Count of them takes a second thread.
struct SlowItems {
    RecordingHost host;
    std::vector<std::size_t> slots = std::vector<std::size_t>(Ahead, Count);
    std::vector<std::size_t> taken;
    std::atomic<int> bySecond{0};
    std::size_t throwAt = Count; // make throws there

    // Items made on this thread while the second one runs: their host has
    // the real one handle its events.
    int madeHereMeanwhile = 0, handledEvents = 0;

    void Make(std::size_t k, Host& h, unsigned part) {
        std::this_thread::sleep_for(std::chrono::microseconds(50));
        if (part == 0 && &h != &host) {
            ++madeHereMeanwhile;
            const int before = host.pendingEventCalls;
            h.ProcessPendingEvents();
            handledEvents += host.pendingEventCalls - before;
        }
        if (k == throwAt) throw std::bad_alloc();
        if (k % 10 == 0) h.ReportInternalError(static_cast<std::uint16_t>(k), "item", "");
        bySecond += part == 1;
        slots[k % Ahead] = k;
    }
    // Each item, taken, is the one made for it, and its report came just before.
    bool Take(std::size_t k) {
        EXPECT_EQ(slots[k % Ahead], k);
        if (k % 10 == 0) {
            EXPECT_EQ(host.errorCodes().back(), k);
        }
        taken.push_back(k);
        return true;
    }
    void Go(const std::function<bool(std::size_t)>& take = nullptr) {
        MakeAheadInOrder(
            host, Count, Ahead, 1, [&](std::size_t k, Host& h, unsigned part) { Make(k, h, part); },
            take ? take : [&](std::size_t k) { return Take(k); });
    }
};

std::vector<std::size_t> Upto(std::size_t n) {
    std::vector<std::size_t> v(n);
    for (std::size_t k = 0; k < n; ++k)
        v[k] = k;
    return v;
}

TEST(MakeAheadInOrderTest, TakesEveryItemInOrderWithItsReports) {
    SlowItems run;
    run.Go();
    EXPECT_EQ(run.taken, Upto(Count));
    std::vector<std::uint16_t> codes;
    for (std::size_t k = 0; k < Count; k += 10)
        codes.push_back(static_cast<std::uint16_t>(k));
    EXPECT_EQ(run.host.errorCodes(), codes);
    EXPECT_EQ(run.host.foreignCalls, 0);
    EXPECT_EQ(run.handledEvents, run.madeHereMeanwhile);
    if (std::thread::hardware_concurrency() > 1) {
        EXPECT_GT(run.bySecond, 0);
        EXPECT_GT(run.madeHereMeanwhile, 0);
    }
}

// A stop request, or take asking for no more, ends the run where it is.
TEST(MakeAheadInOrderTest, StopsWhenAskedOrWhenTakeSaysSo) {
    SlowItems stopped;
    stopped.Go([&](std::size_t k) {
        stopped.taken.push_back(k);
        stopped.host.stop = k == 300;
        return true;
    });
    EXPECT_EQ(stopped.taken, Upto(301));

    SlowItems enough;
    enough.Go([&](std::size_t k) {
        enough.taken.push_back(k);
        return k < 250;
    });
    EXPECT_EQ(enough.taken, Upto(251));
    EXPECT_EQ(stopped.host.foreignCalls + enough.host.foreignCalls, 0);
}

// An exception of make, on either thread, reaches the caller once the items
// before it are taken.
TEST(MakeAheadInOrderTest, AnExceptionOfMakeReachesTheCaller) {
    for (const std::size_t at : {std::size_t{3}, std::size_t{350}}) {
        SlowItems run;
        run.throwAt = at;
        EXPECT_THROW(run.Go(), std::bad_alloc);
        EXPECT_EQ(run.taken, Upto(at));
        EXPECT_EQ(run.host.foreignCalls, 0);
    }
}

} // namespace
} // namespace nvx
