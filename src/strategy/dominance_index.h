// Fast dominance queries over a growing list of Vals of one length.
//
// Sets of strategies are kept free of dominated Vals: a new Val is dropped
// when some Val is at least as good on every division, and otherwise it
// removes the Vals it beats. Done Val by Val against the whole list, that is
// quadratic, and the lists of a long suit hold tens of thousands of Vals. The
// index answers both questions for 64 Vals at a time with a few bit
// operations: for every position p and every number of tricks t it keeps the
// set of Vals with at least t tricks at p.
#pragma once

#include "strategy/bytestr.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace nvx {

class DominanceIndex {
  public:
    // Vals with a byte above this cannot be indexed (no trick count is).
    static constexpr std::uint8_t MaxValue = 13;

    explicit DominanceIndex(std::size_t length);

    // The highest byte of v (0 for an empty v); a loop without an early
    // exit, which the compiler turns into vector instructions.
    static std::uint8_t Highest(const Val& v) {
        std::uint8_t top = 0;
        for (std::uint8_t b : v)
            top = b > top ? b : top;
        return top;
    }
    // No byte of v is above MaxValue.
    static bool ValuesFit(const Val& v) { return Highest(v) <= MaxValue; }
    // v has the index's length and no byte above MaxValue.
    bool Indexable(const Val& v) const { return v.size() == length_ && ValuesFit(v); }

    // Appends v (which must be indexable) as a live entry; returns its id.
    // Ids grow by one with every Add; Compact renumbers them.
    std::size_t Add(const Val& v, std::uint32_t tag = 0);
    // Appends the Vals (each indexable) in their order, as Add one after the
    // other does, all with the same tag; the bits are set a block at a time.
    void AddAll(const std::vector<const Val*>& vals, std::uint32_t tag = 0);
    // The same for count Vals (each indexable) stored one after the other,
    // as many bytes each as the index is long.
    void AddAll(const std::uint8_t* vals, std::size_t count, std::uint32_t tag = 0);
    // The same for entries of another index of this length, in the order given.
    void AddAll(const DominanceIndex& from, const std::vector<std::uint32_t>& ids,
                std::uint32_t tag = 0);
    // Some live Val is at least v at every position (equal counts).
    bool AnyAtLeast(const Val& v) const { return FindAtLeast(v) != None; }
    // The id of such a Val, or None; only the entries from id `from` on are
    // looked at.
    static constexpr std::size_t None = static_cast<std::size_t>(-1);
    std::size_t FindAtLeast(const Val& v, std::size_t from = 0) const;
    // The ids of every live Val at least v, lowest first; false (and stops
    // looking) as soon as one below limit is found. Stops too once more than
    // `most` have been found (then ids holds more than `most`, not all).
    bool FindAllAtLeast(const Val& v, std::vector<std::uint32_t>& ids, std::size_t limit = 0,
                        std::size_t most = None) const;
    // The ids of every live Val at most v, lowest first.
    void FindAllAtMost(const Val& v, std::vector<std::uint32_t>& ids) const;
    // Removes every live Val that is at most v at every position (v itself
    // included, if present); returns how many.
    std::size_t RemoveAtMost(const Val& v);
    // Removes entry id (if live).
    void Remove(std::size_t id);

    std::size_t Size() const { return tags_.size(); }
    std::size_t LiveCount() const { return live_; }
    bool Live(std::size_t id) const { return (liveBits_[id / 64] >> (id % 64)) & 1U; }
    // The bytes of entry id (as many as the index's length).
    const std::uint8_t* ValData(std::size_t id) const { return bytes_.data() + id * length_; }
    Val ValAt(std::size_t id) const {
        Val v = Val::withLength(length_);
        // An index of length 0 (the Vals of a factor on its own divisions,
        // when it has none) holds no bytes at all.
        if (length_ > 0) std::memcpy(v.data(), ValData(id), v.size());
        return v;
    }
    std::uint32_t Tag(std::size_t id) const { return tags_[id]; }

    // Makes room for this many entries in all.
    void Reserve(std::size_t entries);

    // Moves the live entries out, lowest id first: their Vals one after the
    // other (as many bytes each as the index is long) and their tags. What
    // the queries need is given back first. The index is left empty.
    void TakeLive(std::vector<std::uint8_t>& bytes, std::vector<std::uint32_t>& tags);

    // Drops the removed entries; the live ones keep their order and get the
    // ids 0, 1, ... Worth it when many entries have been removed.
    void Compact();
    bool WorthCompacting() const { return Size() >= 1024 && live_ * 2 < Size(); }

