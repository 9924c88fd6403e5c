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

TEST(EvalListTest, KeepsListOrderThroughWalksAndSplices) {
    TEvalList l{{1}, {2}, {3}, {4}, {5}};
    EXPECT_EQ(Bytes(l.front()), V{1});
    std::vector<int> seen;
    l.walk([&](const TVal& v) {
        seen.push_back(v[0]);
        if (v[0] == 2 || v[0] == 3) return WalkStep::Remove;
        return v[0] == 4 ? WalkStep::Stop : WalkStep::Keep;
    });
    EXPECT_EQ(seen, (V{1, 2, 3, 4}));
    EXPECT_EQ(ListedVals({TDom{0}, l}), (Vals{{1}, {4}, {5}}));
    l.walk([](const TVal& v) { return v[0] == 5 ? WalkStep::Keep : WalkStep::Remove; });
    EXPECT_EQ(ListedVals({TDom{0}, l}), (Vals{{5}}));

    TEvalList first{{7}, {8}};
    l.spliceFront(first);
    EXPECT_TRUE(first.empty());
    l.push_back({9});
    EXPECT_EQ(ListedVals({TDom{0}, l}), (Vals{{7}, {8}, {5}, {9}}));
    TEvalList none;
    none.spliceFront(l);
    EXPECT_EQ(ListedVals({TDom{0}, none}), (Vals{{7}, {8}, {5}, {9}}));

    RecordingHost host;
    EXPECT_EQ(Bytes(PopVal(host, none)), V{7});
    TEvalList empty;
    EXPECT_TRUE(PopVal(host, empty).empty());
    EXPECT_EQ(host.errorCodes(), std::vector<std::uint16_t>{301});
    EXPECT_EQ(host.errors[0].text, "Empty List");
}

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

    // On a list that is not reduced, the walk stops at the first Val that
    // beats V and keeps what it removed before.
    TFactor g{{1, 2}, {{1, 1}, {3, 3}, {0, 0}}};
    EXPECT_TRUE(PruneDominated(host, g, {2, 2}));
    EXPECT_EQ(ListedVals(g), (Vals{{3, 3}, {0, 0}}));

    TFactor r{{1, 2}, {{1, 1}, {2, 2}, {2, 2}}};
    ReduceFactor(host, r);
    EXPECT_EQ(ListedVals(r), (Vals{{2, 2}}));
    // A reduced list comes back in reverse order.
    TFactor rev{{1, 2}, {{3, 0}, {2, 1}, {0, 3}}};
    ReduceFactor(host, rev);
    EXPECT_EQ(ListedVals(rev), (Vals{{0, 3}, {2, 1}, {3, 0}}));
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
    TFactorList l{TFactor{{3, 4}, {{1, 0}, {0, 1}}}};
    TFactor n = ProductOfFactorList(host, l);
    EXPECT_TRUE(l.empty());
    EXPECT_EQ(ListedVals(n), (Vals{{0, 1}, {1, 0}}));
    TFactorList none;
    TFactor unit = ProductOfFactorList(host, none);
    EXPECT_TRUE(unit.Dom.empty());
    EXPECT_EQ(ListedVals(unit), (Vals{{}}));
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

TEST(FactorTest, UnionStopsAndDropsTheUnvisitedVals) {
    struct StopAfter : RecordingHost {
        int polls = 0, allowed = 0;
        bool stopRequested() override { return ++polls > allowed; }
    } host;
    host.allowed = 1;
    TFactor f1{{1, 2}, {{3, 0}}};
    TFactor f2{{1, 2}, {{0, 3}, {1, 2}, {2, 1}}};
    TFactor u = UnionFactors(host, f1, f2);
    EXPECT_EQ(ListedVals(u), (Vals{{0, 3}, {3, 0}}));
    EXPECT_EQ(host.polls, 2); // once per Val until the stop
    EXPECT_TRUE(f2.EvalList.empty());
}

