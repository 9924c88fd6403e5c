#include "reference.h"
#include "strategy/factor.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

namespace nvx {
namespace {

using test::Bytes;
using test::ListedVals;
using test::RecordingHost;
using V = std::vector<int>;
using Vals = std::vector<std::vector<int>>;

TEST(FactorTest, AddValKeepsOnlyUndominatedValsAtTheFront) {
    RecordingHost host;
    TFactor f{{1, 2}, {{3, 1}, {1, 3}}};
    EXPECT_TRUE(AddVal(host, f, {2, 2}));
    EXPECT_EQ(ListedVals(f), (Vals{{2, 2}, {3, 1}, {1, 3}}));
    EXPECT_TRUE(AddVal(host, f, {3, 3}));
    EXPECT_EQ(ListedVals(f), (Vals{{3, 3}}));
    EXPECT_FALSE(AddVal(host, f, {1, 1}));
    EXPECT_FALSE(AddVal(host, f, {3, 3}));
    EXPECT_EQ(ListedVals(f), (Vals{{3, 3}}));
    EXPECT_TRUE(host.errors.empty());
}

TEST(FactorTest, ProductTakesTheSmallerValueOnCommonDivisions) {
    RecordingHost host;
    TFactor f1{{1}, {{2}, {1}}};
    TFactor f2{{1, 2}, {{1, 3}, {3, 1}}};
    // Before reduction (1,3), (2,1), (1,3), (1,1); each goes to the front.
    TFactor p = ProductFactors(host, f1, f2);
    EXPECT_EQ(Bytes(p.Dom), (V{1, 2}));
    EXPECT_EQ(ListedVals(p), (Vals{{2, 1}, {1, 3}}));
    EXPECT_TRUE(f1.EvalList.empty() && f1.Dom.empty());
    EXPECT_TRUE(f2.EvalList.empty() && f2.Dom.empty());

    // Disjoint sets interleave; the neutral factor reverses the order.
    TFactor a{{0, 4}, {{1, 0}, {0, 1}}};
    TFactor b{{2, 3}, {{5, 0}, {0, 5}}};
    TFactor q = ProductFactors(host, a, b);
    EXPECT_EQ(Bytes(q.Dom), (V{0, 2, 3, 4}));
    EXPECT_EQ(ListedVals(q), (Vals{{0, 0, 5, 1}, {0, 5, 0, 1}, {1, 0, 5, 0}, {1, 5, 0, 0}}));
    EXPECT_TRUE(host.errors.empty());
}

TEST(FactorTest, UnionPutsTheSurvivorsOfTheSecondFirst) {
    RecordingHost host;
    TFactor f1{{1, 2}, {{3, 0}, {1, 1}, {0, 3}}};
    TFactor f2{{1, 2}, {{2, 2}, {4, 0}, {0, 3}}};
    TFactor u = UnionFactors(host, f1, f2);
    EXPECT_EQ(Bytes(u.Dom), (V{1, 2}));
    EXPECT_EQ(ListedVals(u), (Vals{{2, 2}, {4, 0}, {0, 3}}));
    EXPECT_TRUE(f1.EvalList.empty() && f2.EvalList.empty() && f2.Dom.empty());
    EXPECT_TRUE(host.errors.empty());
}

// Products and unions of random factors against the plain model.
TEST(FactorTest, RandomProductsAndUnionsMatchTheModel) {
    RecordingHost host;
    test::Rng rng(20240611);
    for (int round = 0; round < 1500; ++round) {
        const TDom d1 = test::RandomDom(rng, 8, 5), d2 = test::RandomDom(rng, 8, 5);
        TFactor a = test::RandomFactor(host, rng, d1, 6, 3);
        TFactor b = test::RandomFactor(host, rng, d2, 6, 3);
        TFactor c = test::RandomFactor(host, rng, d1, 6, 3);
        const test::RefSet ra = test::RefOfFactor(a), rb = test::RefOfFactor(b),
                           rc = test::RefOfFactor(c);
        TFactor a2 = a;
        TFactor p = ProductFactors(host, a2, b);
        EXPECT_EQ(test::SortedVals(p), test::SortedVals(test::RefProduct(ra, rb), p.Dom));
        EXPECT_EQ(test::SortedVals(p).size(), CountVals(p)); // reduced: no duplicates
        TFactor u = UnionFactors(host, a, c);
        EXPECT_EQ(test::SortedVals(u), test::SortedVals(test::RefUnion(ra, rc), d1));
        // ExtractSingleValues keeps the set: put the extracted part back.
        TFactor x = u;
        const TEval e = ExtractSingleValues(host, x);
        TFactor back = FactorOfEval(e);
        TFactor whole = ProductFactors(host, x, back);
        EXPECT_EQ(test::SortedVals(whole), test::SortedVals(u));
    }
    EXPECT_TRUE(host.errors.empty());
}

} // namespace
} // namespace nvx
