// The strategy algebra against the naive model on thousands of random cases.
// Every case is seeded, so a failure names the seed that reproduces it.
#include "reference.h"
#include "strategy/term.h"
#include "support/recording_host.h"
#include "support/test_scale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace nvx {
namespace {

using test::BruteExpand;
using test::RecordingHost;
using test::RefSet;
using test::Rng;
using test::SortedVals;

constexpr std::uint32_t Trees = test::Scaled(5000);
constexpr std::uint32_t TermSeeds = test::Scaled(160);

// Checks the invariants of a line set over d: every term non-empty, over
// d, passing CheckTerm, and only the first one not a real product.
void ExpectSetInvariants(RecordingHost& host, const LineSet& s, const Dom& d) {
    bool first = true;
    for (const Term& t : s) {
        EXPECT_FALSE(HasEmptyFactor(t));
        EXPECT_EQ(t.MaxEval.Dom, d);
        EXPECT_TRUE(first || IsRealProduct(t.Factors));
        CheckTerm(host, t);
        first = false;
    }
}

void Times(RecordingHost& host, Term& t, Factor f) {
    Term q = MakeTerm(host, f);
    t = ProductOfTerms(host, t, q);
}

// d cut into at most n non-empty disjoint parts, each ascending.
std::vector<Dom> DisjointParts(Rng& rng, const Dom& d, unsigned n) {
    n = std::min<unsigned>(n, static_cast<unsigned>(d.size()));
    std::vector<Dom> parts(n);
    for (std::size_t i = 0; i < d.size(); ++i)
        parts[i < n ? i : rng.below(n)].push_back(d[i]);
    for (Dom& p : parts)
        std::sort(p.begin(), p.end());
    return parts;
}

struct Built {
    LineSet set;
    RefSet ref;
};

// Builds random trees of unions and products as the solver does: the operands
// of a union share one division set; a product combines sets over subsets of
// the division set that together cover it and may overlap.
class TreeBuilder {
  public:
    TreeBuilder(RecordingHost& host, Rng& rng, unsigned maxTricks)
        : host_(host), rng_(rng), maxTricks_(maxTricks) {}

    // Unions and products mostly alternate, as declarer's and the defenders'
    // turns do; the last level is made of single evaluations.
    Built build(const Dom& d, int depth, bool underUnion = false) {
        Built b;
        enum { Leaf, Union, Product } kind = Leaf;
        if (strict) {
            if (depth > 0) kind = depth % 2 == 1 ? Union : Product;
        } else if (depth > 0 && rng_.chance(90)) {
            const bool usual = rng_.chance(75);
            kind = usual == underUnion ? Product : Union;
        }
        if (kind == Leaf) {
            const Eval e = test::RandomEval(rng_, d, maxTricks_);
            b.set = SingleLineSet(e);
            b.ref = {test::RefOfEval(e)};
        } else if (kind == Union) { // declarer's choice
            const unsigned n = 2 + rng_.below(strict ? 2 : 4);
            for (unsigned i = 0; i < n; ++i) {
                Built c = build(d, depth - 1, true);
                UnionSS(host_, b.set, c.set);
                EXPECT_TRUE(c.set.empty());
                b.ref = test::RefUnion(b.ref, c.ref);
            }
        } else { // the defenders' choice
            unsigned n = 2 + rng_.below(strict ? 1 : 2);
            std::vector<Dom> parts(n);
            if (rng_.chance(75) && d.size() >= 2) {
                // Disjoint parts, as when the defenders' card tells which
                // divisions remain.
                parts = DisjointParts(rng_, d, n);
                n = static_cast<unsigned>(parts.size());
            } else {
                for (Dom& p : parts)
                    p = test::RandomSubset(rng_, d, 55);
                for (std::uint8_t x : d) { // every division in some part
                    bool covered = false;
                    for (const Dom& p : parts)
                        covered = covered || DomSubset(Dom{x}, p);
                    if (!covered) {
                        Dom& p = parts[rng_.below(n)];
                        p = DomUnion(p, Dom{x});
                    }
                }
            }
            const bool fromUnit = rng_.chance(75);
            if (fromUnit) {
                b.set = SingleLineSet(EmptyEval);
                b.ref = {test::RefLine{}};
            }
            for (unsigned i = 0; i < n; ++i) {
                Built c = build(parts[i], depth - 1);
                if (!fromUnit && i == 0) {
                    b = std::move(c);
                    continue;
                }
                LineSet want = b.set, other = c.set;
                test::ProductSSPairByPair(host_, want, other);
                ProductSS(host_, b.set, c.set);
                EXPECT_TRUE(c.set.empty());
                EXPECT_EQ(b.set, want) << "depth " << depth;
                b.ref = test::RefProduct(b.ref, c.ref);
            }
        }
        ExpectSetInvariants(host_, b.set, d);
        if (kind != Leaf) {
            // Every intermediate set multiplies out to the model's strategies.
            LineSet copy = b.set, again = b.set;
            const Factor f = LineSetToFactor(host_, copy);
            EXPECT_EQ(SortedVals(f), SortedVals(b.ref, d)) << "depth " << depth;
            EXPECT_EQ(f, test::LineSetToFactorTermByTerm(host_, again)) << "depth " << depth;
            multiTermNodes += b.set.size() > 1;
            multiTermProducts += kind == Product && b.set.size() > 1;
        }
        collect(b.set, d);
        return b;
    }