TEST(FactorTest, ExtractSingleValuesMovesOutTheAgreedDivisions) {
    RecordingHost host;
    TFactor f{{1, 2, 3}, {{2, 0, 1}, {2, 1, 0}}};
    TEval e = ExtractSingleValues(host, f);
    EXPECT_EQ(Bytes(e.Dom), V{1});
    EXPECT_EQ(Bytes(e.Val), V{2});
    EXPECT_EQ(Bytes(f.Dom), (V{2, 3}));
    EXPECT_EQ(ListedVals(f), (Vals{{1, 0}, {0, 1}}));

    // Nothing agreed: only the order turns round.
    TEval none = ExtractSingleValues(host, f);
    EXPECT_TRUE(none.Dom.empty() && none.Val.empty());
    EXPECT_EQ(ListedVals(f), (Vals{{0, 1}, {1, 0}}));

    TFactor single{{4, 6}, {{3, 1}}};
    TEval all = ExtractSingleValues(host, single);
    EXPECT_EQ(Bytes(all.Dom), (V{4, 6}));
    EXPECT_EQ(Bytes(all.Val), (V{3, 1}));
    EXPECT_TRUE(single.Dom.empty());
    EXPECT_EQ(ListedVals(single), (Vals{{}}));
    EXPECT_TRUE(host.errors.empty());

    TFactor empty = InitFactor({1, 2});
    EXPECT_EQ(ExtractSingleValues(host, empty), EmptyEval);
    EXPECT_EQ(Bytes(empty.Dom), (V{1, 2}));
    EXPECT_EQ(host.errorCodes(), (std::vector<std::uint16_t>{305, 304}));
}

TEST(FactorTest, RestrictCapAndKeepAtLeast) {
    RecordingHost host;
    const TFactor f{{1, 2, 3}, {{3, 0, 3}, {1, 2, 0}, {0, 2, 2}}};
    TFactor r = RestrictFactor(host, f, {2, 3});
    EXPECT_EQ(Bytes(r.Dom), (V{2, 3}));
    EXPECT_EQ(ListedVals(r), (Vals{{2, 2}, {0, 3}}));
    EXPECT_EQ(ListedVals(f).size(), 3u); // unchanged

    TFactor c = f;
    CapFactor(host, c, {1, 1, 1});
    EXPECT_EQ(ListedVals(c), (Vals{{0, 1, 1}, {1, 1, 0}, {1, 0, 1}}));
    TFactor c2 = f;
    CapFactor(host, c2, {0, 2, 0});
    EXPECT_EQ(ListedVals(c2), (Vals{{0, 2, 0}}));

    TFactor k{{1, 2}, {{3, 0}, {2, 2}, {1, 3}, {2, 1}}};
    KeepAtLeast(host, k, {1, 1});
    EXPECT_EQ(ListedVals(k), (Vals{{2, 2}, {1, 3}, {2, 1}}));
    KeepAtLeast(host, k, {3, 3});
    EXPECT_TRUE(k.EvalList.empty());
    EXPECT_EQ(Bytes(k.Dom), (V{1, 2}));
    EXPECT_TRUE(host.errors.empty());
}

TEST(FactorTest, CoverageMaximaAndMinima) {
    RecordingHost host;
    const TFactor f{{1, 2}, {{3, 0}, {1, 2}}};
    EXPECT_TRUE(IsCovered(host, {1, 1}, f));
    EXPECT_FALSE(IsCovered(host, {2, 1}, f));
    EXPECT_FALSE(IsCovered(host, {0, 0}, InitFactor({1, 2})));
    EXPECT_TRUE(FactorCoveredBy(host, TFactor{{1, 2}, {{2, 0}, {0, 2}}}, f));
    EXPECT_FALSE(FactorCoveredBy(host, TFactor{{1, 2}, {{2, 0}, {0, 3}}}, f));
    EXPECT_TRUE(FactorCoveredBy(host, InitFactor({1, 2}), f));
    EXPECT_EQ(Bytes(MaxOfFactor(host, f)), (V{3, 2}));
    EXPECT_EQ(Bytes(MinOfFactor(host, f)), (V{1, 0}));
    EXPECT_TRUE(host.errors.empty());

    EXPECT_FALSE(FactorCoveredBy(host, TFactor{{1, 3}, {{0, 0}}}, f));
    EXPECT_EQ(host.errorCodes(), std::vector<std::uint16_t>{303});
    EXPECT_EQ(host.errors[0].text, "function may only be called when F1.Dom = F2.Dom");
    host.clear();
    EXPECT_TRUE(MaxOfFactor(host, InitFactor({1})).empty());
    EXPECT_TRUE(MinOfFactor(host, InitFactor({1})).empty());
    TFactorList empty;
    PopFactor(host, empty);
    CheckFactor(host, TFactor{{2, 1}, {{1, 1}, {1}, {}}});
    EXPECT_EQ(host.errorCodes(), (std::vector<std::uint16_t>{304, 305, 306, 409, 302, 302}));
    EXPECT_EQ(host.errors[0].text, "unexpected");
    EXPECT_EQ(host.errors[2].text, "Empty List");
    EXPECT_EQ(host.errors[4].text, "Length values not equal to length dom");
}

