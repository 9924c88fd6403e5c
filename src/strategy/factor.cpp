#include "strategy/factor.h"

#include "strategy/parallel.h"
#include "strategy/reduced.h"

#include <algorithm>

namespace nvx {
namespace {

bool Ascending(const TDom& d) {
    for (std::size_t i = 1; i < d.size(); ++i)
        if (d[i - 1] >= d[i]) return false;
    return true;
}

// A Val of one operand spread over the merged set: 255 (above any number of
// tricks) where the operand has no value, so that the pointwise minimum of two
// spread Vals is their merge.
void Spread(const TVal& v, const TDom& from, const TDom& to, TVal& out) {
    out = TVal::filled(to.size(), 0xFF);
    std::size_t j = 0;
    for (std::size_t i = 0; i < from.size(); ++i) {
        while (j < to.size() && to[j] != from[i])
            ++j;
        if (j == to.size()) return;
        out[j++] = v[i];
    }
}

// No Val of the list is dominated by or equal to another. Long lists are
// not checked (false).
bool KnownReduced(Host& host, const TEvalList& l) {
    if (l.size() > 512) return false;
    for (auto i = l.begin(); i != l.end(); ++i)
        for (auto j = std::next(i); j != l.end(); ++j)
            if (CompareVal(host, *i, *j) != '|') return false;
    return true;
}

struct ProductOptions {
    // A stop request ends the product after the current Val of f1 (the result
    // is then incomplete and only fit to be discarded), and pending events are
    // handled now and then so that a long product does not freeze the host.
    bool interruptible = false;
    // f1 is reduced, as every product and union is.
    bool f1Reduced = false;
    // Products it covers are dropped.
    const ExpansionBound* bound = nullptr;
};

// Asks an expansion bound about product Vals over one division set: the Val
// on its divisions, the bound's maximum on the others.
class BoundTest {
  public:
    BoundTest(const ExpansionBound* bound, const TDom& dom) : bound_(bound) {
        if (bound_ == nullptr) return;
        const TDom& all = bound_->Max.Dom;
        at_.resize(dom.size());
        std::size_t i = 0;
        for (std::size_t j = 0; j < dom.size(); ++j) {
            while (i < all.size() && all[i] < dom[j])
                ++i;
            if (i == all.size() || all[i] != dom[j]) { // not within the bound: no test
                bound_ = nullptr;
                return;
            }
            at_[j] = i;
        }
        upper_[0] = upper_[1] = bound_->Max.Val;
    }
    bool Active() const { return bound_ != nullptr; }
    // Every strategy that v can still lead to is covered.
    bool Covered(const TVal& v, unsigned part) {
        if (bound_ == nullptr) return false;
        TVal& u = upper_[part]; // the other positions keep the maximum
        for (std::size_t j = 0; j < at_.size(); ++j)
            u[at_[j]] = v[j];
        return bound_->Covered(u, part);
    }

