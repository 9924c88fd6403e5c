// The comparison of two Vals' success sets for a goal of at least k tricks,
// done 16 divisions at a time, against the definition: every length up to
// the most divisions, trick counts of a suit and any byte at all.
#include "strategy/eval.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <random>

namespace nvx {
namespace {

// '=' the same divisions reach k; '<' those of a are among those of b; '>'
// the reverse; '|' neither.
char SuccessSets(const Val& a, const Val& b, std::uint8_t k) {
    bool aOnly = false, bOnly = false;
    for (std::size_t p = 0; p < a.size(); ++p) {
        aOnly |= a[p] >= k && b[p] < k;
        bOnly |= b[p] >= k && a[p] < k;
    }
    return aOnly ? (bOnly ? '|' : '>') : (bOnly ? '<' : '=');
}

TEST(CompareValAtLeastTest, AsTheSuccessSetsOfTheGoal) {
    std::mt19937 rng(7);
    test::RecordingHost host;
    int seen[4] = {};
    for (std::size_t n = 0; n <= MaxDivisions; ++n)
        for (int round = 0; round < 40; ++round) {
            const int top = round % 4 == 0 ? 255 : 13;
            Val a = Val::withLength(n), b = Val::withLength(n);
            for (std::size_t p = 0; p < n; ++p) {
                a[p] = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, top)(rng));
                // Mostly alike, so that all four answers come up.
                b[p] = rng() % 8 == 0 ? static_cast<std::uint8_t>(rng() % (top + 1)) : a[p];
            }
            const auto k = static_cast<std::uint8_t>(rng() % (top == 13 ? 15 : 256));
            const char c = CompareValAtLeast(host, a, b, k);
            ASSERT_EQ(c, SuccessSets(a, b, k)) << "length " << n << ", k " << int(k);
            seen[std::string_view("=<>|").find(c)]++;
        }
    for (int s : seen)
        EXPECT_GT(s, 100);
    EXPECT_TRUE(host.errors.empty());
}

} // namespace
} // namespace nvx
