// Work shared out between the thread that owns the host and helper threads:
// independent read-only tests, and items made ahead and taken in order.
#pragma once

#include "cards/host.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace nvx {

// What was reported to a helper's host, kept for the thread that owns the
// real host.
struct Report {
    bool internalError;
    MessageKind kind;
    std::uint16_t code;
    std::string text;
    std::string message;
};
using ReportLog = std::vector<Report>;

// A helper thread's host: it keeps the reports for the thread that owns the
// real host and answers the stop request from the flag that thread sets. On
// the thread that owns the real host (`owner`), it has that host handle its
// events and takes its stop request too.
class HelperHost final : public Host {
  public:
    HelperHost(const std::atomic<bool>& stop, ReportLog& log, Host* owner = nullptr)
        : stop_(stop), log_(&log), owner_(owner) {}
    void ShowMessage(MessageKind kind, const std::string& text) override {
        log_->push_back({false, kind, 0, text, {}});
    }
    void ReportInternalError(std::uint16_t code, std::string_view text,
                             const std::string& message) override {
        log_->push_back({true, MessageKind::Error, code, std::string(text), message});
    }
    void ProcessPendingEvents() override {
        if (owner_ != nullptr) owner_->ProcessPendingEvents();
    }
    bool StopRequested() override {
        return stop_.load(std::memory_order_relaxed) ||
               (owner_ != nullptr && owner_->StopRequested());
    }
    // Where the reports go from now on.
    void LogTo(ReportLog& log) { log_ = &log; }

  private:
    const std::atomic<bool>& stop_;
    ReportLog* log_;
    Host* owner_;
};

// Reports to host what the log holds, in its order; an internal error report
// never stops this (as InternalError).
void PassOn(Host& host, const ReportLog& log);

// passed[i] := test(i, part) for every i in [0, n), where part is 0 for the
// lower half and 1 for the upper one. When n is at least minForTwo and the
// machine has more than one core, the upper half is tested on a second thread
// meanwhile: test must then only read what the other calls may read too, and
// write only what belongs to its part. An exception of either half is rethrown
// here once both have ended.
void TestOnTwoThreads(std::size_t n, std::size_t minForTwo, std::vector<char>& passed,
                      const std::function<bool(std::size_t i, unsigned part)>& test);

// Items 0 .. count-1 made by make(k, h, part) and taken by take(k) on this
// thread, in order, as if each were taken as soon as it is made. When count is
// at least minForTwo, the machine has more than one core and the items made
// here alone have taken a while (2 ms), a second thread makes items meanwhile
// (part 1), and this thread makes the next item itself (part 0) whenever the
// one it is to take is not ready (its h then handles host's events and takes
// host's stop request); no item is made more than `ahead` places
// beyond the last one taken, so the caller keeps them in `ahead` slots (item k
// in slot k % ahead). make must then only read what both threads may read,
// besides its own part's and item's. What make reports to h reaches host just
// before its item is taken. take returns false to take no more; so does a stop
// request of host, which this thread polls (handling host's events) before each
// item and while it waits. An exception of make is rethrown here when its
// item's turn comes (every item before it taken), one of take at once; either
// once the second thread has ended.
void MakeAheadInOrder(Host& host, std::size_t count, std::size_t ahead, std::size_t minForTwo,
                      const std::function<void(std::size_t k, Host& h, unsigned part)>& make,
                      const std::function<bool(std::size_t k)>& take);

} // namespace nvx