  private:
    const ExpansionBound* bound_;
    std::vector<std::size_t> at_; // position in the bound's Dom of each division
    TVal upper_[2];               // one for each part
};

// The Vals of a factor spread over the merged set, one after the other.
std::vector<std::uint8_t> SpreadAll(const TFactor& f, const TDom& to) {
    std::vector<std::uint8_t> flat;
    flat.reserve(f.EvalList.size() * to.size());
    TVal s;
    for (const TVal& v : f.EvalList) {
        Spread(v, f.Dom, to, s);
        flat.insert(flat.end(), s.begin(), s.end());
    }
    return flat;
}

// Beyond this many pairs the table of pairs would take too much memory.
constexpr std::size_t MaxPairsByTotals = std::size_t{1} << 22;

// The reduced product of two long factors, as adding every merged pair in
// pair order with AddVal gives it: the pairs that no other pair beats, the
// first of equal ones, the latest at the front. A pair can only be beaten by
// one with more tricks in all, so taking the pairs by their total, most
// first (pair order among equal totals), each needs comparing only with the
// pairs kept so far, and none of those is ever removed again. Returns false
// when a Val has more tricks than an index can hold.
bool ProductByTotals(Host& host, const TFactor& f1, const TFactor& f2, TFactor& r,
                     bool interruptible, BoundTest& bound) {
    const std::size_t n1 = f1.EvalList.size(), n2 = f2.EvalList.size(), len = r.Dom.size();
    DominanceIndex index(len);
    auto fits = [](const TEvalList& l) {
        return std::all_of(l.begin(), l.end(), DominanceIndex::ValuesFit);
    };
    if (!fits(f1.EvalList) || !fits(f2.EvalList)) return false;
    const std::vector<std::uint8_t> flat1 = SpreadAll(f1, r.Dom), flat2 = SpreadAll(f2, r.Dom);
    TVal m = TVal::withLength(len);
    auto merge = [&](std::uint64_t pair) {
        detail::MinBytes(m.data(), flat1.data() + pair / n2 * len, flat2.data() + pair % n2 * len,
                         len);
    };
    struct Pair {
        std::uint32_t total;
        std::uint64_t nr; // i * n2 + j: the pair order
    };
    std::vector<Pair> pairs(n1 * n2);
    for (std::uint64_t nr = 0; nr < pairs.size(); ++nr) {
        merge(nr);
        std::uint32_t total = 0;
        for (std::uint8_t b : m)
            total += b;
        pairs[nr] = {total, nr};
    }
    std::sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) {
        return a.total != b.total ? a.total > b.total : a.nr < b.nr;
    });
    std::vector<std::pair<std::uint64_t, std::size_t>> kept; // pair number, index id
    // The pairs go by in chunks. Those of a chunk are first tested against
    // the pairs kept before it (on two threads when there are many), then in
    // order against those kept within it.
    constexpr std::size_t Chunk = 4096;
    std::vector<TVal> chunk(std::min(Chunk, pairs.size()));
    std::vector<char> beaten;
    RecentBeaters recent[2]; // one for each half of a chunk
    for (std::size_t from = 0; from < pairs.size(); from += Chunk) {
        if (interruptible && !kept.empty()) {
            host.processPendingEvents();
            if (host.stopRequested()) break;
        }
        const std::size_t n = std::min(Chunk, pairs.size() - from);
        const std::size_t minForTwo = index.LiveCount() >= 2048 || bound.Active() ? 256 : n + 1;
        TestOnTwoThreads(n, minForTwo, beaten, [&](std::size_t i, unsigned part) {
            const std::uint64_t pair = pairs[from + i].nr;
            TVal& v = chunk[i];
            v = TVal::withLength(len);
            detail::MinBytes(v.data(), flat1.data() + pair / n2 * len,
                             flat2.data() + pair % n2 * len, len);
            return bound.Covered(v, part) || recent[part].AnyAtLeast(index, v);
        });
        DominanceIndex within(len);
        for (std::size_t i = 0; i < n; ++i) {
            if (beaten[i] || within.AnyAtLeast(chunk[i])) continue;
            within.Add(chunk[i]);
            kept.emplace_back(pairs[from + i].nr, index.Add(chunk[i]));
        }
    }
    std::sort(kept.begin(), kept.end());
    std::vector<TVal> storage; // back to front: pair order
    storage.reserve(kept.size());
    for (const auto& [nr, id] : kept)
        storage.push_back(index.Val(id));
    r.EvalList = TEvalList::FromBackToFront(std::move(storage));
    return true;
}

