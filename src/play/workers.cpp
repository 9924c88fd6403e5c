#include "play/workers.h"

#include "strategy/parallel.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace nvx {

unsigned RunOnWorkers(Host& host, unsigned threads, std::size_t count,
                      const std::function<WorkerJob(Host& workerHost)>& makeWorker,
                      const std::function<void(std::size_t job)>& done) {
    if (threads > count) threads = static_cast<unsigned>(count);
    std::atomic<bool> stop{false};
    std::atomic<std::size_t> next{0};
    std::vector<ReportLog> setUpLogs(threads); // what makeWorker reported
    std::vector<ReportLog> logs(count);
    struct Failure {
        std::size_t job = 0; // count: in makeWorker
        std::exception_ptr error;
    };
    std::vector<Failure> failures(threads);
    std::mutex mutex;
    std::condition_variable ended;
    unsigned running = 0;

    const auto work = [&](unsigned w) {
        std::size_t job = count;
        try {
            HelperHost workerHost(stop, setUpLogs[w]);
            const WorkerJob run = makeWorker(workerHost);
            while ((job = next.fetch_add(1)) < count) {
                workerHost.LogTo(logs[job]);
                run(job);
            }
        } catch (...) {
            failures[w] = {job, std::current_exception()};
            stop = true;
        }
        std::lock_guard lock(mutex);
        --running;
        ended.notify_one();
    };

    std::vector<std::thread> pool;
    pool.reserve(threads);
    // Whatever happens here, no worker outlives this call.
    struct JoinAll {
        std::vector<std::thread>& pool;
        std::atomic<bool>& stop;
        ~JoinAll() {
            if (pool.empty()) return;
            stop = true;
            for (std::thread& t : pool)
                if (t.joinable()) t.join();
        }
    } joinAll{pool, stop};
    for (unsigned w = 0; w < threads; ++w) {
        std::lock_guard lock(mutex);
        try {
            pool.emplace_back(work, w);
        } catch (const std::system_error&) {
            break; // as many workers as the system gives
        }
        ++running;
    }
    if (pool.empty()) return 0;

    {
        std::unique_lock lock(mutex);
        while (!ended.wait_for(lock, std::chrono::milliseconds(10), [&] { return running == 0; })) {
            lock.unlock();
            host.ProcessPendingEvents();
            if (host.StopRequested()) stop = true;
            lock.lock();
        }
    }
    for (std::thread& t : pool)
        t.join();

    for (const ReportLog& log : setUpLogs)
        PassOn(host, log);
    const Failure* first = nullptr;
    for (const Failure& f : failures)
        if (f.error && (first == nullptr || f.job < first->job)) first = &f;
    if (first != nullptr) {
        for (const ReportLog& log : logs)
            PassOn(host, log);
        std::rethrow_exception(first->error);
    }
    for (std::size_t job = 0; job < count; ++job) {
        PassOn(host, logs[job]);
        done(job);
    }
    return static_cast<unsigned>(pool.size());
}

} // namespace nvx
