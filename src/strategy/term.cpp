#include "strategy/term.h"

#include "strategy/parallel.h"
#include "strategy/reduced.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cassert>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace nvx {
namespace {

// Which Vals of a factor are at least a given Val, as the bits of the
// factor's Vals: per division and value, those at least the value there.
class CoverMasks {
  public:
    static constexpr std::size_t MaxVals = 64;
    static constexpr unsigned Levels = 16;

    // False when n has more Vals than there are bits, or a value the table
    // does not reach.
    bool Build(const Factor& n) {
        const std::size_t count = n.EvalList.size();
        if (count > MaxVals) return false;
        len_ = n.Dom.size();
        masks_.assign(len_ * Levels, 0);
        std::uint64_t bit = 1;
        for (const Val& w : n.EvalList) {
            if (w.size() != len_) return false;
            for (std::size_t j = 0; j < len_; ++j) {
                if (w[j] >= Levels) return false;
                masks_[j * Levels + w[j]] |= bit;
            }
            bit <<= 1;
        }
        // A Val at least k at a position is at least every lower value.
        for (std::size_t j = 0; j < len_; ++j)
            for (unsigned k = Levels - 1; k > 0; --k)
                masks_[j * Levels + k - 1] |= masks_[j * Levels + k];
        all_ = count == MaxVals ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1;
        return true;
    }
    // The Vals whose value at position j is at least k.
    std::uint64_t AtLeast(std::size_t j, std::uint8_t k) const {
        return k < Levels ? masks_[j * Levels + k] : 0;
    }
    // The Vals at least m everywhere.
    std::uint64_t AtLeast(const Val& m) const {
        std::uint64_t acc = all_;
        for (std::size_t j = 0; j < len_ && acc != 0; ++j)
            acc &= AtLeast(j, m[j]);
        return acc;
    }

  private:
    std::size_t len_ = 0;
    std::uint64_t all_ = 0;
    std::vector<std::uint64_t> masks_;
};

// Adds m to the Vals of list from position `from` on, none of which is at
// most another, unless one of them equals or beats it; those it beats go.
void AddUnbeaten(std::vector<Val>& list, std::size_t from, const Val& m) {
    std::size_t kept = from;
    for (std::size_t i = from; i < list.size(); ++i) {
        const unsigned d = detail::DirectionBits(m.data(), list[i].data(), m.size());
        if ((d & 1) == 0) return; // m <= list[i]: m beats none (it would be at most list[i])
        if (d != 1) {             // list[i] stays unless m beats it
            if (kept != i) list[kept] = list[i];
            ++kept;
        }
    }
    list.resize(kept);
    list.push_back(m);
}

// Whether a Val over the divisions of a factor n is at most some Val of n:
// asked of n's masks when they can be built, else by walking n's Vals.
// The Val that answered last is tried first: the Vals asked one after
// another differ little.
class CoverTest {
  public:
    const CoverTest& Build(const Factor& n) {
        n_ = &n;
        useMasks_ = masks_.Build(n);
        last_ = nullptr;
        return *this;
    }
    bool operator()(Host& host, const Val& m) const {
        if (!useMasks_) return IsCovered(host, m, *n_);
        if (last_ != nullptr && detail::AllAtMost(m.data(), last_->data(), m.size())) return true;
        const std::uint64_t found = masks_.AtLeast(m);
        if (found == 0) return false;
        last_ = &n_->EvalList.begin()[std::countr_zero(found)];
        return true;
    }

  private:
    const Factor* n_ = nullptr;
    CoverMasks masks_;
    bool useMasks_ = false;
    mutable const Val* last_ = nullptr; // a Val of n
};

// Decides whether every strategy of a term, seen on a division set d only,
// is at most some Val of a factor n over d. There a strategy takes the
// smaller of MaxEval and of the Val it chooses in each factor of the term
// over those divisions. Build does the steps that depend on the term and d
// alone, so that one projection serves every factor over d.
//
// Step 1. Each factor meeting d becomes a layer: its Vals spread over d
//         (the highest value where the factor has none). Of two Vals the
//         one at most the other there lowers at least as much, so only the
//         others are kept. A layer of one Val lowers every strategy alike
//         and goes into the start.
// Step 2. The layers that lower the most divisions come first: their partial
//         strategies are covered, or shown uncovered, soonest.
// Step 3. The partial strategies are built layer by layer from the start.
//         One that n covers is dropped, since the layers still to come can
//         only lower it; one that another equals or beats goes too. One that
//         stays uncovered even at the lowest values the layers still to come
//         can give settles the question: no strategy through it is covered.
class Projection {
  public:
    const Projection& Build(Host& host, const Term& t, const Dom& d) {
        dom_ = d;
        const std::size_t len = d.size();
        std::fill(std::begin(where_), std::end(where_), Nowhere);
        for (std::size_t j = 0; j < len; ++j)
            where_[d[j]] = static_cast<std::uint8_t>(j);
        start_ = RestrictVal(host, t.MaxEval.Dom, t.MaxEval.Val, d);
        // Step 1.
        lows_.clear();
        layers_.clear();
        for (const Factor& g : t.Factors) {
            // g's Vals on the divisions it shares with d, reduced.
            if (g.Dom.empty() || d.empty() || g.Dom[g.Dom.size() - 1] < d[0] ||
                d[d.size() - 1] < g.Dom[0])
                continue;
            FindCommon(g.Dom);
            if (common_.empty()) continue;
            shared_.clear();
            if (common_.size() == g.Dom.size()) {
                // All of g, whose Vals are reduced already (a dominated one
                // left in would only cost time).
                shared_.assign(g.EvalList.begin(), g.EvalList.end());
            } else {
                for (const Val& v : g.EvalList) {
                    Val r = Val::withLength(common_.size());
                    for (std::size_t c = 0; c < common_.size(); ++c)
                        r[c] = v[common_[c].second];
                    AddUnbeaten(shared_, 0, r);
                }
            }
            if (shared_.size() == 1) {
                for (std::size_t c = 0; c < common_.size(); ++c)
                    start_[common_[c].first] =
                        std::min(start_[common_[c].first], shared_.front()[c]);
                continue;
            }
            Layer layer{lows_.size(), lows_.size() + shared_.size(), 0};
            for (std::size_t c = 0; c < common_.size(); ++c)
                for (const Val& r : shared_)
                    if (r[c] != shared_.front()[c]) {
                        ++layer.lowered;
                        break;
                    }
            for (const Val& r : shared_) {
                Val spread = Val::filled(len, 0xFF);
                for (std::size_t c = 0; c < common_.size(); ++c)
                    spread[common_[c].first] = r[c];
                lows_.push_back(spread);
            }
            layers_.push_back(layer);
        }
        // Step 2.
        // A stable insertion sort: there are few layers.
        const auto before = [](const Layer& a, const Layer& b) {
            if (a.lowered != b.lowered) return a.lowered > b.lowered;
            return a.to - a.from > b.to - b.from;
        };
        for (std::size_t k = 1; k < layers_.size(); ++k)
            for (std::size_t j = k; j > 0 && before(layers_[j], layers_[j - 1]); --j)
                std::swap(layers_[j], layers_[j - 1]);
        // rest_[k]: the lowest values the layers from k on can give.
        const std::size_t count = layers_.size();
        rest_.assign(count + 1, Val::filled(len, 0xFF));
        for (std::size_t k = count; k-- > 0;) {
            rest_[k] = rest_[k + 1];
            for (std::size_t i = layers_[k].from; i < layers_[k].to; ++i)
                detail::MinBytes(rest_[k].data(), rest_[k].data(), lows_[i].data(), len);
        }
        return *this;
    }

