// The command-line tool's side of the engine: a host per analysis that keeps
// the engine's messages and internal errors for the caller, answers the stop
// request from the computation state and the memory limit, and keeps a live
// progress line up to date while a long analysis runs.
#pragma once

#include "cards/host.h"
#include "play/calc_state.h"
#include "results/memory_limit.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace nvx::cli {

// Set from the SIGINT handler; every host turns it into a stop request.
std::atomic<bool>& InterruptFlag();
// Installs the SIGINT handler: the first Ctrl-C sets the interrupt flag, a
// second one ends the program at once, saying that there are no results, with
// status 130.
void InstallInterruptHandler();

// Held while results are written, so that nothing ends the program halfway
// through an object.
std::mutex& OutputMutex();
// Not every stretch of the engine's work polls the stop request. After a
// Ctrl-C the watchdog gives the analysis this long to stop by itself; then,
// unless results are being written (disarmed), it says that there are no
// results and ends the program with status 130.
void StartInterruptWatchdog(std::chrono::milliseconds grace);
// Results are complete and about to be written: a Ctrl-C no longer cancels.
void DisarmInterruptWatchdog();

// One line on a terminal showing how long the analyses have been running.
// Shared by the hosts of a batch; updates are throttled. Does nothing unless
// enabled (standard error is a terminal).
class ProgressLine {
  public:
    ProgressLine(std::FILE* out, bool enabled);
    ~ProgressLine() { Clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    bool enabled() const { return enabled_; }
    // What the line says besides the elapsed time ("3 of 20 done").
    void SetLabel(const std::string& label);
    // Redraws the line when it is due: after the first second, then at most
    // five times a second.
    void Tick();
    // Removes the line from the terminal.
    void Clear();

  private:
    using Clock = std::chrono::steady_clock;
    std::FILE* out_;
    bool enabled_;
    Clock::time_point start_;
    std::atomic<std::int64_t> nextDrawMs_;
    std::mutex mutex_;
    std::string label_;
    bool shown_ = false;
};

class CliHost : public Host {
  public:
    struct Message {
        MessageKind kind;
        std::string text;
    };
    struct ErrorReport {
        std::uint16_t code;
        std::string text;
        std::string message;
    };

    // The analysis of this host runs under the memory watch, when there is one,
    // for the host's lifetime.
    explicit CliHost(ProgressLine* progress = nullptr, MemoryWatch* memory = nullptr);
    ~CliHost() override;
    CliHost(const CliHost&) = delete;
    CliHost& operator=(const CliHost&) = delete;

    void ShowMessage(MessageKind kind, const std::string& text) override;
    void ReportInternalError(std::uint16_t code, std::string_view text,
                             const std::string& message) override;
    void ProcessPendingEvents() override;
    bool StopRequested() override;
    bool MemoryLimitReached() override { return memoryLimitReached_.load(); }
    // The limit in megabytes; 0 for none.
    std::uint64_t MemoryLimitMB() const { return memory_ ? memory_->LimitMB() : 0; }

    ComputationState& state() { return state_; }
    // Cancelled: a stop was asked for while the state was Calculating.
    bool cancelled();

    const std::vector<Message>& messages() const { return messages_; }
    const std::vector<ErrorReport>& errors() const { return errors_; }

  private:
    void PollInterrupt();

    ProgressLine* progress_;
    MemoryWatch* memory_;
    std::uint32_t analysis_ = 0; // the name under the memory watch
    std::atomic<bool> memoryLimitReached_{false};
    ComputationState state_;
    std::vector<Message> messages_;
    std::vector<ErrorReport> errors_;
};

} // namespace nvx::cli
