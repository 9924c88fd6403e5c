// A naive model of line sets for checking the strategy algebra: a set is
// an explicit list of strategies, each a map from division to tricks, with
// duplicates and dominated members removed. Union is declarer's choice (all
// strategies of both), product the defenders' choice (every pair, the smaller
// value on common divisions).
#pragma once

#include "strategy/eval.h"
#include "strategy/factor.h"
#include "strategy/term.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <vector>

namespace nvx::test {

using RefLine = std::map<std::uint8_t, std::uint8_t>;
using RefSet = std::vector<RefLine>;

// a <= b on every division (same divisions assumed).
inline bool RefLE(const RefLine& a, const RefLine& b) {
    for (const auto& [d, x] : a) {
        auto it = b.find(d);
        if (it == b.end() || x > it->second) return false;
    }
    return true;
}

// Removes duplicates and every strategy that another one beats or equals.
inline RefSet RefReduce(RefSet s) {
    std::sort(s.begin(), s.end());
    s.erase(std::unique(s.begin(), s.end()), s.end());
    RefSet r;
    for (std::size_t i = 0; i < s.size(); ++i) {
        bool dominated = false;
        for (std::size_t j = 0; j < s.size() && !dominated; ++j)
            dominated = j != i && RefLE(s[i], s[j]);
        if (!dominated) r.push_back(s[i]);
    }
    return r;
}

inline RefSet RefUnion(const RefSet& a, const RefSet& b) {
    RefSet u = a;
    u.insert(u.end(), b.begin(), b.end());
    return RefReduce(u);
}

inline RefLine RefMin(const RefLine& a, const RefLine& b) {
    RefLine m = a;
    for (const auto& [d, x] : b) {
        auto it = m.find(d);
        if (it == m.end())
            m[d] = x;
        else
            it->second = std::min(it->second, x);
    }
    return m;
}

inline RefSet RefProduct(const RefSet& a, const RefSet& b) {
    RefSet p;
    for (const RefLine& x : a)
        for (const RefLine& y : b)
            p.push_back(RefMin(x, y));
    return RefReduce(p);
}

inline RefLine RefOfEval(const Eval& e) {
    RefLine s;
    for (std::size_t i = 0; i < e.Dom.size(); ++i)
        s[e.Dom[i]] = e.Val[i];
    return s;
}

// Every strategy of a term, found by trying every choice of one Val per
// factor; the value on a division is the minimum of MaxEval and of the chosen
// Vals there. Independent of the algebra's own expansion. Reduced.
inline RefSet BruteExpand(const Term& t) {
    RefSet all;
    for (const Factor& f : t.Factors)
        if (f.EvalList.empty()) return all;
    std::vector<std::vector<Val>> choices;
    for (const Factor& f : t.Factors)
        choices.emplace_back(f.EvalList.begin(), f.EvalList.end());
    std::vector<std::size_t> pick(choices.size(), 0);
    while (true) {
        RefLine s = RefOfEval(t.MaxEval);
        for (std::size_t k = 0; k < choices.size(); ++k)
            s = RefMin(s, RefOfEval(Eval{t.Factors[k].Dom, choices[k][pick[k]]}));
        all.push_back(s);
        std::size_t k = 0;
        while (k < pick.size() && ++pick[k] == choices[k].size())
            pick[k++] = 0;
        if (k == pick.size()) break;
    }
    return RefReduce(all);
}

// Term subsumption as first written: for every factor n of t2, the partial
// strategies of t1 on n's divisions are built factor by factor in t1's
// order (those over all of n's divisions first), each tested against n's
// Vals one by one, dropping the covered and the beaten ones. The faster
// test must give the same answers.
inline bool ProjectionsCoveredByWalking(Host& host, const Term& t, const Factor& n) {
    const std::size_t len = n.Dom.size();
    std::vector<Val> open{RestrictVal(host, t.MaxEval.Dom, t.MaxEval.Val, n.Dom)};
    if (IsCovered(host, open.front(), n)) return true;
    std::vector<const Factor*> order;
    for (const Factor& g : t.Factors)
        if (DomSubset(n.Dom, g.Dom)) order.push_back(&g);
    for (const Factor& g : t.Factors)
        if (!DomSubset(n.Dom, g.Dom) && !DomDisjoint(n.Dom, g.Dom)) order.push_back(&g);
    std::vector<Val> next;
    for (const Factor* g : order) {
        std::vector<int> at(len, -1); // position in g->Dom of n.Dom[j]
        for (std::size_t j = 0; j < len; ++j)
            for (std::size_t i = 0; i < g->Dom.size(); ++i)
                if (g->Dom[i] == n.Dom[j]) at[j] = static_cast<int>(i);
        next.clear();
        for (const Val& p : open)
            for (const Val& v : g->EvalList) {
                Val m = p;
                for (std::size_t j = 0; j < len; ++j)
                    if (at[j] >= 0) m[j] = std::min(m[j], v[static_cast<std::size_t>(at[j])]);
                if (IsCovered(host, m, n)) continue;
                bool beaten = false;
                std::erase_if(next, [&](const Val& x) {
                    if (beaten) return false;
                    const char c = CompareVal(host, m, x);
                    beaten = c == '<' || c == '=';
                    return c == '>';
                });
                if (!beaten) next.push_back(m);
            }
        open.swap(next);
        if (open.empty()) return true;
    }
    return false;
}

inline bool TermSubsumedByWalking(Host& host, const Term& t1, const Term& t2) {
    for (const Factor& f : t1.Factors)
        if (f.EvalList.empty()) return true;
    for (const Factor& f : t2.Factors)
        if (f.EvalList.empty()) return false;
    if (!ValAllLE(host, t1.MaxEval.Val, t2.MaxEval.Val)) return false;
    for (const Factor& n : t2.Factors)
        if (!ProjectionsCoveredByWalking(host, t1, n)) return false;
    return true;
}

// The number of choices BruteExpand would try.
inline std::size_t CombinationCount(const Term& t) {
    std::size_t n = 1;
    for (const Factor& f : t.Factors)
        n *= std::max<std::size_t>(1, f.EvalList.size());
    return n;
}

// Every strategy of a is at most some strategy of b.
inline bool RefSubsumed(const RefSet& a, const RefSet& b) {
    for (const RefLine& x : a) {
        bool covered = false;
        for (const RefLine& y : b)
            covered = covered || RefLE(x, y);
        if (!covered) return false;
    }
    return true;
}

// Seeded, reproducible random numbers (mt19937's output is fixed by the
// standard; the ranges are taken by hand so they do not depend on the library).
class Rng {
  public:
    explicit Rng(std::uint32_t seed) : gen_(seed) {}
    // 0 <= x < n
    unsigned below(unsigned n) { return static_cast<unsigned>(gen_() % n); }
    bool chance(unsigned percent) { return below(100) < percent; }

