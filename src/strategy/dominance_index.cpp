#include "strategy/dominance_index.h"

#include "strategy/eval.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace nvx {

DominanceIndex::DominanceIndex(std::size_t length) : length_(length) {}

void DominanceIndex::Deepen(std::size_t depth) {
    if (depth <= depth_) return;
    depth_ = depth;
    columns_ = length_ * depth_;
    Words bits(columns_ * capacity_);
    for (std::size_t c = 0; c < columns_; ++c)
        std::fill_n(bits.data() + c * capacity_, liveBits_.size(), 0);
    bits_.swap(bits);
    counts_.assign(columns_, 0);
    marks_.assign(columns_ * markWords_, 0);
    for (std::size_t id = 0; id < Size(); id += 64)
        SetBlockBits(id, std::min<std::size_t>(64, Size() - id));
}

void DominanceIndex::SetBits(std::size_t id, const Val& v) {
    const std::size_t b = id / 64;
    const std::uint64_t bit = std::uint64_t{1} << (id % 64);
    for (std::size_t p = 0; p < length_; ++p)
        for (std::size_t t = 0; t < v[p]; ++t) {
            Word(p * depth_ + t, b) |= bit;
            Mark(p * depth_ + t, b);
            ++counts_[p * depth_ + t];
        }
}

void DominanceIndex::Reserve(std::size_t entries) {
    const std::size_t capacity = (entries + 63) / 64;
    if (capacity <= capacity_) return;
    const std::size_t blocks = liveBits_.size();
    Words bits(columns_ * capacity);
    for (std::size_t c = 0; c < columns_; ++c)
        std::copy_n(bits_.data() + c * capacity_, blocks, bits.data() + c * capacity);
    bits_.swap(bits);
    const std::size_t markWords = (capacity + 63) / 64;
    std::vector<std::uint64_t> marks(columns_ * markWords, 0);
    for (std::size_t c = 0; c < columns_; ++c)
        std::copy_n(marks_.data() + c * markWords_, markWords_, marks.data() + c * markWords);
    marks_.swap(marks);
    markWords_ = markWords;
    capacity_ = capacity;
    zeros_.assign(capacity, 0);
}

void DominanceIndex::AddBlock() {
    const std::size_t blocks = liveBits_.size();
    if (blocks == capacity_) Reserve(64 * std::max<std::size_t>(4, 2 * capacity_));
    const std::uint64_t unmark = ~(std::uint64_t{1} << (blocks % 64));
    for (std::size_t c = 0; c < columns_; ++c) {
        Word(c, blocks) = 0;
        marks_[c * markWords_ + blocks / 64] &= unmark;
    }
    liveBits_.push_back(0);
}

void DominanceIndex::SetBlockBits(std::size_t id, std::size_t n) {
    const std::size_t b = id / 64, from = id % 64;
    // Position by position: the trick counts of the entries there, one byte
    // each, compared with every t in turn, 16 at a time.
    alignas(16) std::uint8_t at[64];
    std::memset(at, 0, sizeof at);
    for (std::size_t p = 0; p < length_; ++p) {
        std::uint8_t top = 0;
        for (std::size_t k = 0; k < n; ++k) {
            at[from + k] = ValData(id + k)[p];
            top = std::max(top, at[from + k]);
        }
        for (std::size_t t = 0; t < top; ++t) {
            std::uint64_t word = 0;
#if defined(__SSE2__)
            // Trick counts are at most MaxValue: signed bytes compare them right.
            const __m128i limit = _mm_set1_epi8(static_cast<char>(t));
            for (std::size_t q = 0; q < 4; ++q) {
                const __m128i x = _mm_load_si128(reinterpret_cast<const __m128i*>(at + 16 * q));
                const auto bits =
                    static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpgt_epi8(x, limit)));
                word |= std::uint64_t{bits} << (16 * q);
            }
#else
            for (std::size_t k = 0; k < 64; ++k)
                word |= std::uint64_t{at[k] > t} << k;
#endif
            Word(p * depth_ + t, b) |= word;
            if (word != 0) Mark(p * depth_ + t, b);
            counts_[p * depth_ + t] += static_cast<std::uint32_t>(std::popcount(word));
        }
    }
}