    int multiTermNodes = 0, multiTermProducts = 0;
    // Strictly alternating levels: products on even depths, unions on odd.
    bool strict = false;

    // Terms seen over the division set of interest.
    std::vector<Term> pool;
    Dom poolDom;

  private:
    void collect(const LineSet& s, const Dom& d) {
        if (!(d == poolDom)) return;
        for (const Term& t : s)
            if (pool.size() < 60 && test::CombinationCount(t) <= 4096) pool.push_back(t);
    }

    RecordingHost& host_;
    Rng& rng_;
    unsigned maxTricks_;
};

// Admits a Val when its weighted sum comes within `slack` of the highest sum
// noted: upward closed, as the weights are positive, and narrowing as higher
// sums are noted.
class SumFilter final : public StrategyFilter {
  public:
    SumFilter(std::vector<int> weights, int slack) : weights_(std::move(weights)), slack_(slack) {}
    class AtLeast final : public Test {
      public:
        AtLeast(const SumFilter& f, int least) : f_(f), least_(least) {}
        bool Admits(Host&, const Val& v) const override { return f_.Sum(v) >= least_; }

      private:
        const SumFilter& f_;
        int least_;
    };
    std::shared_ptr<const Test> Now() const override {
        return std::make_shared<AtLeast>(*this, best_ - slack_);
    }
    void Note(Host&, const Val& v) override { best_ = std::max(best_, Sum(v)); }
    int Sum(const Val& v) const {
        int sum = 0;
        for (std::size_t i = 0; i < v.size(); ++i)
            sum += weights_[i] * v[i];
        return sum;
    }

