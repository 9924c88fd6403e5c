#include "distributions/probabilities.h"

#include <cassert>
#include <cstdint>

namespace nvx {
namespace {

bool CheckedMul(std::int64_t a, std::int64_t b, std::int32_t& out) {
    if (a < INT32_MIN || a > INT32_MAX || b < INT32_MIN || b > INT32_MAX) return false;
    return !__builtin_mul_overflow(static_cast<std::int32_t>(a), static_cast<std::int32_t>(b),
                                   &out);
}

// A figure that does not fit 32 bits: report it and leave every probability 0,
// so that no wrong figure can be shown.
void ReportOverflow(Probabilities& p, Host& host) {
    InternalError(host, InternalErrorCode::ProbabilityOverflow);
    p.LengthNumerator.fill(0);
    p.DivNumerator.fill(0);
    p.ProbDenominator = 1;
}

} // namespace

std::int64_t Gcd(std::int64_t a, std::int64_t b) {
    std::uint64_t x = a < 0 ? 0 - static_cast<std::uint64_t>(a) : static_cast<std::uint64_t>(a);
    std::uint64_t y = b < 0 ? 0 - static_cast<std::uint64_t>(b) : static_cast<std::uint64_t>(b);
    while (y != 0) {
        const std::uint64_t t = x % y;
        x = y;
        y = t;
    }
    return static_cast<std::int64_t>(x);
}

void Reduce(Fraction& f) {
    const std::int64_t g = Gcd(f.Num, f.Den);
    if (g == 0) return;
    f.Num = static_cast<std::int32_t>(f.Num / g);
    f.Den = static_cast<std::int32_t>(f.Den / g);
}

Fraction MakeFraction(std::int32_t num, std::int32_t den) {
    assert(den != 0 && "a fraction's denominator is never 0");
    Fraction f{num, den};
    Reduce(f);
    return f;
}

std::optional<Fraction> Multiply(const Fraction& a, const Fraction& b) {
    if (a.Den == 0 || b.Den == 0) return std::nullopt;
    const std::int64_t g1 = Gcd(a.Den, b.Num); // > 0, as a.Den != 0
    const std::int64_t g2 = Gcd(a.Num, b.Den); // > 0, as b.Den != 0
    Fraction r;
    if (!CheckedMul(a.Num / g2, b.Num / g1, r.Num)) return std::nullopt;
    if (!CheckedMul(a.Den / g1, b.Den / g2, r.Den)) return std::nullopt;
    Reduce(r);
    return r;
}

std::optional<Fraction> AssignmentProbability(int w, int e, int filledWest, int filledEast) {
    int pW = 13 - filledWest;
    int pE = 13 - filledEast;
    Fraction result{1, 1};
    // One factor per card: the chance that it lands on one of its hand's free places.
    auto place = [&](int mine) -> bool {
        if (result.Num == 0) return true;
        if (pW + pE == 0) { // no place left at all: the layout cannot occur
            result = Fraction{0, 1};
            return true;
        }
        auto r = Multiply(result, MakeFraction(mine, pW + pE));
        if (!r) return false;
        result = *r;
        return true;
    };
    for (int i = 0; i < w; ++i) {
        if (!place(pW)) return std::nullopt;
        if (pW > 0) --pW;
    }
    for (int i = 0; i < e; ++i) {
        if (!place(pE)) return std::nullopt;
        if (pE > 0) --pE;
    }
    if (result.Num == 0) result.Den = 1;
    return result;
}

bool BuildLengthProbabilities(Probabilities& p, unsigned n, std::uint8_t westFilled,
                              std::uint8_t eastFilled, Host& host) {
    auto fail = [&] {
        ReportOverflow(p, host);
        return false;
    };
    if (n > 13) return fail(); // more cards than the length table holds

    std::array<Fraction, 14> length{};
    for (unsigned k = 0; k <= n; ++k) {
        auto f = AssignmentProbability(static_cast<int>(k), static_cast<int>(n - k), westFilled,
                                       eastFilled);
        if (!f) return fail();
        length[k] = *f;
    }
    std::int32_t denominator = 1;
    for (unsigned k = 0; k <= n; ++k) {
        const std::int64_t g = Gcd(denominator, length[k].Den);
        if (!CheckedMul(length[k].Den / g, denominator, denominator)) return fail();
    }
    std::array<std::int32_t, 14> numerators{};
    for (unsigned k = 0; k <= n; ++k)
        if (!CheckedMul(denominator / length[k].Den, length[k].Num, numerators[k])) return fail();

    p.ProbDenominator = denominator;
    p.LengthNumerator = numerators;
    return true;
}

Probabilities DivisionProbabilities(const ClassTables& t, const Divisions& dv,
                                    std::uint8_t westFilled, std::uint8_t eastFilled, Host& host) {
    Probabilities p;
    if (!BuildLengthProbabilities(p, t.EWLength, westFilled, eastFilled, host)) return p;
    std::array<std::int32_t, MaxDivNrs> numerators{};
    for (unsigned d = 0; d < dv.NumDivs; ++d) {
        const auto dn = static_cast<std::uint8_t>(d);
        const unsigned length = WestLength(t, dv, dn);
        const std::int32_t lengthNumerator = length <= 13 ? p.LengthNumerator[length] : 0;
        if (!CheckedMul(lengthNumerator, DivMultiplicity(t, dv, dn), numerators[d])) {
            ReportOverflow(p, host);
            return p;
        }
    }
    p.DivNumerator = numerators;
    CheckProbabilitySum(p, dv, host);
    return p;
}

bool CheckProbabilitySum(const Probabilities& p, const Divisions& dv, Host& host) {
    std::int64_t sum = 0;
    for (unsigned d = 0; d < dv.NumDivs; ++d)
        sum += p.DivNumerator[d];
    if (sum == p.ProbDenominator) return true;
    InternalError(host, InternalErrorCode::ProbabilitySumNotOne);
    return false;
}

} // namespace nvx
