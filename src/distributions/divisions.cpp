#include "play/engine.h"

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

void Engine::GenerateDivisions() {
    std::uint16_t product = 1;
    bool reported = false;
    divs.DivWeight.fill(0);
    for (unsigned r = 1; r <= 13; ++r) {
        if (classes.Owner[r] != hand::Defenders) continue;
        divs.DivWeight[r] = static_cast<std::uint8_t>(product);
        product = static_cast<std::uint16_t>(product * (classes.ClassSize[r] + 1u));
        if (product > 255 && !reported) {
            // The numbering is unusable from here on; no real combination gets here.
            InternalError(host, 201, "Generated EW DivNr not a byte");
            reported = true;
        }
    }
    divs.NumDivs = static_cast<std::uint8_t>(product);

    for (auto& row : divs.MergeTable)
        row.fill(0);
    for (unsigned d = 0; d < divs.NumDivs; ++d) {
        auto& row = divs.MergeTable[d];
        row[0] = row[1] = static_cast<std::uint8_t>(d);
        for (unsigned r = 2; r <= 13; ++r)
            row[r] = classes.Owner[r] == hand::Defenders ? MergedDivision(classes, divs, d, r)
                                                         : row[r - 1];
    }
}

std::uint8_t Engine::DivNrOfHolding(std::string_view classForm) const {
    std::uint8_t d = 0;
    for (char c : classForm)
        d = static_cast<std::uint8_t>(d + DivWeight(RankValue(c)));
    return d;
}

std::uint8_t Engine::WestLength(std::uint8_t d) const {
    unsigned n = 0;
    for (unsigned i = 0; i < classes.ClassCount[hand::Defenders]; ++i) {
        const unsigned r = classes.ClassList[hand::Defenders][i];
        const unsigned w = divs.DivWeight[r];
        if (w == 0) continue;
        n += (d % (w * (classes.ClassSize[r] + 1u))) / w;
    }
    return static_cast<std::uint8_t>(n);
}

std::int32_t Engine::DivMultiplicity(std::uint8_t d) const {
    std::int64_t m = 1; // a product of binomials C(n, w); every division is exact
    for (unsigned i = 0; i < classes.ClassCount[hand::Defenders]; ++i) {
        const unsigned r = classes.ClassList[hand::Defenders][i];
        const unsigned w = divs.DivWeight[r];
        if (w == 0) continue;
        const std::int32_t n = classes.ClassSize[r];
        const std::int32_t digit = static_cast<std::int32_t>((d % (w * (n + 1u))) / w);
        for (std::int32_t k = 1; k <= digit; ++k)
            m = m * (n - k + 1) / k;
    }
    return static_cast<std::int32_t>(m);
}

std::uint8_t Engine::DivNrWestPlayed() const {
    std::uint8_t d = 0;
    for (unsigned i = 0; i < classes.ClassCount[hand::Defenders]; ++i) {
        const unsigned r = classes.ClassList[hand::Defenders][i];
        d = static_cast<std::uint8_t>(d + play.WestPlayed[r] * divs.DivWeight[r]);
    }
    return d;
}

std::uint8_t Engine::DivNrWestPlayedAndUnplayed() const {
    std::uint8_t d = 0;
    for (unsigned i = 0; i < classes.ClassCount[hand::Defenders]; ++i) {
        const unsigned r = classes.ClassList[hand::Defenders][i];
        d = static_cast<std::uint8_t>(d +
                                      (play.WestPlayed[r] + play.Remaining[r]) * divs.DivWeight[r]);
    }
    return d;
}

} // namespace nvx
