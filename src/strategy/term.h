// Terms and line sets: a compact representation of sets of declarer
// strategies as unions of products.
//
// A term stands for the strategies obtained by choosing one Val in each of its
// factors; on a division d such a strategy scores the minimum of MaxEval at d
// and of the chosen Val of every factor whose Dom holds d. A term without
// factors is the one strategy MaxEval; a term with a factor without Vals holds
// no strategy at all (an empty term).
//
// A line set is the union of its terms, front first. All its terms share
// one MaxEval.Dom; only the first term may have fewer than two factors.
//
// Building sets: SingleLineSet for one evaluation, UnionSS at declarer's
// choices, ProductSS at the defenders' choices (starting from
// SingleLineSet(EmptyEval), the neutral set of the product), LineSetToFactor
// to multiply a set out into its reduced list of strategies. Arguments
// described as consumed are left empty.
#pragma once

#include "cards/host.h"
#include "strategy/eval.h"
#include "strategy/factor.h"

#include <list>
#include <memory>

namespace nvx {

struct Term {
    Eval MaxEval;
    FactorList Factors;
    friend bool operator==(const Term&, const Term&) = default;
};

// The terms of a line set, front first. Build and change sets only with
// the operations below, which keep the invariants.
using LineSet = std::list<Term>;

// --- terms -------------------------------------------------------------------------

// Asserts the term invariants: 307 empty MaxEval.Dom; per factor CheckFactor,
// 308 no Vals, 309 empty Dom, 3010 Dom not within MaxEval.Dom, 3011 maximum of
// the factor not equal to MaxEval on its Dom.
void CheckTerm(Host& host, const Term& t);
// Some factor has no Vals: the term holds no strategy.
bool HasEmptyFactor(const Term& t);
// MaxEval restricted to the divisions that lie in no factor.
Eval FixedPart(Host& host, const Term& t);
// The term of one strategy.
Term TermOfEval(const Eval& e);
inline Term CopyTerm(const Term& t) {
    return t;
}
// MaxEval := EmptyEval, all factors released.
void FreeTerm(Term& t);
// The term of a factor's Vals: MaxEval is their maximum over f.Dom, the
// divisions where they all agree leave the factor. f is consumed. A factor
// without Vals reports 3012 and gives an empty term over f.Dom.
Term MakeTerm(Host& host, Factor& f);
// The worst value per division over all strategies of t.
Eval MinEval(Host& host, const Term& t);
// Removes the factors with exactly one Val (which must have an empty Dom, else
// 3013 and the Val is folded into MaxEval). Returns whether a factor without
// Vals was found (such factors stay).
bool RemoveTrivialFactors(Host& host, Term& t);
// Lowers MaxEval to what the factors allow, caps every factor at MaxEval,
// extracts the divisions where a factor's Vals agree and drops trivial
// factors. Afterwards each factor's maximum equals MaxEval on its Dom. An
// empty term reports 3014 and is left as it is.
void NormalizeTerm(Host& host, Term& t);
// Keeps only the strategies of t that are at least e on every division. The
// caller makes sure MaxEval is at least e; e.Dom holds every factor's Dom. The
// term may become empty (HasEmptyFactor).
void RestrictTermAtLeast(Host& host, Term& t, const Eval& e);
// Multiplies t out into one reduced factor over MaxEval.Dom, without the
// strategies the bound covers (if given; its Max must be t.MaxEval). t is
// consumed.
Factor ExpandTerm(Host& host, Term& t, const ExpansionBound* bound = nullptr);
// Re-adds the factors one by one from the front with AddFactorMerging (with
// the given merge, if any), then CheckTerm.
void RegroupFactors(Host& host, Term& t, const FactorMerge* merge = nullptr);
// Splits t on the first Val V of its first factor: t1 receives the strategies
// that choose V, t keeps those that choose another Val. A term that is empty
// or has no factor reports 3015 (t unchanged, t1 freed).
void split(Host& host, Term& t, Term& t1);
// The product: ConcatEval of the MaxEvals, the factor lists appended, then
// NormalizeTerm and RegroupFactors. t1 and t2 are consumed.
Term ProductOfTerms(Host& host, Term& t1, Term& t2);
// The union of two terms over the same division set, as a term with at most
// one factor. t1 and t2 are consumed.
Term UnionOfTerms(Host& host, Term& t1, Term& t2);
// Every strategy of t1 equals or is dominated by some strategy of t2.
bool TermSubsumed(Host& host, const Term& t1, const Term& t2);

// --- line sets -----------------------------------------------------------------

// t followed by the terms of next; takes over both (they end empty). An empty
// t reports 3016 and is not added; a first term of next that is not a real
// product reports 3017.
LineSet NewLineNode(Host& host, Term& t, LineSet& next);
// The set of the one strategy e.
LineSet SingleLineSet(const Eval& e);
inline LineSet CopyLineSet(const LineSet& s) {
    return s;
}
// Removes the first term; an empty set reports 3018.
void PopTerm(Host& host, LineSet& s);
inline void FreeLineSet(LineSet& s) {
    s.clear();
}
// Adds `tricks` (negative: takes them away) to every value of every strategy
// of s: to each term's best values and to every Val of its factors. The set
// operations only compare values, so this gives the set of the same position
// with that many more tricks won by North-South. No value may go below 0.
void AddTricks(LineSet& s, int tricks);
// Joins two sets over the same division set, keeping the invariants; s1
// receives the result, s2 ends empty. First terms over different division sets
// report 3020 (the sets are then just linked one after the other).
void ConcatSS(Host& host, LineSet& s1, LineSet& s2);
// Removes every term of s that t subsumes.
void RemoveSubsumedTerms(Host& host, LineSet& s, const Term& t);
// Declarer's choice: s1 := s1 ∪ s2 without subsumed terms; s2 ends empty.
void UnionSS(Host& host, LineSet& s1, LineSet& s2);
// The defenders' choice: s1 := every combination of a strategy of s1 with one
// of s2, the smaller value on common divisions, without subsumed terms. Per
// pair of terms it polls the stop request and then lets pending events run;
// on a stop request it ends early (the set is incomplete). s2 ends empty.
void ProductSS(Host& host, LineSet& s1, LineSet& s2);
// Which strategies of a set its caller needs, when it needs only some: those
// the filter admits once every strategy has been noted. Admission is upward
// closed (a filter that admits a Val admits every Val at least as high on
// every division), so a partial product filled up with the best values it can
// still reach answers for every strategy it leads to; and it only narrows as
// strategies are noted.
class StrategyFilter {
  public:
    // The filter as it stands: it stays as it is, and answers on any thread.
    class Test {
      public:
        virtual ~Test() = default;
        virtual bool Admits(Host& host, const Val& v) const = 0;
    };
    virtual ~StrategyFilter() = default;
    virtual std::shared_ptr<const Test> Now() const = 0;
    // Notes a strategy of the set. Never called while Now is.
    virtual void Note(Host& host, const Val& v) = 0;
};

// Multiplies the whole set out into one reduced factor; s is consumed. Polls
// the stop request per term; when it is set the rest is released (the factor
// is incomplete). An empty set reports 3019 and gives an empty factor. With a
// filter, the factor keeps only the Vals the filter admits in the end, in
// their order; the others, and what only they would cover, are mostly never
// formed.
Factor LineSetToFactor(Host& host, LineSet& s, StrategyFilter* filter = nullptr);
// Whether some strategy of s is at least e on every division (e over the
// division set of s's terms): !KeepAtLeast(LineSetToFactor(s), e.Val) empty,
// without multiplying anything out. s is not changed.
bool HasStrategyAtLeast(Host& host, const LineSet& s, const Eval& e);
// The Vals of KeepAtLeast(LineSetToFactor(s), e.Val), maybe in another order:
// the terms keep only their strategies at least e before they are multiplied
// out, so that the others are never formed. s is not changed.
Factor StrategiesAtLeast(Host& host, const LineSet& s, const Eval& e);

// --- start-up ----------------------------------------------------------------------

// The start-up self-test of the strategy algebra, run once by the host when it
// starts: for every pair of byte values the tests a < b and b > a must agree;
// each pair where they differ reports 3023. Returns true when all agree.
bool InitLineAlgebra(Host& host);
// The same check with the two comparisons given (for testing the report).
bool CheckByteComparison(Host& host, bool (*less)(std::uint8_t, std::uint8_t),
                         bool (*greater)(std::uint8_t, std::uint8_t));

} // namespace nvx
