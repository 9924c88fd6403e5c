#include "cli/cli_host.h"

#include <csignal>
#include <thread>
#include <unistd.h>

namespace nvx::cli {

std::atomic<bool>& InterruptFlag() {
    static std::atomic<bool> flag{false};
    return flag;
}

namespace {

constexpr char CancelledLine[] = "norvadex-cli: No results: computation cancelled\n";

std::atomic<bool> watchdogDisarmed{false};

void ExitNoResults() {
    const ssize_t written = write(STDERR_FILENO, CancelledLine, sizeof CancelledLine - 1);
    (void)written;
    _exit(130);
}

extern "C" void OnInterrupt(int) {
    std::atomic<bool>& flag = InterruptFlag();
    if (flag.exchange(true)) ExitNoResults();
}

} // namespace

std::mutex& OutputMutex() {
    static std::mutex m;
    return m;
}

void StartInterruptWatchdog(std::chrono::milliseconds grace) {
    std::thread([grace] {
        while (!InterruptFlag().load())
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::this_thread::sleep_for(grace);
        std::lock_guard lock(OutputMutex());
        if (!watchdogDisarmed.load()) ExitNoResults();
    }).detach();
}

void DisarmInterruptWatchdog() {
    watchdogDisarmed.store(true);
}

void InstallInterruptHandler() {
    static_assert(std::atomic<bool>::is_always_lock_free);
    InterruptFlag(); // constructed before the handler can run
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;
    sigaction(SIGINT, &sa, nullptr);
}

// --- progress line -------------------------------------------------------------------

ProgressLine::ProgressLine(std::FILE* out, bool enabled)
    : out_(out), enabled_(enabled), start_(Clock::now()), nextDrawMs_(1000) {}

void ProgressLine::SetLabel(const std::string& label) {
    std::lock_guard lock(mutex_);
    label_ = label;
}

void ProgressLine::Tick() {
    if (!enabled_) return;
    const std::int64_t ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count();
    std::int64_t due = nextDrawMs_.load(std::memory_order_relaxed);
    if (ms < due) return;
    if (!nextDrawMs_.compare_exchange_strong(due, ms + 200)) return; // another thread draws
    std::lock_guard lock(mutex_);
    std::fprintf(out_, "\r\033[Knorvadex-cli: analysing%s%s, %.1f s", label_.empty() ? "" : ": ",
                 label_.c_str(), static_cast<double>(ms) / 1000.0);
    std::fflush(out_);
    shown_ = true;
}

void ProgressLine::Clear() {
    if (!enabled_) return;
    std::lock_guard lock(mutex_);
    if (!shown_) return;
    std::fputs("\r\033[K", out_);
    std::fflush(out_);
    shown_ = false;
}

// --- host ------------------------------------------------------------------------------

CliHost::CliHost(ProgressLine* progress, MemoryWatch* memory)
    : progress_(progress), memory_(memory), analysis_(memory ? memory->Start() : 0) {}

CliHost::~CliHost() {
    if (memory_) memory_->End(analysis_);
}

void CliHost::ShowMessage(MessageKind kind, const std::string& text) {
    messages_.push_back({kind, text});
}

void CliHost::ReportInternalError(std::uint16_t code, std::string_view text,
                                  const std::string& message) {
    errors_.push_back({code, std::string(text), message});
}

void CliHost::PollInterrupt() {
    if (InterruptFlag().load(std::memory_order_relaxed)) state_.RequestStop();
}

void CliHost::ProcessPendingEvents() {
    PollInterrupt();
    if (progress_) progress_->Tick();
}

bool CliHost::StopRequested() {
    PollInterrupt();
    if (memory_ && state_.get() == CalcState::Calculating && memory_->MustStop(analysis_)) {
        memoryLimitReached_.store(true);
        state_.RequestStop();
    }
    return state_.StopRequested();
}

bool CliHost::cancelled() {
    PollInterrupt();
    return state_.get() != CalcState::Calculating;
}

} // namespace nvx::cli