  private:
    std::mt19937 gen_;
};

// A random non-empty ascending subset of d (each element kept with the given
// chance).
inline Dom RandomSubset(Rng& rng, const Dom& d, unsigned percent) {
    Dom s;
    for (std::uint8_t x : d)
        if (rng.chance(percent)) s.push_back(x);
    if (s.empty()) s.push_back(d[rng.below(static_cast<unsigned>(d.size()))]);
    return s;
}

// A random ascending division set of 1..maxSize DivNrs out of 0..range-1.
inline Dom RandomDom(Rng& rng, unsigned range, unsigned maxSize) {
    std::set<std::uint8_t> picked;
    const unsigned n = 1 + rng.below(maxSize);
    while (picked.size() < n)
        picked.insert(static_cast<std::uint8_t>(rng.below(range)));
    Dom d;
    for (std::uint8_t x : picked)
        d.push_back(x);
    return d;
}

inline Eval RandomEval(Rng& rng, const Dom& d, unsigned maxTricks) {
    Eval e{d, Val::withLength(d.size())};
    for (std::size_t i = 0; i < d.size(); ++i)
        e.Val[i] = static_cast<std::uint8_t>(rng.below(maxTricks + 1));
    return e;
}

// A reduced factor of 1..maxVals random Vals over d.
inline Factor RandomFactor(Host& host, Rng& rng, const Dom& d, unsigned maxVals,
                           unsigned maxTricks) {
    Factor f = InitFactor(d);
    const unsigned n = 1 + rng.below(maxVals);
    for (unsigned i = 0; i < n; ++i)
        AddVal(host, f, RandomEval(rng, d, maxTricks).Val);
    return f;
}

// The Vals of a factor in list order, and sorted for comparison as sets.
inline std::vector<std::vector<int>> ListedVals(const Factor& f) {
    std::vector<std::vector<int>> r;
    for (const Val& v : f.EvalList)
        r.emplace_back(v.begin(), v.end());
    return r;
}
inline std::vector<std::vector<int>> SortedVals(const Factor& f) {
    std::vector<std::vector<int>> r = ListedVals(f);
    std::sort(r.begin(), r.end());
    return r;
}

// The reference set as sorted Vals over d.
inline std::vector<std::vector<int>> SortedVals(const RefSet& s, const Dom& d) {
    std::vector<std::vector<int>> r;
    for (const RefLine& x : s) {
        std::vector<int> v;
        for (std::uint8_t div : d) {
            auto it = x.find(div);
            v.push_back(it == x.end() ? -1 : it->second);
        }
        r.push_back(v);
    }
    std::sort(r.begin(), r.end());
    return r;
}

// The products and the multiply-out of line sets as first written: every
// product term joins the result through a union of sets, and every term of the
// root is multiplied out before it joins. The faster ones must give exactly
// the same sets and factors, in the same order.
inline void ProductSSPairByPair(Host& host, LineSet& s1, LineSet& s2) {
    LineSet r;
    for (const Term& t1 : s1)
        for (const Term& t2 : s2) {
            Term a = t1, b = t2;
            Term p = ProductOfTerms(host, a, b);
            LineSet none;
            LineSet single = NewLineNode(host, p, none);
            UnionSS(host, r, single);
        }
    s1.swap(r);
    s2.clear();
}

inline Factor LineSetToFactorTermByTerm(Host& host, LineSet& s) {
    Factor f = ExpandTerm(host, s.front());
    s.pop_front();
    for (; !s.empty(); s.pop_front()) {
        Factor g = ExpandTerm(host, s.front());
        f = UnionFactors(host, f, g);
    }
    return f;
}

} // namespace nvx::test
