// Evaluations: declarer's tricks on each division of an ordered division set.
#pragma once

#include "cards/host.h"
#include "strategy/bytestr.h"

#include <cstdint>

namespace nvx {

struct TEval {
    TDom Dom;
    TVal Val;
    friend bool operator==(const TEval&, const TEval&) = default;
};

// Dominance: '=' equal everywhere, '<' V1 <= V2 everywhere and not equal,
// '>' the reverse, '|' neither. Different lengths: internal error 402.
char CompareVal(Host& host, const TVal& v1, const TVal& v2);
// Total order decided by the highest position where the Vals differ (error 401).
char CompareValOrder(Host& host, const TVal& v1, const TVal& v2);
// Dominance of the success sets for the goal of at least k tricks (error 403).
char CompareValAtLeast(Host& host, const TVal& v1, const TVal& v2, std::uint8_t k);
// V1[i] <= V2[i] everywhere (error 404); V1[i] < V2[i] everywhere (error 4045).
bool ValAllLE(Host& host, const TVal& v1, const TVal& v2);
bool ValAllLT(Host& host, const TVal& v1, const TVal& v2);

} // namespace nvx