  private:
    std::vector<int> weights_;
    int slack_;
    int best_ = 0;
};

TEST(RandomAlgebraTest, UnionAndProductTreesMatchTheModel) {
    RecordingHost host;
    int multiTermNodes = 0, multiTermProducts = 0, maxVals = 0, hadStrategiesAtLeast = 0;
    std::size_t filteredOut = 0;
    for (std::uint32_t seed = 1; seed <= Trees; ++seed) {
        Rng rng(seed);
        TreeBuilder builder(host, rng, 1 + rng.below(3));
        Dom d;
        do
            d = test::RandomDom(rng, 14, 10);
        while (d.size() < 4);
        // Every fifth tree alternates strictly, to multiply sets of many terms.
        builder.strict = seed % 5 == 0;
        const int depth = builder.strict ? 4 : 3 + static_cast<int>(rng.below(2));
        Built b = builder.build(d, depth);
        ASSERT_FALSE(b.set.empty()) << "seed " << seed;
        // The strategies at least a bound near one of the set's strategies,
        // lowered here and there and now and then raised, without
        // multiplying the set out.
        {
            const test::RefLine& near = b.ref[rng.below(static_cast<unsigned>(b.ref.size()))];
            Eval e{d, Val::withLength(d.size())};
            for (std::size_t i = 0; i < d.size(); ++i) {
                const int x = near.at(d[i]) + (rng.chance(10) ? 1 : 0) - (rng.chance(30) ? 1 : 0);
                e.Val[i] = static_cast<std::uint8_t>(std::max(x, 0));
            }
            RefSet atLeast;
            for (const test::RefLine& x : b.ref)
                if (test::RefLE(test::RefOfEval(e), x)) atLeast.push_back(x);
            EXPECT_EQ(HasStrategyAtLeast(host, b.set, e), !atLeast.empty()) << "seed " << seed;
            const Factor kept = StrategiesAtLeast(host, b.set, e);
            EXPECT_EQ(SortedVals(kept), SortedVals(atLeast, d)) << "seed " << seed;
            hadStrategiesAtLeast += !atLeast.empty();
        }
        // With a filter: the Vals of the whole factor that the filter admits
        // in the end, in their order.
        LineSet some = b.set;
        std::vector<int> weights;
        for (std::size_t i = 0; i < d.size(); ++i)
            weights.push_back(1 + static_cast<int>(rng.below(4)));
        SumFilter filter(weights, static_cast<int>(rng.below(6)));
        const Factor filtered = LineSetToFactor(host, some, &filter);
        Factor f = LineSetToFactor(host, b.set);
        EXPECT_TRUE(b.set.empty());
        {
            const std::shared_ptr<const StrategyFilter::Test> last = filter.Now();
            Factor want = f;
            want.EvalList.walk([&](const Val& v) {
                return last->Admits(host, v) ? WalkStep::Keep : WalkStep::Remove;
            });
            EXPECT_EQ(test::ListedVals(filtered), test::ListedVals(want)) << "seed " << seed;
            filteredOut += CountVals(f) - CountVals(want);
        }
        EXPECT_EQ(f.Dom, d) << "seed " << seed;
        EXPECT_EQ(SortedVals(f), SortedVals(b.ref, d)) << "seed " << seed;
        EXPECT_EQ(SortedVals(f).size(), CountVals(f)) << "seed " << seed;
        maxVals = std::max(maxVals, static_cast<int>(CountVals(f)));
        multiTermNodes += builder.multiTermNodes;
        multiTermProducts += builder.multiTermProducts;
        if (::testing::Test::HasFailure() || !host.errors.empty()) {
            ADD_FAILURE() << "seed " << seed << " fails"
                          << (host.errors.empty() ? "" : " with an internal error");
            break;
        }
    }
    // The cases must reach sets of several terms and sizeable Pareto fronts.
    EXPECT_GT(multiTermNodes, static_cast<int>(Trees / 5));
    EXPECT_GT(multiTermProducts, static_cast<int>(Trees / 50));
    EXPECT_GE(maxVals, 25);
    EXPECT_GT(filteredOut, static_cast<std::size_t>(Trees));
    // Bounds that some strategies reach and bounds that none does.
    EXPECT_GT(hadStrategiesAtLeast, static_cast<int>(Trees / 5));
    EXPECT_LT(hadStrategiesAtLeast, static_cast<int>(Trees * 4 / 5));
}

// Builds a term as a product of single-factor terms: over disjoint parts of
// d, and now and then one more factor that overlaps them.
Term RandomProductTerm(RecordingHost& host, Rng& rng, const Dom& d) {
    Term t = TermOfEval(ConstEvalOver(d, 3));
    std::vector<Dom> parts = DisjointParts(rng, d, 2 + rng.below(2));
    if (rng.chance(50)) parts.push_back(test::RandomSubset(rng, d, 40));
    for (const Dom& p : parts) {
        Factor f = test::RandomFactor(host, rng, p, 5, 3);
        for (int tries = 0; tries < 20 && CountVals(f) < 2; ++tries)
            f = test::RandomFactor(host, rng, p, 5, 3);
        Times(host, t, std::move(f));
    }
    return t;
}

// The terms of interest over one division set: those met in random trees,
// random products of factors, and the pieces that split cuts them into.
std::vector<Term> TermPool(RecordingHost& host, std::uint32_t seed, Dom& d) {
    Rng rng(seed);
    do
        d = test::RandomDom(rng, 10, 7);
    while (d.size() < 4);
    TreeBuilder builder(host, rng, 2 + rng.below(2));
    builder.poolDom = d;
    for (int i = 0; i < 6 && builder.pool.size() < 30; ++i)
        builder.build(d, 2);
    std::vector<Term> pool = std::move(builder.pool);
    for (int i = 0; i < 12; ++i) {
        Term t = RandomProductTerm(host, rng, d);
        if (test::CombinationCount(t) <= 4096) pool.push_back(std::move(t));
    }
    const std::size_t n = pool.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (pool[i].Factors.empty()) continue;
        // The pieces split cuts it into.
        Term rest = pool[i], first;
        split(host, rest, first);
        pool.push_back(std::move(first));
        pool.push_back(std::move(rest));
        // Part of its strategies, all of them lowered somewhere.
        Term low = pool[i];
        for (std::uint8_t& x : low.MaxEval.Val)
            if (x > 0 && rng.chance(25)) --x;
        NormalizeTerm(host, low);
        RegroupFactors(host, low);
        pool.push_back(std::move(low));
    }
    return pool;
}
// A product of many small overlapping factors over d, as the search builds
// them, with values up to maxTricks; now and then one factor of many Vals.
Term RandomLargeTerm(RecordingHost& host, Rng& rng, const Dom& d, unsigned maxTricks) {
    Term t = TermOfEval(ConstEvalOver(d, static_cast<std::uint8_t>(maxTricks)));
    const unsigned factors = 4 + rng.below(6);
    for (unsigned k = 0; k < factors; ++k) {
        const Dom part = test::RandomSubset(rng, d, 10 + rng.below(30));
        const bool many = rng.chance(5) && part.size() >= 6;
        Factor f = test::RandomFactor(host, rng, part, many ? 150 : 6, maxTricks);
        if (CountVals(f) >= 2) Times(host, t, std::move(f));
    }
    return t;
}

