#include "reference.h"
#include "strategy/term.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

namespace nvx {
namespace {

using test::RecordingHost;
using test::SortedVals;
using Vals = std::vector<std::vector<int>>;

// The one-term set of a factor's Vals, built the way the solver builds it: a
// union of one-strategy sets.
TStratSet SetOf(Host& host, const TDom& d, const Vals& vals) {
    TStratSet s;
    for (const auto& v : vals) {
        TVal val;
        for (int x : v)
            val.push_back(static_cast<std::uint8_t>(x));
        TStratSet one = SingleStratSet(TEval{d, val});
        UnionSS(host, s, one);
    }
    return s;
}

Vals Expanded(Host& host, const TStratSet& s) {
    TStratSet copy = s;
    return SortedVals(StratSetToFactor(host, copy));
}

// One real-product term over base..base+3: two factors of two Vals; the
// shapes subsume none of the others.
TStratSet ProductTerm(Host& host, int k, std::uint8_t base) {
    static const Vals shapes[3] = {{{3, 0}, {0, 3}}, {{2, 1}, {1, 2}}, {{3, 1}, {0, 2}}};
    TStratSet s = SingleStratSet(EmptyEval);
    for (std::uint8_t d = base; d < base + 4; d += 2) {
        TStratSet part = SetOf(host, {d, static_cast<std::uint8_t>(d + 1)}, shapes[k]);
        ProductSS(host, s, part);
    }
    return s;
}

// The union of the three shapes: three real-product terms.
TStratSet ThreeTerms(Host& host, std::uint8_t base) {
    TStratSet s = ProductTerm(host, 0, base);
    for (int k = 1; k < 3; ++k) {
        TStratSet t = ProductTerm(host, k, base);
        UnionSS(host, s, t);
    }
    return s;
}

TEST(InterruptTest, ProductStopsEarlyAndReleasesTheRest) {
    RecordingHost host;
    // A stop request set before the product: nothing is multiplied.
    host.clear();
    host.stop = true;
    TStratSet x = SetOf(host, {0, 1}, {{1, 0}});
    TStratSet y = SetOf(host, {0, 1}, {{0, 1}});
    ProductSS(host, x, y);
    EXPECT_TRUE(x.empty() && y.empty());
    EXPECT_EQ(host.pendingEventCalls, 0);
    host.stop = false;

    // Set while pending events run: nothing more is compared or multiplied,
    // and everything else is released.
    TStratSet s1 = ThreeTerms(host, 0);
    TStratSet s2 = ThreeTerms(host, 4);
    TStratSet full1 = s1, full2 = s2;
    ProductSS(host, full1, full2);
    const Vals complete = Expanded(host, full1);
    host.clear();
    host.onPendingEvents = [&] {
        if (host.pendingEventCalls == 2) host.stop = true;
    };
    ProductSS(host, s1, s2);
    EXPECT_EQ(host.pendingEventCalls, 2);
    EXPECT_TRUE(s2.empty());
    host.stop = false;
    ASSERT_FALSE(s1.empty());
    EXPECT_LT(Expanded(host, s1).size(), complete.size());
    EXPECT_TRUE(host.errors.empty());
}

TEST(InterruptTest, ExpansionStopsEarlyAndKeepsItsDivisionSet) {
    test::PollingHost host;
    TStratSet s = ThreeTerms(host, 0);
    ASSERT_EQ(s.size(), 3u);
    const TDom dom = s.front().MaxEval.Dom;
    TStratSet copy = s;
    const Vals complete = SortedVals(StratSetToFactor(host, copy));

    // A stop request seen at the first poll cuts the expansion short, even
    // inside the first term, yet every Val still covers the whole division set
    // so that nothing downstream reports a broken invariant.
    host.stopAt = 1;
    TStratSet first = s;
    TFactor f = StratSetToFactor(host, first);
    EXPECT_TRUE(first.empty());
    EXPECT_EQ(f.Dom, dom);
    ASSERT_FALSE(f.EvalList.empty());
    for (const TVal& v : f.EvalList)
        EXPECT_EQ(v.size(), dom.size());
    EXPECT_LT(SortedVals(f).size(), complete.size());
    EXPECT_TRUE(host.errors.empty());
}

TEST(InterruptTest, LongExpansionLetsTheHostHandleEvents) {
    // Two factors of 40 mutually non-dominated Vals over disjoint divisions
    // multiply out into 1600 strategies: the host is asked to handle pending
    // events while that runs, and a stop request ends it early.
    RecordingHost host;
    TTerm t;
    for (int part = 0; part < 2; ++part) {
        TFactor g;
        for (int d = 0; d < 2; ++d)
            g.Dom.push_back(static_cast<std::uint8_t>(2 * part + d));
        for (int x = 0; x < 40; ++x)
            g.EvalList.push_front(TVal{x, 39 - x});
        t.Factors.push_back(g);
    }
    t.MaxEval = TEval{TDom{0, 1, 2, 3}, TVal{39, 39, 39, 39}};
    TTerm copy = t;
    EXPECT_EQ(ExpandTerm(host, copy).EvalList.size(), 1600u);
    EXPECT_GT(host.pendingEventCalls, 0);

    host.onPendingEvents = [&host] { host.stop = true; };
    TFactor cut = ExpandTerm(host, t);
    EXPECT_LT(cut.EvalList.size(), 1600u);
    EXPECT_EQ(cut.Dom.size(), 4u);
    EXPECT_TRUE(host.errors.empty());
}

TEST(SelfTest, ByteComparisonAgreesOnThisSystem) {
    RecordingHost host;
    EXPECT_TRUE(InitStrategyAlgebra(host));
    EXPECT_TRUE(host.errors.empty());
    // A comparison that gets equality wrong is caught once per equal pair.
    EXPECT_FALSE(CheckByteComparison(
        host, [](std::uint8_t a, std::uint8_t b) { return a <= b; },
        [](std::uint8_t a, std::uint8_t b) { return a > b; }));
    EXPECT_EQ(host.errors.size(), 256u);
}

} // namespace
} // namespace nvx
