// A host for tests: records every message and internal error, and counts the
// calls made from any thread but the one that made it.
#pragma once

#include "cards/host.h"

#include <atomic>
#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace nvx::test {

class RecordingHost : public Host {
  public:
    struct Message {
        MessageKind kind;
        std::string text;
    };
    struct ErrorReport {
        std::uint16_t code;
        std::string text;
    };

    void ShowMessage(MessageKind kind, const std::string& text) override {
        CountForeign();
        messages.push_back({kind, text});
    }
    void ReportInternalError(std::uint16_t code, std::string_view text,
                             const std::string& message) override {
        errors.push_back({code, std::string(text)});
        ShowMessage(MessageKind::Error, message);
    }
    void ProcessPendingEvents() override {
        CountForeign();
        ++pendingEventCalls;
        if (onPendingEvents) onPendingEvents();
    }
    bool StopRequested() override {
        CountForeign();
        return stop;
    }

    // The codes reported so far, in order.
    std::vector<std::uint16_t> errorCodes() const {
        std::vector<std::uint16_t> codes;
        for (const auto& e : errors)
            codes.push_back(e.code);
        return codes;
    }
    void clear() {
        messages.clear();
        errors.clear();
        pendingEventCalls = 0;
    }

    std::vector<Message> messages;
    std::vector<ErrorReport> errors;
    int pendingEventCalls = 0;
    bool stop = false;
    // Runs at every ProcessPendingEvents call (to set the stop request mid-way, say).
    std::function<void()> onPendingEvents;
    std::atomic<int> foreignCalls{0};

  private:
    void CountForeign() {
        if (std::this_thread::get_id() != owner_) ++foreignCalls;
    }
    const std::thread::id owner_ = std::this_thread::get_id();
};

// Counts the polls of the stop request (and, with countEvents, the calls to
// handle pending events) and asks for a stop from the stopAt-th poll on: a
// budget that bounds a search however its time varies.
class PollingHost : public RecordingHost {
  public:
    bool StopRequested() override {
        Poll();
        return stop;
    }
    void ProcessPendingEvents() override {
        RecordingHost::ProcessPendingEvents();
        if (countEvents) Poll();
    }
    // Forgets what was recorded and counted, and stops from the limit-th poll on.
    void Restart(long limit) {
        clear();
        stop = false;
        polls = 0;
        stopAt = limit;
    }
    long polls = 0;
    long stopAt = LONG_MAX;
    bool countEvents = false;

  private:
    void Poll() {
        if (++polls >= stopAt) stop = true;
    }
};

} // namespace nvx::test
