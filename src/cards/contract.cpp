#include "cards/contract.h"

#include <algorithm>
#include <cstdlib>

namespace nvx {

std::int32_t ContractScore(const Contract& c, int x) {
    if (c.Level < 1 || c.Level > 7 || c.Strain > 4) return 0;
    // Range check first, so that no x (however large) can overflow the sums below.
    if (x < -(c.Level + 6) || x > 7 - c.Level) return 0;
    const bool redoubled = c.Redoubled != 0;
    const bool doubled = !redoubled && c.Doubled != 0;
    const bool vul = c.Vulnerable != 0;
    if (x >= 0) {
        int trickScore = TrickValues[c.Strain] * c.Level + (c.Strain == 4 ? 10 : 0);
        if (redoubled)
            trickScore *= 4;
        else if (doubled)
            trickScore *= 2;
        int score = trickScore;
        if (c.Level == 6) score += vul ? 750 : 500;
        if (c.Level == 7) score += vul ? 1500 : 1000;
        int over = redoubled ? (vul ? 400 : 200)
                   : doubled ? (vul ? 200 : 100)
                             : TrickValues[c.Strain];
        score += over * x;
        score += trickScore >= 100 ? (vul ? 500 : 300) : 50;
        if (redoubled)
            score += 100;
        else if (doubled)
            score += 50;
        return score;
    }
    int d = -x;
    int penalty;
    if (!doubled && !redoubled) {
        penalty = (vul ? 100 : 50) * d;
    } else {
        if (vul)
            penalty = 200 + 300 * (d - 1);
        else
            penalty = d == 1 ? 100 : d == 2 ? 300 : 500 + 300 * (d - 3);
        if (redoubled) penalty *= 2;
    }
    return -penalty;
}

int Imps(std::int32_t diff) {
    std::int64_t a = std::llabs(static_cast<std::int64_t>(diff));
    int n = 0;
    while (n < int(ImpThresholds.size()) && ImpThresholds[n] <= a)
        ++n;
    return diff < 0 ? -n : n;
}

std::string ContractName(std::uint8_t level, std::uint8_t strain) {
    return std::to_string(level) + (strain < StrainNames.size() ? StrainNames[strain] : "?");
}

std::string ContractText(const Contract& c) {
    std::string s = ContractName(c.Level, c.Strain);
    if (c.Redoubled)
        s += " xx";
    else if (c.Doubled)
        s += " x";
    if (c.Vulnerable) s += " vul";
    return s;
}

} // namespace nvx