void DominanceIndex::Widen(Bounds& b, std::size_t g, const std::uint8_t* max,
                           const std::uint8_t* min) {
    if (g * length_ == b.max.size()) {
        b.max.insert(b.max.end(), max, max + length_);
        b.min.insert(b.min.end(), min, min + length_);
        return;
    }
    std::uint8_t* mx = b.max.data() + g * length_;
    std::uint8_t* mn = b.min.data() + g * length_;
    detail::MaxBytes(mx, mx, max, length_);
    detail::MinBytes(mn, mn, min, length_);
}

std::size_t DominanceIndex::Add(const Val& v, std::uint32_t tag) {
    const std::size_t id = Size();
    if (id % 64 == 0) AddBlock();
    Deepen(Highest(v));
    bytes_.insert(bytes_.end(), v.begin(), v.end());
    tags_.push_back(tag);
    SetBits(id, v);
    Widen(groups_, id / (64 * GroupBlocks), v.data(), v.data());
    Widen(supers_, id / (64 * GroupBlocks * SuperGroups), v.data(), v.data());
    liveBits_[id / 64] |= std::uint64_t{1} << (id % 64);
    ++live_;
    return id;
}

void DominanceIndex::AddAll(const std::vector<const Val*>& vals, std::uint32_t tag) {
    AppendAll(
        vals.size(), [&](std::size_t k) { return vals[k]->data(); }, tag);
}

void DominanceIndex::AddAll(const std::uint8_t* vals, std::size_t count, std::uint32_t tag) {
    AppendAll(
        count, [&](std::size_t k) { return vals + k * length_; }, tag);
}

void DominanceIndex::AddAll(const DominanceIndex& from, const std::vector<std::uint32_t>& ids,
                            std::uint32_t tag) {
    AppendAll(
        ids.size(), [&](std::size_t k) { return from.ValData(ids[k]); }, tag);
}

template <class At> void DominanceIndex::AppendAll(std::size_t count, At at, std::uint32_t tag) {
    // Room for all of them at once, but at least twice as much as before, so
    // that a series of calls does not copy the columns every time.
    const std::size_t entries = Size() + count;
    if (entries > 64 * capacity_) Reserve(std::max(entries, 128 * capacity_));
    if (tags_.empty()) {
        bytes_.reserve(count * length_);
        tags_.reserve(count);
    }
    Val max = Val::withLength(length_), min = Val::withLength(length_);
    for (std::size_t k = 0; k < count;) {
        const std::size_t id = Size();
        if (id % 64 == 0) AddBlock();
        // The entries up to the end of the block.
        const std::size_t n = std::min(count - k, 64 - id % 64);
        std::copy_n(at(k), length_, max.data());
        std::copy_n(at(k), length_, min.data());
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint8_t* v = at(k + i);
            bytes_.insert(bytes_.end(), v, v + length_);
            tags_.push_back(tag);
            detail::MaxBytes(max.data(), max.data(), v, length_);
            detail::MinBytes(min.data(), min.data(), v, length_);
        }
        // The entries just appended get their bits here, or in Deepen.
        const std::size_t depth = depth_;
        Deepen(Highest(max));
        if (depth_ == depth) SetBlockBits(id, n);
        Widen(groups_, id / (64 * GroupBlocks), max.data(), min.data());
        Widen(supers_, id / (64 * GroupBlocks * SuperGroups), max.data(), min.data());
        const std::uint64_t ones = n == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1;
        liveBits_[id / 64] |= ones << (id % 64);
        live_ += n;
        k += n;
    }
}

template <bool Complement>
bool DominanceIndex::Admits(const Bounds& bounds, std::size_t g, const Val& v) const {
    if (Complement) // some entry may be at most v: the minimum is
        return detail::AllAtMost(bounds.min.data() + g * length_, v.data(), length_);
    // some entry may be at least v: the maximum is
    return detail::AllAtMost(v.data(), bounds.max.data() + g * length_, length_);
}

