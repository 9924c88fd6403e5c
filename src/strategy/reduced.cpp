#include "strategy/reduced.h"

#include "strategy/parallel.h"

#include <algorithm>
#include <cstring>

namespace nvx {
namespace {

// Below this many Vals the plain walk over the list is cheaper than an index.
constexpr std::size_t IndexFrom = 32;

// Vals tested at a time before the host handles its events again.
constexpr std::size_t ChunkOfTests = 1024;

bool AllIndexable(const DominanceIndex& index, const EvalList& l) {
    return std::all_of(l.begin(), l.end(), [&](const Val& v) { return index.Indexable(v); });
}

// The Vals of a list, oldest (last in list order) first.
std::vector<const Val*> BackToFront(const EvalList& l) {
    std::vector<const Val*> r;
    r.reserve(l.size());
    for (const Val& v : l)
        r.push_back(&v);
    std::reverse(r.begin(), r.end());
    return r;
}

} // namespace

// --- ReducedListBuilder ----------------------------------------------------------

bool ReducedListBuilder::Add(Host& host, const Val& v) {
    if (index_) {
        if (index_->Indexable(v)) {
            // The list has no two Vals where one beats the other, so a Val at
            // least as good as v means v goes, and otherwise v drops the Vals
            // it beats: what AddVal's walk does.
            if (index_->AnyAtLeast(v)) return false;
            index_->RemoveAtMost(v);
            if (index_->WorthCompacting()) index_->Compact();
            index_->Add(v);
            return true;
        }
        LeaveIndex();
    }
    const bool added = AddVal(host, plain_, v);
    if (!noIndex_ && plain_.EvalList.size() >= IndexFrom) StartIndex();
    return added;
}

void ReducedListBuilder::StartIndex() {
    DominanceIndex index(plain_.EvalList.front().size());
    if (!AllIndexable(index, plain_.EvalList)) {
        noIndex_ = true;
        return;
    }
    for (const Val* v : BackToFront(plain_.EvalList))
        index.Add(*v);
    plain_.EvalList.release();
    index_.emplace(std::move(index));
}

void ReducedListBuilder::LeaveIndex() {
    plain_.EvalList = Take();
    noIndex_ = true;
}

EvalList ReducedListBuilder::Take() {
    if (!index_) {
        EvalList l;
        std::swap(l, plain_.EvalList);
        return l;
    }
    // The latest Val is the front, the last of the storage.
    std::vector<Val> storage;
    storage.reserve(index_->LiveCount());
    for (std::size_t id = 0; id < index_->Size(); ++id)
        if (index_->Live(id)) storage.push_back(index_->ValAt(id));
    index_.reset();
    return EvalList::FromBackToFront(std::move(storage));
}

// --- ReducedUnion -------------------------------------------------------------------

ReducedUnion::ReducedUnion(Factor& first) {
    std::swap(plain_, first);
    FreeFactor(first);
}

bool ReducedUnion::StartIndex(const Factor& g) {
    // Worth it only when the lists are long enough.
    if (plain_.EvalList.size() < IndexFrom || g.EvalList.size() < IndexFrom / 2) return false;
    DominanceIndex index(plain_.Dom.size());
    if (!AllIndexable(index, plain_.EvalList)) return false;
    for (const Val& v : plain_.EvalList) // batch 0 in list order
        index.Add(v, 0);
    plain_.EvalList.release();
    index_.emplace(std::move(index));
    batch_ = 0;
    indexedAt_ = unites_ - 1; // the union being made is the index's first
    ++generation_;
    return true;
}

void ReducedUnion::LeaveIndex() {
    Factor f = Take();
    std::swap(plain_, f);
}

void ReducedUnion::Unite(Host& host, Factor& g) {
    UniteUntested(host, g, {true, 0});
}

void ReducedUnion::UniteSeen(Host& host, Factor& g, std::uint64_t seen) {
    UniteUntested(host, g, JoinedSince(seen));
}

ReducedUnion::Untested ReducedUnion::JoinedSince(std::uint64_t seen) const {
    if (seen == unites_) return {false, 0};
    // The Vals of the index's b-th union have tag b, the ones it started
    // with tag 0; the tags grow with the ids.
    if (!index_ || seen < indexedAt_) return {true, 0};
    const auto tag = static_cast<std::uint32_t>(seen - indexedAt_ + 1);
    std::size_t lo = 0, hi = index_->Size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (index_->Tag(mid) < tag)
            lo = mid + 1;
        else
            hi = mid;
    }
    return {true, lo};
}

