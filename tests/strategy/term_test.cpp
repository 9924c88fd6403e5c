#include "reference.h"
#include "strategy/term.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

namespace nvx {
namespace {

using test::RecordingHost;
using test::SortedVals;

// Three real-product terms over base..base+3, built the way the solver
// builds them: each the product of two factors of two Vals, unions of one-line
// sets; the shapes subsume none of the others.
LineSet ThreeTerms(Host& host, std::uint8_t base) {
    static const int shapes[3][2][2] = {{{3, 0}, {0, 3}}, {{2, 1}, {1, 2}}, {{3, 1}, {0, 2}}};
    LineSet s;
    for (const auto& shape : shapes) {
        LineSet term = SingleLineSet(EmptyEval);
        for (std::uint8_t d = base; d < base + 4; d += 2) {
            LineSet factor;
            for (const auto& v : shape) {
                LineSet one = SingleLineSet(Eval{{d, std::uint8_t(d + 1)}, Val{v[0], v[1]}});
                UnionSS(host, factor, one);
            }
            ProductSS(host, term, factor);
        }
        UnionSS(host, s, term);
    }
    return s;
}

TEST(InterruptTest, ProductAfterAStopRequestMultipliesNothingAndReleasesBoth) {
    RecordingHost host;
    LineSet x = ThreeTerms(host, 0);
    LineSet y = ThreeTerms(host, 4);
    ASSERT_EQ(x.size(), 3u);
    host.clear();
    host.stop = true;
    ProductSS(host, x, y);
    EXPECT_TRUE(x.empty() && y.empty());
    EXPECT_EQ(host.pendingEventCalls, 0);
    EXPECT_TRUE(host.errors.empty());
}

TEST(InterruptTest, UnionAfterAStopRequestJoinsTheSetsWithoutComparingTheirTerms) {
    test::PollingHost host;
    LineSet x = ThreeTerms(host, 0);
    LineSet same = x;
    LineSet y = x;
    UnionSS(host, same, y);
    EXPECT_EQ(same.size(), 3u); // each term of one subsumes its copy in the other
    y = x;
    host.Restart(0);
    UnionSS(host, x, y);
    EXPECT_EQ(x.size(), 6u);
    EXPECT_TRUE(y.empty());
    EXPECT_LT(host.polls, 3); // not one per pair of terms
    EXPECT_EQ(host.pendingEventCalls, 0);
    EXPECT_TRUE(host.errors.empty());
}

TEST(InterruptTest, LongExpansionHandlesEventsAndStopsEarlyKeepingItsDivisionSet) {
    // Two factors of 40 mutually non-dominated Vals over disjoint divisions
    // multiply out into 1600 strategies: the host handles its events while
    // that runs, and a stop request asked for there ends it early.
    RecordingHost host;
    Term t;
    for (std::uint8_t part = 0; part < 2; ++part) {
        Factor g;
        g.Dom = {std::uint8_t(2 * part), std::uint8_t(2 * part + 1)};
        for (int x = 0; x < 40; ++x)
            g.EvalList.push_front(Val{x, 39 - x});
        t.Factors.push_back(g);
    }
    t.MaxEval = Eval{Dom{0, 1, 2, 3}, Val{39, 39, 39, 39}};
    Term copy = t;
    EXPECT_EQ(ExpandTerm(host, copy).EvalList.size(), 1600u);
    EXPECT_GT(host.pendingEventCalls, 0);
    host.onPendingEvents = [&host] { host.stop = true; };
    const Factor cut = ExpandTerm(host, t);
    EXPECT_LT(cut.EvalList.size(), 1600u);
    EXPECT_EQ(cut.Dom.size(), 4u);

    // A stop request seen at the first poll cuts a set's expansion short, even
    // inside its first term, yet every Val still covers the whole division set
    // so that nothing downstream reports a broken invariant.
    test::PollingHost polling;
    LineSet s = ThreeTerms(polling, 0);
    ASSERT_EQ(s.size(), 3u);
    LineSet whole = s;
    const auto complete = SortedVals(LineSetToFactor(polling, whole));
    polling.stopAt = 1;
    Factor f = LineSetToFactor(polling, s);
    EXPECT_TRUE(s.empty());
    EXPECT_EQ(f.Dom, (Dom{0, 1, 2, 3}));
    ASSERT_FALSE(f.EvalList.empty());
    for (const Val& v : f.EvalList)
        EXPECT_EQ(v.size(), 4u);
    EXPECT_LT(SortedVals(f).size(), complete.size());
    EXPECT_TRUE(host.errors.empty() && polling.errors.empty());
}

// The union of one-strategy sets over d, one per Val.
LineSet UnionOfStrategies(Host& host, const Dom& d, std::initializer_list<Val> vals) {
    LineSet s;
    for (const Val& v : vals) {
        LineSet one = SingleLineSet(Eval{d, v});
        UnionSS(host, s, one);
    }
    return s;
}

TEST(ProductTest, WithOneTermOverOtherDivisionsAsPairByPair) {
    // The union of a and d is merged into the first term without being
    // tested against b, which only the two together subsume. A product with
    // a term over other divisions must still drop b's product, as the pairs
    // united one by one do.
    RecordingHost host;
    const Dom all{0, 1, 2, 3};
    LineSet s = UnionOfStrategies(host, all, {Val{2, 0, 1, 1}, Val{0, 2, 1, 1}, Val{2, 0, 2, 0}});
    LineSet b = SingleLineSet(EmptyEval);
    for (const Dom& half : {Dom{0, 1}, Dom{2, 3}}) {
        LineSet factor = UnionOfStrategies(host, half, {Val{2, 0}, Val{1, 1}});
        ProductSS(host, b, factor);
    }
    LineSet d = UnionOfStrategies(host, all, {Val{1, 1, 2, 0}, Val{1, 1, 1, 1}, Val{1, 1, 0, 2}});
    UnionSS(host, s, b);
    UnionSS(host, s, d);
    ASSERT_EQ(s.size(), 2u);
    ASSERT_FALSE(IsRealProduct(s.front().Factors));
    ASSERT_TRUE(TermSubsumed(host, s.back(), s.front()));

    // Besides, a reduced set times such a term: every product is kept.
    LineSet three = ThreeTerms(host, 0);
    for (LineSet* x : {&s, &three}) {
        LineSet want = *x, single = SingleLineSet(Eval{Dom{8, 9}, Val{1, 2}});
        LineSet other = single;
        test::ProductSSPairByPair(host, want, other);
        ProductSS(host, *x, single);
        EXPECT_EQ(*x, want);
        EXPECT_TRUE(single.empty());
    }
    EXPECT_EQ(s.size(), 1u);
    EXPECT_EQ(three.size(), 3u);
    EXPECT_TRUE(host.errors.empty());
}

TEST(SelfTest, ByteComparisonAgreesOnThisSystem) {
    RecordingHost host;
    EXPECT_TRUE(InitLineAlgebra(host));
    EXPECT_TRUE(host.errors.empty());
    // A comparison that gets equality wrong is caught once per equal pair.
    EXPECT_FALSE(CheckByteComparison(
        host, [](std::uint8_t a, std::uint8_t b) { return a <= b; },
        [](std::uint8_t a, std::uint8_t b) { return a > b; }));
    EXPECT_EQ(host.errors.size(), 256u);
}

} // namespace
} // namespace nvx
