#include "support/naive_search.h"

#include "cards/holding.h"

#include <algorithm>
#include <vector>

namespace nvx::test {
namespace {

using Mask = std::uint16_t; // bit r set: the card of rank value r (1..13)
using Vec = std::vector<std::uint8_t>;

Mask MaskOf(const Holding& h) {
    Mask m = 0;
    for (char c : h)
        m |= Mask(1u << RankValue(c));
    return m;
}

// A set of trick vectors over a list of layouts (indices into the layout table),
// kept free of vectors that another one equals or beats everywhere.
struct VecSet {
    std::vector<int> layouts;
    std::vector<Vec> vecs;
};

bool AtLeast(const Vec& a, const Vec& b) {
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] < b[i]) return false;
    return true;
}

void Reduce(std::vector<Vec>& vs) {
    std::vector<Vec> kept;
    for (auto& v : vs) {
        bool dominated = false;
        for (const auto& k : kept)
            if (AtLeast(k, v)) {
                dominated = true;
                break;
            }
        if (dominated) continue;
        std::erase_if(kept, [&](const Vec& k) { return AtLeast(v, k); });
        kept.push_back(std::move(v));
    }
    vs = std::move(kept);
}

// Declarer's choice between continuations over the same layouts.
void Union(VecSet& into, VecSet&& other) {
    if (into.vecs.empty() && into.layouts.empty()) {
        into = std::move(other);
        return;
    }
    for (auto& v : other.vecs)
        into.vecs.push_back(std::move(v));
    Reduce(into.vecs);
}

// The defenders' choice: declarer continues independently in each branch; on a
// layout that allows several branches the defenders take the worst for declarer.
VecSet Product(const VecSet& a, const VecSet& b) {
    VecSet r;
    std::set_union(a.layouts.begin(), a.layouts.end(), b.layouts.begin(), b.layouts.end(),
                   std::back_inserter(r.layouts));
    std::vector<int> ia(r.layouts.size(), -1), ib(r.layouts.size(), -1);
    for (std::size_t i = 0, p = 0, q = 0; i < r.layouts.size(); ++i) {
        if (p < a.layouts.size() && a.layouts[p] == r.layouts[i]) ia[i] = int(p++);
        if (q < b.layouts.size() && b.layouts[q] == r.layouts[i]) ib[i] = int(q++);
    }
    for (const auto& va : a.vecs)
        for (const auto& vb : b.vecs) {
            Vec v(r.layouts.size());
            for (std::size_t i = 0; i < v.size(); ++i) {
                std::uint8_t x = 255;
                if (ia[i] >= 0) x = std::min(x, va[ia[i]]);
                if (ib[i] >= 0) x = std::min(x, vb[ib[i]]);
                v[i] = x;
            }
            r.vecs.push_back(std::move(v));
        }
    Reduce(r.vecs);
    return r;
}

class Game {
  public:
    Game(Mask north, Mask south, Mask defenders, int entries, std::vector<Mask> west)
        : north_(north), south_(south), defenders_(defenders), entriesLeft_(entries),
          west_(std::move(west)) {}

    VecSet Root() {
        std::vector<int> all(west_.size());
        for (std::size_t i = 0; i < all.size(); ++i)
            all[i] = int(i);
        return Lead(all);
    }

  private:
    enum Seat { North = 0, East = 1, South = 2, West = 3 };

    Mask north_, south_, defenders_;
    int entriesLeft_;
    std::vector<Mask> west_; // West's cards in each layout
    Mask played_ = 0;        // defenders' cards played so far
    int nsTricks_ = 0;
    bool northWonLast_ = false; // false before the first trick
    // Seat and card (0 for a show-out) of every card played so far.
    std::vector<std::pair<int, int>> cards_;

    Mask Holding(int seat, int layout) const {
        switch (seat) {
        case North:
            return north_;
        case South:
            return south_;
        case West:
            return west_[layout] & ~played_;
        default:
            return defenders_ & ~west_[layout] & ~played_;
        }
    }

    // Declarer's choice among the cards of hand, played from seat.
    void PlayEach(VecSet& r, int seat, Mask hand, const std::vector<int>& layouts) {
        for (int c = 13; c >= 1; --c)
            if (hand & (1u << c)) Union(r, Play(seat, c, layouts));
    }

    VecSet Lead(const std::vector<int>& layouts) {
        VecSet r;
        if (northWonLast_ || entriesLeft_ > 0) {
            const int entry = northWonLast_ ? 0 : 1; // unless North won the last trick
            entriesLeft_ -= entry;
            PlayEach(r, North, north_, layouts);
            entriesLeft_ += entry;
        }
        PlayEach(r, South, south_, layouts);
        if (r.layouts.empty()) // no card to lead: the tricks won so far
            return VecSet{layouts, {Vec(layouts.size(), std::uint8_t(nsTricks_))}};
        return r;
    }