// Terms of a pool with fewer strategies, or lower ones: each is subsumed by
// the term it comes from, which the test must find through the deep part.
Term LesserTerm(RecordingHost& host, Rng& rng, const Term& t, const Dom& d, unsigned maxTricks) {
    Term r = t;
    if (rng.chance(50) && !r.Factors.empty()) {
        // Without some Vals of one factor.
        Factor& f = r.Factors[rng.below(static_cast<unsigned>(r.Factors.size()))];
        while (CountVals(f) > 2 && rng.chance(60))
            PopVal(host, f.EvalList);
    } else {
        // Times one more factor: every strategy lowered somewhere or not at all.
        Times(host, r, test::RandomFactor(host, rng, test::RandomSubset(rng, d, 20), 4, maxTricks));
    }
    NormalizeTerm(host, r);
    RegroupFactors(host, r);
    return r;
}

// A set of terms over d that share some factors, as the sets the search
// multiplies do: each term is the product of two of `shared` and one factor
// of its own.
LineSet SetSharingFactors(RecordingHost& host, Rng& rng, const Dom& d,
                          const std::vector<Factor>& shared, unsigned terms) {
    LineSet s;
    for (unsigned k = 0; k < terms; ++k) {
        Term t = TermOfEval(ConstEvalOver(d, static_cast<std::uint8_t>(3 + rng.below(2))));
        for (unsigned i : {rng.below(static_cast<unsigned>(shared.size())),
                           rng.below(static_cast<unsigned>(shared.size()))})
            Times(host, t, shared[i]);
        Times(host, t, test::RandomFactor(host, rng, test::RandomSubset(rng, d, 30), 4, 3));
        if (IsRealProduct(t.Factors)) s.push_back(std::move(t));
    }
    return s;
}

