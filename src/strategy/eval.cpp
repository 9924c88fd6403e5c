#include "strategy/eval.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace nvx {

char CompareValOrder(Host& host, const Val& v1, const Val& v2) {
    if (v1.size() != v2.size()) {
        InternalError(host, InternalErrorCode::CompareValOrderLengths);
        return '=';
    }
    std::size_t p = v1.size();
    while (p > 0 && v1[p - 1] == v2[p - 1])
        --p;
    if (p == 0) return '=';
    return v1[p - 1] < v2[p - 1] ? '<' : '>';
}

char CompareValAtLeast(Host& host, const Val& v1, const Val& v2, std::uint8_t k) {
    if (v1.size() != v2.size()) {
        InternalError(host, InternalErrorCode::CompareValAtLeastLengths);
        return '|';
    }
    // The success sets, one byte per division (1: at least k tricks), are
    // compared as CompareVal compares Vals.
    const std::size_t n = v1.size();
    std::uint8_t s1[MaxDivisions], s2[MaxDivisions];
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i limit = _mm_set1_epi8(static_cast<char>(k)), one = _mm_set1_epi8(1);
    for (; i + 16 <= n; i += 16)
        for (auto [v, s] : {std::pair{v1.data(), s1}, std::pair{v2.data(), s2}}) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(v + i));
            // x >= k exactly where max(x, k) == x (unsigned bytes).
            const __m128i at = _mm_cmpeq_epi8(_mm_max_epu8(x, limit), x);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(s + i), _mm_and_si128(at, one));
        }
#endif
    for (; i < n; ++i) {
        s1[i] = v1[i] >= k ? 1 : 0;
        s2[i] = v2[i] >= k ? 1 : 0;
    }
    static constexpr char ResultChars[4] = {'=', '>', '<', '|'};
    return ResultChars[detail::DirectionBits(s1, s2, n)];
}

bool ValAllLT(Host& host, const Val& v1, const Val& v2) {
    if (v1.size() != v2.size()) {
        InternalError(host, InternalErrorCode::ValAllLTLengths);
        return false;
    }
    for (std::size_t i = 0; i < v1.size(); ++i)
        if (v1[i] >= v2[i]) return false;
    return true;
}

// --- division sets ---------------------------------------------------------

bool DomDisjoint(const Dom& a, const Dom& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i] < b[j])
            ++i;
        else if (b[j] < a[i])
            ++j;
        else
            return false;
    }
    return true;
}

bool DomSubset(const Dom& a, const Dom& b) {
    if (b.size() < a.size()) return false;
    std::size_t j = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        while (j < b.size() && b[j] < a[i])
            ++j;
        if (j == b.size() || b[j] != a[i]) return false;
        ++j;
    }
    return true;
}

Dom DomUnion(const Dom& a, const Dom& b) {
    Dom u;
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i] < b[j])
            u.push_back(a[i++]);
        else if (b[j] < a[i])
            u.push_back(b[j++]);
        else {
            u.push_back(a[i++]);
            ++j;
        }
    }
    while (i < a.size())
        u.push_back(a[i++]);
    while (j < b.size())
        u.push_back(b[j++]);
    return u;
}

Dom DomDiff(Host& host, const Dom& d1, const Dom& d2) {
    // Walk both sets from their largest DivNr and fill the result from its end.
    Dom r = Dom::withLength(d1.size());
    std::size_t i = d1.size(), j = d2.size(), k = d1.size();
    while (i > 0) {
        if (j > 0 && d2[j - 1] == d1[i - 1]) {
            --i;
            --j;
        } else if (j > 0 && d2[j - 1] > d1[i - 1]) {
            InternalError(host, InternalErrorCode::DomDiffNotSubset);
            --j;
        } else {
            r[--k] = d1[i - 1];
            --i;
        }
    }
    for (; j > 0; --j)
        InternalError(host, InternalErrorCode::DomDiffNotSubset);
    const std::size_t filled = d1.size() - k;
    if (d2.size() > d1.size() || filled != d1.size() - d2.size())
        InternalError(host, InternalErrorCode::DomDiffWrongLength);
    std::memmove(r.data(), r.data() + k, filled);
    r.resize(filled);
    return r;
}

