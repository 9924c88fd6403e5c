#include "strategy/dominance_index.h"

#include "strategy/eval.h"

#include <algorithm>
#include <bit>

namespace nvx {

DominanceIndex::DominanceIndex(std::size_t length) : length_(length), columns_(length * MaxValue) {}

void DominanceIndex::SetBits(std::size_t id, const Val& v) {
    const std::size_t b = id / 64;
    const std::uint64_t bit = std::uint64_t{1} << (id % 64);
    for (std::size_t p = 0; p < length_; ++p)
        for (std::size_t t = 0; t < v[p]; ++t)
            Word(p * MaxValue + t, b) |= bit;
}

void DominanceIndex::AddBlock() {
    const std::size_t blocks = liveBits_.size();
    if (blocks == capacity_) {
        const std::size_t capacity = std::max<std::size_t>(4, 2 * capacity_);
        std::vector<std::uint64_t> bits(columns_ * capacity, 0);
        for (std::size_t c = 0; c < columns_; ++c)
            std::copy_n(bits_.data() + c * capacity_, blocks, bits.data() + c * capacity);
        bits_.swap(bits);
        capacity_ = capacity;
        zeros_.assign(capacity, 0);
    }
    liveBits_.push_back(0);
}

void DominanceIndex::Widen(Bounds& b, std::size_t g, const Val& v) {
    if (g * length_ == b.max.size()) {
        b.max.insert(b.max.end(), v.begin(), v.end());
        b.min.insert(b.min.end(), v.begin(), v.end());
        return;
    }
    std::uint8_t* mx = b.max.data() + g * length_;
    std::uint8_t* mn = b.min.data() + g * length_;
    for (std::size_t p = 0; p < length_; ++p) {
        mx[p] = std::max(mx[p], v[p]);
        mn[p] = std::min(mn[p], v[p]);
    }
}

std::size_t DominanceIndex::Add(const Val& v, std::uint32_t tag) {
    const std::size_t id = vals_.size();
    if (id % 64 == 0) AddBlock();
    vals_.push_back(v);
    tags_.push_back(tag);
    SetBits(id, v);
    Widen(groups_, id / (64 * GroupBlocks), v);
    Widen(supers_, id / (64 * GroupBlocks * SuperGroups), v);
    liveBits_[id / 64] |= std::uint64_t{1} << (id % 64);
    ++live_;
    return id;
}

template <bool Complement>
bool DominanceIndex::Admits(const Bounds& bounds, std::size_t g, const Val& v) const {
    if (Complement) // some entry may be at most v: the minimum is
        return (detail::DirectionBits(bounds.min.data() + g * length_, v.data(), length_, 1) & 1) ==
               0;
    // some entry may be at least v: the maximum is
    return (detail::DirectionBits(v.data(), bounds.max.data() + g * length_, length_, 1) & 1) == 0;
}

// Finds the blocks with entries that every column of the query admits (with
// Complement: that no column admits) and calls hit(block, entries) for each,
// until it returns true. Groups whose bounds rule v out are passed over; in a
// group the first columns are combined in a plain loop over contiguous words,
// and only the blocks still in question are looked at further.
template <bool Complement, bool Backward, class Hit>
void DominanceIndex::Scan(const Val& v, const QueryWords& q, Hit hit) const {
    const std::size_t blocks = liveBits_.size();
    const std::uint64_t* live = liveBits_.data();
    // Missing first columns admit everything: the live bits themselves, or a
    // column of zeros when complemented.
    const std::uint64_t* pad = Complement ? zeros_.data() : live;
    const std::size_t first = std::min<std::size_t>(q.count, 3);
    const std::uint64_t* c[3] = {pad, pad, pad};
    for (std::size_t k = 0; k < first; ++k)
        c[k] = bits_.data() + q.offset[k] * capacity_;
    // The blocks of one group; false when hit asks to stop.
    const auto group = [&](std::size_t g) {
        const std::size_t from = g * GroupBlocks;
        const std::size_t to = std::min(blocks, from + GroupBlocks);
        std::uint64_t tmp[GroupBlocks] = {};
        for (std::size_t b = from; b < to; ++b)
            tmp[b - from] = Complement ? live[b] & ~c[0][b] & ~c[1][b] & ~c[2][b]
                                       : live[b] & c[0][b] & c[1][b] & c[2][b];
        for (std::size_t k = 0; k < to - from; ++k) {
            const std::size_t b = Backward ? to - 1 - k : from + k;
            std::uint64_t acc = tmp[b - from];
            for (std::size_t i = first; i < q.count && acc != 0; ++i)
                acc &= Complement ? ~Word(q.offset[i], b) : Word(q.offset[i], b);
            if (acc != 0 && hit(b, acc)) return false;
        }
        return true;
    };
    const std::size_t groups = (blocks + GroupBlocks - 1) / GroupBlocks;
    const std::size_t supers = (groups + SuperGroups - 1) / SuperGroups;
    for (std::size_t n = 0; n < supers; ++n) {
        const std::size_t s = Backward ? supers - 1 - n : n;
        if (!Admits<Complement>(supers_, s, v)) continue;
        const std::size_t from = s * SuperGroups;
        const std::size_t to = std::min(groups, from + SuperGroups);
        for (std::size_t k = 0; k < to - from; ++k) {
            const std::size_t g = Backward ? to - 1 - k : from + k;
            if (Admits<Complement>(groups_, g, v) && !group(g)) return;
        }
    }
}

// The query for entries at least v (atLeast) or at most v: one column per
// position where that rules something out, at least v[p] tricks (higher
// demands first) or not at least v[p] + 1 (lower limits first).
DominanceIndex::QueryWords DominanceIndex::Query(const Val& v, bool atLeast) const {
    QueryWords q;
    std::size_t count[MaxValue + 1] = {};
    for (std::size_t p = 0; p < length_; ++p)
        ++count[v[p]];
    // Where the positions with each value start in the query.
    std::size_t start[MaxValue + 1] = {};
    for (std::size_t i = 0; i <= MaxValue; ++i) {
        const std::size_t t = atLeast ? MaxValue - i : i;
        const bool used = atLeast ? t > 0 : t < MaxValue;
        start[t] = q.count;
        if (used) q.count += count[t];
    }
    for (std::size_t p = 0; p < length_; ++p) {
        const std::size_t t = v[p];
        if (atLeast && t > 0)
            q.offset[start[t]++] = static_cast<std::uint16_t>(p * MaxValue + t - 1);
        else if (!atLeast && t < MaxValue)
            q.offset[start[t]++] = static_cast<std::uint16_t>(p * MaxValue + t);
    }
    return q;
}

std::size_t DominanceIndex::FindAtLeast(const Val& v) const {
    if (live_ == 0) return None;
    // The latest entries are the likeliest to beat a new Val: look at them first.
    std::size_t found = None;
    Scan<false, true>(v, Query(v, true), [&](std::size_t b, std::uint64_t acc) {
        found = b * 64 + static_cast<std::size_t>(std::countr_zero(acc));
        return true;
    });
    return found;
}

bool DominanceIndex::FindAllAtLeast(const Val& v, std::vector<std::uint32_t>& ids,
                                    std::size_t limit) const {
    ids.clear();
    if (live_ == 0) return true;
    bool below = false;
    // The blocks come lowest first: the first id found is the lowest.
    Scan<false, false>(v, Query(v, true), [&](std::size_t b, std::uint64_t acc) {
        if (ids.empty() && b * 64 + static_cast<std::size_t>(std::countr_zero(acc)) < limit) {
            below = true;
            return true;
        }
        for (; acc != 0; acc &= acc - 1)
            ids.push_back(static_cast<std::uint32_t>(b * 64 + std::countr_zero(acc)));
        return false;
    });
    return !below;
}

std::size_t DominanceIndex::RemoveAtMost(const Val& v) {
    if (live_ == 0) return 0;
    std::size_t removed = 0;
    Scan<true, false>(v, Query(v, false), [&](std::size_t b, std::uint64_t acc) {
        liveBits_[b] &= ~acc;
        removed += static_cast<std::size_t>(std::popcount(acc));
        return false;
    });
    live_ -= removed;
    return removed;
}

void DominanceIndex::Compact() {
    std::vector<Val> vals;
    std::vector<std::uint32_t> tags;
    vals.reserve(live_);
    tags.reserve(live_);
    for (std::size_t id = 0; id < vals_.size(); ++id)
        if (Live(id)) {
            vals.push_back(vals_[id]);
            tags.push_back(tags_[id]);
        }
    vals_.clear();
    tags_.clear();
    bits_.clear();
    zeros_.clear();
    capacity_ = 0;
    liveBits_.clear();
    groups_ = {};
    supers_ = {};
    live_ = 0;
    for (std::size_t i = 0; i < vals.size(); ++i)
        Add(vals[i], tags[i]);
}

bool RecentBeaters::AnyAtLeast(const DominanceIndex& index, const Val& v) {
    for (std::size_t id : ids_)
        if (id != DominanceIndex::None && index.Live(id) &&
            (detail::DirectionBits(v.data(), index.ValAt(id).data(), v.size(), 1) & 1) == 0)
            return true;
    const std::size_t by = index.FindAtLeast(v);
    if (by == DominanceIndex::None) return false;
    std::rotate(std::begin(ids_), std::end(ids_) - 1, std::end(ids_));
    ids_[0] = by;
    return true;
}

} // namespace nvx
