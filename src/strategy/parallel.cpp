#include "strategy/parallel.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace nvx {
namespace {

// How long MakeAheadInOrder makes items alone before it takes a second thread.
constexpr std::chrono::milliseconds PatienceAlone{2};

bool SeveralCores() {
    static const bool several = std::thread::hardware_concurrency() > 1;
    return several;
}

} // namespace

void PassOn(Host& host, const ReportLog& log) {
    for (const Report& r : log) {
        if (!r.internalError) {
            host.ShowMessage(r.kind, r.text);
            continue;
        }
        try { // as InternalError: a report never stops the caller
            host.ReportInternalError(r.code, r.text, r.message);
        } catch (...) {
        }
    }
}

void TestOnTwoThreads(std::size_t n, std::size_t minForTwo, std::vector<char>& passed,
                      const std::function<bool(std::size_t i, unsigned part)>& test) {
    passed.assign(n, 0);
    const auto run = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i)
            passed[i] = test(i, i < n / 2 ? 0 : 1) ? 1 : 0;
    };
    std::size_t half = n;
    std::exception_ptr failure;
    std::thread second;
    if (n >= minForTwo && SeveralCores()) {
        half = n / 2;
        try {
            second = std::thread([&] {
                try {
                    run(half, n);
                } catch (...) {
                    failure = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            half = n; // no thread to be had: all of it here
        }
    }
    try {
        run(0, half);
    } catch (...) {
        if (second.joinable()) second.join();
        throw;
    }
    if (second.joinable()) second.join();
    if (failure) std::rethrow_exception(failure);
}

void MakeAheadInOrder(Host& host, std::size_t count, std::size_t ahead, std::size_t minForTwo,
                      const std::function<void(std::size_t k, Host& h, unsigned part)>& make,
                      const std::function<bool(std::size_t k)>& take) {
    const std::size_t slots = std::max<std::size_t>(1, std::min(ahead, count));
    // What the two threads share, under the mutex.
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t next = 0;              // the next item to be made
    std::size_t taken = 0;             // the items taken so far
    std::vector<char> ready(slots, 0); // the slot's item is made
    std::size_t failedAt = count;      // the first item whose make threw
    std::exception_ptr failure;
    std::atomic<bool> stop{false};      // the makers' stop request
    std::vector<ReportLog> logs(slots); // what the slot's item reported

    // Make threw on item k: the exception waits for its turn.
    const auto failed = [&](std::size_t k) {
        if (k < failedAt) {
            failedAt = k;
            failure = std::current_exception();
        }
        changed.notify_all();
    };
    // An item that may be made now, or count when none may.
    const auto claim = [&] {
        if (next >= count || next >= taken + slots || stop) return count;
        return next++;
    };
    // Makes item k, claimed under the lock, without it; the item is then
    // noted made (true) or failed, the lock held again.
    const auto makeClaimed = [&](std::unique_lock<std::mutex>& lock, std::size_t k, HelperHost& h,
                                 unsigned part) {
        lock.unlock();
        h.LogTo(logs[k % slots]);
        try {
            make(k, h, part);
        } catch (...) {
            lock.lock();
            failed(k);
            return false;
        }
        lock.lock();
        ready[k % slots] = 1;
        changed.notify_all();
        return true;
    };
    const auto second = [&] {
        HelperHost h(stop, logs[0]);
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return stop || next >= count || next < taken + slots; });
            const std::size_t k = claim();
            if (k == count || !makeClaimed(lock, k, h, 1)) return;
        }
    };

    // Items from k on made here alone, until every one is taken or taking
    // ends (true) or, when patient, the time alone is up (false). Most runs
    // are short, and for those a second thread costs more than it saves.
    const auto start = std::chrono::steady_clock::now();
    const auto alone = [&](std::size_t& k, bool patient) {
        for (; k < count; ++k) {
            if (patient && k % 4 == 0 && std::chrono::steady_clock::now() - start > PatienceAlone)
                return false;
            if (host.StopRequested()) return true;
            host.ProcessPendingEvents();
            make(k, host, 0);
            if (!take(k)) return true;
        }
        return true;
    };
    std::size_t k = 0;
    if (alone(k, count >= minForTwo && SeveralCores())) return;
    next = taken = k;
    std::thread helper;
    try {
        helper = std::thread(second);
    } catch (const std::system_error&) {
        alone(k, false); // no thread to be had
        return;
    }
    // However this ends, the second thread stops making items and is joined.
    struct Join {
        std::thread& helper;
        std::mutex& mutex;
        std::condition_variable& changed;
        std::atomic<bool>& stop;
        ~Join() {
            {
                std::lock_guard lock(mutex);
                stop = true;
            }
            changed.notify_all();
            helper.join();
        }
    } join{helper, mutex, changed, stop};

    HelperHost own(stop, logs[0], &host);
    for (; k < count; ++k) {
        if (host.StopRequested()) return;
        host.ProcessPendingEvents();
        std::unique_lock lock(mutex);
        while (!ready[k % slots]) {
            if (failedAt == k) {
                lock.unlock();
                std::rethrow_exception(failure);
            }
            const std::size_t j = claim();
            if (j < count) { // this thread makes an item too, rather than wait
                makeClaimed(lock, j, own, 0);
                continue;
            }
            // Item k is being made on the second thread.
            if (!changed.wait_for(lock, std::chrono::milliseconds(10),
                                  [&] { return ready[k % slots] || failedAt == k; })) {
                lock.unlock();
                host.ProcessPendingEvents();
                if (host.StopRequested()) return;
                lock.lock();
            }
        }
        lock.unlock();
        PassOn(host, logs[k % slots]);
        logs[k % slots].clear();
        const bool more = take(k);
        lock.lock();
        ready[k % slots] = 0;
        taken = k + 1;
        lock.unlock();
        changed.notify_all();
        if (!more) return;
    }
}

} // namespace nvx
