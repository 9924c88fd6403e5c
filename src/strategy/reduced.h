// Building reduced lists of Vals (no Val dominated by or equal to another)
// one Val at a time, fast also when they grow long. Both classes give exactly
// the lists, in the same order, that AddVal and UnionFactors give; small lists
// are handled by those functions themselves, long ones by a DominanceIndex.
#pragma once

#include "cards/host.h"
#include "strategy/dominance_index.h"
#include "strategy/factor.h"

#include <optional>

namespace nvx {

// Adds Vals as AddVal adds them to a factor that starts empty. The list it
// gives holds every Val added that no other Val added beats (of equal ones the
// first), the one added last at the front.
class ReducedListBuilder {
  public:
    // Returns whether v is in the list (for now).
    bool Add(Host& host, const Val& v);
    std::size_t Size() const { return index_ ? index_->LiveCount() : plain_.EvalList.size(); }
    // The list, front first; the builder is left empty.
    EvalList Take();

  private:
    void StartIndex();
    void LeaveIndex();

    Factor plain_; // the list while it is short (its Dom is not used)
    std::optional<DominanceIndex> index_;
    bool noIndex_ = false; // a Val that cannot be indexed was seen
};

// The union of a series of reduced factors over one Dom, as repeated
// UnionFactors(accumulated, next) gives it.
class ReducedUnion {
  public:
    explicit ReducedUnion(Factor& first); // consumes first
    // UnionFactors(held, g): the Vals of g that no held Val equals or beats
    // remove the held Vals they beat and come first, in their order. Polls
    // the stop request once per Val of g; once it is set, the rest of g is
    // dropped. g is consumed.
    void Unite(Host& host, Factor& g);
    // The same when g's Vals were found uncovered by the union as it was at
    // version `seen`: only the Vals that joined it since are tested (none
    // when it is the version now).
    void UniteSeen(Host& host, Factor& g, std::uint64_t seen);
    // How many unions have been made: the union's version.
    std::uint64_t Version() const { return unites_; }
    // Some Val held now is at least v everywhere: v would not join.
    bool Covers(const Val& v) const;
    // The same, trying the Vals that answered the latest queries first; one
    // `recent` for each thread that asks.
    bool Covers(const Val& v, RecentBeaters& recent) const;
    // The union; the object is left empty.
    Factor Take();

  private:
    friend class FloorView;
    bool StartIndex(const Factor& g);
    void LeaveIndex();

    Factor plain_;
    std::optional<DominanceIndex> index_;
    // Whether a Val joined after version `seen` may cover a Val of g:
    // nothing does when g was tested against this version, only the Vals
    // from id `from` on do when it was tested against an earlier one.
    struct Untested {
        bool any = true;
        std::size_t from = 0;
    };
    void UniteUntested(Host& host, Factor& g, Untested untested);
    Untested JoinedSince(std::uint64_t seen) const;

    std::uint64_t unites_ = 0;
    std::uint32_t batch_ = 0;     // tag of the Vals added by the latest Unite
    std::uint64_t indexedAt_ = 0; // the version at which the index started (tag 0)
    // Changes whenever the entries of the index may have been renumbered.
    std::uint64_t generation_ = 0;
};

// Answers ReducedUnion::Covers for a run of Vals that are all at least one
// floor, such as the strategies of one term (none is below its worst values).
// Only the held Vals at least the floor can cover such a Val; unless they are
// nearly all of the union, they are copied into an index of their own, where
// a query has fewer entries to pass over. A Val not at least the floor
// is asked of the whole union. The union must not change while the view is
// used, but for CoversOwn; both may be asked from two threads at once.
class FloorView {
  public:
    FloorView(const ReducedUnion& u, const Val& floor);
    // u.Covers(v, recent); `recent` belongs to this view.
    bool Covers(const Val& v, RecentBeaters& recent) const;
    // Whether the view holds copies of the Vals it answers from.
    bool OwnsVals() const { return index_.has_value(); }
    // Covers, when the view answers from its own copies alone (the union may
    // then change meanwhile: the answer is that of the union as the view
    // last saw it); nothing when it would have to ask the union.
    std::optional<bool> CoversOwn(const Val& v, RecentBeaters& recent) const;
    // Makes the view serve another run, whose floor is at least this view's
    // everywhere, after the union has grown: the Vals it gained at least the
    // floor are copied in. (The copies of Vals it lost since stay: each is
    // below a Val held that the view holds too, so the answers are the
    // union's.) False, the view unchanged, when a new view would do better
    // or this one cannot follow the union.
    bool Follow(const Val& floor);

  private:
    const ReducedUnion& union_;
    Val floor_;
    std::optional<DominanceIndex> index_; // the held Vals at least floor_
    std::uint64_t generation_ = 0;        // the union's when the view was made
    std::size_t seen_ = 0;                // the union's entries looked at
    std::size_t made_ = 0;                // the Vals copied when the view was made
};

} // namespace nvx