    const Dom& Divisions() const { return dom_; }

    // Step 3, for a factor n over the divisions. open and next are scratch.
    bool CoveredBy(Host& host, const CoverTest& n, std::vector<Val>& open,
                   std::vector<Val>& next) const {
        if (n(host, start_)) return true;
        const std::size_t len = dom_.size();
        Val m = Val::withLength(len), low = Val::withLength(len);
        detail::MinBytes(low.data(), start_.data(), rest_[0].data(), len);
        if (!n(host, low)) return false;
        open.assign(1, start_);
        for (std::size_t k = 0; k < layers_.size(); ++k) {
            next.clear();
            for (const Val& p : open)
                for (std::size_t i = layers_[k].from; i < layers_[k].to; ++i) {
                    detail::MinBytes(m.data(), p.data(), lows_[i].data(), len);
                    if (n(host, m)) continue;
                    detail::MinBytes(low.data(), m.data(), rest_[k + 1].data(), len);
                    if (!n(host, low)) return false;
                    AddUnbeaten(next, 0, m);
                }
            open.swap(next);
            if (open.empty()) return true;
        }
        return false;
    }

  private:
    struct Layer {
        std::size_t from, to; // its Vals in lows_
        unsigned lowered;     // the divisions where its Vals differ
    };

    // common_ := the divisions of both (ascending) as pairs of positions:
    // in d, in g; where_ holds the positions in d.
    void FindCommon(const Dom& g) {
        common_.clear();
        for (std::size_t i = 0; i < g.size(); ++i)
            if (const std::uint8_t j = where_[g[i]]; j != Nowhere) common_.emplace_back(j, i);
    }

    static constexpr std::uint8_t Nowhere = 0xFF; // MaxDivisions is less
    Dom dom_;
    Val start_;
    std::vector<Val> lows_; // every layer's Vals, layer after layer
    std::vector<Layer> layers_;
    std::vector<Val> rest_;
    // Scratch of Build.
    std::uint8_t where_[256]; // the position in d of each division number
    std::vector<std::pair<std::size_t, std::size_t>> common_;
    std::vector<Val> shared_;
};

// h mixed with the bytes, eight at a time.
std::uint64_t Mix(std::uint64_t h, const std::uint8_t* p, std::size_t n) {
    constexpr std::uint64_t Odd = 0x9E3779B97F4A7C15;
    for (;; p += 8, n -= 8) {
        std::uint64_t w = 0;
        std::memcpy(&w, p, std::min<std::size_t>(n, 8));
        h = (h ^ w) * Odd;
        h ^= h >> 29;
        if (n <= 8) return h;
    }
}

// h mixed with a factor's divisions and Vals.
std::uint64_t HashFactor(const Factor& f, std::uint64_t h) {
    h = Mix(h, f.Dom.data(), f.Dom.size());
    const std::uint64_t count = CountVals(f);
    h = Mix(h, reinterpret_cast<const std::uint8_t*>(&count), sizeof count);
    for (const Val& v : f.EvalList)
        h = Mix(h, v.data(), v.size());
    return h;
}

// Numbers for the factors met, one for each distinct factor: the terms that
// join one set share most of their factors, and comparing numbers is cheaper
// than comparing the factors.
class FactorIds {
  public:
    static constexpr std::uint32_t None = UINT32_MAX;

    std::uint32_t IdOf(const Factor& f) {
        const std::uint64_t key = HashFactor(f, 0);
        const auto [from, to] = byHash_.equal_range(key);
        for (auto it = from; it != to; ++it)
            if (Holds(it->second, f)) return it->second;
        const auto id = static_cast<std::uint32_t>(from_.size());
        from_.push_back(bytes_.size());
        bytes_.push_back(static_cast<std::uint8_t>(f.Dom.size()));
        bytes_.insert(bytes_.end(), f.Dom.begin(), f.Dom.end());
        const auto count = static_cast<std::uint32_t>(CountVals(f));
        const auto* c = reinterpret_cast<const std::uint8_t*>(&count);
        bytes_.insert(bytes_.end(), c, c + sizeof count);
        for (const Val& v : f.EvalList) {
            bytes_.push_back(static_cast<std::uint8_t>(v.size()));
            bytes_.insert(bytes_.end(), v.begin(), v.end());
        }
        byHash_.emplace(key, id);
        return id;
    }
    // What the factors numbered take, in bytes (a number's own share of
    // the hash table and the offsets counted as 64).
    std::size_t Bytes() const { return bytes_.size() + from_.size() * 64; }
    void Clear() {
        byHash_.clear();
        from_.clear();
        bytes_.clear();
    }

  private:
    // Factor id is f: the same divisions and Vals.
    bool Holds(std::uint32_t id, const Factor& f) const {
        const std::uint8_t* at = bytes_.data() + from_[id];
        if (*at != f.Dom.size() || std::memcmp(at + 1, f.Dom.data(), f.Dom.size()) != 0)
            return false;
        at += 1 + f.Dom.size();
        std::uint32_t count = 0;
        std::memcpy(&count, at, sizeof count);
        if (count != CountVals(f)) return false;
        at += sizeof count;
        const std::uint8_t* end =
            id + 1 < from_.size() ? bytes_.data() + from_[id + 1] : bytes_.data() + bytes_.size();
        for (const Val& v : f.EvalList) {
            if (at == end || *at != v.size() || static_cast<std::size_t>(end - at) < 1 + v.size() ||
                std::memcmp(at + 1, v.data(), v.size()) != 0)
                return false;
            at += 1 + v.size();
        }
        return at == end;
    }

