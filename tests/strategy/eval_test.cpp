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

    CompareValOrder(host, {1}, {1, 2});
    CompareVal(host, {1}, {1, 2});
    CompareValAtLeast(host, {1}, {1, 2}, 1);
    ValAllLE(host, {1}, {1, 2});
    ValAllLT(host, {1}, {1, 2});
    EXPECT_EQ(host.errorCodes(), (std::vector<std::uint16_t>{401, 402, 403, 404, 4045}));
    EXPECT_EQ(host.errors[0].text, "should not compare different sets");
}

TEST(DomTest, SetOperations) {
    RecordingHost host;
    EXPECT_TRUE(DomDisjoint({1, 4}, {2, 5}));
    EXPECT_TRUE(DomDisjoint({}, {2, 5}));
    EXPECT_FALSE(DomDisjoint({1, 4, 9}, {2, 9}));
    EXPECT_TRUE(DomSubset({}, {1}));
    EXPECT_TRUE(DomSubset({1, 7}, {1, 4, 7}));
    EXPECT_FALSE(DomSubset({1, 5}, {1, 4, 7}));
    EXPECT_FALSE(DomSubset({1, 4, 7, 8}, {1, 4, 7}));
    EXPECT_FALSE(DomSubset({8}, {1, 4, 7}));
    EXPECT_EQ(Bytes(DomUnion({1, 4, 9}, {0, 4, 5, 12})), (V{0, 1, 4, 5, 9, 12}));
    EXPECT_EQ(Bytes(DomUnion({}, {3})), (V{3}));
    EXPECT_EQ(Bytes(DomDiff(host, {1, 4, 7}, {4})), (V{1, 7}));
    EXPECT_EQ(Bytes(DomDiff(host, {1, 4, 7}, {})), (V{1, 4, 7}));
    EXPECT_EQ(Bytes(DomDiff(host, {1, 4, 7}, {1, 4, 7})), V{});
    EXPECT_TRUE(host.errors.empty());

    // DivNrs of D2 missing from D1: 405 for each, then 406; the walk ends
    // with the true difference.
    EXPECT_EQ(Bytes(DomDiff(host, {1, 4, 7}, {0, 4, 5, 9})), (V{1, 7}));
    EXPECT_EQ(host.errorCodes(), (std::vector<std::uint16_t>{405, 405, 405, 406}));
    EXPECT_EQ(host.errors[0].text, "D2 not subset of D1");
    host.clear();
    EXPECT_EQ(Bytes(DomDiff(host, {}, {3})), V{});
    EXPECT_EQ(host.errorCodes(), (std::vector<std::uint16_t>{405, 406}));
}

TEST(DomTest, CheckOrderedDomReportsEveryBadPair) {
    RecordingHost host;
    CheckOrderedDom(host, {});
    CheckOrderedDom(host, {7});
    CheckOrderedDom(host, {0, 1, 161});
    EXPECT_TRUE(host.errors.empty());
    CheckOrderedDom(host, {1, 1, 3, 2});
    EXPECT_EQ(host.errorCodes(), (std::vector<std::uint16_t>{409, 409}));
    EXPECT_EQ(host.errors[0].text, "Dom not an ordered set");
}

TEST(EvalTest, MergeRestrictSplitAndConcat) {
    RecordingHost host;
    TEval c = ConcatEval(host, {{1, 4}, {2, 3}}, {{4, 7}, {1, 2}});
    EXPECT_EQ(Bytes(c.Dom), (V{1, 4, 7}));
    EXPECT_EQ(Bytes(c.Val), (V{2, 1, 2}));
    const TEval e{{3, 5}, {9, 8}};
    EXPECT_EQ(ConcatEval(host, EmptyEval, e), e);
    EXPECT_EQ(ConcatEval(host, e, EmptyEval), e);

    TVal r = TVal::withLength(5);
    MergeVal(host, r, {0, 2, 4}, {5, 1, 6}, {1, 2, 3}, {7, 3, 0});
    EXPECT_EQ(Bytes(r), (V{5, 7, 1, 0, 6}));

    EXPECT_EQ(Bytes(RestrictVal(host, {1, 4, 7}, {2, 3, 0}, {1, 7})), (V{2, 0}));
    EXPECT_EQ(Bytes(RestrictVal(host, {1, 4, 7}, {2, 3, 0}, {})), V{});

    TDom dDiff, dSame;
    TVal vSame;
    SplitSameValues({1, 4, 7}, {2, 3, 0}, {2, 1, 0}, dDiff, vSame, dSame);
    EXPECT_EQ(Bytes(dDiff), (V{4}));
    EXPECT_EQ(Bytes(dSame), (V{1, 7}));
    EXPECT_EQ(Bytes(vSame), (V{2, 0}));
    SplitSameValues({}, {}, {}, dDiff, vSame, dSame);
    EXPECT_TRUE(dDiff.empty() && vSame.empty() && dSame.empty());

    TEval low{{1, 4, 7}, {3, 3, 3}};
    LowerEval(host, low, {{1, 7}, {5, 0}});
    EXPECT_EQ(Bytes(low.Val), (V{3, 3, 0}));
    EXPECT_EQ(Bytes(ConstEvalOver({2, 3}, 4).Val), (V{4, 4}));
    EXPECT_TRUE(host.errors.empty());
}

TEST(EvalTest, ConsistencyChecksCarryOn) {
    RecordingHost host;
    TEval e = MakeEval(host, {1, 2}, {1, 2, 3});
    EXPECT_EQ(host.errorCodes(), std::vector<std::uint16_t>{4010});
    EXPECT_EQ(host.errors[0].text, "Dom and Val not same length");
    EXPECT_EQ(Bytes(e.Val), (V{1, 2, 3})); // assigned all the same

    // A DivNr missing from D1 takes the value of the nearest smaller one.
    host.clear();
    EXPECT_EQ(Bytes(RestrictVal(host, {1, 4, 7}, {2, 3, 0}, {1, 5, 7})), (V{2, 3, 0}));
    EXPECT_EQ(Bytes(RestrictVal(host, {4, 7}, {3, 1}, {2, 7})), (V{0, 1}));
    EXPECT_EQ(host.errorCodes(), (std::vector<std::uint16_t>{408, 408}));
    EXPECT_EQ(host.errors[0].text, "missing value");

    host.clear();
    TVal shortR = TVal::withLength(2);
    MergeVal(host, shortR, {1, 2}, {1, 1}, {3}, {2});
    TVal longR = TVal::withLength(4);
    MergeVal(host, longR, {1, 2}, {1, 1}, {3}, {2});
    EXPECT_EQ(host.errorCodes(), (std::vector<std::uint16_t>{407, 407}));
    EXPECT_EQ(host.errors[0].text, "Length of Val not correct");

    host.clear();
    TEval low{{1, 4}, {3, 3}};
    LowerEval(host, low, {{1, 5}, {0, 0}});
    EXPECT_EQ(Bytes(low.Val), (V{0, 3}));
    EXPECT_EQ(host.errorCodes(), std::vector<std::uint16_t>{4011});
    EXPECT_EQ(host.errors[0].text, "E2.Dom not a subset or E1.Dom");
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
