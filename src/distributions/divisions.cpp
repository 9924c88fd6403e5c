#include "distributions/divisions.h"

#include "cards/holding.h"

#include <algorithm>

namespace nvx {
namespace {

// The division d becomes when West's cards among the defenders' classes of
// class rank r or lower are taken to be the lowest of those cards.
std::uint8_t MergedDivision(const ClassTables& t, const Divisions& dv, unsigned d, unsigned r) {
    unsigned total = 0;
    for (unsigned s = 1; s <= r; ++s) {
        if (t.Owner[s] != hand::Defenders) continue;
        const unsigned w = dv.DivWeight[s];
        if (w == 0) continue; // only after an unusable numbering (error 201)
        const unsigned digit = (d % (w * (t.ClassSize[s] + 1u))) / w;
        total += digit;
        d -= digit * w;
    }
    for (unsigned s = 1; s <= r; ++s) {
        if (t.Owner[s] != hand::Defenders) continue;
        const unsigned digit = std::min<unsigned>(t.ClassSize[s], total);
        total -= digit;
        d += digit * dv.DivWeight[s];
    }
    return static_cast<std::uint8_t>(d);
}

} // namespace

Divisions GenerateDivisions(const ClassTables& t, Host& host) {
    Divisions dv;
    std::uint16_t product = 1;
    bool reported = false;
    for (unsigned r = 1; r <= 13; ++r) {
        if (t.Owner[r] != hand::Defenders) continue;
        dv.DivWeight[r] = static_cast<std::uint8_t>(product);
        product = static_cast<std::uint16_t>(product * (t.ClassSize[r] + 1u));
        if (product > 255 && !reported) {
            // The numbering is unusable from here on; no real combination gets here.
            InternalError(host, InternalErrorCode::DivNrNotAByte);
            reported = true;
        }
    }
    dv.NumDivs = static_cast<std::uint8_t>(product);

    for (unsigned d = 0; d < dv.NumDivs; ++d) {
        auto& row = dv.MergeTable[d];
        row[0] = row[1] = static_cast<std::uint8_t>(d);
        for (unsigned r = 2; r <= 13; ++r)
            row[r] = t.Owner[r] == hand::Defenders ? MergedDivision(t, dv, d, r) : row[r - 1];
    }
    return dv;
}

std::uint8_t DivNrOfHolding(const Divisions& dv, std::string_view classForm) {
    std::uint8_t d = 0;
    for (char c : classForm)
        d = static_cast<std::uint8_t>(d + DivWeight(dv, RankValue(c)));
    return d;
}

std::uint8_t WestLength(const ClassTables& t, const Divisions& dv, std::uint8_t d) {
    unsigned n = 0;
    for (unsigned i = 0; i < t.ClassCount[hand::Defenders]; ++i) {
        const unsigned r = t.ClassList[hand::Defenders][i];
        const unsigned w = dv.DivWeight[r];
        if (w == 0) continue;
        n += (d % (w * (t.ClassSize[r] + 1u))) / w;
    }
    return static_cast<std::uint8_t>(n);
}

std::int32_t DivMultiplicity(const ClassTables& t, const Divisions& dv, std::uint8_t d) {
    std::int64_t m = 1; // a product of binomials C(n, w); every division is exact
    for (unsigned i = 0; i < t.ClassCount[hand::Defenders]; ++i) {
        const unsigned r = t.ClassList[hand::Defenders][i];
        const unsigned w = dv.DivWeight[r];
        if (w == 0) continue;
        const std::int32_t n = t.ClassSize[r];
        const std::int32_t digit = static_cast<std::int32_t>((d % (w * (n + 1u))) / w);
        for (std::int32_t k = 1; k <= digit; ++k)
            m = m * (n - k + 1) / k;
    }
    return static_cast<std::int32_t>(m);
}

} // namespace nvx
