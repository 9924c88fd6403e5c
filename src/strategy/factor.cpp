#include "strategy/factor.h"

#include "strategy/parallel.h"
#include "strategy/reduced.h"

#include <algorithm>
#include <span>

namespace nvx {
namespace {

bool Ascending(const Dom& d) {
    for (std::size_t i = 1; i < d.size(); ++i)
        if (d[i - 1] >= d[i]) return false;
    return true;
}

// A Val of one operand spread over the merged set: 255 (above any number of
// tricks) where the operand has no value, so that the pointwise minimum of two
// spread Vals is their merge.
void Spread(const Val& v, const Dom& from, const Dom& to, Val& out) {
    out = Val::filled(to.size(), 0xFF);
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
bool KnownReduced(Host& host, const EvalList& l) {
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
    // Whether the bound's Covered is asked, or only its Admits.
    bool askCovered = true;
    // Where the bound's answers are tallied, if anywhere.
    BoundYield* yield = nullptr;
};

// Asks an expansion bound about product Vals over one division set: the Val
// on its divisions, the bound's maximum on the others.
class BoundTest {
  public:
    BoundTest(const ExpansionBound* bound, const Dom& dom, bool askCovered)
        : bound_(bound), askCovered_(askCovered) {
        askCovered_ = askCovered_ && bound_ != nullptr && bound_->Covered;
        if (bound_ == nullptr || (!askCovered_ && !bound_->Admits)) {
            bound_ = nullptr;
            return;
        }
        const Dom& all = bound_->Max.Dom;
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
        parts_[0].upper = parts_[1].upper = bound_->Max.Val;
    }
    bool Active() const { return bound_ != nullptr; }
    // Every strategy that v can still lead to is covered.
    bool Covered(const Val& v, unsigned part) {
        if (bound_ == nullptr) return false;
        Part& p = parts_[part];
        Val& u = p.upper; // the other positions keep the maximum
        for (std::size_t j = 0; j < at_.size(); ++j)
            u[at_[j]] = v[j];
        if (bound_->Admits && !bound_->Admits(u, part)) return true;
        if (!askCovered_) return false;
        const bool covered = bound_->Covered(u, part);
        ++p.asked;
        p.covered += covered ? 1 : 0;
        return covered;
    }
    // Adds the answers given so far to the tally.
    void TallyInto(BoundYield& yield) const {
        for (const Part& p : parts_) {
            yield.asked += p.asked;
            yield.covered += p.covered;
        }
    }

  private:
    const ExpansionBound* bound_;
    bool askCovered_;
    std::vector<std::size_t> at_; // position in the bound's Dom of each division
    struct alignas(64) Part {     // one for each thread that asks
        Val upper;
        std::uint64_t asked = 0, covered = 0;
    };
    Part parts_[2];
};

// Beyond this many pairs a product takes the plain way.
constexpr std::size_t MaxPairsByIndexes = std::size_t{1} << 22;

// Where each division of a factor lies in the merged set.
std::vector<std::size_t> PositionsIn(const Dom& from, const Dom& to) {
    std::vector<std::size_t> at(from.size());
    std::size_t j = 0;
    for (std::size_t i = 0; i < from.size(); ++i) {
        while (to[j] != from[i])
            ++j;
        at[i] = j;
    }
    return at;
}

// The Vals of a factor spread over the merged set (a superset of its
// divisions, as Spread does it), one after the other.
std::vector<std::uint8_t> SpreadAll(const Factor& f, const Dom& to) {
    const std::vector<std::size_t> at = PositionsIn(f.Dom, to);
    std::vector<std::uint8_t> flat(f.EvalList.size() * to.size(), 0xFF);
    std::uint8_t* out = flat.data();
    for (const Val& v : f.EvalList) {
        for (std::size_t i = 0; i < at.size(); ++i)
            out[at[i]] = v[i];
        out += to.size();
    }
    return flat;
}

// One factor of a product by indexes: which of its Vals are at least a
// pair's merge on the factor's divisions. Only on the divisions it shares with
// the other factor can the merge lie below the pair's own Val i, so the
// candidates are the Vals at least Val i on the others, found once for each
// i; where they are many, an index over the whole Vals is asked instead.
class ProductSide {
  public:
    ProductSide(const Factor& f, const Dom& other, const Dom& merged)
        : length_(f.Dom.size()), at_(PositionsIn(f.Dom, merged)), index_(f.Dom.size()) {
        std::vector<std::size_t> own; // the divisions not shared
        for (std::size_t k = 0; k < f.Dom.size(); ++k)
            (std::binary_search(other.begin(), other.end(), f.Dom[k]) ? shared_ : own).push_back(k);
        const std::size_t n = f.EvalList.size();
        vals_.reserve(n * length_);
        // Val i of f on its own divisions is entry i of ownIndex.
        std::vector<std::uint8_t> parts(n * own.size());
        std::uint8_t* part = parts.data();
        for (const Val& v : f.EvalList) {
            vals_.insert(vals_.end(), v.begin(), v.end());
            for (const std::size_t k : own)
                *part++ = v[k];
        }
        DominanceIndex ownIndex(own.size());
        ownIndex.AddAll(parts.data(), n);
        std::vector<std::uint8_t>().swap(parts);
        candidates_.resize(n);
        // The queries only read the index: on two threads when there are many.
        std::vector<std::uint32_t> ids[2];
        TestOnTwoThreads(n, 4096, many_, [&](std::size_t i, unsigned half) {
            ownIndex.FindAllAtLeast(ownIndex.ValAt(i), ids[half], 0, MaxCandidates);
            if (ids[half].size() > MaxCandidates) return true;
            std::vector<std::uint32_t>& all = candidateIds_[half];
            candidates_[i] = {static_cast<std::uint32_t>(all.size()),
                              static_cast<std::uint8_t>(ids[half].size()),
                              static_cast<std::uint8_t>(half)};
            all.insert(all.end(), ids[half].begin(), ids[half].end());
            return false;
        });
        if (std::find(many_.begin(), many_.end(), 1) != many_.end()) {
            std::vector<const Val*> ptrs;
            ptrs.reserve(n);
            for (const Val& v : f.EvalList)
                ptrs.push_back(&v);
            index_.AddAll(ptrs);
        }
    }

    // The Vals at least the merge m (over the merged divisions) on this
    // factor's divisions, lowest first, for a pair with Val i of this factor;
    // false as soon as one below i is found. scratch has the factor's length.
    bool AtLeast(std::size_t i, const Val& m, Val& scratch, std::vector<std::uint32_t>& ids) const {
        if (many_[i]) {
            for (std::size_t k = 0; k < length_; ++k)
                scratch[k] = m[at_[k]];
            return index_.FindAllAtLeast(scratch, ids, i);
        }
        ids.clear();
        const Candidates& of = candidates_[i];
        for (const std::uint32_t c : std::span(candidateIds_[of.list].data() + of.from, of.count)) {
            const std::uint8_t* v = vals_.data() + c * length_;
            if (std::any_of(shared_.begin(), shared_.end(),
                            [&](std::size_t k) { return v[k] < m[at_[k]]; }))
                continue;
            if (c < i) return false;
            ids.push_back(c);
        }
        return true;
    }

  private:
    static constexpr std::size_t MaxCandidates = 64;
    static_assert(MaxCandidates <= UINT8_MAX); // a Candidates::count each
    std::size_t length_;
    std::vector<std::size_t> at_;     // where each division lies in the merged set
    std::vector<std::size_t> shared_; // the divisions the other factor has too
    std::vector<std::uint8_t> vals_;  // the Vals, one after the other
    DominanceIndex index_;
    // The queries of each thread append their ids to a list of their own;
    // Val i's candidates are count ids from `from` on in list `list`.
    struct Candidates {
        std::uint32_t from;
        std::uint8_t count, list;
    };
    std::vector<std::uint32_t> candidateIds_[2];
    std::vector<Candidates> candidates_;
    std::vector<char> many_;
};

// The reduced product of two long factors, as adding every merged pair in
// pair order with AddVal gives it: the pairs that no other pair beats, the
// first of equal ones, the latest at the front.
//
// The merge of pair (i', j') is at least that of (i, j) exactly where Val i'
// of f1 is at least it on f1's divisions and Val j' of f2 on f2's: so the
// pairs at least (i, j) are those of I x J, with I the Vals of f1 and J those
// of f2 that qualify, and each pair is settled on its own from the factors'
// Vals instead of against the growing list of the pairs kept. Pair (i, j)
// (which is in I x J) goes when
//   1. some i' < i is in I: pair (i', j) comes first and is at least as good;
//   2. some j' < j is in J: likewise pair (i, j');
//   3. some other pair of I x J has more tricks in all: it beats (i, j)
//      (the rest of I x J are later pairs equal to it);
//   4. the bound covers it.
// Returns false when a Val has more tricks than an index can hold.
bool ProductByIndexes(Host& host, const Factor& f1, const Factor& f2, Factor& r, bool interruptible,
                      BoundTest& bound) {
    const std::size_t n1 = f1.EvalList.size(), n2 = f2.EvalList.size(), len = r.Dom.size();
    auto fits = [](const EvalList& l) {
        return std::all_of(l.begin(), l.end(), DominanceIndex::ValuesFit);
    };
    if (!fits(f1.EvalList) || !fits(f2.EvalList)) return false;
    const ProductSide side1(f1, f2.Dom, r.Dom), side2(f2, f1.Dom, r.Dom);
    const std::vector<std::uint8_t> flat1 = SpreadAll(f1, r.Dom), flat2 = SpreadAll(f2, r.Dom);
    const auto total = [&](std::size_t i, std::size_t j) {
        std::uint32_t t = 0;
        const std::uint8_t* a = flat1.data() + i * len;
        const std::uint8_t* b = flat2.data() + j * len;
        for (std::size_t p = 0; p < len; ++p)
            t += std::min(a[p], b[p]);
        return t;
    };
    struct Scratch {
        Val v, v1, v2;
        std::vector<std::uint32_t> in1, in2;
    };
    Scratch scratch[2];
    for (Scratch& x : scratch) {
        x.v = Val::withLength(len);
        x.v1 = Val::withLength(f1.Dom.size());
        x.v2 = Val::withLength(f2.Dom.size());
    }
    const auto beaten = [&](std::uint64_t nr, unsigned part) {
        Scratch& x = scratch[part];
        const std::size_t i = nr / n2, j = nr % n2;
        detail::MinBytes(x.v.data(), flat1.data() + i * len, flat2.data() + j * len, len);
        // Steps 1 and 2.
        if (!side1.AtLeast(i, x.v, x.v1, x.in1) || !side2.AtLeast(j, x.v, x.v2, x.in2)) return true;
        // Step 3. Every Val found is i or j or later.
        if (x.in1.size() > 1 || x.in2.size() > 1) {
            std::uint32_t t = 0;
            for (std::uint8_t b : x.v)
                t += b;
            for (std::uint32_t a : x.in1)
                for (std::uint32_t b : x.in2)
                    if ((a != i || b != j) && total(a, b) > t) return true;
        }
        // Step 4.
        return bound.Covered(x.v, part);
    };
    std::vector<Val> storage; // back to front: pair order
    constexpr std::size_t Chunk = 1 << 14;
    std::vector<char> gone;
    const std::uint64_t pairs = std::uint64_t{n1} * n2;
    for (std::uint64_t from = 0; from < pairs; from += Chunk) {
        if (interruptible && !storage.empty()) {
            host.ProcessPendingEvents();
            if (host.StopRequested()) break;
        }
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(Chunk, pairs - from));
        TestOnTwoThreads(n, 4096, gone,
                         [&](std::size_t k, unsigned part) { return beaten(from + k, part); });
        for (std::size_t k = 0; k < n; ++k) {
            if (gone[k]) continue;
            const std::uint64_t nr = from + k;
            Val& v = storage.emplace_back(Val::withLength(len));
            detail::MinBytes(v.data(), flat1.data() + nr / n2 * len, flat2.data() + nr % n2 * len,
                             len);
        }
    }
    r.EvalList = EvalList::FromBackToFront(std::move(storage));
    return true;
}

// The product of two factors without consuming them.
Factor Multiply(Host& host, const Factor& f1, const Factor& f2, ProductOptions options = {}) {
    const bool interruptible = options.interruptible;
    Factor r;
    r.Dom = DomUnion(f1.Dom, f2.Dom);
    BoundTest bound(options.bound, r.Dom, options.askCovered);
    // However the product ends, the bound's answers go into the tally.
    struct Tally {
        const BoundTest& bound;
        BoundYield* yield;
        ~Tally() {
            if (yield != nullptr) bound.TallyInto(*yield);
        }
    } tally{bound, options.yield};
    bool careful = !Ascending(f1.Dom) || !Ascending(f2.Dom);
    for (const Val& v : f1.EvalList)
        careful |= v.size() != f1.Dom.size();
    for (const Val& v : f2.EvalList)
        careful |= v.size() != f2.Dom.size();
    if (careful) {
        // Take the plain way, which reports misaligned Vals.
        for (const Val& v1 : f1.EvalList)
            for (const Val& v2 : f2.EvalList) {
                Val m = Val::withLength(r.Dom.size());
                MergeVal(host, m, f1.Dom, v1, f2.Dom, v2);
                if (!bound.Covered(m, 0)) AddVal(host, r, m);
            }
        return r;
    }
    std::vector<Val> spread2(f2.EvalList.size());
    std::size_t k = 0;
    for (const Val& v2 : f2.EvalList)
        Spread(v2, f2.Dom, r.Dom, spread2[k++]);
    // Over disjoint division sets the merged Vals of two reduced factors
    // dominate one another only where their parts do: none do, and every
    // pair is kept, the latest at the front.
    const bool allKept =
        options.f1Reduced && DomDisjoint(f1.Dom, f2.Dom) && KnownReduced(host, f2.EvalList);
    const std::size_t pairCount = f1.EvalList.size() * f2.EvalList.size();
    if (!allKept && pairCount >= 64 && pairCount <= MaxPairsByIndexes &&
        ProductByIndexes(host, f1, f2, r, interruptible, bound))
        return r;
    std::vector<Val> storage; // back to front, when allKept
    ReducedListBuilder kept;
    Val s1, m = Val::withLength(r.Dom.size());
    std::size_t pairs = 0; // pairs combined since the host last handled its events
    for (const Val& v1 : f1.EvalList) {
        if (interruptible && (kept.Size() > 0 || !storage.empty())) {
            if (pairs >= 1024) {
                host.ProcessPendingEvents();
                pairs = 0;
            }
            if (host.StopRequested()) break;
        }
        pairs += spread2.size();
        Spread(v1, f1.Dom, r.Dom, s1);
        for (const Val& s2 : spread2) {
            detail::MinBytes(m.data(), s1.data(), s2.data(), m.size());
            if (bound.Covered(m, 0)) continue;
            if (allKept)
                storage.push_back(m);
            else
                kept.Add(host, m);
        }
    }
    r.EvalList = allKept ? EvalList::FromBackToFront(std::move(storage)) : kept.Take();
    return r;
}

} // namespace

// --- lists of Vals -----------------------------------------------------------

Val PopVal(Host& host, EvalList& l) {
    if (l.empty()) {
        InternalError(host, InternalErrorCode::PopValOfEmptyList);
        return Val{};
    }
    Val v = l.front();
    l.pop_front();
    return v;
}

// --- factor basics -------------------------------------------------------------

Factor FactorOfEval(const Eval& e) {
    Factor f{e.Dom, {}};
    f.EvalList.push_front(e.Val);
    return f;
}

void ClearEvalList(Factor& f) {
    f.EvalList.release();
}

void FreeFactor(Factor& f) {
    f.EvalList.release();
    f.Dom.clear();
}

void CheckFactor(Host& host, const Factor& f) {
    CheckOrderedDom(host, f.Dom);
    for (const Val& v : f.EvalList)
        if (v.size() != f.Dom.size()) InternalError(host, InternalErrorCode::ValNotAlignedWithDom);
}

// --- dominance on factors ------------------------------------------------------

bool IsCovered(Host& host, const Val& v, const Factor& f) {
    for (const Val& w : f.EvalList)
        if (ValAllLE(host, v, w)) return true;
    return false;
}

bool FactorCoveredBy(Host& host, const Factor& f1, const Factor& f2) {
    if (!(f1.Dom == f2.Dom)) {
        InternalError(host, InternalErrorCode::CoveredFactorsDomsDiffer);
        return false;
    }
    for (const Val& v : f1.EvalList)
        if (!IsCovered(host, v, f2)) return false;
    return true;
}

Val MaxOfFactor(Host& host, const Factor& f) {
    if (f.EvalList.empty()) {
        InternalError(host, InternalErrorCode::MaxOfEmptyFactor);
        return Val{};
    }
    auto it = f.EvalList.begin();
    Val m = *it;
    for (++it; it != f.EvalList.end(); ++it) {
        const std::size_t n = std::min(m.size(), it->size());
        for (std::size_t i = 0; i < n; ++i)
            m[i] = std::max(m[i], (*it)[i]);
    }
    return m;
}

Val MinOfFactor(Host& host, const Factor& f) {
    if (f.EvalList.empty()) {
        InternalError(host, InternalErrorCode::MinOfEmptyFactor);
        return Val{};
    }
    auto it = f.EvalList.begin();
    Val m = *it;
    for (++it; it != f.EvalList.end(); ++it) {
        const std::size_t n = std::min(m.size(), it->size());
        for (std::size_t i = 0; i < n; ++i)
            m[i] = std::min(m[i], (*it)[i]);
    }
    return m;
}

bool PruneDominated(Host& host, Factor& f, const Val& v) {
    bool dominated = false;
    f.EvalList.walk([&](const Val& w) {
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

bool AddVal(Host& host, Factor& f, const Val& v) {
    if (PruneDominated(host, f, v)) return false;
    f.EvalList.push_front(v);
    return true;
}

void ReduceFactor(Host& host, Factor& f) {
    EvalList old;
    std::swap(old, f.EvalList);
    ReducedListBuilder kept;
    for (const Val& v : old)
        kept.Add(host, v);
    f.EvalList = kept.Take();
}

// --- combining factors -----------------------------------------------------------

Factor UnionFactors(Host& host, Factor& f1, Factor& f2) {
    ReducedUnion u(f1);
    u.Unite(host, f2);
    FreeFactor(f2);
    return u.Take();
}

Factor UnionOfReducedFactors(Host& host, Factor& f1, Factor& f2) {
    bool stopped = false;
    f2.EvalList.walk([&](const Val& v) {
        if (stopped || host.StopRequested()) {
            stopped = true;
            return WalkStep::Remove;
        }
        return PruneDominated(host, f1, v) ? WalkStep::Remove : WalkStep::Keep;
    });
    Factor r{f1.Dom, {}};
    std::swap(r.EvalList, f1.EvalList);
    r.EvalList.spliceFront(f2.EvalList);
    FreeFactor(f1);
    FreeFactor(f2);
    return r;
}

Factor ProductFactors(Host& host, Factor& f1, Factor& f2) {
    Factor r = Multiply(host, f1, f2);
    FreeFactor(f1);
    FreeFactor(f2);
    return r;
}

Factor RestrictFactor(Host& host, const Factor& f, const Dom& d) {
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
    for (const Val& v : f.EvalList) {
        if (plain && v.size() == f.Dom.size()) {
            Val w = Val::withLength(d.size());
            for (std::size_t j = 0; j < d.size(); ++j)
                w[j] = v[pos[j]];
            kept.Add(host, w);
        } else {
            kept.Add(host, RestrictVal(host, f.Dom, v, d));
        }
    }
    return Factor{d, kept.Take()};
}

void CapFactor(Host& host, Factor& f, const Val& cap) {
    for (Val& v : f.EvalList) {
        const std::size_t n = std::min(v.size(), cap.size());
        for (std::size_t i = 0; i < n; ++i)
            v[i] = std::min(v[i], cap[i]);
    }
    ReduceFactor(host, f);
}

void KeepAtLeast(Host& host, Factor& f, const Val& l) {
    f.EvalList.walk(
        [&](const Val& v) { return ValAllLE(host, l, v) ? WalkStep::Keep : WalkStep::Remove; });
}

Eval ExtractSingleValues(Host& host, Factor& f) {
    const Val mn = MinOfFactor(host, f);
    const Val mx = MaxOfFactor(host, f);
    if (f.EvalList.empty()) return EmptyEval;
    Dom dDiff, dSame;
    Val vSame;
    SplitSameValues(f.Dom, mn, mx, dDiff, vSame, dSame);
    Eval e = MakeEval(host, dSame, vSame);
    if (!dSame.empty()) {
        // Keep the positions where the Vals differ, in place.
        std::uint8_t keep[MaxDivisions];
        std::size_t n = 0;
        const std::size_t common = std::min(mn.size(), mx.size());
        for (std::size_t i = 0; i < f.Dom.size(); ++i)
            if (i >= common || mn[i] != mx[i]) keep[n++] = static_cast<std::uint8_t>(i);
        for (Val& v : f.EvalList) {
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

FactorList AppendFactorLists(FactorList& l1, FactorList& l2) {
    FactorList r;
    std::swap(r, l1);
    r.reserve(r.size() + l2.size());
    for (Factor& f : l2)
        r.push_back(std::move(f));
    l2.clear();
    return r;
}

void PopFactor(Host& host, FactorList& l) {
    if (l.empty()) {
        InternalError(host, InternalErrorCode::PopFactorOfEmptyList);
        return;
    }
    l.erase(l.begin());
}

Dom UnionOfDoms(const FactorList& l) {
    Dom d;
    for (const Factor& f : l)
        d = DomUnion(d, f.Dom);
    return d;
}

Eval MaxOfFactorList(Host& host, const FactorList& l) {
    Eval e = EmptyEval;
    for (const Factor& f : l)
        e = ConcatEval(host, e, Eval{f.Dom, MaxOfFactor(host, f)});
    return e;
}

Eval MinOfFactorList(Host& host, const FactorList& l) {
    Eval e = EmptyEval;
    for (const Factor& f : l)
        e = ConcatEval(host, e, Eval{f.Dom, MinOfFactor(host, f)});
    return e;
}

Factor ProductOfFactorList(Host& host, FactorList& l, const ExpansionBound* bound) {
    // The running product starts reduced and stays so.
    Factor f{Dom{}, EvalList{Val{}}};
    for (const Factor& g : l) {
        // The last two products are tested against the bound, the ones
        // before them only when they are big and it is worth it.
        const bool lastTwo = &g + 2 > &l.back();
        BoundYield* yield = bound != nullptr && !lastTwo ? bound->Yield : nullptr;
        const bool ask = lastTwo || (yield != nullptr &&
                                     f.EvalList.size() * g.EvalList.size() >= yield->manyPairs &&
                                     yield->WorthAsking());
        if (host.StopRequested() && !g.EvalList.empty()) {
            // The result will be discarded; multiplying by one Val of each
            // remaining factor keeps its division set whole and costs nothing.
            Factor first{g.Dom, EvalList{g.EvalList.front()}};
            f = Multiply(host, f, first, {.f1Reduced = true});
        } else {
            f = Multiply(host, f, g,
                         {.interruptible = true,
                          .f1Reduced = true,
                          .bound = bound,
                          .askCovered = ask,
                          .yield = ask ? yield : nullptr});
        }
    }
    l.clear();
    return f;
}

Factor ExpandFactorList(Host& host, FactorList& l, const Eval& fixed, const ExpansionBound* bound) {
    // Without factors the bound is tested here, on the whole strategies.
    const bool factors = !l.empty();
    Factor f = ProductOfFactorList(host, l, bound);
    return Multiply(host, f, FactorOfEval(fixed),
                    {.f1Reduced = true, .bound = factors ? nullptr : bound});
}

std::optional<Factor> SmallerProduct(Host& host, const Factor& f1, const Factor& f2) {
    Factor p = Multiply(host, f1, f2);
    if (CountVals(p) >= CountVals(f1) + CountVals(f2)) return std::nullopt;
    return p;
}

Eval AddFactorMerging(Host& host, FactorList& l, Factor& f, const FactorMerge* merge) {
    Eval e = EmptyEval;
    std::size_t i = 0;
    while (i < l.size()) {
        const Factor& n = l[i];
        if (DomDisjoint(n.Dom, f.Dom)) {
            ++i;
            continue;
        }
        std::optional<Factor> p =
            merge != nullptr ? (*merge)(host, f, n) : SmallerProduct(host, f, n);
        if (p) {
            f = std::move(*p);
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