    std::unordered_multimap<std::uint64_t, std::uint32_t> byHash_;
    // Factor id: its division count, divisions, Val count and, for each
    // Val, its length and bytes, from from_[id] on.
    std::vector<std::size_t> from_;
    std::vector<std::uint8_t> bytes_;
};

// Whether one term is covered by each factor asked about so far, by the
// factors' numbers; Next starts over for another term.
class CoverAnswers {
  public:
    void Next() { ++term_; }
    std::optional<bool> Of(std::uint32_t id) const {
        if (id >= at_.size() || at_[id].term != term_) return std::nullopt;
        return at_[id].covered;
    }
    void Note(std::uint32_t id, bool covered) {
        if (id >= at_.size()) at_.resize(std::size_t{id} + 1);
        at_[id] = {term_, covered};
    }
    void Clear() {
        at_.clear();
        term_ = 1;
    }

  private:
    struct Answer {
        std::uint64_t term = 0; // the term it is about
        bool covered = false;
    };
    std::vector<Answer> at_;
    std::uint64_t term_ = 1;
};

// Division sets, the latest noted first.
struct RecentFailures {
    static constexpr std::size_t Size = 4;
    Dom Doms[Size];

    // Puts d first (the last one drops out unless d was there already).
    void Note(const Dom& d) {
        std::size_t i = 0;
        while (i + 1 < Size && !(Doms[i] == d))
            ++i;
        for (; i > 0; --i)
            Doms[i] = Doms[i - 1];
        Doms[0] = d;
    }
};

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

void RegroupFactors(Host& host, Term& t, const FactorMerge* merge) {
    FactorList old;
    std::swap(old, t.Factors);
    for (Factor& f : old)
        AddFactorMerging(host, t.Factors, f, merge); // extracted parts equal MaxEval
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

// The product of two terms, which are left as they are; the merges of
// factors come from `merge` when given.
Term ProductOfTermsCopied(Host& host, const Term& t1, const Term& t2,
                          const FactorMerge* merge = nullptr) {
    Term t;
    t.MaxEval = ConcatEval(host, t1.MaxEval, t2.MaxEval);
    t.Factors = t1.Factors;
    t.Factors.insert(t.Factors.end(), t2.Factors.begin(), t2.Factors.end());
    NormalizeTerm(host, t);
    RegroupFactors(host, t, merge);
    return t;
}

// Whether pairs of factors are worth merging, and their products if so,
// remembered: the terms of one product of sets share their operands'
// factors, so regrouping them multiplies the same pairs again and again. A
// pair is found by a hash of both factors' divisions and Vals and then
// compared in full. What it holds stays under Budget bytes, and starts over
// when a new pair would pass that; a pair with a division set out of order
// or a Val not aligned with it is multiplied every time (the product reports
// it).
class RememberedMerges {
  public:
    static constexpr std::size_t Budget = std::size_t{16} << 20;

    std::optional<Factor> Of(Host& host, const Factor& f1, const Factor& f2) {
        if (!Aligned(f1) || !Aligned(f2)) return SmallerProduct(host, f1, f2);
        const std::uint64_t key = HashFactor(f2, HashFactor(f1, 0));
        const auto [from, to] = merges_.equal_range(key);
        for (auto it = from; it != to; ++it)
            if (it->second.First.Matches(f1) && it->second.Second.Matches(f2)) {
                if (!it->second.Product) return std::nullopt;
                return it->second.Product->Rebuilt();
            }
        std::optional<Factor> p = SmallerProduct(host, f1, f2);
        const std::size_t bytes = (CountVals(f1) + 1) * f1.Dom.size() +
                                  (CountVals(f2) + 1) * f2.Dom.size() +
                                  (p ? (CountVals(*p) + 1) * p->Dom.size() : 0) + 256;
        if (bytes > Budget - held_ && bytes <= Budget / 4) {
            // Full: what is held goes, as the pairs multiplied lately are
            // the ones that repeat.
            merges_.clear();
            held_ = 0;
        }
        if (bytes <= Budget - held_) {
            merges_.emplace(key, Stored{Flat(f1), Flat(f2),
                                        p ? std::optional<FlatFactor>(Flat(*p)) : std::nullopt});
            held_ += bytes;
        }
        return p;
    }

  private:
    // A factor with its Vals one after another, in list order.
    struct FlatFactor {
        nvx::Dom Dom;
        std::vector<std::uint8_t> Vals;

        bool Matches(const Factor& f) const {
            if (!(f.Dom == Dom) || CountVals(f) * Dom.size() != Vals.size()) return false;
            const std::uint8_t* at = Vals.data();
            for (const Val& v : f.EvalList) {
                if (std::memcmp(at, v.data(), v.size()) != 0) return false;
                at += v.size();
            }
            return true;
        }
        Factor Rebuilt() const {
            const std::size_t len = Dom.size();
            const std::size_t count = len == 0 ? 0 : Vals.size() / len;
            std::vector<Val> backToFront(count, Val::withLength(len));
            for (std::size_t k = 0; k < count; ++k)
                std::copy_n(Vals.begin() + static_cast<std::ptrdiff_t>(k * len), len,
                            backToFront[count - 1 - k].begin());
            return Factor{Dom, EvalList::FromBackToFront(std::move(backToFront))};
        }
    };
    struct Stored {
        FlatFactor First, Second;
        std::optional<FlatFactor> Product; // none: not worth merging
    };

    // The Dom ascending and every Val aligned with it.
    static bool Aligned(const Factor& f) {
        for (std::size_t i = 1; i < f.Dom.size(); ++i)
            if (f.Dom[i - 1] >= f.Dom[i]) return false;
        for (const Val& v : f.EvalList)
            if (v.size() != f.Dom.size()) return false;
        return true;
    }
    static FlatFactor Flat(const Factor& f) {
        FlatFactor flat{f.Dom, {}};
        flat.Vals.reserve(CountVals(f) * f.Dom.size());
        for (const Val& v : f.EvalList)
            flat.Vals.insert(flat.Vals.end(), v.begin(), v.end());
        return flat;
    }

    std::unordered_multimap<std::uint64_t, Stored> merges_;
    std::size_t held_ = 0;
};

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

namespace {

// What one subsumption test needs besides the two terms: the projection of
// t1 onto a division set, the cover test of a factor of t2, and room for the
// partial strategies. This thread's own, rebuilt for every test unless a
// side keeps its part across tests that share that term.
struct SubsumptionScratch {
    Projection projection;
    CoverTest cover;
    std::vector<Val> open, next;
};

SubsumptionScratch& ThreadScratch() {
    thread_local SubsumptionScratch scratch;
    return scratch;
}

// t1's projections onto the division sets asked so far, and whether they are
// covered by the factors asked so far (by the factors' numbers, when there
// are answers to keep them in), for testing t1 against a run of terms whose
// factors repeat their division sets, and often the factors themselves.
class KeptProjections {
  public:
    static constexpr std::size_t Most = 64;

    explicit KeptProjections(const Term& t, CoverAnswers* answers = nullptr)
        : t_(t), answers_(answers) {
        if (answers_ != nullptr) answers_->Next();
    }
    KeptProjections(const KeptProjections&) = delete;
    KeptProjections& operator=(const KeptProjections&) = delete;
    // The projections go back to this thread's spares, to be built anew.
    ~KeptProjections() {
        for (std::unique_ptr<Projection>& p : kept_)
            Spares().push_back(std::move(p));
    }
    const Projection& Of(Host& host, const Dom& d) {
        for (const std::unique_ptr<Projection>& p : kept_)
            if (p->Divisions() == d) return *p;
        Projection* p = &ThreadScratch().projection;
        if (kept_.size() < Most) {
            std::vector<std::unique_ptr<Projection>>& spares = Spares();
            if (spares.empty()) {
                kept_.push_back(std::make_unique<Projection>());
            } else {
                kept_.push_back(std::move(spares.back()));
                spares.pop_back();
            }
            p = kept_.back().get();
        }
        return p->Build(host, t_, d);
    }
    // Whether t's strategies are covered by the factor numbered id, if that
    // was asked before.
    std::optional<bool> Answer(std::uint32_t id) const {
        return answers_ != nullptr ? answers_->Of(id) : std::nullopt;
    }
    void Note(std::uint32_t id, bool covered) {
        if (answers_ != nullptr) answers_->Note(id, covered);
    }

  private:
    // Projections of earlier runs on this thread, whose storage is reused:
    // at most Most, as one run at a time holds them on a thread.
    static std::vector<std::unique_ptr<Projection>>& Spares() {
        thread_local std::vector<std::unique_ptr<Projection>> spares;
        return spares;
    }

    const Term& t_;
    CoverAnswers* answers_;
    std::vector<std::unique_ptr<Projection>> kept_;
};

// The cover tests of t2's factors, built once each, for testing a run of
// terms against t2.
class KeptCoverTests {
  public:
    explicit KeptCoverTests(const Term& t) : t_(t), tests_(t.Factors.size()) {}
    const CoverTest& Of(const Factor& n) {
        const auto i = static_cast<std::size_t>(&n - t_.Factors.data());
        if (!tests_[i]) {
            tests_[i] = std::make_unique<CoverTest>();
            tests_[i]->Build(n);
        }
        return *tests_[i];
    }

  private:
    const Term& t_;
    std::vector<std::unique_ptr<CoverTest>> tests_;
};

// Every strategy of t1 equals or is dominated by some strategy of t2, with
// the projections of t1 and the cover tests of t2's factors from the kept
// ones when given. Both terms have strategies (no empty factor), as every
// term of a line set has: the sets' operations ask this of one term after
// another, and most fail at the first test, before a factor is looked at.
// When the answer is no because t1 is not covered by a factor of t2,
// failedAt (if given) is set to that factor. With the numbers of t2's
// factors (in their order), the answers kept with the projections serve.
bool Subsumed(Host& host, const Term& t1, const Term& t2, KeptProjections* projections,
              KeptCoverTests* covers, const Factor** failedAt = nullptr,
              const std::uint32_t* t2Ids = nullptr) {
    assert(!HasEmptyFactor(t1) && !HasEmptyFactor(t2));
    // Some best value of t1 cannot be matched.
    if (!ValAllLE(host, t1.MaxEval.Val, t2.MaxEval.Val)) return false;
    // A strategy of t2 is at least a strategy s of t1 exactly when its Val
    // in every factor is at least s there (t2's MaxEval already is), and t2
    // chooses in each factor independently: so every factor of t2 must cover
    // whatever t1's strategies show on its divisions.
    const bool numbered = projections != nullptr && t2Ids != nullptr;
    const auto idOf = [&](const Factor& n) { return t2Ids[&n - t2.Factors.data()]; };
    // Any order of the factors gives the same answer. One already found not
    // to cover t1 answers at once. Then those over the division sets where
    // tests failed lately go first: the terms tested one after another tend
    // to fail on the same ones.
    if (numbered)
        for (const Factor& n : t2.Factors)
            if (projections->Answer(idOf(n)) == false) return false;
    thread_local RecentFailures recent;
    SubsumptionScratch& scratch = ThreadScratch();
    const Factor* first[RecentFailures::Size] = {};
    for (std::size_t k = 0; k < RecentFailures::Size; ++k)
        for (const Factor& n : t2.Factors)
            if (n.Dom == recent.Doms[k]) first[k] = &n;
    // Whether t1's strategies on n's divisions are covered by n.
    const auto coveredBy = [&](const Factor& n) {
        if (numbered)
            if (const std::optional<bool> known = projections->Answer(idOf(n))) return *known;
        const Projection& projection = projections != nullptr
                                           ? projections->Of(host, n.Dom)
                                           : scratch.projection.Build(host, t1, n.Dom);
        const CoverTest& cover = covers != nullptr ? covers->Of(n) : scratch.cover.Build(n);
        const bool covered = projection.CoveredBy(host, cover, scratch.open, scratch.next);
        if (numbered) projections->Note(idOf(n), covered);
        return covered;
    };
    const auto fails = [&](const Factor& n) {
        if (coveredBy(n)) return false;
        recent.Note(n.Dom);
        if (failedAt != nullptr) *failedAt = &n;
        return true;
    };
    for (const Factor* n : first)
        if (n != nullptr && fails(*n)) return false;
    for (const Factor& n : t2.Factors)
        if (std::find(std::begin(first), std::end(first), &n) == std::end(first) && fails(n))
            return false;
    return true;
}

} // namespace

bool TermSubsumed(Host& host, const Term& t1, const Term& t2) {
    // A term without strategies is subsumed by every term, and subsumes none
    // but those without strategies.
    if (HasEmptyFactor(t1)) return true;
    if (HasEmptyFactor(t2)) return false;
    return Subsumed(host, t1, t2, nullptr, nullptr);
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

void AddTricks(LineSet& s, int tricks) {
    const auto add = [tricks](Val& v) {
        for (std::uint8_t& x : v) {
            assert(x + tricks >= 0 && x + tricks <= UINT8_MAX && "a value leaves its byte");
            x = static_cast<std::uint8_t>(x + tricks);
        }
    };
    for (Term& t : s) {
        add(t.MaxEval.Val);
        for (Factor& f : t.Factors)
            for (Val& v : f.EvalList)
                add(v);
    }
}

void PopTerm(Host& host, LineSet& s) {
    if (s.empty()) {
        InternalError(host, InternalErrorCode::PopTermOfEmptySet);
        return;
    }
    s.pop_front();
}

namespace {

// ConcatSS; true when s2's terms went after s1's, which stay as they were
// (and not before them, or merged with them, or into an empty s1).
bool Concat(Host& host, LineSet& s1, LineSet& s2) {
    if (s1.empty()) {
        s1.swap(s2);
        return false;
    }
    if (s2.empty()) return true;
    if (!(s1.front().MaxEval.Dom == s2.front().MaxEval.Dom)) {
        InternalError(host, InternalErrorCode::ConcatDomsDiffer);
        s1.splice(s1.end(), s2);
        return true;
    }
    bool appended = false;
    if (IsRealProduct(s2.front().Factors)) {
        s1.splice(s1.end(), s2);
        appended = true;
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
        Concat(host, s1, s2);
        LineSet r = NewLineNode(host, t, s1);
        s1.swap(r);
    }
    s2.clear();
    return appended;
}

} // namespace

void ConcatSS(Host& host, LineSet& s1, LineSet& s2) {
    Concat(host, s1, s2);
}

void RemoveSubsumedTerms(Host& host, LineSet& s, const Term& t) {
    // A term without strategies subsumes only such terms, and a set holds none.
    if (HasEmptyFactor(t)) return;
    KeptCoverTests covers(t);
    s.remove_if([&](const Term& x) {
        // Comparing long sets takes a while: let the host handle its events.
        // After a stop request the sets are discarded, so the rest is kept
        // unexamined.
        if (host.StopRequested()) return false;
        host.ProcessPendingEvents();
        return !host.StopRequested() && Subsumed(host, x, t, nullptr, &covers);
    });
}

void UnionSS(Host& host, LineSet& s1, LineSet& s2) {
    // After a stop request the sets are discarded: they are joined as they
    // are, as the terms' comparisons, however quick, number |s1| x |s2|.
    for (const Term& t : s2) {
        if (s1.empty() || host.StopRequested()) break;
        RemoveSubsumedTerms(host, s1, t);
    }
    for (const Term& t : s1) {
        if (s2.empty() || host.StopRequested()) break;
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
    KeptProjections projections(t);
    for (const Term& x : s) {
        if (host.StopRequested()) break;
        host.ProcessPendingEvents();
        if (!host.StopRequested() && Subsumed(host, t, x, &projections, nullptr)) return;
    }
    LineSet single;
    single.push_back(std::move(t));
    ConcatSS(host, s, single);
}

// A line set that terms join one at a time, as UniteTerm joins them, with an
// index over the terms' best values once the set is long. A term can be
// subsumed only by a term whose best values are at least its own everywhere,
// so only such pairs are compared: walking every term of a long set for each
// new one costs more than the tests themselves (the terms lie all over
// memory). Which terms are tested first does not matter: every test is
// independent of the others.
class UnitedTerms {
  public:
    void Unite(Host& host, Term& t) {
        if (!index_ && (noIndex_ || terms_.size() < IndexFrom)) {
            UniteTerm(host, terms_, t);
            return;
        }
        UniteIndexed(host, t);
    }

    // The set; the object is left empty.
    LineSet Take() {
        DropIndex();
        DropFactorIds();
        return std::move(terms_);
    }

  private:
    static constexpr std::size_t IndexFrom = 16;
    // The numbered factors may take this many bytes beyond twice what those
    // of the set took when they were numbered anew; then they are numbered
    // anew.
    static constexpr std::size_t FactorBytesKept = std::size_t{16} << 20;

    void UniteIndexed(Host& host, Term& t) {
        if (HasEmptyFactor(t)) {
            InternalError(host, InternalErrorCode::EmptyTermAdded);
            return;
        }
        // The factors are numbered anew when they take too much room (most
        // numbers given out then belong to no term of the set any more).
        if (!index_ || FactorIdsOverfull()) StartIndex();
        if (index_ && !index_->Indexable(t.MaxEval.Val)) {
            DropIndex(); // and the rest of the set is built the plain way
            noIndex_ = true;
        }
        if (!index_) {
            UniteTerm(host, terms_, t);
            return;
        }
        const Val& best = t.MaxEval.Val;
        newIds_.clear();
        for (const Factor& n : t.Factors)
            newIds_.push_back(factorIds_.IdOf(n));
        // The terms t subsumes go. After a stop request the set is discarded,
        // so the rest is kept unexamined.
        KeptCoverTests covers(t);
        index_->FindAllAtMost(best, ids_);
        for (const std::uint32_t id : ids_) {
            if (host.StopRequested()) break;
            host.ProcessPendingEvents();
            if (host.StopRequested() || FailsAgain(id)) continue;
            const Factor* failed = nullptr;
            if (Subsumed(host, *at_[id], t, nullptr, &covers, &failed)) {
                terms_.erase(at_[id]);
                index_->Remove(id);
            } else if (failed != nullptr) {
                NoteFailure(id, newIds_[static_cast<std::size_t>(failed - t.Factors.data())]);
            }
        }
        // t goes if a term left subsumes it. Whether one does does not depend
        // on which is tried first: the ones that subsumed the latest new
        // terms, then the latest ones, are the likeliest.
        KeptProjections projections(t, &answers_);
        index_->FindAllAtLeast(best, ids_);
        std::reverse(ids_.begin(), ids_.end());
        std::size_t front = 0;
        for (const std::uint32_t id : subsumers_) {
            const auto it = std::find(ids_.begin() + front, ids_.end(), id);
            if (it != ids_.end()) std::rotate(ids_.begin() + front++, it, it + 1);
        }
        for (const std::uint32_t id : ids_) {
            if (host.StopRequested()) break;
            host.ProcessPendingEvents();
            if (!host.StopRequested() &&
                Subsumed(host, t, *at_[id], &projections, nullptr, nullptr, FactorIdsOf(id))) {
                std::erase(subsumers_, id);
                subsumers_.insert(subsumers_.begin(), id);
                if (subsumers_.size() > RecentSubsumers) subsumers_.pop_back();
                return;
            }
        }
        // t joins: a real product after the others. A term that is not one
        // comes first or is merged with the first term; that is rare, and
        // the index is built anew.
        LineSet single;
        single.push_back(std::move(t));
        if (Concat(host, terms_, single) && !index_->WorthCompacting())
            Index(std::prev(terms_.end()), newIds_);
        else
            StartIndex();
    }

    // Indexes every term of the set anew; none if a term's best values
    // cannot be indexed.
    void StartIndex() {
        // The terms indexed before keep their factors' numbers, unless the
        // numbered factors take too much room. The first entry's term is
        // left out: a term that is not a real product may have been merged
        // with it into a new first term (the entries are in the order of the
        // terms). The numbers stay where they are while the index goes.
        std::unordered_map<const Term*, const std::uint32_t*> known;
        if (index_ && !FactorIdsOverfull()) {
            bool first = true;
            for (std::uint32_t id = 0; id < at_.size(); ++id)
                if (index_->Live(id) && !std::exchange(first, false))
                    known.emplace(&*at_[id], FactorIdsOf(id));
        }
        const std::vector<std::uint32_t> numbered = std::move(entryFactorIds_);
        DropIndex();
        if (known.empty()) DropFactorIds();
        if (terms_.empty()) return; // until the set is long again
        index_.emplace(terms_.front().MaxEval.Val.size());
        for (auto it = terms_.begin(); it != terms_.end(); ++it) {
            if (!index_->Indexable(it->MaxEval.Val)) {
                DropIndex();
                noIndex_ = true;
                return;
            }
            newIds_.clear();
            if (const auto k = known.find(&*it); k != known.end()) {
                newIds_.assign(k->second, k->second + it->Factors.size());
            } else {
                for (const Factor& n : it->Factors)
                    newIds_.push_back(factorIds_.IdOf(n));
            }
            Index(it, newIds_);
        }
        if (known.empty()) factorBytesNumbered_ = factorIds_.Bytes();
    }
    // The numbered factors take too much room.
    bool FactorIdsOverfull() const {
        return factorIds_.Bytes() > 2 * factorBytesNumbered_ + FactorBytesKept;
    }
    // The index and what its entries' ids refer to go.
    void DropIndex() {
        index_.reset();
        at_.clear();
        failedAt_.clear();
        subsumers_.clear();
        factorIdsFrom_.clear();
        entryFactorIds_.clear();
    }
    // The factors' numbers go, and with them what was found out about them.
    void DropFactorIds() {
        factorIds_.Clear();
        factorBytesNumbered_ = 0;
        answers_.Clear();
    }
    // Whether the new term has a factor (numbered newIds_) that the term of
    // entry id was not covered by before: then it does not subsume that
    // term either. (Whether a term is covered by a factor depends on the two
    // alone, and the terms multiplied one after another share most of their
    // factors.)
    bool FailsAgain(std::uint32_t id) const {
        for (const std::uint32_t failed : failedAt_[id])
            if (failed != FactorIds::None &&
                std::find(newIds_.begin(), newIds_.end(), failed) != newIds_.end())
                return true;
        return false;
    }
    // The term of entry id was not covered by the factor numbered factorId.
    void NoteFailure(std::uint32_t id, std::uint32_t factorId) {
        Failures& f = failedAt_[id];
        std::copy_backward(f.begin(), f.end() - 1, f.end());
        f[0] = factorId;
    }
    // The numbers of the factors of entry id's term, in their order.
    const std::uint32_t* FactorIdsOf(std::uint32_t id) const {
        return entryFactorIds_.data() + factorIdsFrom_[id];
    }
    // Indexes the term at it, whose factors are numbered ids.
    void Index(LineSet::iterator it, const std::vector<std::uint32_t>& ids) {
        assert(index_->Size() == at_.size() && ids.size() == it->Factors.size());
        index_->Add(it->MaxEval.Val);
        at_.push_back(it);
        failedAt_.emplace_back();
        failedAt_.back().fill(FactorIds::None);
        factorIdsFrom_.push_back(entryFactorIds_.size());
        entryFactorIds_.insert(entryFactorIds_.end(), ids.begin(), ids.end());
    }

    LineSet terms_;
    std::optional<DominanceIndex> index_;
    bool noIndex_ = false;
    std::vector<LineSet::iterator> at_; // the term of each entry of the index
    std::vector<std::uint32_t> ids_;
    // The entries whose terms subsumed the latest new terms, latest first.
    static constexpr std::size_t RecentSubsumers = 4;
    std::vector<std::uint32_t> subsumers_;
    // For each entry, the numbers of the factors its term was last found
    // not covered by, latest first (None: not yet): the new terms take
    // their factors from a few alternatives, so that the latest one alone is
    // often not among a new term's.
    static constexpr std::size_t FailuresKept = 4;
    using Failures = std::array<std::uint32_t, FailuresKept>;
    std::vector<Failures> failedAt_;
    // The numbers of the factors met since they were last numbered anew;
    // each entry's term's factors' numbers are entryFactorIds_ from
    // factorIdsFrom_[entry] on, and newIds_ are the new term's.
    FactorIds factorIds_;
    std::size_t factorBytesNumbered_ = 0; // what they took when numbered anew
    std::vector<std::size_t> factorIdsFrom_;
    std::vector<std::uint32_t> entryFactorIds_, newIds_;
    // Whether the new term is covered by the factors tested so far.
    CoverAnswers answers_;
};

// s := the product of s with the one term t over divisions of its own (t
// the first operand of every product when tFirst), made without testing the
// products against one another. There a strategy of one product is at most
// one of another exactly when its part on s's divisions is (the part on t's
// divisions can be the same), so the products subsume one another as their
// terms of s do. When no term of s subsumes another, the set built pair by
// pair therefore takes every product, in the order of s. The sets that the
// set operations build hold no such pair unless their first term, not a real
// product, is the union of two (Concat merges those without testing the
// result): then the first term is tested here. Returns false, s as it was,
// when some term of s may subsume another, a product after the first is not
// a real product (it would not simply be appended), or a product is empty.
bool ProductWithDisjointTerm(Host& host, LineSet& s, const Term& t, bool tFirst,
                             const FactorMerge* merge) {
    if (HasEmptyFactor(t)) return false;
    if (!IsRealProduct(s.front().Factors)) {
        const Term& first = s.front();
        KeptCoverTests covers(first);
        for (auto x = std::next(s.begin()); x != s.end(); ++x) {
            if (host.StopRequested()) break;
            host.ProcessPendingEvents();
            if (Subsumed(host, *x, first, nullptr, &covers)) return false;
        }
    }
    LineSet products;
    for (const Term& x : s) {
        if (host.StopRequested()) break;
        host.ProcessPendingEvents();
        products.push_back(tFirst ? ProductOfTermsCopied(host, t, x, merge)
                                  : ProductOfTermsCopied(host, x, t, merge));
        const Term& p = products.back();
        if (HasEmptyFactor(p) || (products.size() > 1 && !IsRealProduct(p.Factors))) return false;
    }
    s.swap(products);
    return true;
}

// Products of terms made ahead of the set that takes them, at most.
constexpr std::size_t ProductsAhead = 32;
// Fewer pairs of terms than this are multiplied on this thread alone: a
// second thread would cost more than it saves.
constexpr std::size_t MinPairsForTwoThreads = 64;

} // namespace

void ProductSS(Host& host, LineSet& s1, LineSet& s2) {
    RememberedMerges remembered;
    const FactorMerge merge = [&](Host& h, const Factor& a, const Factor& b) {
        return remembered.Of(h, a, b);
    };
    // Only the products of several pairs of terms repeat pairs of factors.
    const FactorMerge* shared = s1.size() > 1 || s2.size() > 1 ? &merge : nullptr;
    // A product with one term over divisions of its own, such as the
    // neutral set or a defender's show-out, keeps the other set's terms.
    if (!s1.empty() && !s2.empty() && DomDisjoint(s1.front().MaxEval.Dom, s2.front().MaxEval.Dom)) {
        if (s2.size() == 1 && ProductWithDisjointTerm(host, s1, s2.front(), false, shared)) {
            s2.clear();
            return;
        }
        if (s1.size() == 1 && ProductWithDisjointTerm(host, s2, s1.front(), true, shared)) {
            s1.swap(s2);
            s2.clear();
            return;
        }
    }
    UnitedTerms r;
    const std::size_t pairs = s1.size() * s2.size();
    if (pairs < MinPairsForTwoThreads) {
        // Nearly every product of sets is of a pair or two: made here, pair
        // by pair, without further ado.
        for (auto t1 = s1.begin(); t1 != s1.end() && !host.StopRequested(); ++t1)
            for (auto t2 = s2.begin(); t2 != s2.end() && !host.StopRequested(); ++t2) {
                host.ProcessPendingEvents();
                Term p = ProductOfTermsCopied(host, *t1, *t2, shared);
                r.Unite(host, p);
            }
    } else {
        // The products of the pairs are independent of one another and of
        // the set being built, which takes them in pair order: they are made
        // ahead, on two threads when that pays, each thread remembering
        // factor products of its own.
        RememberedMerges rememberedSecond;
        const FactorMerge mergeSecond = [&](Host& h, const Factor& a, const Factor& b) {
            return rememberedSecond.Of(h, a, b);
        };
        std::vector<Term*> firsts;
        std::vector<const Term*> seconds;
        for (Term& t : s1)
            firsts.push_back(&t);
        for (const Term& t : s2)
            seconds.push_back(&t);
        const std::size_t n2 = seconds.size();
        std::vector<Term> made(ProductsAhead);
        MakeAheadInOrder(
            host, pairs, ProductsAhead, MinPairsForTwoThreads,
            [&](std::size_t k, Host& h, unsigned part) {
                made[k % ProductsAhead] = ProductOfTermsCopied(h, *firsts[k / n2], *seconds[k % n2],
                                                               part == 0 ? &merge : &mergeSecond);
            },
            [&](std::size_t k) {
                r.Unite(host, made[k % ProductsAhead]);
                // Once all its products are taken, a term of s1 is not read
                // again: its memory goes back.
                if ((k + 1) % n2 == 0) FreeTerm(*firsts[k / n2]);
                return true;
            });
    }
    s1 = r.Take();
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

// Terms multiplied out ahead of the union that takes them, at most. With
// room for a few, the second thread goes on while this one multiplies out a
// long term; the union that bounds an expansion may then be a few terms old,
// which only leaves more for the union to test.
constexpr std::size_t TermsAhead = 4;
// Fewer terms than this are multiplied out on this thread alone.
constexpr std::size_t MinTermsForTwo = 8;

// The union of a set's strategies is read by the terms being multiplied out,
// on two threads at once, and changed by the thread that owns the host, term
// by term. A change waits until nothing reads the union, and no reading
// starts while one waits.
class UnionGuard {
  public:
    // Reading the union, for as long as it lives.
    class Reading {
      public:
        explicit Reading(UnionGuard& g) : g_(g) {
            std::unique_lock lock(g_.mutex_);
            g_.changed_.wait(lock, [&] { return !g_.changing_ && !g_.waiting_; });
            ++g_.readers_;
        }
        ~Reading() {
            std::lock_guard lock(g_.mutex_);
            if (--g_.readers_ == 0) g_.changed_.notify_all();
        }
        Reading(const Reading&) = delete;
        Reading& operator=(const Reading&) = delete;

      private:
        UnionGuard& g_;
    };

    // Holding the union for a change, for as long as it lives: it waits
    // until nothing reads the union, the host handling its events meanwhile,
    // and holds nothing (Held is false) when a stop request comes first.
    class Changing {
      public:
        Changing(UnionGuard& g, Host& host) : g_(g) {
            std::unique_lock lock(g_.mutex_);
            g_.waiting_ = true;
            while (g_.readers_ > 0) {
                if (g_.changed_.wait_for(lock, std::chrono::milliseconds(10),
                                         [&] { return g_.readers_ == 0; }))
                    break;
                lock.unlock();
                bool stop = false;
                try {
                    host.ProcessPendingEvents();
                    stop = host.StopRequested();
                } catch (...) { // the readers must not wait for a change that never comes
                    lock.lock();
                    g_.GiveUp();
                    throw;
                }
                lock.lock();
                if (stop) {
                    g_.GiveUp();
                    return;
                }
            }
            g_.waiting_ = false;
            g_.changing_ = held_ = true;
        }
        ~Changing() {
            if (!held_) return;
            {
                std::lock_guard lock(g_.mutex_);
                g_.changing_ = false;
            }
            g_.changed_.notify_all();
        }
        Changing(const Changing&) = delete;
        Changing& operator=(const Changing&) = delete;
        bool Held() const { return held_; }

      private:
        UnionGuard& g_;
        bool held_ = false;
    };

  private:
    // No change after all: the readers may start again (the lock held).
    void GiveUp() {
        waiting_ = false;
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t readers_ = 0;
    bool waiting_ = false;  // a change waits for the readers to end
    bool changing_ = false; // a change is being made
};

} // namespace

Factor LineSetToFactor(Host& host, LineSet& s, StrategyFilter* filter) {
    if (s.empty()) {
        InternalError(host, InternalErrorCode::FactorOfEmptySet);
        return Factor{};
    }
    // Only the strategies the filter admits are wanted; what it does not
    // admit covers nothing the filter would admit, as admission is upward
    // closed, so it need not join the union either.
    const auto admitting = [&](const std::shared_ptr<const StrategyFilter::Test>& test, Host& h) {
        return [&test, &h](const Val& v, unsigned) { return test->Admits(h, v); };
    };
    const auto note = [&](const Factor& g) {
        if (filter != nullptr)
            for (const Val& v : g.EvalList)
                filter->Note(host, v);
    };
    Factor first;
    if (filter != nullptr) {
        const std::shared_ptr<const StrategyFilter::Test> test = filter->Now();
        const ExpansionBound bound{s.front().MaxEval, {}, nullptr, admitting(test, host)};
        first = ExpandTerm(host, s.front(), &bound);
    } else {
        first = ExpandTerm(host, s.front());
    }
    s.pop_front();
    note(first);
    // One union that grows term by term, so that its index is built once.
    ReducedUnion all(first);
    UnionGuard guard;
    // The terms are multiplied out ahead of the union that takes them, on
    // two threads when there are many, and united in their order. What a
    // thread keeps from one of its terms to the next is its own.
    struct Expander {
        // The view of the held Vals made for a term serves the next terms
        // too while their worst values are at least its floor.
        std::optional<FloorView> held;
        BoundYield yield; // over all the terms this thread multiplies out
    };
    Expander expanders[2];
    struct Made {
        Factor g;
        bool joins = false;        // not skipped as covered
        std::uint64_t version = 0; // of the union that bounded it
        bool allAnswered = true;   // the bound answered every question
    };
    std::vector<Term*> terms;
    for (Term& t : s)
        terms.push_back(&t);
    std::vector<Made> made(TermsAhead);
    MakeAheadInOrder(
        host, terms.size(), TermsAhead, MinTermsForTwo,
        [&](std::size_t k, Host& h, unsigned part) {
            Term& t = *terms[k];
            Made& m = made[k % TermsAhead];
            // The union does not change while it is read.
            std::optional<UnionGuard::Reading> reading(std::in_place, guard);
            m.version = all.Version();
            // The filter as it is now; it may narrow while the term is
            // multiplied out, which only leaves more for the end to drop.
            std::shared_ptr<const StrategyFilter::Test> test;
            if (filter != nullptr) test = filter->Now();
            // A term whose best values some Val already held reaches has no
            // strategy that would join the union, nor has one whose best
            // values the filter does not admit: it is not multiplied out.
            m.joins =
                (test == nullptr || test->Admits(h, t.MaxEval.Val)) && !all.Covers(t.MaxEval.Val);
            if (!m.joins) {
                FreeTerm(t);
                return;
            }
            // Of the term's strategies only those that no Val held now covers
            // can join: the others are not even formed. Only the held Vals at
            // least the term's worst values can cover one of its strategies.
            Expander& e = expanders[part];
            const Val floor = WorstValues(t);
            if (!e.held || !e.held->Follow(floor)) e.held.emplace(all, floor);
            // A view with copies of its own lets the union change while the
            // term is multiplied out. It answers for the union as it was, and
            // leaves in what it cannot answer for: then the union tests again
            // what joins it.
            const bool own = e.held->OwnsVals();
            if (own) reading.reset();
            std::atomic<bool> unanswered{false};
            RecentBeaters recent[2];
            ExpansionBound bound{t.MaxEval,
                                 [&](const Val& v, unsigned half) {
                                     if (!own) return e.held->Covers(v, recent[half]);
                                     if (const auto c = e.held->CoversOwn(v, recent[half]))
                                         return *c;
                                     unanswered.store(true, std::memory_order_relaxed);
                                     return false;
                                 },
                                 &e.yield, nullptr};
            if (test != nullptr) bound.Admits = admitting(test, h);
            m.g = ExpandTerm(h, t, &bound);
            m.allAnswered = !unanswered.load(std::memory_order_relaxed);
        },
        [&](std::size_t k) {
            Made& m = made[k % TermsAhead];
            if (!m.joins) return true;
            const UnionGuard::Changing changing(guard, host);
            if (!changing.Held()) return false; // stopped while waiting
            note(m.g);
            // Every Val left was found uncovered by the union as it was
            // then: only the Vals that joined it since may cover one. Unless
            // the view left some in, or a stop request cut the expansion
            // short (and then the union is discarded anyway).
            if (m.allAnswered && !host.StopRequested())
                all.UniteSeen(host, m.g, m.version);
            else
                all.Unite(host, m.g);
            return true;
        });
    s.clear();
    Factor f = all.Take();
    if (filter != nullptr) {
        // Every strategy is noted: now the filter is what it will be.
        const std::shared_ptr<const StrategyFilter::Test> test = filter->Now();
        f.EvalList.walk([&](const Val& v) {
            return test->Admits(host, v) ? WalkStep::Keep : WalkStep::Remove;
        });
    }
    return f;
}

namespace {

// What the strategies at least e are computed from when a term of s lies over
// another division set than e: the whole set multiplied out.
Factor KeptOfWholeSet(Host& host, const LineSet& s, const Eval& e) {
    LineSet copy = CopyLineSet(s);
    Factor f = LineSetToFactor(host, copy);
    KeepAtLeast(host, f, e.Val);
    return f;
}

bool OverDivisions(const LineSet& s, const Dom& d) {
    return std::all_of(s.begin(), s.end(), [&](const Term& t) { return t.MaxEval.Dom == d; });
}

} // namespace

bool HasStrategyAtLeast(Host& host, const LineSet& s, const Eval& e) {
    if (!OverDivisions(s, e.Dom)) return !KeptOfWholeSet(host, s, e).EvalList.empty();
    // A strategy of a term takes the smaller of MaxEval and of the Val it
    // chooses in each factor: the term has one at least e exactly when
    // MaxEval is, and each factor has a Val at least e on the factor's
    // divisions.
    return std::any_of(s.begin(), s.end(), [&](const Term& t) {
        if (!ValAllLE(host, e.Val, t.MaxEval.Val)) return false;
        return std::all_of(t.Factors.begin(), t.Factors.end(), [&](const Factor& f) {
            const Val least = RestrictVal(host, e.Dom, e.Val, f.Dom);
            return std::any_of(f.EvalList.begin(), f.EvalList.end(),
                               [&](const Val& v) { return ValAllLE(host, least, v); });
        });
    });
}

Factor StrategiesAtLeast(Host& host, const LineSet& s, const Eval& e) {
    if (s.empty() || !OverDivisions(s, e.Dom)) return KeptOfWholeSet(host, s, e);
    LineSet kept;
    for (const Term& t : s) {
        // No strategy of t goes above its best values.
        if (!ValAllLE(host, e.Val, t.MaxEval.Val)) continue;
        Term r = CopyTerm(t);
        RestrictTermAtLeast(host, r, e);
        if (!HasEmptyFactor(r)) kept.push_back(std::move(r));
    }
    if (kept.empty()) return Factor{e.Dom, EvalList{}};
    return LineSetToFactor(host, kept);
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
