#include "play/trick_table.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace nvx {

TrickStartKey KeyOfTrickStart(const Engine& e) {
    const PlayState& p = e.play;
    assert(p.Seat == seat::None && "a key is made at the start of a trick only");
    TrickStartKey k;
    std::uint8_t* b = k.Bytes.data();
    for (std::size_t r = 1; r <= 13; ++r) {
        *b++ = p.Remaining[r];
        *b++ = p.WestPlayed[r];
    }
    *b++ = static_cast<std::uint8_t>(p.ShownOut[seat::West] | p.ShownOut[seat::East] << 1);
    // With an entry more than North has cards North may lead at every trick
    // to the end, each lead taking a card and at most one entry: more
    // entries change nothing, and neither does whether North is on lead.
    const int cards = e.CardsLeft(hand::North);
    const bool enough = p.EntriesLeft > cards;
    *b++ = static_cast<std::uint8_t>(enough ? cards + 1 : p.EntriesLeft);
    *b++ = p.Trick;
    *b++ = !enough && p.NorthOnLead(e.classes) ? 1 : 0;
    return k;
}

std::size_t LineSetBytes(const LineSet& s) {
    constexpr std::size_t listNode = 2 * sizeof(void*);
    std::size_t n = 0;
    for (const Term& t : s) {
        n += listNode + sizeof(Term) + t.Factors.capacity() * sizeof(Factor);
        for (const Factor& f : t.Factors)
            n += f.EvalList.size() * sizeof(Val);
    }
    return n;
}

std::size_t TrickStartTable::KeyHash::operator()(const TrickStartKey& k) const {
    std::uint64_t w[4];
    static_assert(sizeof w == sizeof k.Bytes);
    std::memcpy(w, k.Bytes.data(), sizeof w);
    std::uint64_t h = 0x9E3779B97F4A7C15u;
    for (std::uint64_t x : w) {
        h ^= x;
        h *= 0xBF58476D1CE4E5B9u;
        h ^= h >> 31;
    }
    return static_cast<std::size_t>(h);
}

std::optional<LineSet> TrickStartTable::Find(const TrickStartKey& k, std::uint8_t won) {
    std::shared_ptr<const LineSet> stored;
    {
        Shard& shard = ShardOf(k);
        std::lock_guard lock(shard.mutex);
        ++shard.lookups;
        const auto it = shard.map.find(k);
        if (it == shard.map.end()) return std::nullopt;
        ++shard.hits;
        stored = it->second; // the pointer keeps the set alive outside the lock
    }
    LineSet s = CopyLineSet(*stored);
    AddTricks(s, won);
    return s;
}

void TrickStartTable::Store(const TrickStartKey& k, const LineSet& s, std::uint8_t won) {
    const std::size_t bytes = LineSetBytes(s);
    Shard& shard = ShardOf(k);
    {
        std::scoped_lock lock(mutex_, shard.mutex);
        if (stats_.closed || stats_.full || shard.map.count(k) != 0) return;
        if (bytes > budget_ - stats_.bytes) {
            stats_.full = true;
            return;
        }
    }
    // The copy is made outside the locks; another thread may store the same
    // key meanwhile, with the same set.
    LineSet relative = CopyLineSet(s);
    AddTricks(relative, -won);
    auto copy = std::make_shared<const LineSet>(std::move(relative));
    std::scoped_lock lock(mutex_, shard.mutex);
    if (stats_.closed || stats_.full || bytes > budget_ - stats_.bytes) return;
    if (shard.map.emplace(k, std::move(copy)).second) {
        stats_.bytes += bytes;
        ++stats_.entries;
    }
}

void TrickStartTable::Close() {
    std::lock_guard lock(mutex_);
    stats_.closed = true;
}

TrickStartTable::Stats TrickStartTable::GetStats() {
    Stats s;
    {
        std::lock_guard lock(mutex_);
        s = stats_;
    }
    for (Shard& shard : shards_) {
        std::lock_guard lock(shard.mutex);
        s.lookups += shard.lookups;
        s.hits += shard.hits;
    }
    return s;
}

} // namespace nvx