// The product of two factors without consuming them.
TFactor Multiply(Host& host, const TFactor& f1, const TFactor& f2, ProductOptions options = {}) {
    const bool interruptible = options.interruptible;
    TFactor r;
    r.Dom = DomUnion(f1.Dom, f2.Dom);
    BoundTest bound(options.bound, r.Dom);
    bool careful = !Ascending(f1.Dom) || !Ascending(f2.Dom);
    for (const TVal& v : f1.EvalList)
        careful |= v.size() != f1.Dom.size();
    for (const TVal& v : f2.EvalList)
        careful |= v.size() != f2.Dom.size();
    if (careful) {
        // Take the plain way, which reports misaligned Vals.
        for (const TVal& v1 : f1.EvalList)
            for (const TVal& v2 : f2.EvalList) {
                TVal m = TVal::withLength(r.Dom.size());
                MergeVal(host, m, f1.Dom, v1, f2.Dom, v2);
                if (!bound.Covered(m, 0)) AddVal(host, r, m);
            }
        return r;
    }
    std::vector<TVal> spread2(f2.EvalList.size());
    std::size_t k = 0;
    for (const TVal& v2 : f2.EvalList)
        Spread(v2, f2.Dom, r.Dom, spread2[k++]);
    // Over disjoint division sets the merged Vals of two reduced factors
    // dominate one another only where their parts do: none do, and every
    // pair is kept, the latest at the front.
    const bool allKept =
        options.f1Reduced && DomDisjoint(f1.Dom, f2.Dom) && KnownReduced(host, f2.EvalList);
    const std::size_t pairCount = f1.EvalList.size() * f2.EvalList.size();
    if (!allKept && pairCount >= 4096 && pairCount <= MaxPairsByTotals &&
        ProductByTotals(host, f1, f2, r, interruptible, bound))
        return r;
    std::vector<TVal> storage; // back to front, when allKept
    ReducedListBuilder kept;
    TVal s1, m = TVal::withLength(r.Dom.size());
    std::size_t pairs = 0; // pairs combined since the host last handled its events
    for (const TVal& v1 : f1.EvalList) {
        if (interruptible && (kept.Size() > 0 || !storage.empty())) {
            if (pairs >= 1024) {
                host.processPendingEvents();
                pairs = 0;
            }
            if (host.stopRequested()) break;
        }
        pairs += spread2.size();
        Spread(v1, f1.Dom, r.Dom, s1);
        for (const TVal& s2 : spread2) {
            detail::MinBytes(m.data(), s1.data(), s2.data(), m.size());
            if (bound.Covered(m, 0)) continue;
            if (allKept)
                storage.push_back(m);
            else
                kept.Add(host, m);
        }
    }
    r.EvalList = allKept ? TEvalList::FromBackToFront(std::move(storage)) : kept.Take();
    return r;
}

} // namespace

// --- lists of Vals -----------------------------------------------------------

TVal PopVal(Host& host, TEvalList& l) {
    if (l.empty()) {
        InternalError(host, InternalErrorCode::PopValOfEmptyList);
        return TVal{};
    }
    TVal v = l.front();
    l.pop_front();
    return v;
}

// --- factor basics -------------------------------------------------------------

TFactor FactorOfEval(const TEval& e) {
    TFactor f{e.Dom, {}};
    f.EvalList.push_front(e.Val);
    return f;
}

void ClearEvalList(TFactor& f) {
    f.EvalList.release();
}

void FreeFactor(TFactor& f) {
    f.EvalList.release();
    f.Dom.clear();
}

void CheckFactor(Host& host, const TFactor& f) {
    CheckOrderedDom(host, f.Dom);
    for (const TVal& v : f.EvalList)
        if (v.size() != f.Dom.size()) InternalError(host, InternalErrorCode::ValNotAlignedWithDom);
}

// --- dominance on factors ------------------------------------------------------

bool IsCovered(Host& host, const TVal& v, const TFactor& f) {
    for (const TVal& w : f.EvalList)
        if (ValAllLE(host, v, w)) return true;
    return false;
}

bool FactorCoveredBy(Host& host, const TFactor& f1, const TFactor& f2) {
    if (!(f1.Dom == f2.Dom)) {
        InternalError(host, InternalErrorCode::CoveredFactorsDomsDiffer);
        return false;
    }
    for (const TVal& v : f1.EvalList)
        if (!IsCovered(host, v, f2)) return false;
    return true;
}

TVal MaxOfFactor(Host& host, const TFactor& f) {
    if (f.EvalList.empty()) {
        InternalError(host, InternalErrorCode::MaxOfEmptyFactor);
        return TVal{};
    }
    auto it = f.EvalList.begin();
    TVal m = *it;
    for (++it; it != f.EvalList.end(); ++it) {
        const std::size_t n = std::min(m.size(), it->size());
        for (std::size_t i = 0; i < n; ++i)
            m[i] = std::max(m[i], (*it)[i]);
    }
    return m;
}

TVal MinOfFactor(Host& host, const TFactor& f) {
    if (f.EvalList.empty()) {
        InternalError(host, InternalErrorCode::MinOfEmptyFactor);
        return TVal{};
    }
    auto it = f.EvalList.begin();
    TVal m = *it;
    for (++it; it != f.EvalList.end(); ++it) {
        const std::size_t n = std::min(m.size(), it->size());
        for (std::size_t i = 0; i < n; ++i)
            m[i] = std::min(m[i], (*it)[i]);
    }
    return m;
}

