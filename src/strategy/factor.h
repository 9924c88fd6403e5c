// Factors: sets of alternative Vals over one division set, kept free of
// dominated Vals (the Pareto front of declarer's choices), and lists of
// factors, which stand for their product.
//
// Order: the Vals of a factor form a list with a first element. "Put at the
// front" and "in list order" refer to that logical order, which is the order
// in which EvalList iterates. Which Val comes first is visible to the callers
// (splitting a term takes the first Val; the results number the lines in list
// order), so every operation below keeps the exact order it documents.
//
// Ownership: everything is held by value in standard containers. An argument
// described as "consumed" is left empty (no Vals, empty Dom).
#pragma once

#include "cards/host.h"
#include "strategy/eval.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

namespace nvx {

// What a walk over an evaluation list does with the Val it has just visited.
enum class WalkStep : std::uint8_t {
    Keep,   // keep it and go on
    Remove, // unlink it and go on
    Stop,   // keep it and every Val after it, and end the walk
};

// A list of Vals in logical order. Putting a Val at the front is the commonest
// change, so the Vals are stored back to front in a vector: the front is the
// last element of the storage. Nothing is allocated per Val.
class EvalList {
  public:
    using iterator = std::vector<Val>::reverse_iterator;
    using const_iterator = std::vector<Val>::const_reverse_iterator;

    EvalList() = default;
    // The Vals in list order (the first one is the front).
    EvalList(std::initializer_list<Val> vals) : vals_(vals.begin(), vals.end()) {
        std::reverse(vals_.begin(), vals_.end());
    }

    // Iteration in list order, front first.
    iterator begin() { return vals_.rbegin(); }
    iterator end() { return vals_.rend(); }
    const_iterator begin() const { return vals_.rbegin(); }
    const_iterator end() const { return vals_.rend(); }

    std::size_t size() const { return vals_.size(); }
    bool empty() const { return vals_.empty(); }
    const Val& front() const { return vals_.back(); }
    Val& front() { return vals_.back(); }

    // The list whose storage is `backToFront`: its last element is the front.
    static EvalList FromBackToFront(std::vector<Val>&& backToFront) {
        EvalList l;
        l.vals_ = std::move(backToFront);
        return l;
    }

    void push_front(const Val& v) { vals_.push_back(v); }
    // Appends after the last Val (linear in the length; for building lists).
    void push_back(const Val& v) { vals_.insert(vals_.begin(), v); }
    void pop_front() { vals_.pop_back(); }
    void clear() { vals_.clear(); }
    // Clears and gives the memory back.
    void release() { std::vector<Val>().swap(vals_); }
    void reserve(std::size_t n) { vals_.reserve(n); }
    // Moves the Vals out in list order, front first; the list is left empty.
    std::vector<Val> takeInListOrder() {
        std::vector<Val> vals;
        vals.swap(vals_);
        std::reverse(vals.begin(), vals.end());
        return vals;
    }
    // Reverses the list order.
    void reverse() { std::reverse(vals_.begin(), vals_.end()); }
    // Puts all Vals of `first`, in their order, in front of this list's Vals;
    // `first` ends empty.
    void spliceFront(EvalList& first) {
        if (vals_.empty()) {
            vals_.swap(first.vals_);
        } else {
            vals_.insert(vals_.end(), first.vals_.begin(), first.vals_.end());
        }
        first.release();
    }

    // Visits the Vals in list order; f(Val&) -> WalkStep. Removed Vals are
    // unlinked, the others keep their order.
    template <class F> void walk(F f) {
        const std::size_t n = vals_.size();
        std::size_t w = n; // the survivors visited so far occupy [w, n)
        std::size_t i = n;
        while (i > 0) {
            --i;
            const WalkStep step = f(vals_[i]);
            if (step == WalkStep::Stop) {
                ++i; // [0, i) is left as it is
                break;
            }
            if (step == WalkStep::Keep) {
                --w;
                if (w != i) vals_[w] = vals_[i];
            }
        }
        if (i != w)
            vals_.erase(vals_.begin() + static_cast<std::ptrdiff_t>(i),
                        vals_.begin() + static_cast<std::ptrdiff_t>(w));
    }

