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
// union of one-line sets.
LineSet SetOf(Host& host, const Dom& d, const Vals& vals) {
    LineSet s;
    for (const auto& v : vals) {
        Val val;
        for (int x : v)
            val.push_back(static_cast<std::uint8_t>(x));
        LineSet one = SingleLineSet(Eval{d, val});
        UnionSS(host, s, one);
    }
    return s;
}

// One real-product term over base..base+3: two factors of two Vals; the
// shapes subsume none of the others.
LineSet ProductTerm(Host& host, int k, std::uint8_t base) {
    static const Vals shapes[3] = {{{3, 0}, {0, 3}}, {{2, 1}, {1, 2}}, {{3, 1}, {0, 2}}};
    LineSet s = SingleLineSet(EmptyEval);
    for (std::uint8_t d = base; d < base + 4; d += 2) {
        LineSet part = SetOf(host, {d, static_cast<std::uint8_t>(d + 1)}, shapes[k]);
        ProductSS(host, s, part);
    }
    return s;
}

// The union of the three shapes: three real-product terms.
LineSet ThreeTerms(Host& host, std::uint8_t base) {
    LineSet s = ProductTerm(host, 0, base);
    for (int k = 1; k < 3; ++k) {
        LineSet t = ProductTerm(host, k, base);
        UnionSS(host, s, t);
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
    const Vals complete = SortedVals(LineSetToFactor(polling, whole));
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