// A term of two long factors over eight divisions, overlapping on one, so
// that multiplying them out takes the products by totals. Vals with the same
// total do not beat one another, so every one added stays.
Term LongProductTerm(RecordingHost& host, Rng& rng) {
    const Dom d{0, 1, 2, 3, 4, 5, 6, 7};
    Term t = TermOfEval(ConstEvalOver(d, 12));
    for (const Dom& part : {Dom{0, 1, 2, 3, 4}, Dom{4, 5, 6, 7}}) {
        Factor f = InitFactor(part);
        for (int i = 0; i < 80; ++i) {
            Val v = Val::filled(part.size(), 0);
            for (int trick = 0; trick < 12; ++trick)
                ++v[rng.below(static_cast<unsigned>(part.size()))];
            AddVal(host, f, v);
        }
        Times(host, t, std::move(f));
    }
    return t;
}

// Every term of the pools (and now and then a long product) against the brute
// expansion: the subsumption test on every pair; each term multiplied out,
// whole and under a bound, split in two, and restricted to the strategies at
// least as good as a bound between its worst and best values. The bounded
// expansion keeps exactly the uncovered Vals, in the order of the whole one.
TEST(RandomAlgebraTest, PoolTermsMatchTheBruteExpansion) {
    RecordingHost host;
    int productsTrue = 0, productsFalse = 0;
    int restricted = 0, emptied = 0, kept = 0, longTerms = 0;
    std::size_t dropped = 0, uncovered = 0;
    for (std::uint32_t seed = 1; seed <= TermSeeds; ++seed) {
        Dom d;
        std::vector<Term> pool = TermPool(host, seed, d);
        std::vector<RefSet> expanded;
        for (const Term& t : pool)
            expanded.push_back(BruteExpand(t));
        for (std::size_t i = 0; i < pool.size(); ++i)
            for (std::size_t j = 0; j < pool.size(); ++j) {
                const bool got = TermSubsumed(host, pool[i], pool[j]);
                ASSERT_EQ(got, test::RefSubsumed(expanded[i], expanded[j]))
                    << "seed " << seed << " terms " << i << ", " << j;
                // Distinct terms that are both real products: the hard cases.
                if (i != j && IsRealProduct(pool[i].Factors) && IsRealProduct(pool[j].Factors))
                    ++(got ? productsTrue : productsFalse);
            }
        // A term without strategies is subsumed by every term and subsumes none.
        const Term nothing{ConstEvalOver(d, 0), {InitFactor(Dom{d[0]})}};
        for (const Term& t : pool) {
            EXPECT_TRUE(TermSubsumed(host, nothing, t));
            EXPECT_FALSE(TermSubsumed(host, t, nothing));
        }

        Rng rng(seed * 7 + 3);
        if (seed % 4 == 0) pool.push_back(LongProductTerm(host, rng));
        for (std::size_t n = 0; n < pool.size(); ++n) {
            const Term& t = pool[n];
            const bool longTerm = n >= expanded.size(); // too long to expand by brute force
            const RefSet& all = longTerm ? RefSet{} : expanded[n];
            Term copy = t;
            const Factor f = ExpandTerm(host, copy);
            if (!longTerm) {
                ASSERT_EQ(SortedVals(f), SortedVals(all, d)) << "seed " << seed;
            }
            EXPECT_EQ(f.Dom, t.MaxEval.Dom);
            EXPECT_TRUE(copy.Factors.empty() && copy.MaxEval == EmptyEval);
            longTerms += test::CombinationCount(t) >= 4096;

            if (seed % 4 == 0) { // under a bound: a quarter of the pools
                // Some of the strategies covered: a few of them, lowered here and there.
                const std::vector<std::vector<int>> listed = test::ListedVals(f);
                std::vector<std::vector<int>> held, want;
                for (std::size_t k = 0; k < 3 + listed.size() / 20 && !listed.empty(); ++k) {
                    std::vector<int> h = listed[rng.below(static_cast<unsigned>(listed.size()))];
                    for (int& x : h)
                        if (x > 0 && rng.chance(20)) --x;
                    held.push_back(h);
                }
                const auto covered = [&](const std::vector<int>& v) {
                    return std::any_of(held.begin(), held.end(), [&](const std::vector<int>& h) {
                        return std::equal(v.begin(), v.end(), h.begin(), std::less_equal<int>());
                    });
                };
                for (const auto& v : listed)
                    if (!covered(v)) want.push_back(v);
                dropped += listed.size() - want.size();
                uncovered += want.size();
                // Asked about the last two products only, and about every
                // product as long as the tally finds it worth it.
                BoundYield yield{.manyPairs = 0};
                for (BoundYield* tally : {static_cast<BoundYield*>(nullptr), &yield}) {
                    const ExpansionBound bound{t.MaxEval,
                                               [&](const Val& v, unsigned) {
                                                   return covered(
                                                       std::vector<int>(v.begin(), v.end()));
                                               },
                                               tally,
                                               {}};
                    Term bounded = t;
                    ASSERT_EQ(test::ListedVals(ExpandTerm(host, bounded, &bound)), want)
                        << "seed " << seed;
                }
            }
            if (longTerm) continue;

            if (!t.Factors.empty()) {
                Term rest = t, first;
                split(host, rest, first);
                EXPECT_EQ(test::RefUnion(BruteExpand(first), BruteExpand(rest)), all)
                    << "seed " << seed;
            }
            const Eval mn = MinEval(host, t);
            for (int k = 0; k < 4; ++k) {
                Eval e = mn;
                for (std::size_t i = 0; i < e.Val.size() && k > 0; ++i) {
                    const int span = t.MaxEval.Val[i] - mn.Val[i];
                    if (k == 3 && !all.empty()) { // near a strategy of the term
                        const int x = all[rng.below(static_cast<unsigned>(all.size()))].at(d[i]);
                        e.Val[i] = static_cast<std::uint8_t>(x - (rng.chance(30) && x > mn.Val[i]));
                    } else {
                        e.Val[i] = static_cast<std::uint8_t>(mn.Val[i] + rng.below(span + 1));
                    }
                }
                RefSet atLeast;
                for (const auto& s : all)
                    if (test::RefLE(test::RefOfEval(e), s)) atLeast.push_back(s);
                Term r = t;
                RestrictTermAtLeast(host, r, e);
                ++restricted;
                if (HasEmptyFactor(r)) {
                    EXPECT_TRUE(atLeast.empty()) << "seed " << seed;
                    ++emptied;
                } else {
                    ASSERT_EQ(BruteExpand(r), atLeast) << "seed " << seed;
                    EXPECT_EQ(r.MaxEval.Dom, d);
                    CheckTerm(host, r);
                    ++kept;
                }
            }
        }
        ASSERT_TRUE(host.errors.empty()) << "seed " << seed << ": " << host.errors[0].code;
    }
    // Both answers of the subsumption test on real products, and every kind of
    // restriction and bound, well represented.
    EXPECT_GT(productsTrue, static_cast<int>(TermSeeds * 8));
    EXPECT_GT(productsFalse, static_cast<int>(TermSeeds * 8));
    EXPECT_GT(emptied, restricted / 20);
    EXPECT_GT(kept, restricted / 3);
    EXPECT_GT(dropped, uncovered / 20);
    EXPECT_GT(longTerms, static_cast<int>(TermSeeds / 8));
}