bool PruneDominated(Host& host, TFactor& f, const TVal& v) {
    bool dominated = false;
    f.EvalList.walk([&](const TVal& w) {
        switch (CompareVal(host, w, v)) {
        case '<':
            return WalkStep::Remove;
        case '|':
            return WalkStep::Keep;
        default: // '=' or '>'
            dominated = true;
            return WalkStep::Stop;
        }
    });
    return dominated;
}

bool AddVal(Host& host, TFactor& f, const TVal& v) {
    if (PruneDominated(host, f, v)) return false;
    f.EvalList.push_front(v);
    return true;
}

void ReduceFactor(Host& host, TFactor& f) {
    TEvalList old;
    std::swap(old, f.EvalList);
    ReducedListBuilder kept;
    for (const TVal& v : old)
        kept.Add(host, v);
    f.EvalList = kept.Take();
}

// --- combining factors -----------------------------------------------------------

TFactor UnionFactors(Host& host, TFactor& f1, TFactor& f2) {
    ReducedUnion u(f1);
    u.Unite(host, f2);
    FreeFactor(f2);
    return u.Take();
}

TFactor UnionOfReducedFactors(Host& host, TFactor& f1, TFactor& f2) {
    bool stopped = false;
    f2.EvalList.walk([&](const TVal& v) {
        if (stopped || host.stopRequested()) {
            stopped = true;
            return WalkStep::Remove;
        }
        return PruneDominated(host, f1, v) ? WalkStep::Remove : WalkStep::Keep;
    });
    TFactor r{f1.Dom, {}};
    std::swap(r.EvalList, f1.EvalList);
    r.EvalList.spliceFront(f2.EvalList);
    FreeFactor(f1);
    FreeFactor(f2);
    return r;
}

TFactor ProductFactors(Host& host, TFactor& f1, TFactor& f2) {
    TFactor r = Multiply(host, f1, f2);
    FreeFactor(f1);
    FreeFactor(f2);
    return r;
}

TFactor RestrictFactor(Host& host, const TFactor& f, const TDom& d) {
    ReducedListBuilder kept;
    // Positions of d's DivNrs in f.Dom; a missing one leaves it to RestrictVal
    // to report.
    std::uint8_t pos[MaxDivisions];
    bool plain = f.Dom.size() <= MaxDivisions;
    std::size_t i = 0;
    for (std::size_t j = 0; plain && j < d.size(); ++j) {
        while (i < f.Dom.size() && f.Dom[i] < d[j])
            ++i;
        if (i == f.Dom.size() || f.Dom[i] != d[j])
            plain = false;
        else
            pos[j] = static_cast<std::uint8_t>(i++);
    }
    for (const TVal& v : f.EvalList) {
        if (plain && v.size() == f.Dom.size()) {
            TVal w = TVal::withLength(d.size());
            for (std::size_t j = 0; j < d.size(); ++j)
                w[j] = v[pos[j]];
            kept.Add(host, w);
        } else {
            kept.Add(host, RestrictVal(host, f.Dom, v, d));
        }
    }
    return TFactor{d, kept.Take()};
}

void CapFactor(Host& host, TFactor& f, const TVal& cap) {
    for (TVal& v : f.EvalList) {
        const std::size_t n = std::min(v.size(), cap.size());
        for (std::size_t i = 0; i < n; ++i)
            v[i] = std::min(v[i], cap[i]);
    }
    ReduceFactor(host, f);
}

void KeepAtLeast(Host& host, TFactor& f, const TVal& l) {
    f.EvalList.walk(
        [&](const TVal& v) { return ValAllLE(host, l, v) ? WalkStep::Keep : WalkStep::Remove; });
}