void CheckOrderedDom(Host& host, const Dom& d) {
    for (std::size_t i = 1; i < d.size(); ++i)
        if (d[i - 1] >= d[i]) InternalError(host, InternalErrorCode::DomNotOrdered);
}

// --- combining evaluations -------------------------------------------------

void MergeVal(Host& host, Val& r, const Dom& d1, const Val& v1, const Dom& d2, const Val& v2) {
    bool bad = v1.size() != d1.size() || v2.size() != d2.size();
    auto at1 = [&](std::size_t p) -> std::uint8_t { return p < v1.size() ? v1[p] : 0; };
    auto at2 = [&](std::size_t p) -> std::uint8_t { return p < v2.size() ? v2[p] : 0; };
    std::size_t i = d1.size(), j = d2.size(), k = r.size();
    auto put = [&](std::uint8_t x) {
        if (k == 0)
            bad = true;
        else
            r[--k] = x;
    };
    while (i > 0 || j > 0) {
        if (j == 0 || (i > 0 && d1[i - 1] > d2[j - 1])) {
            put(at1(i - 1));
            --i;
        } else if (i == 0 || d2[j - 1] > d1[i - 1]) {
            put(at2(j - 1));
            --j;
        } else {
            put(std::min(at1(i - 1), at2(j - 1)));
            --i;
            --j;
        }
    }
    if (bad || k != 0) InternalError(host, InternalErrorCode::MergeValWrongLength);
}

Val RestrictVal(Host& host, const Dom& d1, const Val& v1, const Dom& d2) {
    Val r = Val::withLength(d2.size());
    auto at1 = [&](std::size_t p) -> std::uint8_t { return p < v1.size() ? v1[p] : 0; };
    std::size_t i = d1.size();
    for (std::size_t j = d2.size(); j > 0; --j) {
        const std::uint8_t d = d2[j - 1];
        while (i > 0 && d1[i - 1] > d)
            --i;
        if (i > 0 && d1[i - 1] == d) {
            r[j - 1] = at1(i - 1);
            --i;
        } else {
            InternalError(host, InternalErrorCode::RestrictValMissingDivision);
            r[j - 1] = i > 0 ? at1(i - 1) : 0;
        }
    }
    return r;
}

void SplitSameValues(const Dom& d, const Val& a, const Val& b, Dom& dDiff, Val& vSame, Dom& dSame) {
    dDiff.clear();
    vSame.clear();
    dSame.clear();
    const std::size_t n = std::min({d.size(), a.size(), b.size()});
    for (std::size_t i = 0; i < d.size(); ++i) {
        if (i < n && a[i] == b[i]) {
            dSame.push_back(d[i]);
            vSame.push_back(a[i]);
        } else {
            dDiff.push_back(d[i]);
        }
    }
}

Eval MakeEval(Host& host, const Dom& dom, const Val& val) {
    if (dom.size() != val.size()) InternalError(host, InternalErrorCode::MakeEvalLengths);
    return Eval{dom, val};
}

Eval ConstEvalOver(const Dom& dom, std::uint8_t x) {
    return Eval{dom, Val::filled(dom.size(), x)};
}

Eval ConcatEval(Host& host, const Eval& e1, const Eval& e2) {
    if (e2.Dom.empty() && e2.Val.empty()) return e1;
    if (e1.Dom.empty() && e1.Val.empty()) return e2;
    Eval e;
    e.Dom = DomUnion(e1.Dom, e2.Dom);
    e.Val = Val::withLength(e.Dom.size());
    MergeVal(host, e.Val, e1.Dom, e1.Val, e2.Dom, e2.Val);
    return e;
}

void LowerEval(Host& host, Eval& e1, const Eval& e2) {
    std::size_t i = e1.Dom.size();
    for (std::size_t j = e2.Dom.size(); j > 0; --j) {
        const std::uint8_t d = e2.Dom[j - 1];
        while (i > 0 && e1.Dom[i - 1] > d)
            --i;
        if (i > 0 && e1.Dom[i - 1] == d) {
            if (i - 1 < e1.Val.size() && j - 1 < e2.Val.size() && e2.Val[j - 1] < e1.Val[i - 1])
                e1.Val[i - 1] = e2.Val[j - 1];
            --i;
        } else {
            InternalError(host, InternalErrorCode::LowerEvalNotSubset);
        }
    }
}

} // namespace nvx
