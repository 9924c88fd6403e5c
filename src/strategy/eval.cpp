#include "strategy/eval.h"

namespace nvx {
namespace {

constexpr const char* kDifferentSets = "should not compare different sets";

// Dominance of two aligned byte sequences after mapping each byte with f.
template <class F> char Dominance(const TVal& v1, const TVal& v2, F f) {
    std::size_t p = v1.size();
    while (p > 0 && f(v1[p - 1]) == f(v2[p - 1])) --p;
    if (p == 0) return '=';
    --p;
    if (f(v2[p]) > f(v1[p])) {
        for (std::size_t i = 0; i < p; ++i)
            if (f(v2[i]) < f(v1[i])) return '|';
        return '<';
    }
    for (std::size_t i = 0; i < p; ++i)
        if (f(v2[i]) > f(v1[i])) return '|';
    return '>';
}

} // namespace

char CompareVal(Host& host, const TVal& v1, const TVal& v2) {
    if (v1.size() != v2.size()) {
        InternalError(host, 402, kDifferentSets);
        return '|';
    }
    return Dominance(v1, v2, [](std::uint8_t b) { return b; });
}

char CompareValOrder(Host& host, const TVal& v1, const TVal& v2) {
    if (v1.size() != v2.size()) {
        InternalError(host, 401, kDifferentSets);
        return '=';
    }
    std::size_t p = v1.size();
    while (p > 0 && v1[p - 1] == v2[p - 1]) --p;
    if (p == 0) return '=';
    return v1[p - 1] < v2[p - 1] ? '<' : '>';
}

char CompareValAtLeast(Host& host, const TVal& v1, const TVal& v2, std::uint8_t k) {
    if (v1.size() != v2.size()) {
        InternalError(host, 403, kDifferentSets);
        return '|';
    }
    return Dominance(v1, v2, [k](std::uint8_t b) { return b >= k ? 1 : 0; });
}

bool ValAllLE(Host& host, const TVal& v1, const TVal& v2) {
    if (v1.size() != v2.size()) {
        InternalError(host, 404, kDifferentSets);
        return false;
    }
    for (std::size_t i = 0; i < v1.size(); ++i)
        if (v1[i] > v2[i]) return false;
    return true;
}

bool ValAllLT(Host& host, const TVal& v1, const TVal& v2) {
    if (v1.size() != v2.size()) {
        InternalError(host, 4045, kDifferentSets);
        return false;
    }
    for (std::size_t i = 0; i < v1.size(); ++i)
        if (v1[i] >= v2[i]) return false;
    return true;
}

} // namespace nvx
