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

std::size_t TrickStartKeyHash::operator()(const TrickStartKey& k) const {
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
    const LineSet* stored = nullptr;
    {
        Shard& shard = ShardOf(k);
        std::lock_guard lock(shard.mutex);
        ++shard.lookups;
        const auto it = shard.map.find(k);
        if (it == shard.map.end()) return std::nullopt;
        ++shard.hits;
        stored = &it->second;
    }
    LineSet s = CopyLineSet(*stored);
    AddTricks(s, won);
    return s;
}

void TrickStartTable::Store(const TrickStartKey& k, const LineSet& s, std::uint8_t won) {
    if (closed_.load(std::memory_order_acquire) || full_.load(std::memory_order_relaxed)) return;
    Shard& shard = ShardOf(k);
    {
        std::lock_guard lock(shard.mutex);
        if (shard.map.count(k) != 0) return;
    }
    // The first store that does not fit ends the storing.
    const std::size_t bytes = LineSetBytes(s);
    std::size_t held = bytes_.load(std::memory_order_relaxed);
    do {
        if (bytes > budget_ - held) {
            full_.store(true, std::memory_order_relaxed);
            return;
        }
    } while (!bytes_.compare_exchange_weak(held, held + bytes, std::memory_order_relaxed));
    // The copy is made outside the lock; another thread may store the same
    // key meanwhile, with the same set.
    LineSet relative = CopyLineSet(s);
    AddTricks(relative, -won);
    std::lock_guard lock(shard.mutex);
    if (closed_.load(std::memory_order_acquire) ||
        !shard.map.emplace(k, std::move(relative)).second) {
        bytes_.fetch_sub(bytes, std::memory_order_relaxed);
        return;
    }
    entries_.fetch_add(1, std::memory_order_relaxed);
}

void TrickStartTable::Close() {
    closed_.store(true, std::memory_order_release);
}

TrickStartTable::Stats TrickStartTable::GetStats() {
    Stats s;
    s.bytes = bytes_.load();
    s.entries = entries_.load();
    s.full = full_.load();
    s.closed = closed_.load();
    for (Shard& shard : shards_) {
        std::lock_guard lock(shard.mutex);
        s.lookups += shard.lookups;
        s.hits += shard.hits;
    }
    return s;
}

} // namespace nvx
