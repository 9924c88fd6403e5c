// The memory limit of the analyses a program runs. While an analysis runs, a
// thread reads the program's resident memory once per interval; when it is
// above the limit, one running analysis, the one that has run longest, is told
// to stop. Until that analysis has ended, and handed its memory back, no other
// one is chosen. The hosts ask MustStop from their stop check, which the
// computation calls very often: it only reads an atomic.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace nvx {

// The program's resident memory in bytes (/proc/self/statm); 0 when it cannot
// be read.
std::uint64_t ResidentMemoryBytes();
// The machine's physical memory in bytes; 0 when unknown.
std::uint64_t PhysicalMemoryBytes();
// The limit a program uses unless told otherwise: three quarters of the
// physical memory, in whole megabytes (0, no limit, when it is unknown).
std::uint64_t DefaultMemoryLimitMB();
// Gives memory that the allocator holds without using back to the system, so
// that the resident size falls after a large analysis has been freed.
void ReleaseFreeMemory();

inline constexpr std::uint64_t Megabyte = std::uint64_t(1) << 20;

class MemoryWatch {
  public:
    // Reads the resident memory in bytes (on the watch's thread).
    using Reader = std::function<std::uint64_t()>;
    static constexpr std::chrono::milliseconds PollInterval{20};

    // limitMB 0: no limit (nothing is read and MustStop is always false).
    explicit MemoryWatch(std::uint64_t limitMB, Reader reader = ResidentMemoryBytes,
                         std::chrono::milliseconds interval = PollInterval);
    ~MemoryWatch();
    MemoryWatch(const MemoryWatch&) = delete;
    MemoryWatch& operator=(const MemoryWatch&) = delete;

    std::uint64_t LimitMB() const { return limitMB_; }

    // An analysis starts; the number names it in the calls below.
    std::uint32_t Start();
    // The analysis has ended and its memory has been freed.
    void End(std::uint32_t analysis);
    // True when the analysis must stop because memory is above the limit.
    // Safe to call from any thread.
    bool MustStop(std::uint32_t analysis) const {
        return analysis != 0 && chosen_.load(std::memory_order_relaxed) == analysis;
    }

  private:
    void Watch();

    const std::uint64_t limitMB_;
    const Reader reader_;
    const std::chrono::milliseconds interval_;

    // The analysis told to stop, until it has ended; 0 for none.
    std::atomic<std::uint32_t> chosen_{0};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::uint32_t> running_; // oldest first
    std::uint32_t started_ = 0;
    bool closing_ = false;
    std::thread thread_; // from the first analysis on
};

} // namespace nvx