    friend bool operator==(const EvalList& a, const EvalList& b) { return a.vals_ == b.vals_; }

  private:
    std::vector<Val> vals_; // back to front: vals_.back() is the first Val
};

struct Factor {
    nvx::Dom Dom;
    nvx::EvalList EvalList; // every Val aligned with Dom
    friend bool operator==(const Factor&, const Factor&) = default;
};

// A list of factors, front first; it stands for the product of its factors.
using FactorList = std::vector<Factor>;

// --- lists of Vals -----------------------------------------------------------

// A deep copy, same order.
inline EvalList CopyEvalList(const EvalList& l) {
    return l;
}
// Unlinks the first Val and returns it; an empty list reports 301 and gives an
// empty Val.
Val PopVal(Host& host, EvalList& l);

// --- factor basics -------------------------------------------------------------

inline Factor InitFactor(const Dom& dom) {
    return Factor{dom, {}};
}
// The factor of one Val.
Factor FactorOfEval(const Eval& e);
// Releases all Vals; the Dom stays.
void ClearEvalList(Factor& f);
// Releases all Vals and empties the Dom.
void FreeFactor(Factor& f);
inline Factor CopyFactor(const Factor& f) {
    return f;
}
// CheckOrderedDom of the Dom; 302 for every Val not aligned with the Dom.
void CheckFactor(Host& host, const Factor& f);
inline std::size_t CountVals(const Factor& f) {
    return f.EvalList.size();
}

// --- dominance on factors ------------------------------------------------------

// Some Val W of f has v <= W everywhere (false for an empty f).
bool IsCovered(Host& host, const Val& v, const Factor& f);
// Every Val of f1 is covered by f2 (true for an empty f1). The Doms must be
// equal: otherwise 303 and false.
bool FactorCoveredBy(Host& host, const Factor& f1, const Factor& f2);
// Pointwise maximum / minimum of the Vals; an empty factor reports 304 / 305
// and gives an empty Val.
Val MaxOfFactor(Host& host, const Factor& f);
Val MinOfFactor(Host& host, const Factor& f);
// Walks f from the front: Vals that v beats are removed; at the first Val that
// equals or beats v the walk stops and the answer is true (v is dominated).
bool PruneDominated(Host& host, Factor& f, const Val& v);
// PruneDominated, then v goes to the front unless it is dominated. Returns
// whether v was added.
bool AddVal(Host& host, Factor& f, const Val& v);
// Takes the whole list off f and adds its Vals back with AddVal, in list order.
void ReduceFactor(Host& host, Factor& f);

// --- combining factors -----------------------------------------------------------

// The reduced union of two reduced factors over the same Dom. Polls the stop
// request once per Val of f2; when it is set, the Vals of f2 not yet visited
// are dropped (the union is incomplete). The surviving Vals of f2, in their
// order, come before those of f1. Both arguments are consumed.
Factor UnionFactors(Host& host, Factor& f1, Factor& f2);
// The same, by walking f1 for every Val of f2: what UnionFactors does for
// short lists.
Factor UnionOfReducedFactors(Host& host, Factor& f1, Factor& f2);
// The reduced product over f1.Dom ∪ f2.Dom: for every Val of f1 in list order
// and every Val of f2 in list order, the merged Val (the smaller value on a
// common division) is added with AddVal. Both arguments are consumed.
Factor ProductFactors(Host& host, Factor& f1, Factor& f2);
// (d, the Vals of f restricted to d, added with AddVal in list order); d must
// be a subset of f.Dom.
Factor RestrictFactor(Host& host, const Factor& f, const Dom& d);
// Caps every Val at cap (pointwise minimum), then ReduceFactor.
void CapFactor(Host& host, Factor& f, const Val& cap);
// Removes every Val that is not at least l everywhere; the others keep their
// order.
void KeepAtLeast(Host& host, Factor& f, const Val& l);
// Moves the divisions on which all Vals of f agree out of f and returns them
// with their common values. The remaining Vals are restricted to the other
// divisions and come out in reverse list order. An empty f reports 305 and
// 304, is left as it is and gives EmptyEval.
Eval ExtractSingleValues(Host& host, Factor& f);

// --- lists of factors ------------------------------------------------------------

inline FactorList CopyFactorList(const FactorList& l) {
    return l;
}
// l1's factors followed by l2's; both are left empty.
FactorList AppendFactorLists(FactorList& l1, FactorList& l2);
// Removes the first factor; an empty list reports 306.
void PopFactor(Host& host, FactorList& l);
// At least two factors.
inline bool IsRealProduct(const FactorList& l) {
    return l.size() >= 2;
}
Dom UnionOfDoms(const FactorList& l);
// ConcatEval of (Dom, MaxOfFactor) of every factor, in list order: on a
// division in several factors the smallest of their maxima stands.
Eval MaxOfFactorList(Host& host, const FactorList& l);
// The same with MinOfFactor.
Eval MinOfFactorList(Host& host, const FactorList& l);
// What the strategies being multiplied out can reach at most, and which of
// them are not wanted. Multiplying in more factors only lowers a product Val,
// and no factor exceeds Max on its divisions: so a product Val whose
// strategies all stay within a covered Val (the product Val on its own
// divisions, Max elsewhere) is dropped as soon as it is formed. The Vals
// that stay are exactly the uncovered ones of the full product, in the same
// order, since a Val that beats or equals an uncovered Val is uncovered too.
//
// The bound is asked about the last two products of an expansion; the ones
// before them are seldom covered, so that asking about them costs more than
// it saves, unless they are big and the bound has been finding many of them
// covered. A BoundYield keeps that tally over the expansions that share it.
struct BoundYield {
    // Products of fewer pairs are never asked before the last two.
    std::uint64_t manyPairs = 65536;
    std::uint64_t asked = 0, covered = 0;
    std::uint64_t passedOver = 0; // big products not asked
    // Whether to ask about a big product now: while one in four asked is
    // covered, and every eighth one anyway, to notice when that changes.
    bool WorthAsking() { return covered * 4 >= asked || ++passedOver % 8 == 0; }
};
struct ExpansionBound {
    Eval Max; // over every division of the expansion
    // Whether a Val over Max.Dom is covered (none: never). Asked from at
    // most two threads at once; part (0 or 1) tells them apart.
    std::function<bool(const Val& v, unsigned part)> Covered;
    // Where big products before the last two are tallied (none: not asked).
    BoundYield* Yield = nullptr;
    // If given, whether a Val over Max.Dom is wanted at all; one that is not
    // counts as covered. Cheap, and so asked of every product, not only of
    // those that Covered is asked about. Asked as Covered is.
    std::function<bool(const Val& v, unsigned part)> Admits;
};
// Multiplies all factors out, in list order, starting from the neutral factor
// (empty Dom, one empty Val), without the products the bound covers (if
// given). l is left empty.
Factor ProductOfFactorList(Host& host, FactorList& l, const ExpansionBound* bound = nullptr);
// ProductFactors(ProductOfFactorList(l), FactorOfEval(fixed)), the expansion
// of a term, without the Vals the bound covers (if given). l is left empty.
Factor ExpandFactorList(Host& host, FactorList& l, const Eval& fixed,
                        const ExpansionBound* bound = nullptr);
// The product of two factors as ProductFactors forms it, without consuming
// them, when it holds fewer Vals than the two together (merging them is then
// worth it); nothing otherwise.
std::optional<Factor> SmallerProduct(Host& host, const Factor& f1, const Factor& f2);
// The same from elsewhere (one that remembers the answers, say).
using FactorMerge =
    std::function<std::optional<Factor>(Host& host, const Factor& f1, const Factor& f2)>;
// Adds f to l, merging it with every later-visited factor it overlaps when
// their product holds fewer Vals than the two together; f goes to the front of
// l. Returns the evaluations that the merges extracted. f is consumed. The
// products come from `merge` when given, else from SmallerProduct.
Eval AddFactorMerging(Host& host, FactorList& l, Factor& f, const FactorMerge* merge = nullptr);

} // namespace nvx
