#include "strategy/eval.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

namespace nvx {
namespace {

// The comparisons at their boundaries: equal values, one position deciding,
// positions pulling in opposite directions. The algebra builds on them; the
// random tests in random_algebra_test compare it against a plain model.
TEST(CompareValTest, DominanceOrderAndSuccessSets) {
    test::RecordingHost host;
    EXPECT_EQ(CompareVal(host, {2, 1}, {2, 1}), '=');
    EXPECT_EQ(CompareVal(host, {}, {}), '=');
    EXPECT_EQ(CompareVal(host, {3, 1}, {1, 3}), '|');
    EXPECT_EQ(CompareVal(host, {1, 1}, {1, 3}), '<');
    EXPECT_EQ(CompareVal(host, {2, 3}, {1, 3}), '>');
    // The differing position found last decides the direction, any earlier
    // position against it makes the pair incomparable.
    EXPECT_EQ(CompareVal(host, {0, 2, 1, 1}, {1, 1, 1, 2}), '|');
    EXPECT_EQ(CompareVal(host, {0, 1, 1, 1}, {1, 1, 1, 2}), '<');
    EXPECT_EQ(CompareValOrder(host, {3, 1}, {1, 3}), '<');
    EXPECT_EQ(CompareValOrder(host, {0, 5}, {9, 4}), '>');
    // At least k tricks: 3 and 2 both reach two tricks, 1 does not.
    EXPECT_EQ(CompareValAtLeast(host, {3, 1}, {2, 1}, 2), '=');
    EXPECT_EQ(CompareValAtLeast(host, {3, 1}, {1, 2}, 2), '|');
    EXPECT_EQ(CompareValAtLeast(host, {1, 1}, {1, 2}, 2), '<');
    EXPECT_EQ(CompareValAtLeast(host, {2, 2}, {1, 2}, 2), '>');
    EXPECT_TRUE(ValAllLE(host, {}, {}));
    EXPECT_TRUE(ValAllLE(host, {1, 2}, {1, 3}));
    EXPECT_FALSE(ValAllLT(host, {1, 2}, {1, 3}));
    EXPECT_TRUE(ValAllLT(host, {0, 2}, {1, 3}));
    EXPECT_TRUE(host.errors.empty());
}

} // namespace
} // namespace nvx
