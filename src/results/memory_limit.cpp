#include "results/memory_limit.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace nvx {

std::uint64_t ResidentMemoryBytes() {
    // The second field of /proc/self/statm is the resident set size in pages.
    const int fd = open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    char buf[128];
    const ssize_t n = read(fd, buf, sizeof buf - 1);
    close(fd);
    if (n <= 0) return 0;
    buf[n] = '\0';
    char* end = nullptr;
    std::strtoull(buf, &end, 10); // the total size
    const char* rss = end;
    const unsigned long long pages = std::strtoull(rss, &end, 10);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (end == rss || pageSize <= 0) return 0;
    return pages * static_cast<std::uint64_t>(pageSize);
}

std::uint64_t PhysicalMemoryBytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

std::uint64_t DefaultMemoryLimitMB() {
    return PhysicalMemoryBytes() / 4 * 3 / Megabyte;
}

void ReleaseFreeMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

MemoryWatch::MemoryWatch(std::uint64_t limitMB, Reader reader, std::chrono::milliseconds interval)
    : limitMB_(limitMB), reader_(std::move(reader)), interval_(interval) {}

MemoryWatch::~MemoryWatch() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

std::uint32_t MemoryWatch::Start() {
    std::lock_guard lock(mutex_);
    if (++started_ == 0) ++started_; // 0 names no analysis
    running_.push_back(started_);
    if (limitMB_ != 0 && !thread_.joinable()) thread_ = std::thread([this] { Watch(); });
    changed_.notify_all();
    return started_;
}

void MemoryWatch::End(std::uint32_t analysis) {
    const bool chosen = analysis != 0 && chosen_.load() == analysis;
    // Without this the freed memory may stay resident and the next analysis
    // would be stopped at once. Nothing else is chosen meanwhile.
    if (chosen) ReleaseFreeMemory();
    std::lock_guard lock(mutex_);
    std::erase(running_, analysis);
    if (chosen) chosen_.store(0);
}

void MemoryWatch::Watch() {
    std::unique_lock lock(mutex_);
    while (!closing_) {
        // Nothing is read while no analysis runs.
        changed_.wait(lock, [this] { return closing_ || !running_.empty(); });
        if (closing_) break;
        if (chosen_.load() == 0 && reader_() > limitMB_ * Megabyte) chosen_.store(running_.front());
        changed_.wait_for(lock, interval_, [this] { return closing_; });
    }
}

} // namespace nvx
