#include "strategy/term.h"

#include "strategy/reduced.h"

#include <algorithm>
#include <utility>

namespace nvx {
namespace {

// Every strategy of t, seen on n's divisions only, is at most some Val of n.
// There a strategy takes the smaller of MaxEval and of the Val chosen in
// each factor of t over those divisions. The partial strategies are built
// factor by factor; one that n already covers is dropped, since the factors
// still to come can only lower it, and so is one that another beats.
bool ProjectionsCovered(Host& host, const Term& t, const Factor& n) {
    const std::size_t len = n.Dom.size();
    const auto covered = [&](const Val& v) { return IsCovered(host, v, n); };
    std::vector<Val> open{RestrictVal(host, t.MaxEval.Dom, t.MaxEval.Val, n.Dom)};
    if (covered(open.front())) return true;
    std::vector<std::int16_t> at(len); // position in g.Dom of n.Dom[j], or -1
    std::vector<Val> next;
    // The factors over all of n's divisions first: often one of them alone
    // shows that n covers everything.
    std::vector<const Factor*> order;
    for (const Factor& g : t.Factors)
        if (DomSubset(n.Dom, g.Dom)) order.push_back(&g);
    for (const Factor& g : t.Factors)
        if (!DomSubset(n.Dom, g.Dom) && !DomDisjoint(n.Dom, g.Dom)) order.push_back(&g);
    for (const Factor* pg : order) {
        const Factor& g = *pg;
        for (std::size_t j = 0, i = 0; j < len; ++j) {
            while (i < g.Dom.size() && g.Dom[i] < n.Dom[j])
                ++i;
            const bool in = i < g.Dom.size() && g.Dom[i] == n.Dom[j];
            at[j] = in ? static_cast<std::int16_t>(i) : std::int16_t{-1};
        }
        next.clear();
        for (const Val& p : open)
            for (const Val& v : g.EvalList) {
                Val m = p;
                for (std::size_t j = 0; j < len; ++j)
                    if (at[j] >= 0 && v[static_cast<std::size_t>(at[j])] < m[j])
                        m[j] = v[static_cast<std::size_t>(at[j])];
                if (covered(m)) continue;
                // Keep the partial strategies that no other one equals or beats.
                bool beaten = false;
                std::erase_if(next, [&](const Val& x) {
                    if (beaten) return false;
                    const unsigned d = detail::DirectionBits(m.data(), x.data(), len);
                    if ((d & 1) == 0) beaten = true; // m <= x
                    return d == 1;                   // m beats x
                });
                if (!beaten) next.push_back(m);
            }
        open.swap(next);
        if (open.empty()) return true;
    }
    return false;
}

} // namespace

// --- terms -------------------------------------------------------------------------

void CheckTerm(Host& host, const Term& t) {
    CheckOrderedDom(host, t.MaxEval.Dom);
    if (t.MaxEval.Dom.empty()) InternalError(host, InternalErrorCode::TermMaxEvalEmpty);
    for (const Factor& f : t.Factors) {
        CheckFactor(host, f);
        if (f.EvalList.empty()) InternalError(host, InternalErrorCode::TermFactorWithoutVals);
        if (f.Dom.empty()) InternalError(host, InternalErrorCode::TermFactorWithoutDivisions);
        const bool within = DomSubset(f.Dom, t.MaxEval.Dom);
        if (!within) InternalError(host, InternalErrorCode::TermMaxEvalIncomplete);
        if (within && !f.EvalList.empty() &&
            CompareVal(host, MaxOfFactor(host, f),
                       RestrictVal(host, t.MaxEval.Dom, t.MaxEval.Val, f.Dom)) != '=')
            InternalError(host, InternalErrorCode::TermFactorAboveMaxEval);
    }
}

bool HasEmptyFactor(const Term& t) {
    for (const Factor& f : t.Factors)
        if (f.EvalList.empty()) return true;
    return false;
}

Eval FixedPart(Host& host, const Term& t) {
    if (t.Factors.empty()) return t.MaxEval;
    const Dom d = DomDiff(host, t.MaxEval.Dom, UnionOfDoms(t.Factors));
    return MakeEval(host, d, RestrictVal(host, t.MaxEval.Dom, t.MaxEval.Val, d));
}

Term TermOfEval(const Eval& e) {
    return Term{e, {}};
}

void FreeTerm(Term& t) {
    t.MaxEval = EmptyEval;
    FactorList().swap(t.Factors);
}

Term MakeTerm(Host& host, Factor& f) {
    Term t;
    if (f.EvalList.empty()) {
        InternalError(host, InternalErrorCode::TermOfFactorWithoutVals);
        // No Val: the term of no strategy.
        t.MaxEval = ConstEvalOver(f.Dom, 0);
        t.Factors.push_back(std::move(f));
        FreeFactor(f);
        return t;
    }
    t.MaxEval = MakeEval(host, f.Dom, MaxOfFactor(host, f));
    ExtractSingleValues(host, f); // the common values already stand in MaxEval
    if (!f.Dom.empty()) t.Factors.push_back(std::move(f));
    FreeFactor(f);
    return t;
}

Eval MinEval(Host& host, const Term& t) {
    return ConcatEval(host, MinOfFactorList(host, t.Factors), t.MaxEval);
}

bool RemoveTrivialFactors(Host& host, Term& t) {
    bool hasEmpty = false;
    std::erase_if(t.Factors, [&](const Factor& f) {
        if (f.EvalList.empty()) {
            hasEmpty = true;
            return false;
        }
        if (f.EvalList.size() >= 2) return false;
        if (!f.Dom.empty()) {
            InternalError(host, InternalErrorCode::TermSingleValueLeft);
            // Keep the term's meaning: its one Val bounds every strategy.
            LowerEval(host, t.MaxEval, Eval{f.Dom, f.EvalList.front()});
        }
        return true;
    });
    return hasEmpty;
}

void NormalizeTerm(Host& host, Term& t) {
    if (HasEmptyFactor(t)) {
        InternalError(host, InternalErrorCode::TermEmptied);
        return;
    }
    // No division can be better than the smallest maximum of the factors on it.
    LowerEval(host, t.MaxEval, MaxOfFactorList(host, t.Factors));
    for (Factor& f : t.Factors) {
        // No Val needs to exceed what MaxEval allows.
        CapFactor(host, f, RestrictVal(host, t.MaxEval.Dom, t.MaxEval.Val, f.Dom));
        ExtractSingleValues(host, f); // equal to MaxEval there
    }
    if (RemoveTrivialFactors(host, t)) InternalError(host, InternalErrorCode::TermEmptied);
}

void RestrictTermAtLeast(Host& host, Term& t, const Eval& e) {
    for (Factor& f : t.Factors) {
        KeepAtLeast(host, f, RestrictVal(host, e.Dom, e.Val, f.Dom));
        if (!f.EvalList.empty()) LowerEval(host, t.MaxEval, ExtractSingleValues(host, f));
    }
    if (!RemoveTrivialFactors(host, t)) NormalizeTerm(host, t);
}

Factor ExpandTerm(Host& host, Term& t, const ExpansionBound* bound) {
    const Eval e = FixedPart(host, t);
    Factor f = ExpandFactorList(host, t.Factors, e, bound);
    FreeTerm(t);
    return f;
}

void RegroupFactors(Host& host, Term& t) {
    FactorList old;
    std::swap(old, t.Factors);
    for (Factor& f : old)
        AddFactorMerging(host, t.Factors, f); // extracted parts equal MaxEval
    CheckTerm(host, t);
}

void split(Host& host, Term& t, Term& t1) {
    if (HasEmptyFactor(t) || t.Factors.empty()) {
        InternalError(host, InternalErrorCode::TermCannotSplit);
        FreeTerm(t1);
        return;
    }
    t1 = t;
    const Factor& first = t.Factors.front();
    // t1: the strategies that choose the first Val of the first factor.
    LowerEval(host, t1.MaxEval, MakeEval(host, first.Dom, first.EvalList.front()));
    PopFactor(host, t1.Factors);
    NormalizeTerm(host, t1);
    RegroupFactors(host, t1);
    // t: the strategies that choose any other Val of it.
    PopVal(host, t.Factors.front().EvalList);
    NormalizeTerm(host, t);
    RegroupFactors(host, t);
}

namespace {

// The product of two terms, which are left as they are.
Term ProductOfTermsCopied(Host& host, const Term& t1, const Term& t2) {
    Term t;
    t.MaxEval = ConcatEval(host, t1.MaxEval, t2.MaxEval);
    t.Factors = t1.Factors;
    t.Factors.insert(t.Factors.end(), t2.Factors.begin(), t2.Factors.end());
    NormalizeTerm(host, t);
    RegroupFactors(host, t);
    return t;
}

} // namespace

Term ProductOfTerms(Host& host, Term& t1, Term& t2) {
    Term t = ProductOfTermsCopied(host, t1, t2);
    FreeTerm(t1);
    FreeTerm(t2);
    return t;
}

Term UnionOfTerms(Host& host, Term& t1, Term& t2) {
    Factor f1 = ExpandTerm(host, t1);
    Factor f2 = ExpandTerm(host, t2);
    Factor u = UnionFactors(host, f1, f2);
    return MakeTerm(host, u);
}

bool TermSubsumed(Host& host, const Term& t1, const Term& t2) {
    if (HasEmptyFactor(t1)) return true;
    if (HasEmptyFactor(t2)) return false;
    // Some best value of t1 cannot be matched.
    if (!ValAllLE(host, t1.MaxEval.Val, t2.MaxEval.Val)) return false;
    // A strategy of t2 is at least a strategy s of t1 exactly when its Val
    // in every factor is at least s there (t2's MaxEval already is), and t2
    // chooses in each factor independently: so every factor of t2 must cover
    // whatever t1's strategies show on its divisions.
    for (const Factor& n : t2.Factors)
        if (!ProjectionsCovered(host, t1, n)) return false;
    return true;
}

// --- line sets -----------------------------------------------------------------

LineSet NewLineNode(Host& host, Term& t, LineSet& next) {
    LineSet s;
    s.swap(next);
    const bool empty = HasEmptyFactor(t);
    if (empty) InternalError(host, InternalErrorCode::EmptyTermAdded);
    if (!s.empty() && !IsRealProduct(s.front().Factors))
        InternalError(host, InternalErrorCode::LaterTermNotAProduct);
    if (!empty) s.push_front(std::move(t));
    FreeTerm(t);
    return s;
}

LineSet SingleLineSet(const Eval& e) {
    LineSet s;
    s.push_back(TermOfEval(e));
    return s;
}

void PopTerm(Host& host, LineSet& s) {
    if (s.empty()) {
        InternalError(host, InternalErrorCode::PopTermOfEmptySet);
        return;
    }
    s.pop_front();
}

void ConcatSS(Host& host, LineSet& s1, LineSet& s2) {
    if (s1.empty()) {
        s1.swap(s2);
        return;
    }
    if (s2.empty()) return;
    if (!(s1.front().MaxEval.Dom == s2.front().MaxEval.Dom)) {
        InternalError(host, InternalErrorCode::ConcatDomsDiffer);
        s1.splice(s1.end(), s2);
        return;
    }
    if (IsRealProduct(s2.front().Factors)) {
        s1.splice(s1.end(), s2);
    } else if (IsRealProduct(s1.front().Factors)) {
        s2.splice(s2.end(), s1);
        s1.swap(s2);
    } else {
        // Both first terms are single factors or single strategies: merge them.
        Term a = std::move(s1.front());
        Term b = std::move(s2.front());
        s1.pop_front();
        s2.pop_front();
        Term t = UnionOfTerms(host, a, b);
        ConcatSS(host, s1, s2);
        LineSet r = NewLineNode(host, t, s1);
        s1.swap(r);
    }
    s2.clear();
}

void RemoveSubsumedTerms(Host& host, LineSet& s, const Term& t) {
    s.remove_if([&](const Term& x) {
        // Comparing long sets takes a while: let the host handle its events.
        // After a stop request the sets are discarded, so the rest is kept
        // unexamined.
        if (host.StopRequested()) return false;
        host.ProcessPendingEvents();
        return !host.StopRequested() && TermSubsumed(host, x, t);
    });
}

void UnionSS(Host& host, LineSet& s1, LineSet& s2) {
    for (const Term& t : s2) {
        if (s1.empty()) break;
        RemoveSubsumedTerms(host, s1, t);
    }
    for (const Term& t : s1) {
        if (s2.empty()) break;
        RemoveSubsumedTerms(host, s2, t);
    }
    ConcatSS(host, s1, s2);
}

namespace {

// UnionSS(s, the set of the one term t), without building that set: the
// terms of s that t subsumes go, then t goes if a term left subsumes it.
void UniteTerm(Host& host, LineSet& s, Term& t) {
    if (HasEmptyFactor(t)) {
        InternalError(host, InternalErrorCode::EmptyTermAdded);
        return;
    }
    if (!s.empty()) RemoveSubsumedTerms(host, s, t);
    for (const Term& x : s) {
        if (host.StopRequested()) break;
        host.ProcessPendingEvents();
        if (!host.StopRequested() && TermSubsumed(host, t, x)) return;
    }
    LineSet single;
    single.push_back(std::move(t));
    ConcatSS(host, s, single);
}

} // namespace

void ProductSS(Host& host, LineSet& s1, LineSet& s2) {
    LineSet r;
    bool stopped = false;
    while (!s1.empty() && !stopped) {
        const Term& t1 = s1.front();
        for (const Term& t2 : s2) {
            if (host.StopRequested()) {
                stopped = true;
                break;
            }
            host.ProcessPendingEvents();
            Term p = ProductOfTermsCopied(host, t1, t2);
            UniteTerm(host, r, p);
        }
        s1.pop_front();
    }
    s1.swap(r);
    s2.clear();
}

namespace {

// Over t.MaxEval.Dom, a value that no strategy of t, nor any partial product
// of its factors filled up with MaxEval, goes below: the smaller of MaxEval
// and of the lowest Val of every factor on the division. Misaligned parts are
// passed over (the value may then be too high, which the callers check).
Val WorstValues(const Term& t) {
    const Dom& all = t.MaxEval.Dom;
    Val w = t.MaxEval.Val;
    if (w.size() != all.size()) return Val{};
    for (const Factor& f : t.Factors) {
        std::size_t i = 0;
        for (std::size_t j = 0; j < f.Dom.size(); ++j) {
            while (i < all.size() && all[i] < f.Dom[j])
                ++i;
            if (i == all.size() || all[i] != f.Dom[j]) break;
            for (const Val& v : f.EvalList)
                if (j < v.size()) w[i] = std::min(w[i], v[j]);
        }
    }
    return w;
}

} // namespace

Factor LineSetToFactor(Host& host, LineSet& s) {
    if (s.empty()) {
        InternalError(host, InternalErrorCode::FactorOfEmptySet);
        return Factor{};
    }
    Factor first = ExpandTerm(host, s.front());
    s.pop_front();
    // One union that grows term by term, so that its index is built once.
    ReducedUnion all(first);
    while (!s.empty() && !host.StopRequested()) {
        // A term whose best values some Val already held reaches has no
        // strategy that would join the union: it is not multiplied out.
        if (all.Covers(s.front().MaxEval.Val)) {
            s.pop_front();
            continue;
        }
        // Of the term's strategies only those that no Val held now covers
        // can join: the others are not even formed. The held Vals do not
        // change while the term is multiplied out, and only those at least
        // the term's worst values can cover one of its strategies.
        const FloorView held(all, WorstValues(s.front()));
        RecentBeaters recent[2];
        const ExpansionBound bound{s.front().MaxEval, [&](const Val& v, unsigned part) {
                                       return held.Covers(v, recent[part]);
                                   }};
        Factor g = ExpandTerm(host, s.front(), &bound);
        s.pop_front();
        // Every Val left was found uncovered, unless a stop request cut the
        // expansion short (and then the union is discarded anyway).
        all.Unite(host, g, !host.StopRequested());
    }
    s.clear();
    return all.Take();
}

// --- start-up ----------------------------------------------------------------------

bool CheckByteComparison(Host& host, bool (*less)(std::uint8_t, std::uint8_t),
                         bool (*greater)(std::uint8_t, std::uint8_t)) {
    bool ok = true;
    for (int a = 0; a < 256; ++a)
        for (int b = 0; b < 256; ++b) {
            const auto x = static_cast<std::uint8_t>(a), y = static_cast<std::uint8_t>(b);
            if (less(x, y) != greater(y, x)) {
                InternalError(host, InternalErrorCode::ByteComparisonBroken);
                ok = false;
            }
        }
    return ok;
}

bool InitLineAlgebra(Host& host) {
    // volatile keeps the compiler from deciding the comparisons itself.
    return CheckByteComparison(
        host,
        [](std::uint8_t a, std::uint8_t b) {
            volatile std::uint8_t x = a, y = b;
            return x < y;
        },
        [](std::uint8_t a, std::uint8_t b) {
            volatile std::uint8_t x = a, y = b;
            return x > y;
        });
}

} // namespace nvx
