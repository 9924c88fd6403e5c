// The table of solved trick starts: the search reaches the same position at the
// start of a trick by many orders of play, and the line set of that
// position is the same each time. The table keeps those sets so that a
// position is searched once.
//
// One table serves one analysis step (the searches of the first cards, say)
// and is dropped after it. Lookups and stores may come from several threads at
// once. The memory it holds is bounded: once a set does not fit in the budget
// nothing more is stored.
#pragma once

#include "play/engine.h"
#include "strategy/term.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace nvx {

// Everything the search below a trick start reads: the unplayed cards and
// West's played cards per class (the possible divisions follow from them), the
// show-outs, the entries left and whether North won the last trick (it may
// lead without an entry), and the trick number. The trick number and the
// show-outs follow from the rest, as every hand follows suit while it can;
// they are kept all the same.
//
// Each North lead takes a card and at most one entry: with an entry more than
// North has cards, North may lead to the end, and the key holds that many
// entries and North not on lead (the search asks no more). The tricks
// North-South won so far are not in the key: every value of the set includes
// them, and the table keeps the sets without them, so that the positions that
// differ in them alone share one set.
struct TrickStartKey {
    std::array<std::uint8_t, 32> Bytes{};
    friend bool operator==(const TrickStartKey&, const TrickStartKey&) = default;
};
// Mixes all the key's bytes, for the table and for whatever else keeps trick
// starts in a hash map.
struct TrickStartKeyHash {
    std::size_t operator()(const TrickStartKey& k) const;
};

// The key of the current position; the play state must be at a trick start
// (Seat None).
TrickStartKey KeyOfTrickStart(const Engine& e);

// The memory a line set holds, roughly as the allocator sees it.
std::size_t LineSetBytes(const LineSet& s);

class TrickStartTable {
  public:
    // 256 MiB of line sets.
    static constexpr std::size_t DefaultBudget = std::size_t{256} << 20;

    explicit TrickStartTable(std::size_t budgetBytes = DefaultBudget) : budget_(budgetBytes) {}
    TrickStartTable(const TrickStartTable&) = delete;
    TrickStartTable& operator=(const TrickStartTable&) = delete;

    // The set stored under the key with `won` tricks added to every value (the
    // set of the position where North-South have won them), or nothing.
    std::optional<LineSet> Find(const TrickStartKey& k, std::uint8_t won);
    // Stores a copy of s, less the `won` tricks that every value includes,
    // under the key unless the key is already there, the table is closed or
    // the copy would go over the budget.
    void Store(const TrickStartKey& k, const LineSet& s, std::uint8_t won);
    // Nothing more is stored (a stop was requested: later sets may be
    // incomplete). Sets stored before stay valid.
    void Close();

    struct Stats {
        std::size_t lookups = 0;
        std::size_t hits = 0;
        std::size_t entries = 0;
        std::size_t bytes = 0;
        bool full = false; // a store was refused for want of budget
        bool closed = false;
    };
    Stats GetStats();

  private:
    // The sets are spread over shards, each with a lock of its own, so that
    // the threads' lookups seldom wait for one another. A set stored is never
    // changed nor removed while the table lives (and a map's elements stay
    // where they are as it grows): it is copied out without the lock.
    static constexpr std::size_t Shards = 64;
    struct Shard {
        std::mutex mutex;
        std::unordered_map<TrickStartKey, LineSet, TrickStartKeyHash> map;
        std::size_t lookups = 0;
        std::size_t hits = 0;
    };
    Shard& ShardOf(const TrickStartKey& k) { return shards_[TrickStartKeyHash{}(k) % Shards]; }

    std::array<Shard, Shards> shards_;
    std::size_t budget_;
    // The bytes of the sets stored, or about to be (each store claims its
    // bytes before it copies its set, and gives them back should another
    // thread have stored the key meanwhile).
    std::atomic<std::size_t> bytes_{0};
    std::atomic<std::size_t> entries_{0};
    std::atomic<bool> full_{false};
    std::atomic<bool> closed_{false};
};

} // namespace nvx
