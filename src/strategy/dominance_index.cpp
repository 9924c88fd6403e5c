#include "strategy/dominance_index.h"

#include <algorithm>
#include <bit>

namespace nvx {
namespace {

// The words to combine for a query, most selective first: positions ordered
// by value, descending when `descending`, each giving one word offset.
struct QueryWords {
    std::uint16_t offset[MaxDivisions];
    std::size_t count = 0;
};

} // namespace

DominanceIndex::DominanceIndex(std::size_t length) : length_(length), columns_(length * MaxValue) {}

bool DominanceIndex::Indexable(const TVal& v) const {
    if (v.size() != length_) return false;
    for (std::uint8_t b : v)
        if (b > MaxValue) return false;
    return true;
}

void DominanceIndex::SetBits(std::size_t id, const TVal& v) {
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
            std::copy_n(&bits_[c * capacity_], blocks, &bits[c * capacity]);
        bits_.swap(bits);
        capacity_ = capacity;
    }
    liveBits_.push_back(0);
}

std::size_t DominanceIndex::Add(const TVal& v, std::uint32_t tag) {
    const std::size_t id = vals_.size();
    if (id % 64 == 0) AddBlock();
    vals_.push_back(v);
    tags_.push_back(tag);
    SetBits(id, v);
    liveBits_[id / 64] |= std::uint64_t{1} << (id % 64);
    ++live_;
    return id;
}

std::size_t DominanceIndex::FindAtLeast(const TVal& v) const {
    if (live_ == 0) return None;
    // At least v[p] tricks at every position with v[p] > 0; higher demands
    // rule out more entries, so they come first.
    QueryWords q;
    std::size_t count[MaxValue + 1] = {};
    for (std::size_t p = 0; p < length_; ++p)
        ++count[v[p]];
    std::size_t start[MaxValue + 1];
    std::size_t n = 0;
    for (std::size_t t = MaxValue; t >= 1; --t) {
        start[t] = n;
        n += count[t];
    }
    for (std::size_t p = 0; p < length_; ++p)
        if (v[p] > 0) q.offset[start[v[p]]++] = static_cast<std::uint16_t>(p * MaxValue + v[p] - 1);
    q.count = n;

    // The latest entries are the likeliest to beat a new Val: look at them first.
    for (std::size_t b = liveBits_.size(); b-- > 0;) {
        std::uint64_t acc = liveBits_[b];
        for (std::size_t i = 0; i < q.count && acc != 0; ++i)
            acc &= Word(q.offset[i], b);
        if (acc != 0) return b * 64 + static_cast<std::size_t>(std::countr_zero(acc));
    }
    return None;
}

std::size_t DominanceIndex::RemoveAtMost(const TVal& v) {
    if (live_ == 0) return 0;
    // At most v[p] tricks, i.e. not at least v[p] + 1, at every position with
    // v[p] < MaxValue; lower limits rule out more entries, so they come first.
    QueryWords q;
    std::size_t count[MaxValue + 1] = {};
    for (std::size_t p = 0; p < length_; ++p)
        ++count[v[p]];
    std::size_t start[MaxValue + 1];
    std::size_t n = 0;
    for (std::size_t t = 0; t < MaxValue; ++t) {
        start[t] = n;
        n += count[t];
    }
    for (std::size_t p = 0; p < length_; ++p)
        if (v[p] < MaxValue)
            q.offset[start[v[p]]++] = static_cast<std::uint16_t>(p * MaxValue + v[p]);
    q.count = n;

    std::size_t removed = 0;
    const std::size_t blocks = liveBits_.size();
    for (std::size_t b = 0; b < blocks; ++b) {
        std::uint64_t acc = liveBits_[b];
        for (std::size_t i = 0; i < q.count && acc != 0; ++i)
            acc &= ~Word(q.offset[i], b);
        if (acc != 0) {
            liveBits_[b] &= ~acc;
            removed += static_cast<std::size_t>(std::popcount(acc));
        }
    }
    live_ -= removed;
    return removed;
}

void DominanceIndex::Compact() {
    std::vector<TVal> vals;
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
    capacity_ = 0;
    liveBits_.clear();
    live_ = 0;
    for (std::size_t i = 0; i < vals.size(); ++i)
        Add(vals[i], tags[i]);
}

} // namespace nvx
