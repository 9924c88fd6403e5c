#include "reference.h"
#include "strategy/eval.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

namespace nvx {
namespace {

using test::Bytes;
using test::RecordingHost;
using V = std::vector<int>;

TEST(CompareValTest, DominanceOrderAndSuccessSets) {
    RecordingHost host;
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
    EXPECT_EQ(CompareValAtLeast(host, {3, 1}, {2, 1}, 2), '=');
    EXPECT_EQ(CompareValAtLeast(host, {3, 1}, {1, 2}, 2), '|');
    EXPECT_EQ(CompareValAtLeast(host, {1, 1}, {1, 2}, 2), '<');
    EXPECT_TRUE(ValAllLE(host, {}, {}));
    EXPECT_TRUE(ValAllLE(host, {1, 2}, {1, 3}));
    EXPECT_FALSE(ValAllLT(host, {1, 2}, {1, 3}));
    EXPECT_TRUE(ValAllLT(host, {0, 2}, {1, 3}));
    EXPECT_TRUE(host.errors.empty());
}

// The set walks against a plain model on random sets.
TEST(EvalTest, WalksAgreeWithAPlainModelOnRandomSets) {
    RecordingHost host;
    test::Rng rng(4711);
    for (int round = 0; round < 2000; ++round) {
        const TEval a = test::RandomEval(rng, test::RandomDom(rng, 20, 8), 5);
        const TEval b = test::RandomEval(rng, test::RandomDom(rng, 20, 8), 5);
        const test::RefStrategy ra = test::RefOfEval(a), rb = test::RefOfEval(b);
        EXPECT_EQ(test::RefOfEval(ConcatEval(host, a, b)), test::RefMin(ra, rb));
        bool disjoint = true, subset = true;
        for (const auto& [d, x] : ra) {
            (void)x;
            disjoint = disjoint && !rb.count(d);
            subset = subset && rb.count(d);
        }
        EXPECT_EQ(DomDisjoint(a.Dom, b.Dom), disjoint);
        EXPECT_EQ(DomSubset(a.Dom, b.Dom), subset);
        const TDom sub = test::RandomSubset(rng, a.Dom, 50);
        TEval low = a;
        const TEval part{sub, RestrictVal(host, a.Dom, a.Val, sub)};
        const TEval lowered = test::RandomEval(rng, sub, 5);
        LowerEval(host, low, lowered);
        test::RefStrategy expect = ra;
        for (const auto& [d, x] : test::RefOfEval(lowered))
            expect[d] = std::min(expect[d], x);
        EXPECT_EQ(test::RefOfEval(low), expect);
        test::RefStrategy restricted;
        for (std::uint8_t d : sub)
            restricted[d] = ra.at(d);
        EXPECT_EQ(test::RefOfEval(part), restricted);
        const TDom diff = DomDiff(host, a.Dom, sub);
        EXPECT_EQ(diff.size() + sub.size(), a.Dom.size());
        EXPECT_TRUE(DomDisjoint(diff, sub));
        EXPECT_EQ(DomUnion(diff, sub), a.Dom);
    }
    EXPECT_TRUE(host.errors.empty());
}

} // namespace
} // namespace nvx