// Finds the blocks with entries at most v, in order, and calls
// hit(block, entries) for each, until it returns true: the entries that no
// column of the query admits. A complemented column is dense, so the marks do
// not help here; groups whose bounds rule v out are passed over instead, and
// in a group the first columns are combined in a plain loop over contiguous
// words, and only the blocks still in question are looked at further.
template <class Hit> void DominanceIndex::ScanAtMost(const Val& v, Hit hit) const {
    const std::size_t blocks = liveBits_.size();
    const std::uint64_t* live = liveBits_.data();
    // The query is made when the first group admits v: often none does.
    QueryWords q;
    bool made = false;
    std::size_t first = 0;
    // Missing first columns rule nothing out: a column of zeros.
    const std::uint64_t* c[Selective] = {zeros_.data(), zeros_.data(), zeros_.data()};
    const auto makeQuery = [&] {
        made = true;
        q = Query<false>(v);
        first = std::min(q.count, Selective);
        for (std::size_t k = 0; k < first; ++k)
            c[k] = bits_.data() + q.offset[k] * capacity_;
    };
    // Locals the compiler need not reload after every call of hit.
    const std::uint64_t* bits = bits_.data();
    const std::size_t capacity = capacity_;
    const auto group = [&](std::size_t g) {
        const std::size_t from = g * GroupBlocks;
        const std::size_t to = std::min(blocks, from + GroupBlocks);
        std::uint64_t tmp[GroupBlocks] = {};
        for (std::size_t b = from; b < to; ++b)
            tmp[b - from] = live[b] & ~c[0][b] & ~c[1][b] & ~c[2][b];
        for (std::size_t b = from; b < to; ++b) {
            std::uint64_t acc = tmp[b - from];
            for (std::size_t i = first; i < q.count && acc != 0; ++i)
                acc &= ~bits[q.offset[i] * capacity + b];
            if (acc != 0 && hit(b, acc)) return false;
        }
        return true;
    };
    const std::size_t groups = (blocks + GroupBlocks - 1) / GroupBlocks;
    const std::size_t supers = (groups + SuperGroups - 1) / SuperGroups;
    for (std::size_t s = 0; s < supers; ++s) {
        if (!Admits<true>(supers_, s, v)) continue;
        const std::size_t to = std::min(groups, s * SuperGroups + SuperGroups);
        for (std::size_t g = s * SuperGroups; g < to; ++g) {
            if (!Admits<true>(groups_, g, v)) continue;
            if (!made) makeQuery();
            if (!group(g)) return;
        }
    }
}

// Finds the blocks from fromBlock on with entries at least v, in order
// (Backward: the last first), and calls hit(block, entries) for each, until
// it returns true. Led by the marks: only the blocks where the
// first columns of the query may all have bits are looked at, and those are
// found 64 blocks at a time. Groups whose bounds rule v out are passed over.
template <bool Backward, class Hit>
void DominanceIndex::ScanAtLeast(const Val& v, Hit hit, std::size_t fromBlock) const {
    const std::size_t blocks = liveBits_.size();
    if (fromBlock >= blocks) return;
    const QueryWords q = Query<true>(v);
    if (q.none) return;
    const std::uint64_t* live = liveBits_.data();
    const std::size_t first = std::min(q.count, Selective);
    // Missing first columns admit every live entry: their marks are all ones.
    static constexpr std::uint64_t AllMarked = ~std::uint64_t{0};
    const std::uint64_t* c[Selective] = {live, live, live};
    const std::uint64_t* m[Selective] = {&AllMarked, &AllMarked, &AllMarked};
    std::size_t step[Selective] = {0, 0, 0};
    for (std::size_t k = 0; k < first; ++k) {
        c[k] = bits_.data() + q.offset[k] * capacity_;
        m[k] = marks_.data() + q.offset[k] * markWords_;
        step[k] = 1;
    }
    // Locals the compiler need not reload after every call of hit.
    const std::uint64_t* bits = bits_.data();
    const std::size_t capacity = capacity_;
    const std::size_t fromWord = fromBlock / 64, toWord = (blocks + 63) / 64;
    std::size_t group = None;
    bool admitted = false;
    for (std::size_t n = 0; n < toWord - fromWord; ++n) {
        const std::size_t w = Backward ? toWord - 1 - n : fromWord + n;
        std::uint64_t marked = m[0][w * step[0]] & m[1][w * step[1]] & m[2][w * step[2]];
        if (w == fromWord) marked &= AllMarked << (fromBlock % 64);
        if (w == toWord - 1 && blocks % 64 != 0) marked &= (std::uint64_t{1} << (blocks % 64)) - 1;
        while (marked != 0) {
            const int bit = Backward ? 63 - std::countl_zero(marked) : std::countr_zero(marked);
            marked &= ~(std::uint64_t{1} << bit);
            const std::size_t b = w * 64 + static_cast<std::size_t>(bit);
            if (b / GroupBlocks != group) {
                group = b / GroupBlocks;
                admitted = Admits<false>(groups_, group, v);
            }
            if (!admitted) {
                // The rest of the group's blocks in this word go too (a
                // group never spans two words).
                const std::size_t edge = (Backward ? group : group + 1) * GroupBlocks % 64;
                marked &=
                    Backward ? (std::uint64_t{1} << edge) - 1 : (edge == 0 ? 0 : AllMarked << edge);
                continue;
            }
            std::uint64_t acc = live[b] & c[0][b] & c[1][b] & c[2][b];
            for (std::size_t i = first; i < q.count && acc != 0; ++i)
                acc &= bits[q.offset[i] * capacity + b];
            if (acc != 0 && hit(b, acc)) return;
        }
    }
}