void ReducedUnion::UniteUntested(Host& host, Factor& g, Untested untested) {
    // The version counts every union, whether its Vals are indexed or not.
    ++unites_;
    if (index_ || StartIndex(g)) {
        if (AllIndexable(*index_, g.EvalList)) {
            // The held Vals never beat one another, so a held Val at least as
            // good as v means v goes (and nothing else changes); otherwise v
            // removes the held Vals it beats. The Vals kept from g are not
            // compared with each other, and only join after all of g.
            // Whether a held Val is at least v does not change while the
            // held Vals that g's Vals beat go: those are below Vals of g,
            // which do not beat one another. So those tests come first, on
            // two threads when there are many.
            std::vector<const Val*> vals;
            vals.reserve(g.EvalList.size());
            for (const Val& v : g.EvalList)
                vals.push_back(&v);
            // The held Vals that g's Vals can beat are at most their
            // pointwise maximum. When those are a small part of the union,
            // they are copied into an index of their own, where each Val of
            // g looks for the ones it beats.
            std::vector<std::uint32_t> lowIds;
            std::optional<DominanceIndex> low;
            if (index_->LiveCount() >= 4096 && vals.size() >= 16) {
                Val ceiling = *vals.front();
                for (const Val* v : vals)
                    detail::MaxBytes(ceiling.data(), ceiling.data(), v->data(), ceiling.size());
                index_->FindAllAtMost(ceiling, lowIds);
                if (lowIds.size() * 4 <= index_->LiveCount()) {
                    low.emplace(ceiling.size());
                    low->AddAll(*index_, lowIds);
                }
            }
            std::vector<char> covered, unused;
            std::vector<const Val*> kept;
            std::vector<std::uint32_t> found[2], beaten[2]; // for each half of a chunk
            RecentBeaters recent[2];                        // one for each half of a chunk
            for (std::size_t from = 0; from < vals.size(); from += ChunkOfTests) {
                const std::size_t n = std::min(ChunkOfTests, vals.size() - from);
                // Only the Vals that joined since g was tested, if it was.
                const std::size_t minForTwo =
                    index_->LiveCount() >= 4096 && untested.any && untested.from == 0 ? 64 : n + 1;
                TestOnTwoThreads(n, minForTwo, covered, [&](std::size_t i, unsigned part) {
                    if (!untested.any) return false;
                    if (untested.from == 0)
                        return recent[part].AnyAtLeast(*index_, *vals[from + i]);
                    return index_->FindAtLeast(*vals[from + i], untested.from) !=
                           DominanceIndex::None;
                });
                // A long union lets the host handle its events now and then.
                host.ProcessPendingEvents();
                if (host.StopRequested()) break;
                // The held Vals that the Vals kept beat go. Which ones they
                // are does not depend on the others going first, so they are
                // all found before any goes, on two threads when there are
                // many (the finds only read the index).
                const DominanceIndex& where = low ? *low : *index_;
                TestOnTwoThreads(n, index_->LiveCount() >= 4096 ? 64 : n + 1, unused,
                                 [&](std::size_t i, unsigned part) {
                                     if (covered[i]) return false;
                                     where.FindAllAtMost(*vals[from + i], found[part]);
                                     beaten[part].insert(beaten[part].end(), found[part].begin(),
                                                         found[part].end());
                                     return false;
                                 });
                for (std::vector<std::uint32_t>& ids : beaten) {
                    for (const std::uint32_t id : ids) {
                        if (low) low->Remove(id);
                        index_->Remove(low ? lowIds[id] : id);
                    }
                    ids.clear();
                }
                for (std::size_t i = 0; i < n; ++i)
                    if (!covered[i]) kept.push_back(vals[from + i]);
            }
            ++batch_;
            index_->AddAll(kept, batch_);
            if (index_->WorthCompacting()) {
                index_->Compact();
                ++generation_;
            }
            FreeFactor(g);
            return;
        }
        LeaveIndex();
    }
    plain_ = UnionOfReducedFactors(host, plain_, g);
}

