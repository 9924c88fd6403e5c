#include "reference.h"
#include "strategy/term.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

namespace nvx {
namespace {

using test::Bytes;
using test::ListedVals;
using test::RecordingHost;
using test::SortedVals;
using V = std::vector<int>;
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

TEST(TermTest, MakeTermSplitsOffTheAgreedDivisions) {
    RecordingHost host;
    TFactor single{{1, 2}, {{2, 1}}};
    TTerm t = MakeTerm(host, single);
    EXPECT_EQ(Bytes(t.MaxEval.Dom), (V{1, 2}));
    EXPECT_EQ(Bytes(t.MaxEval.Val), (V{2, 1}));
    EXPECT_TRUE(t.Factors.empty());
    EXPECT_TRUE(single.EvalList.empty() && single.Dom.empty());

    TFactor f{{1, 2, 3}, {{2, 0, 1}, {2, 1, 0}}};
    TTerm u = MakeTerm(host, f);
    EXPECT_EQ(Bytes(u.MaxEval.Dom), (V{1, 2, 3}));
    EXPECT_EQ(Bytes(u.MaxEval.Val), (V{2, 1, 1}));
    ASSERT_EQ(u.Factors.size(), 1u);
    EXPECT_EQ(Bytes(u.Factors[0].Dom), (V{2, 3}));
    EXPECT_EQ(ListedVals(u.Factors[0]), (Vals{{1, 0}, {0, 1}}));
    CheckTerm(host, u);
    EXPECT_EQ(Bytes(FixedPart(host, u).Dom), V{1});
    EXPECT_EQ(Bytes(MinEval(host, u).Val), (V{2, 0, 0}));
    EXPECT_TRUE(host.errors.empty());

    TFactor empty = InitFactor({1, 2});
    TTerm e = MakeTerm(host, empty);
    EXPECT_EQ(host.errorCodes(), std::vector<std::uint16_t>{3012});
    EXPECT_EQ(host.errors[0].text,
              "Cannot MakeTerm of Factor with empty EvalList. What is MaxEval.Val?");
    EXPECT_TRUE(HasEmptyFactor(e)); // the term of no strategy
}

TEST(TermTest, NormalizeCapsFactorsAtWhatTheOthersAllow) {
    RecordingHost host;
    // Division 2 lies in both factors; the second cannot give more than 1 there.
    TTerm t{{{1, 2, 3}, {3, 3, 3}},
            {TFactor{{1, 2}, {{2, 0}, {0, 2}}}, TFactor{{2, 3}, {{1, 0}, {0, 1}}}}};
    const test::RefSet before = test::BruteExpand(t);
    NormalizeTerm(host, t);
    EXPECT_EQ(Bytes(t.MaxEval.Val), (V{2, 1, 1}));
    for (const TFactor& f : t.Factors)
        EXPECT_EQ(Bytes(MaxOfFactor(host, f)),
                  Bytes(RestrictVal(host, t.MaxEval.Dom, t.MaxEval.Val, f.Dom)));
    EXPECT_EQ(test::BruteExpand(t), before);
    RegroupFactors(host, t);
    EXPECT_EQ(test::BruteExpand(t), before);
    EXPECT_TRUE(host.errors.empty());
}

TEST(TermTest, SplitDividesTheStrategiesOnTheFirstVal) {
    RecordingHost host;
    TTerm t{{{1, 2, 3, 4}, {2, 2, 2, 2}},
            {TFactor{{1, 2}, {{2, 0}, {0, 2}, {1, 1}}}, TFactor{{3, 4}, {{2, 0}, {0, 2}}}}};
    CheckTerm(host, t);
    const test::RefSet all = test::BruteExpand(t);
    TTerm first;
    split(host, t, first);
    // `first` chose (2,0) in the first factor.
    for (const auto& s : test::BruteExpand(first)) {
        EXPECT_EQ(s.at(1), 2);
        EXPECT_EQ(s.at(2), 0);
    }
    EXPECT_EQ(test::RefUnion(test::BruteExpand(first), test::BruteExpand(t)), all);
    EXPECT_EQ(test::BruteExpand(first).size() + test::BruteExpand(t).size(), all.size());
    EXPECT_TRUE(host.errors.empty());

    TTerm noFactor = TermOfEval({{1}, {1}});
    TTerm out = TermOfEval({{1}, {1}});
    split(host, noFactor, out);
    EXPECT_EQ(host.errorCodes(), std::vector<std::uint16_t>{3015});
    EXPECT_EQ(host.errors[0].text, "Cannot split");
    EXPECT_EQ(out.MaxEval, EmptyEval);
}

TEST(TermTest, ChecksOfTheTermInvariants) {
    RecordingHost host;
    CheckTerm(host, TermOfEval(EmptyEval));
    EXPECT_EQ(host.errorCodes(), std::vector<std::uint16_t>{307});
    EXPECT_EQ(host.errors[0].text, "Empty MaxEval");
    host.clear();
    const TTerm bad{{{1, 2}, {1, 1}},
                    {InitFactor({1}), TFactor{{}, {{}, {}}}, TFactor{{3}, {{0}, {1}}},
                     TFactor{{1, 2}, {{0, 1}, {1, 0}}}, TFactor{{1}, {{0}, {2}}}}};
    CheckTerm(host, bad);
    EXPECT_EQ(host.errorCodes(), (std::vector<std::uint16_t>{308, 309, 3010, 3011}));
    EXPECT_EQ(host.errors[0].text, "Hele term zou nil = leeg moeten zijn");
    EXPECT_EQ(host.errors[1].text, "Factor kan net zo goed weg");
    EXPECT_EQ(host.errors[2].text, "MaxEval not complete");
    EXPECT_EQ(host.errors[3].text, "Max of Factor not always smaller than or equal to MaxEval");

    // A one-Val factor that still has divisions: reported, and its Val is kept
    // in MaxEval so that the term still means the same.
    host.clear();
    TTerm t{{{1, 2}, {3, 3}}, {TFactor{{2}, {{1}}}, TFactor{{1}, {}}}};
    EXPECT_TRUE(RemoveTrivialFactors(host, t));
    EXPECT_EQ(host.errorCodes(), std::vector<std::uint16_t>{3013});
    EXPECT_EQ(host.errors[0].text, "unexpected, call to ExtractSingleValues forgotten?");
    EXPECT_EQ(Bytes(t.MaxEval.Val), (V{3, 1}));
    ASSERT_EQ(t.Factors.size(), 1u); // the empty factor stays
    host.clear();
    NormalizeTerm(host, t);
    EXPECT_EQ(host.errorCodes(), std::vector<std::uint16_t>{3014});
    EXPECT_EQ(host.errors[0].text, "This procedure should not make T empty. Was T empty already?");
}

TEST(StratSetTest, UnionKeepsOnlyUndominatedStrategies) {
    RecordingHost host;
    TStratSet a = SingleStratSet({{1, 2}, {2, 1}});
    TStratSet b = CopyStratSet(a);
    UnionSS(host, a, b);
    EXPECT_EQ(a.size(), 1u);
    EXPECT_TRUE(b.empty());

    TStratSet low = SingleStratSet({{1, 2}, {1, 1}});
    TStratSet high = SingleStratSet({{1, 2}, {2, 2}});
    UnionSS(host, low, high);
    ASSERT_EQ(low.size(), 1u);
    EXPECT_TRUE(low.front().Factors.empty());
    EXPECT_EQ(Bytes(low.front().MaxEval.Val), (V{2, 2}));

    TStratSet left = SingleStratSet({{1, 2}, {2, 0}});
    TStratSet right = SingleStratSet({{1, 2}, {0, 2}});
    UnionSS(host, left, right);
    ASSERT_EQ(left.size(), 1u);
    ASSERT_EQ(left.front().Factors.size(), 1u);
    EXPECT_EQ(SortedVals(left.front().Factors[0]), (Vals{{0, 2}, {2, 0}}));

    // The empty set is neutral for the union.
    TStratSet none;
    UnionSS(host, none, left);
    EXPECT_EQ(none.size(), 1u);
    TStratSet none2;
    UnionSS(host, none, none2);
    EXPECT_EQ(Expanded(host, none), (Vals{{0, 2}, {2, 0}}));
    EXPECT_TRUE(host.errors.empty());
}

TEST(StratSetTest, ProductTakesTheDefendersChoice) {
    RecordingHost host;
    TStratSet s1 = SetOf(host, {1, 2}, {{2, 0}, {0, 2}});
    TStratSet s2 = SetOf(host, {2, 3}, {{1, 1}, {2, 0}});
    ASSERT_EQ(s1.size(), 1u);
    ASSERT_EQ(s2.size(), 1u);
    ProductSS(host, s1, s2);
    EXPECT_TRUE(s2.empty());
    TFactor f = StratSetToFactor(host, s1);
    EXPECT_TRUE(s1.empty());
    EXPECT_EQ(Bytes(f.Dom), (V{1, 2, 3}));
    // (2,0,0) is dominated by (2,0,1). The order follows from the front
    // insertions of every step (worked out by hand).
    EXPECT_EQ(ListedVals(f), (Vals{{2, 0, 1}, {0, 1, 1}, {0, 2, 0}}));

    // SingleStratSet(EmptyEval) is neutral.
    TStratSet unit = SingleStratSet(EmptyEval);
    TStratSet s = SetOf(host, {0, 4, 5}, {{3, 0, 1}, {0, 3, 1}, {1, 1, 2}});
    const Vals expect = Expanded(host, s);
    ProductSS(host, unit, s);
    EXPECT_EQ(Expanded(host, unit), expect);
    // The empty set annihilates.
    TStratSet empty;
    ProductSS(host, unit, empty);
    EXPECT_TRUE(unit.empty());
    EXPECT_TRUE(host.errors.empty());
}

TEST(StratSetTest, ConcatKeepsTheSingleFactorTermFirst) {
    RecordingHost host;
    // Two real products and two single-factor sets.
    TStratSet p1 = SetOf(host, {1, 2}, {{2, 0}, {0, 2}});
    TStratSet q1 = SetOf(host, {3, 4}, {{2, 0}, {0, 2}});
    ProductSS(host, p1, q1);
    TStratSet p2 = SetOf(host, {1, 2}, {{3, 0}, {0, 3}});
    TStratSet q2 = SetOf(host, {3, 4}, {{3, 0}, {0, 3}});
    ProductSS(host, p2, q2);
    ASSERT_EQ(p1.size(), 1u);
    ASSERT_TRUE(IsRealProduct(p1.front().Factors));
    TStratSet single = SetOf(host, {1, 2, 3, 4}, {{1, 1, 1, 1}});
    const Vals all = [&] {
        TStratSet a = p1, b = p2, c = single;
        TFactor fa = StratSetToFactor(host, a), fb = StratSetToFactor(host, b),
                fc = StratSetToFactor(host, c);
        TFactor ab = UnionFactors(host, fa, fb);
        return SortedVals(UnionFactors(host, ab, fc));
    }();
    ConcatSS(host, p1, single); // the single-strategy term goes in front
    ASSERT_EQ(p1.size(), 2u);
    EXPECT_TRUE(p1.front().Factors.empty());
    ConcatSS(host, p1, p2);
    ASSERT_EQ(p1.size(), 3u);
    EXPECT_TRUE(p2.empty());
    EXPECT_FALSE(IsRealProduct(p1.front().Factors));
    for (auto it = std::next(p1.begin()); it != p1.end(); ++it)
        EXPECT_TRUE(IsRealProduct(it->Factors));
    EXPECT_EQ(Expanded(host, p1), all);

    // Two sets that both begin with a non-product: their first terms merge.
    TStratSet x = SetOf(host, {1, 2, 3, 4}, {{2, 2, 0, 0}});
    TStratSet y = SetOf(host, {1, 2, 3, 4}, {{0, 0, 2, 2}});
    ConcatSS(host, p1, x);
    ConcatSS(host, y, p1);
    EXPECT_TRUE(p1.empty());
    EXPECT_EQ(y.size(), 3u);
    ASSERT_EQ(y.front().Factors.size(), 1u);
    for (auto it = std::next(y.begin()); it != y.end(); ++it)
        EXPECT_TRUE(IsRealProduct(it->Factors));
    EXPECT_TRUE(host.errors.empty());

    TStratSet other = SingleStratSet({{1, 5}, {1, 1}});
    ConcatSS(host, y, other);
    EXPECT_EQ(host.errorCodes(), std::vector<std::uint16_t>{3020});
    EXPECT_EQ(host.errors[0].text, "ConcatSS: Domains not equal");
    EXPECT_TRUE(other.empty());
}

TEST(StratSetTest, NodeAndListChecks) {
    RecordingHost host;
    TTerm empty{{{1}, {1}}, {InitFactor({1})}};
    TStratSet next = SingleStratSet({{1}, {2}});
    TStratSet s = NewStratNode(host, empty, next);
    EXPECT_EQ(host.errorCodes(), (std::vector<std::uint16_t>{3016, 3017}));
    EXPECT_EQ(host.errors[0].text, "should not add empty term");
    EXPECT_EQ(host.errors[1].text, "only first term may not be a real product");
    EXPECT_EQ(s.size(), 1u); // the empty term holds nothing and is not added
    EXPECT_TRUE(next.empty());

    host.clear();
    TStratSet none;
    PopTerm(host, none);
    TFactor f = StratSetToFactor(host, none);
    EXPECT_TRUE(f.EvalList.empty());
    EXPECT_EQ(host.errorCodes(), (std::vector<std::uint16_t>{3018, 3019}));
    EXPECT_EQ(host.errors[0].text, "Empty List");
    EXPECT_EQ(host.errors[1].text, "unexpected");
}

TEST(TermTest, SubsumptionOfSmallTerms) {
    RecordingHost host;
    const TStratSet wide = SetOf(host, {1, 2}, {{2, 0}, {0, 2}});
    const TTerm& w = wide.front();
    EXPECT_TRUE(TermSubsumed(host, w, w));
    EXPECT_TRUE(TermSubsumed(host, TermOfEval({{1, 2}, {1, 0}}), w));
    EXPECT_FALSE(TermSubsumed(host, TermOfEval({{1, 2}, {1, 1}}), w));
    EXPECT_FALSE(TermSubsumed(host, w, TermOfEval({{1, 2}, {2, 1}})));
    EXPECT_TRUE(TermSubsumed(host, w, TermOfEval({{1, 2}, {2, 2}})));
    // Every strategy of the first is matched, but by different strategies.
    const TStratSet narrow = SetOf(host, {1, 2}, {{1, 0}, {0, 1}});
    EXPECT_TRUE(TermSubsumed(host, narrow.front(), w));
    EXPECT_FALSE(TermSubsumed(host, w, narrow.front()));
    const TTerm nothing{{{1, 2}, {0, 0}}, {InitFactor({1})}};
    EXPECT_TRUE(TermSubsumed(host, nothing, w));
    EXPECT_FALSE(TermSubsumed(host, w, nothing));
    EXPECT_TRUE(host.errors.empty());
}

// --- interruption --------------------------------------------------------------------

// One real-product term over base..base+3: two factors of two Vals; the
// shapes k = 0, 1, 2 subsume none of the others, shape 3 subsumes shape 0.
TStratSet ProductTerm(Host& host, int k, std::uint8_t base) {
    static const Vals shapes[4] = {
        {{3, 0}, {0, 3}}, {{2, 1}, {1, 2}}, {{3, 1}, {0, 2}}, {{3, 1}, {1, 3}}};
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

TEST(StratSetTest, UnionDropsSubsumedTermsOfEitherSide) {
    RecordingHost host;
    for (int order = 0; order < 2; ++order) {
        TStratSet small = ProductTerm(host, 0, 0);
        TStratSet big = ProductTerm(host, 3, 0);
        ASSERT_TRUE(IsRealProduct(small.front().Factors));
        const Vals expect = Expanded(host, big);
        if (order == 0) {
            UnionSS(host, small, big);
            ASSERT_EQ(small.size(), 1u);
            EXPECT_EQ(Expanded(host, small), expect);
        } else {
            UnionSS(host, big, small);
            ASSERT_EQ(big.size(), 1u);
            EXPECT_EQ(Expanded(host, big), expect);
        }
    }
    // Neither subsumes the other: both stay, in order.
    TStratSet a = ProductTerm(host, 1, 0), b = ProductTerm(host, 2, 0);
    const TTerm second = b.front();
    UnionSS(host, a, b);
    ASSERT_EQ(a.size(), 2u);
    EXPECT_EQ(a.back(), second);
    EXPECT_TRUE(host.errors.empty());
}

TEST(InterruptTest, ProductPollsAtLeastOncePerPairAndStopsEarly) {
    RecordingHost host;
    TStratSet a = ThreeTerms(host, 0);
    TStratSet b = ThreeTerms(host, 4);
    ASSERT_EQ(a.size(), 3u);
    b.pop_back();
    host.clear();
    ProductSS(host, a, b);
    // Once per pair, and once per term the unions compare.
    EXPECT_GE(host.pendingEventCalls, 6);
    EXPECT_FALSE(a.empty());

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
    struct StopAfter : RecordingHost {
        int polls = 0, allowed = 1000000;
        bool stopRequested() override { return ++polls > allowed; }
    } host;
    TStratSet s = ThreeTerms(host, 0);
    ASSERT_EQ(s.size(), 3u);
    const TDom dom = s.front().MaxEval.Dom;
    TStratSet copy = s;
    const Vals complete = SortedVals(StratSetToFactor(host, copy));

    // A stop request seen at the first poll cuts the expansion short, even
    // inside the first term, yet every Val still covers the whole division set
    // so that nothing downstream reports a broken invariant.
    host.polls = 0;
    host.allowed = 0;
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
    EXPECT_EQ(host.errors[0].code, 3023);
    EXPECT_EQ(host.errors[0].text, "This software will not function correct on this system");
}

} // namespace
} // namespace nvx