// The query for entries at least v (AtLeast) or at most v: one column per
// position, at least v[p] tricks or not at least v[p] + 1, where that rules
// out some entry. The columns that rule out the most entries come first, so
// that the words of a block are soon all zero: the few most selective ones
// decide nearly every block, and the order of the others matters little.
// Entries have at most depth_ tricks anywhere: a higher demand rules out all
// of them.
template <bool AtLeast> DominanceIndex::QueryWords DominanceIndex::Query(const Val& v) const {
    QueryWords q;
    const auto all = static_cast<std::uint32_t>(Size());
    if (AtLeast && Highest(v) > depth_) {
        q.none = true;
        return q;
    }
    if (depth_ == 0) return q; // every entry is 0 everywhere: no column rules one out
    // Every position's column goes in, and the count only moves on past the
    // columns that rule out some entry. The most selective columns are
    // picked up on the way: after the first few positions a column that
    // beats the third best is rare, so the test seldom branches.
    // The best so far in ascending order (the earlier column first among
    // equal counts); the places not yet taken hold a count above any.
    std::uint32_t bestPass[Selective] = {UINT32_MAX, UINT32_MAX, UINT32_MAX};
    std::size_t bestAt[Selective] = {};
    // Locals the compiler need not reload after every store to q.
    const std::uint8_t* at = v.data();
    const std::uint32_t* counts = counts_.data();
    const std::size_t depth = depth_, length = length_;
    std::size_t count = 0;
    for (std::size_t p = 0; p < length; ++p) {
        const std::size_t t = at[p];
        std::size_t column;
        std::uint32_t n;
        if (AtLeast) {
            column = p * depth + (t > 0 ? t - 1 : 0);
            n = t > 0 ? counts[column] : all;
        } else {
            column = p * depth + std::min(t, depth - 1);
            n = t < depth ? all - counts[column] : all;
        }
        q.offset[count] = static_cast<std::uint16_t>(column);
        if (n == all) continue;
        if (n < bestPass[Selective - 1]) {
            std::size_t k = Selective - 1;
            for (; k > 0 && n < bestPass[k - 1]; --k) {
                bestPass[k] = bestPass[k - 1];
                bestAt[k] = bestAt[k - 1];
            }
            bestPass[k] = n;
            bestAt[k] = count;
        }
        ++count;
    }
    q.count = count;
    const std::size_t best = std::min(count, Selective);
    // The most selective columns to the front. A column that a swap moved
    // away from the front is followed to where it went.
    for (std::size_t k = 0; k < best; ++k) {
        const std::size_t from = bestAt[k];
        std::swap(q.offset[k], q.offset[from]);
        for (std::size_t m = k + 1; m < best; ++m)
            if (bestAt[m] == k) bestAt[m] = from;
    }
    return q;
}

std::size_t DominanceIndex::FindAtLeast(const Val& v, std::size_t from) const {
    if (live_ == 0 || from >= Size()) return None;
    // The latest entries are the likeliest to beat a new Val: look at them first.
    std::size_t found = None;
    ScanAtLeast<true>(
        v,
        [&](std::size_t b, std::uint64_t acc) {
            if (b == from / 64) acc &= ~std::uint64_t{0} << (from % 64);
            if (acc == 0) return false;
            found = b * 64 + static_cast<std::size_t>(std::countr_zero(acc));
            return true;
        },
        from / 64);
    return found;
}