TEval ExtractSingleValues(Host& host, TFactor& f) {
    const TVal mn = MinOfFactor(host, f);
    const TVal mx = MaxOfFactor(host, f);
    if (f.EvalList.empty()) return EmptyEval;
    TDom dDiff, dSame;
    TVal vSame;
    SplitSameValues(f.Dom, mn, mx, dDiff, vSame, dSame);
    TEval e = MakeEval(host, dSame, vSame);
    if (!dSame.empty()) {
        // Keep the positions where the Vals differ, in place.
        std::uint8_t keep[MaxDivisions];
        std::size_t n = 0;
        const std::size_t common = std::min(mn.size(), mx.size());
        for (std::size_t i = 0; i < f.Dom.size(); ++i)
            if (i >= common || mn[i] != mx[i]) keep[n++] = static_cast<std::uint8_t>(i);
        for (TVal& v : f.EvalList) {
            if (v.size() == f.Dom.size()) {
                for (std::size_t k = 0; k < n; ++k)
                    v[k] = v[keep[k]];
                v.resize(n);
            } else {
                v = RestrictVal(host, f.Dom, v, dDiff);
            }
        }
        f.Dom = dDiff;
    }
    // Each restricted Val was put at the front of the new list.
    f.EvalList.reverse();
    return e;
}

// --- lists of factors ------------------------------------------------------------

TFactorList AppendFactorLists(TFactorList& l1, TFactorList& l2) {
    TFactorList r;
    std::swap(r, l1);
    r.reserve(r.size() + l2.size());
    for (TFactor& f : l2)
        r.push_back(std::move(f));
    l2.clear();
    return r;
}

void PopFactor(Host& host, TFactorList& l) {
    if (l.empty()) {
        InternalError(host, InternalErrorCode::PopFactorOfEmptyList);
        return;
    }
    l.erase(l.begin());
}

TDom UnionOfDoms(const TFactorList& l) {
    TDom d;
    for (const TFactor& f : l)
        d = DomUnion(d, f.Dom);
    return d;
}

TEval MaxOfFactorList(Host& host, const TFactorList& l) {
    TEval e = EmptyEval;
    for (const TFactor& f : l)
        e = ConcatEval(host, e, TEval{f.Dom, MaxOfFactor(host, f)});
    return e;
}

TEval MinOfFactorList(Host& host, const TFactorList& l) {
    TEval e = EmptyEval;
    for (const TFactor& f : l)
        e = ConcatEval(host, e, TEval{f.Dom, MinOfFactor(host, f)});
    return e;
}

TFactor ProductOfFactorList(Host& host, TFactorList& l, const ExpansionBound* bound) {
    // The running product starts reduced and stays so.
    TFactor f{TDom{}, TEvalList{TVal{}}};
    for (const TFactor& g : l) {
        // Only the last two products are worth testing against the bound:
        // before them the products are rarely covered, and testing them
        // costs more than it saves.
        const ExpansionBound* last = &g + 2 > &l.back() ? bound : nullptr;
        if (host.stopRequested() && !g.EvalList.empty()) {
            // The result will be discarded; multiplying by one Val of each
            // remaining factor keeps its division set whole and costs nothing.
            TFactor first{g.Dom, TEvalList{g.EvalList.front()}};
            f = Multiply(host, f, first, {.f1Reduced = true});
        } else {
            f = Multiply(host, f, g, {.interruptible = true, .f1Reduced = true, .bound = last});
        }
    }
    l.clear();
    return f;
}

TFactor ExpandFactorList(Host& host, TFactorList& l, const TEval& fixed,
                         const ExpansionBound* bound) {
    // Without factors the bound is tested here, on the whole strategies.
    const bool factors = !l.empty();
    TFactor f = ProductOfFactorList(host, l, bound);
    return Multiply(host, f, FactorOfEval(fixed),
                    {.f1Reduced = true, .bound = factors ? nullptr : bound});
}

TEval AddFactorMerging(Host& host, TFactorList& l, TFactor& f) {
    TEval e = EmptyEval;
    std::size_t i = 0;
    while (i < l.size()) {
        const TFactor& n = l[i];
        if (DomDisjoint(n.Dom, f.Dom)) {
            ++i;
            continue;
        }
        TFactor p = Multiply(host, f, n);
        if (CountVals(f) + CountVals(n) > CountVals(p)) {
            f = std::move(p);
            e = ConcatEval(host, e, ExtractSingleValues(host, f));
            l.erase(l.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
    l.insert(l.begin(), std::move(f));
    FreeFactor(f);
    return e;
}

} // namespace nvx