TEST(FactorListTest, MaximaUnionsAndAppending) {
    RecordingHost host;
    TFactorList l{TFactor{{1, 2}, {{3, 0}, {0, 2}}}, TFactor{{2, 3}, {{1, 0}, {0, 3}}}};
    TEval mx = MaxOfFactorList(host, l);
    EXPECT_EQ(Bytes(mx.Dom), (V{1, 2, 3}));
    EXPECT_EQ(Bytes(mx.Val), (V{3, 1, 3}));
    TEval mn = MinOfFactorList(host, l);
    EXPECT_EQ(Bytes(mn.Val), (V{0, 0, 0}));
    EXPECT_EQ(MaxOfFactorList(host, {}), EmptyEval);
    EXPECT_EQ(Bytes(UnionOfDoms(l)), (V{1, 2, 3}));
    EXPECT_TRUE(UnionOfDoms({}).empty());
    EXPECT_TRUE(IsRealProduct(l));
    EXPECT_FALSE(IsRealProduct({l[0]}));

    TFactorList l2{TFactor{{7}, {{1}, {0}}}};
    TFactorList all = AppendFactorLists(l, l2);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(Bytes(all[2].Dom), V{7});
    EXPECT_TRUE(l.empty() && l2.empty());
    PopFactor(host, all);
    EXPECT_EQ(Bytes(all[0].Dom), (V{2, 3}));
    EXPECT_TRUE(host.errors.empty());
}

TEST(FactorListTest, AddFactorMergingOnlyWhenTheProductIsSmaller) {
    RecordingHost host;
    // Disjoint: goes to the front untouched.
    TFactorList l{TFactor{{1, 2}, {{1, 0}, {0, 1}}}, TFactor{{3}, {{1}, {0}}}};
    TFactor f{{5}, {{2}, {1}}};
    TEval e = AddFactorMerging(host, l, f);
    EXPECT_EQ(e, EmptyEval);
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(Bytes(l[0].Dom), V{5});
    EXPECT_EQ(ListedVals(l[0]), (Vals{{2}, {1}}));
    EXPECT_TRUE(f.EvalList.empty());

    // Overlapping, and the product (two Vals) is smaller than 2 + 2: merged.
    TFactorList m{TFactor{{1, 2}, {{2, 0}, {0, 2}}}};
    TFactor g{{1, 2}, {{2, 0}, {0, 2}}};
    AddFactorMerging(host, m, g);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(test::SortedVals(m[0]), (Vals{{0, 2}, {2, 0}}));

    // Overlapping on division 3 only: four combinations, none dominated, so
    // the factors stay apart (4 is not less than 2 + 2).
    TFactorList n{TFactor{{1, 2, 3}, {{2, 0, 1}, {0, 2, 1}}}};
    TFactor h{{3, 4, 5}, {{1, 2, 0}, {1, 0, 2}}};
    AddFactorMerging(host, n, h);
    ASSERT_EQ(n.size(), 2u);
    EXPECT_EQ(Bytes(n[0].Dom), (V{3, 4, 5}));
    EXPECT_EQ(Bytes(n[1].Dom), (V{1, 2, 3}));

    // A merge whose product agrees on a division gives it back in E.
    TFactorList o{TFactor{{1, 2, 3}, {{1, 0, 1}, {0, 1, 1}}}};
    TFactor k{{1, 2}, {{1, 0}, {0, 1}}};
    TEval got = AddFactorMerging(host, o, k);
    ASSERT_EQ(o.size(), 1u);
    EXPECT_EQ(Bytes(got.Dom), V{3});
    EXPECT_EQ(Bytes(got.Val), V{1});
    EXPECT_EQ(Bytes(o[0].Dom), (V{1, 2}));
    EXPECT_EQ(test::SortedVals(o[0]), (Vals{{0, 1}, {1, 0}}));
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