bool DominanceIndex::FindAllAtLeast(const Val& v, std::vector<std::uint32_t>& ids,
                                    std::size_t limit, std::size_t most) const {
    ids.clear();
    if (live_ == 0) return true;
    bool below = false;
    // The blocks come lowest first: the first id found is the lowest.
    ScanAtLeast<false>(v, [&](std::size_t b, std::uint64_t acc) {
        if (ids.empty() && b * 64 + static_cast<std::size_t>(std::countr_zero(acc)) < limit) {
            below = true;
            return true;
        }
        for (; acc != 0; acc &= acc - 1)
            ids.push_back(static_cast<std::uint32_t>(b * 64 + std::countr_zero(acc)));
        return ids.size() > most;
    });
    return !below;
}

void DominanceIndex::FindAllAtMost(const Val& v, std::vector<std::uint32_t>& ids) const {
    ids.clear();
    if (live_ == 0) return;
    ScanAtMost(v, [&](std::size_t b, std::uint64_t acc) {
        for (; acc != 0; acc &= acc - 1)
            ids.push_back(static_cast<std::uint32_t>(b * 64 + std::countr_zero(acc)));
        return false;
    });
}

std::size_t DominanceIndex::RemoveAtMost(const Val& v) {
    if (live_ == 0) return 0;
    std::size_t count = 0;
    ScanAtMost(v, [&](std::size_t b, std::uint64_t acc) {
        liveBits_[b] &= ~acc;
        count += static_cast<std::size_t>(std::popcount(acc));
        return false;
    });
    live_ -= count;
    return count;
}

void DominanceIndex::Remove(std::size_t id) {
    if (!Live(id)) return;
    liveBits_[id / 64] &= ~(std::uint64_t{1} << (id % 64));
    --live_;
}

void DominanceIndex::Compact() {
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint32_t> tags;
    bytes.reserve(live_ * length_);
    tags.reserve(live_);
    for (std::size_t id = 0; id < Size(); ++id)
        if (Live(id)) {
            bytes.insert(bytes.end(), ValData(id), ValData(id) + length_);
            tags.push_back(tags_[id]);
        }
    std::vector<std::uint8_t>().swap(bytes_);
    std::vector<std::uint32_t>().swap(tags_);
    Words().swap(bits_);
    counts_.assign(columns_, 0);
    marks_.clear();
    markWords_ = 0;
    zeros_.clear();
    capacity_ = 0;
    liveBits_.clear();
    groups_ = {};
    supers_ = {};
    live_ = 0;
    // Each run of equal tags a block at a time.
    bytes_.reserve(bytes.size());
    tags_.reserve(tags.size());
    for (std::size_t i = 0, from = 0; i < tags.size(); ++i)
        if (i + 1 == tags.size() || tags[i + 1] != tags[i]) {
            AppendAll(
                i + 1 - from, [&](std::size_t k) { return bytes.data() + (from + k) * length_; },
                tags[i]);
            from = i + 1;
        }
}

void DominanceIndex::TakeLive(std::vector<std::uint8_t>& bytes, std::vector<std::uint32_t>& tags) {
    Words().swap(bits_);
    std::vector<std::uint64_t>().swap(zeros_);
    groups_ = {};
    supers_ = {};
    // The live entries to the front, in place.
    std::size_t kept = 0;
    for (std::size_t id = 0; id < Size(); ++id)
        if (Live(id)) {
            if (kept != id) {
                std::memmove(bytes_.data() + kept * length_, ValData(id), length_);
                tags_[kept] = tags_[id];
            }
            ++kept;
        }
    bytes_.resize(kept * length_);
    tags_.resize(kept);
    // Room left over from growing goes back too.
    if (bytes_.capacity() > bytes_.size() + bytes_.size() / 4) bytes_.shrink_to_fit();
    bytes.swap(bytes_);
    tags.swap(tags_);
    *this = DominanceIndex(length_);
}

bool RecentBeaters::AnyAtLeast(const DominanceIndex& index, const Val& v) {
    for (std::size_t id : ids_)
        if (id != DominanceIndex::None && index.Live(id) &&
            detail::AllAtMost(v.data(), index.ValData(id), v.size()))
            return true;
    const std::size_t by = index.FindAtLeast(v);
    if (by == DominanceIndex::None) return false;
    std::rotate(std::begin(ids_), std::end(ids_) - 1, std::end(ids_));
    ids_[0] = by;
    return true;
}

} // namespace nvx
