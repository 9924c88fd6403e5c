#include "strategy/parallel.h"

#include <exception>
#include <system_error>
#include <thread>

namespace nvx {

void TestOnTwoThreads(std::size_t n, std::size_t minForTwo, std::vector<char>& passed,
                      const std::function<bool(std::size_t i, unsigned part)>& test) {
    passed.assign(n, 0);
    const auto run = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i)
            passed[i] = test(i, i < n / 2 ? 0 : 1) ? 1 : 0;
    };
    static const bool severalCores = std::thread::hardware_concurrency() > 1;
    std::size_t half = n;
    std::exception_ptr failure;
    std::thread second;
    if (n >= minForTwo && severalCores) {
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

} // namespace nvx