// Terms far larger than brute force can expand, against the algorithms as
// first written. The subsumption test: over many divisions, with values past
// a byte's low nibble now and then and factors of hundreds of Vals. Products
// of sets whose terms share factors, so that the same pairs of factors are
// multiplied again for many pairs of terms: the same sets as uniting every
// product term by term.
TEST(RandomAlgebraTest, LargeTermsAsTheFirstAlgorithms) {
    RecordingHost host;
    int deepTrue = 0, deepFalse = 0, largeValues = 0, longFactors = 0;
    std::size_t terms = 0;
    for (std::uint32_t seed = 1; seed <= TermSeeds / 2; ++seed) {
        Rng rng(seed * 13 + 5);
        Dom d;
        do
            d = test::RandomDom(rng, 60, 32);
        while (d.size() < 12);
        const unsigned maxTricks = seed % 8 == 0 ? 19 : 1 + rng.below(seed % 3 == 0 ? 4 : 2);
        std::vector<Term> pool;
        for (int i = 0; i < 5; ++i)
            pool.push_back(RandomLargeTerm(host, rng, d, maxTricks));
        for (int i = 0; i < 10; ++i)
            pool.push_back(LesserTerm(
                host, rng, pool[rng.below(static_cast<unsigned>(pool.size()))], d, maxTricks));
        for (const Term& t : pool)
            for (const Factor& f : t.Factors)
                longFactors += CountVals(f) > 64;
        largeValues += maxTricks >= 16;
        for (const Term& a : pool)
            for (const Term& b : pool) {
                const bool want = test::TermSubsumedByWalking(host, a, b);
                ASSERT_EQ(TermSubsumed(host, a, b), want) << "seed " << seed;
                if (ValAllLE(host, a.MaxEval.Val, b.MaxEval.Val) && IsRealProduct(b.Factors))
                    ++(want ? deepTrue : deepFalse);
            }

        Rng srng(seed * 31 + 7);
        Dom d1, d2;
        for (std::uint8_t x = 0; x < 24; ++x) {
            if (x < 16) d1.push_back(x);
            if (x >= 10) d2.push_back(x);
        }
        std::vector<Factor> shared1, shared2;
        for (int i = 0; i < 4; ++i) {
            Dom only1, only2;
            for (std::uint8_t x = 0; x < 24; ++x)
                if (srng.chance(35)) (x < 10 ? only1 : only2).push_back(x);
            if (only1.size() < 2 || only2.size() < 2) continue;
            for (auto [only, to] : {std::pair{&only1, &shared1}, std::pair{&only2, &shared2}})
                if (Factor f = test::RandomFactor(host, srng, *only, 4, 3); CountVals(f) >= 2)
                    to->push_back(std::move(f));
        }
        if (!shared1.empty() && !shared2.empty()) {
            const unsigned count = 6 + srng.below(12);
            LineSet s1 = SetSharingFactors(host, srng, d1, shared1, count);
            LineSet s2 = SetSharingFactors(host, srng, d2, shared2, count);
            if (s1.empty() || s2.empty()) continue;
            LineSet want = s1, other = s2;
            test::ProductSSPairByPair(host, want, other);
            ProductSS(host, s1, s2);
            ASSERT_EQ(s1, want) << "seed " << seed;
            terms += s1.size();
        }
        ASSERT_TRUE(host.errors.empty()) << "seed " << seed << ": " << host.errors[0].code;
    }
    EXPECT_GT(deepTrue, static_cast<int>(TermSeeds * 5));
    EXPECT_GT(deepFalse, static_cast<int>(TermSeeds * 5));
    EXPECT_GT(largeValues, 0);
    EXPECT_GT(longFactors, 0);
    EXPECT_GT(terms, static_cast<std::size_t>(TermSeeds * 2));
}

} // namespace
} // namespace nvx