  private:
    // The columns a query combines, most selective first.
    struct QueryWords {
        std::uint16_t offset[MaxDivisions];
        std::size_t count = 0;
        bool none = false; // no entry can answer (a count above every entry's)
    };
    // The pointwise maximum and minimum of the Vals ever added to each group.
    struct Bounds {
        std::vector<std::uint8_t> max; // length_ bytes per group
        std::vector<std::uint8_t> min;
    };
    // How many of the most selective columns come first, in that order.
    static constexpr std::size_t Selective = 3;
    template <bool AtLeast> QueryWords Query(const Val& v) const;
    template <bool Backward, class Hit>
    void ScanAtLeast(const Val& v, Hit hit, std::size_t fromBlock = 0) const;
    template <class Hit> void ScanAtMost(const Val& v, Hit hit) const;
    // Whether group g may hold an entry at least v (Complement: at most v).
    template <bool Complement> bool Admits(const Bounds& b, std::size_t g, const Val& v) const;

    // The word of block b in column c.
    std::uint64_t& Word(std::size_t c, std::size_t b) { return bits_[c * capacity_ + b]; }
    std::uint64_t Word(std::size_t c, std::size_t b) const { return bits_[c * capacity_ + b]; }
    void SetBits(std::size_t id, const Val& v);
    // Sets the bits of the n entries from id on, which lie in one block.
    void SetBlockBits(std::size_t id, std::size_t n);
    void AddBlock();
    // Appends the n entries whose bytes at(k) gives, k < n.
    template <class At> void AppendAll(std::size_t n, At at, std::uint32_t tag);
    // Makes the columns reach `depth` tricks.
    void Deepen(std::size_t depth);

    std::size_t length_;
    std::size_t depth_ = 0;    // no entry has more tricks anywhere
    std::size_t columns_ = 0;  // length_ * depth_
    std::size_t capacity_ = 0; // blocks of 64 entries room is made for
    // Column p * depth_ + t - 1, for position p and t in 1..depth_, holds
    // the entries with at least t tricks at p, one bit each, 64 to a word;
    // a query runs along a few columns, so each column is contiguous. Only
    // as many trick counts as the entries reach have columns: the fewer
    // columns, the less memory a query passes over.
    // Words of blocks not yet in use are left as they came (the memory of the
    // room made for growing is not touched until it is used); a block's words
    // are cleared in every column when it comes into use.
    template <class T> struct LeftUninitialised : std::allocator<T> {
        template <class U> struct rebind { using other = LeftUninitialised<U>; };
        template <class U> void construct(U* p) { ::new (static_cast<void*>(p)) U; }
        template <class U, class... Args> void construct(U* p, Args&&... args) {
            ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
        }
    };
    using Words = std::vector<std::uint64_t, LeftUninitialised<std::uint64_t>>;
    Words bits_;
    // For every column, how many entries (live or not) have their bit set.
    std::vector<std::uint32_t> counts_;
    // Entries come in runs of similar Vals (one term's strategies, the
    // products of one Val). For every group of GroupBlocks blocks the
    // pointwise maximum and minimum of the Vals ever added to it bound what
    // it holds, so that a query passes over the groups that cannot answer.
    // Groups of groups are bounded in the same way.
    static constexpr std::size_t GroupBlocks = 8;
    static_assert(64 % GroupBlocks == 0, "a group never spans two words of marks");
    static constexpr std::size_t SuperGroups = 16;
    Bounds groups_, supers_;
    // Widens the bounds of group g to take in Vals between min and max.
    void Widen(Bounds& b, std::size_t g, const std::uint8_t* max, const std::uint8_t* min);
    // For every column, one bit per block: whether the column's word of the
    // block may be non-zero (it is once set, until the block is cleared). A
    // query passes over the blocks where one of its first columns is all
    // zeros 64 blocks at a time.
    std::vector<std::uint64_t> marks_; // markWords_ words per column
    std::size_t markWords_ = 0;
    void Mark(std::size_t c, std::size_t b) {
        marks_[c * markWords_ + b / 64] |= std::uint64_t{1} << (b % 64);
    }
    std::vector<std::uint64_t> zeros_; // one column of zeros
    std::vector<std::uint64_t> liveBits_;
    // The entries' Vals one after the other, length_ bytes each: no room is
    // spent beyond the index's length.
    std::vector<std::uint8_t> bytes_;
    std::vector<std::uint32_t> tags_;
    std::size_t live_ = 0;
};

// Queries "is some live Val at least v" that look first at the Vals that
// answered the latest ones: those beat many others. For one thread; the ids
// it remembers must stay valid (no Compact) while it is used.
class RecentBeaters {
  public:
    bool AnyAtLeast(const DominanceIndex& index, const Val& v);

  private:
    std::size_t ids_[4] = {DominanceIndex::None, DominanceIndex::None, DominanceIndex::None,
                           DominanceIndex::None};
};

} // namespace nvx