bool ReducedUnion::Covers(const Val& v, RecentBeaters& recent) const {
    if (index_) return index_->Indexable(v) && recent.AnyAtLeast(*index_, v);
    return Covers(v);
}

bool ReducedUnion::Covers(const Val& v) const {
    if (index_) return index_->Indexable(v) && index_->AnyAtLeast(v);
    return std::any_of(plain_.EvalList.begin(), plain_.EvalList.end(), [&](const Val& w) {
        return w.size() == v.size() && detail::AllAtMost(v.data(), w.data(), v.size());
    });
}

// --- FloorView ----------------------------------------------------------------------

FloorView::FloorView(const ReducedUnion& u, const Val& floor) : union_(u) {
    const std::optional<DominanceIndex>& all = u.index_;
    // Below this many held Vals the whole index is quick enough.
    if (!all || all->LiveCount() < 4096 || !all->Indexable(floor)) return;
    // Copying much of the union would cost more than it saves.
    const std::size_t most = all->LiveCount() * 3 / 4;
    std::vector<std::uint32_t> ids;
    all->FindAllAtLeast(floor, ids, 0, most);
    if (ids.size() > most) return;
    index_.emplace(floor.size());
    index_->AddAll(*all, ids);
    floor_ = floor;
    generation_ = u.generation_;
    seen_ = all->Size();
    made_ = ids.size();
}

bool FloorView::Follow(const Val& floor) {
    const std::optional<DominanceIndex>& all = union_.index_;
    if (!index_ || !all || union_.generation_ != generation_ || floor.size() != floor_.size() ||
        !detail::AllAtMost(floor_.data(), floor.data(), floor.size()))
        return false;
    std::vector<std::uint32_t> ids;
    for (std::size_t id = seen_; id < all->Size(); ++id)
        if (all->Live(id) && detail::AllAtMost(floor_.data(), all->ValData(id), floor_.size()))
            ids.push_back(static_cast<std::uint32_t>(id));
    // A view grown well past what it was made with asks more than a new one.
    if (index_->Size() + ids.size() > 2 * made_ + 1024) return false;
    index_->AddAll(*all, ids);
    seen_ = all->Size();
    return true;
}

bool FloorView::Covers(const Val& v, RecentBeaters& recent) const {
    if (!index_) return union_.Covers(v, recent);
    if (const std::optional<bool> own = CoversOwn(v, recent)) return *own;
    return union_.Covers(v);
}

std::optional<bool> FloorView::CoversOwn(const Val& v, RecentBeaters& recent) const {
    if (!index_ || v.size() != floor_.size() ||
        !detail::AllAtMost(floor_.data(), v.data(), v.size()))
        return std::nullopt;
    return index_->Indexable(v) && recent.AnyAtLeast(*index_, v);
}

Factor ReducedUnion::Take() {
    ++generation_;
    Factor r;
    if (!index_) {
        std::swap(r, plain_);
        return r;
    }
    // List order: the latest batch first, each batch in its own order. The
    // storage is back to front: earliest batch first, each batch reversed.
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint32_t> tags;
    index_->TakeLive(bytes, tags);
    index_.reset();
    const std::size_t length = plain_.Dom.size(), n = tags.size();
    std::vector<Val> storage;
    storage.reserve(n);
    std::size_t id = 0;
    while (id < n) {
        std::size_t end = id;
        while (end < n && tags[end] == tags[id])
            ++end;
        for (std::size_t k = end; k > id; --k) {
            Val& v = storage.emplace_back(Val::withLength(length));
            std::memcpy(v.data(), bytes.data() + (k - 1) * length, v.size());
        }
        id = end;
    }
    r.Dom = plain_.Dom;
    r.EvalList = EvalList::FromBackToFront(std::move(storage));
    FreeFactor(plain_);
    return r;
}

} // namespace nvx