    // Plays card c (0: shows out) from seat, goes on, and takes it back.
    VecSet Play(int seat, int c, const std::vector<int>& layouts) {
        const Mask bit = c ? Mask(1u << c) : Mask(0);
        Mask& cards = seat == North ? north_ : seat == South ? south_ : played_;
        const bool defender = seat == East || seat == West;
        cards = defender ? Mask(cards | bit) : Mask(cards & ~bit);
        cards_.push_back({seat, c});
        VecSet r = Next(seat, layouts);
        cards_.pop_back();
        cards = defender ? Mask(cards & ~bit) : Mask(cards | bit);
        return r;
    }

    VecSet Next(int seat, const std::vector<int>& layouts) {
        if (cards_.size() % 4 == 0) return EndTrick(layouts);
        int next = (seat + 1) % 4;
        if (next == North || next == South) return Declarer(next, layouts);
        return Defender(next, layouts);
    }

    VecSet Declarer(int seat, const std::vector<int>& layouts) {
        const Mask hand = seat == North ? north_ : south_;
        if (!hand) return Play(seat, 0, layouts);
        VecSet r;
        PlayEach(r, seat, hand, layouts);
        return r;
    }

    VecSet Defender(int seat, const std::vector<int>& layouts) {
        bool first = true;
        VecSet r;
        auto combine = [&](VecSet&& s) {
            if (first) {
                r = std::move(s);
                first = false;
            } else {
                r = Product(r, s);
            }
        };
        for (int c = 13; c >= 1; --c) {
            if (!(defenders_ & (1u << c)) || (played_ & (1u << c))) continue;
            std::vector<int> sub;
            for (int l : layouts)
                if (Holding(seat, l) & (1u << c)) sub.push_back(l);
            if (!sub.empty()) combine(Play(seat, c, sub));
        }
        std::vector<int> voids;
        for (int l : layouts)
            if (!Holding(seat, l)) voids.push_back(l);
        if (!voids.empty()) combine(Play(seat, 0, voids));
        return r;
    }

    VecSet EndTrick(const std::vector<int>& layouts) {
        int best = 0, winner = -1;
        for (auto card = cards_.end() - 4; card != cards_.end(); ++card)
            if (card->second > best) {
                best = card->second;
                winner = card->first;
            }
        const bool ns = winner == North || winner == South;
        const bool savedNorthWon = northWonLast_;
        nsTricks_ += ns ? 1 : 0;
        northWonLast_ = winner == North;
        VecSet r = Lead(layouts);
        northWonLast_ = savedNorthWon;
        nsTricks_ -= ns ? 1 : 0;
        return r;
    }
};

} // namespace

std::uint64_t Falling(int x, int k) {
    if (k > x) return 0;
    std::uint64_t f = 1;
    for (int i = 0; i < k; ++i)
        f *= std::uint64_t(x - i);
    return f;
}

NaiveResult NaiveAnalyse(const ComboInput& in) {
    Holding north = NormalizeHolding(in.north);
    Holding south = HoldingMinus(NormalizeHolding(in.south), north);
    Holding defenders = HoldingMinus(HoldingMinus(FullSuit(), north), south);
    Holding discards = HoldingMinus(NormalizeHolding(in.discards), defenders);
    Mask n = MaskOf(HoldingMinus(north, discards));
    Mask s = MaskOf(HoldingMinus(south, discards));
    Mask d = MaskOf(defenders);

    std::vector<int> cards;
    for (int c = 1; c <= 13; ++c)
        if (d & (1u << c)) cards.push_back(c);
    const int L = int(cards.size());

    std::vector<Mask> west;
    std::vector<std::uint64_t> weight;
    for (std::uint32_t m = 0; m < (1u << L); ++m) {
        Mask w = 0;
        int count = 0;
        for (int i = 0; i < L; ++i)
            if (m & (1u << i)) {
                w |= Mask(1u << cards[i]);
                ++count;
            }
        west.push_back(w);
        weight.push_back(Falling(in.vacantWest, count) * Falling(in.vacantEast, L - count));
    }

    Game game(n, s, d, in.entries, west);
    VecSet root = game.Root();

    NaiveResult r;
    for (auto w : weight)
        r.totalWeight += w;
    r.strategies = root.vecs.size();
    for (const auto& v : root.vecs) {
        std::array<std::uint64_t, 14> got{};
        for (std::size_t i = 0; i < v.size(); ++i) {
            std::uint64_t w = weight[root.layouts[i]];
            got[0] += w * v[i];
            for (int k = 1; k <= v[i] && k <= 13; ++k)
                got[k] += w;
        }
        for (int k = 0; k < 14; ++k)
            r.bestWeight[k] = std::max(r.bestWeight[k], got[k]);
    }
    return r;
}

} // namespace nvx::test
