// Evaluations: declarer's tricks on each division of an ordered division set.
#pragma once

#include "cards/host.h"
#include "strategy/bytestr.h"

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace nvx {

struct Eval {
    nvx::Dom Dom;
    nvx::Val Val;
    friend bool operator==(const Eval&, const Eval&) = default;
};

// The evaluation over no division: the neutral start of a concatenation and of
// a product of line sets. Read-only.
inline const Eval EmptyEval{};

// --- division sets ---------------------------------------------------------

// No DivNr in common (true when either is empty).
bool DomDisjoint(const Dom& a, const Dom& b);
// Every DivNr of a is in b.
bool DomSubset(const Dom& a, const Dom& b);
// a ∪ b, ascending.
Dom DomUnion(const Dom& a, const Dom& b);
// d1 \ d2, where d2 must be a subset of d1: an element of d2 missing from d1
// reports 405 (and is skipped); a result of the wrong length reports 406.
Dom DomDiff(Host& host, const Dom& d1, const Dom& d2);
// Reports 409 for every adjacent pair that is not strictly ascending.
void CheckOrderedDom(Host& host, const Dom& d);

namespace detail {

// Bit 0: some position has a > b; bit 1: some position has a < b (over the
// first n bytes). Stops as soon as the bits in `enough` are all known, and
// does not look for bit 1 unless `enough` asks for it. The
// same answer as finding the highest position where they differ and scanning
// the positions below it, but done 16 bytes at a time.
inline unsigned DirectionBits(const std::uint8_t* a, const std::uint8_t* b, std::size_t n,
                              unsigned enough = 3) {
    unsigned bits = 0;
#if defined(__SSE2__)
    if (n >= 16) {
        const __m128i zero = _mm_setzero_si128();
        // Whole blocks of 16, the last one overlapping its predecessor.
        for (std::size_t i = 0;; i += 16) {
            if (i + 16 > n) i = n - 16;
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
            const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
            // Unsigned saturating differences are non-zero exactly where x > y (y > x).
            if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_subs_epu8(x, y), zero)) != 0xFFFF) bits |= 1;
            if ((enough & 2) != 0 &&
                _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_subs_epu8(y, x), zero)) != 0xFFFF)
                bits |= 2;
            if ((bits & enough) == enough || i + 16 == n) return bits;
        }
    }
#endif
    for (std::size_t i = 0; i < n && (bits & enough) != enough; ++i) {
        bits |= a[i] > b[i] ? 1u : 0u;
        bits |= a[i] < b[i] ? 2u : 0u;
    }
    return bits;
}

// out[i] := max(a[i], b[i]) (Max) or min(a[i], b[i]) for the first n bytes;
// out may be a or b.
template <bool Max>
inline void MaxOrMinBytes(std::uint8_t* out, const std::uint8_t* a, const std::uint8_t* b,
                          std::size_t n) {
#if defined(__SSE2__)
    if (n >= 16) {
        for (std::size_t i = 0;; i += 16) {
            if (i + 16 > n) i = n - 16; // the last block overlaps: max and min may repeat
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
            const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                             Max ? _mm_max_epu8(x, y) : _mm_min_epu8(x, y));
            if (i + 16 == n) return;
        }
    }
#endif
    for (std::size_t i = 0; i < n; ++i)
        out[i] = (a[i] > b[i]) == Max ? a[i] : b[i];
}

inline void MinBytes(std::uint8_t* out, const std::uint8_t* a, const std::uint8_t* b,
                     std::size_t n) {
    MaxOrMinBytes<false>(out, a, b, n);
}

inline void MaxBytes(std::uint8_t* out, const std::uint8_t* a, const std::uint8_t* b,
                     std::size_t n) {
    MaxOrMinBytes<true>(out, a, b, n);
}

// a[i] <= b[i] for every i below n: the question of every dominance test.
inline bool AllAtMost(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
    return (DirectionBits(a, b, n, 1) & 1) == 0;
}

} // namespace detail

// Dominance: '=' equal everywhere, '<' V1 <= V2 everywhere and not equal,
// '>' the reverse, '|' neither. Different lengths: internal error 402.
inline char CompareVal(Host& host, const Val& v1, const Val& v2) {
    if (v1.size() != v2.size()) [[unlikely]] {
        InternalError(host, InternalErrorCode::CompareValLengths);
        return '|';
    }
    static constexpr char ResultChars[4] = {'=', '>', '<', '|'};
    return ResultChars[detail::DirectionBits(v1.data(), v2.data(), v1.size())];
}
// Total order decided by the highest position where the Vals differ (error 401).
char CompareValOrder(Host& host, const Val& v1, const Val& v2);
// Dominance of the success sets for the goal of at least k tricks (error 403).
char CompareValAtLeast(Host& host, const Val& v1, const Val& v2, std::uint8_t k);
// V1[i] <= V2[i] everywhere (error 404); V1[i] < V2[i] everywhere (error 4045).
inline bool ValAllLE(Host& host, const Val& v1, const Val& v2) {
    if (v1.size() != v2.size()) [[unlikely]] {
        InternalError(host, InternalErrorCode::ValAllLELengths);
        return false;
    }
    return detail::AllAtMost(v1.data(), v2.data(), v1.size());
}
bool ValAllLT(Host& host, const Val& v1, const Val& v2);

// --- combining evaluations -------------------------------------------------

// Fills r, which must already have the length of d1 ∪ d2, over d1 ∪ d2: a DivNr
// in one set only takes that set's value, one in both the smaller of the two.
// Error 407 when the positions filled do not come out at r's length (or when
// an input Val is not aligned with its set).
void MergeVal(Host& host, Val& r, const Dom& d1, const Val& v1, const Dom& d2, const Val& v2);
// The values of v1 (over d1) at the DivNrs of d2, in d2's order. A DivNr of d2
// missing from d1 reports 408 and takes the value of the nearest smaller DivNr
// of d1 (0 when there is none).
Val RestrictVal(Host& host, const Dom& d1, const Val& v1, const Dom& d2);
// Splits d where the aligned Vals a and b agree (dSame, with the common values
// vSame) from where they differ (dDiff).
void SplitSameValues(const Dom& d, const Val& a, const Val& b, Dom& dDiff, Val& vSame, Dom& dSame);
// (dom, val); lengths differ: error 4010, the fields are assigned all the same.
Eval MakeEval(Host& host, const Dom& dom, const Val& val);
// The evaluation with value x on every division of dom.
Eval ConstEvalOver(const Dom& dom, std::uint8_t x);
// Over e1.Dom ∪ e2.Dom, the smaller value where both are defined (the
// defenders pick the branch worse for declarer). Error 407 as MergeVal.
Eval ConcatEval(Host& host, const Eval& e1, const Eval& e2);
// e1.Val := min(e1.Val, e2.Val) on every DivNr of e2; a DivNr of e2 missing
// from e1 reports 4011 and is skipped.
void LowerEval(Host& host, Eval& e1, const Eval& e2);

} // namespace nvx
