// Randomised tests run fewer cases in unoptimised (Debug and sanitizer)
// builds, which are many times slower; the same seeds start both.
#pragma once

namespace nvx::test {

#ifdef NDEBUG
inline constexpr int SlowBuildDivisor = 1;
#else
inline constexpr int SlowBuildDivisor = 4;
#endif

constexpr int Scaled(int releaseCount) {
    return releaseCount / SlowBuildDivisor;
}

} // namespace nvx::test
