#include "cards/holding.h"

#include <algorithm>

namespace nvx {

std::uint16_t RankValue(char c) {
    auto p = RankChars.find(c);
    return p == std::string_view::npos ? 0 : static_cast<std::uint16_t>(p + 1);
}

char RankChar(std::uint16_t rank) {
    return RankChars[rank - 1];
}

bool IsHigher(char a, char b) {
    return RankValue(a) > RankValue(b);
}

bool IsAdjacent(char a, char b) {
    int d = int(RankValue(a)) - int(RankValue(b));
    return d == 1 || d == -1;
}

bool HasCard(char c, std::string_view holding) {
    return holding.find(c) != std::string_view::npos;
}

Holding NormalizeHolding(std::string_view text) {
    bool ten = text.find("10") != std::string_view::npos;
    Holding result;
    for (int r = 13; r >= 1; --r) {
        char c = RankChar(static_cast<std::uint16_t>(r));
        if (HasCard(c, text) || (ten && c == 'T')) result.push_back(c);
    }
    return result;
}

Holding FullSuit() {
    return NormalizeHolding(RankChars);
}

Holding HoldingMinus(const Holding& a, const Holding& b) {
    Holding r;
    for (char c : a)
        if (!HasCard(c, b.view())) r.push_back(c);
    return r;
}

void RemoveCard(char c, std::string& text) {
    auto p = text.find(c);
    if (p != std::string::npos) text.erase(p, 1);
}

void RemoveCard(char c, Holding& text) {
    std::string s = text.str();
    RemoveCard(c, s);
    text.assign(s);
}

std::string HoldingDisplayText(std::string_view text) {
    std::string result;
    for (int r = 13; r >= 1; --r) {
        char c = RankChar(static_cast<std::uint16_t>(r));
        if (!HasCard(c, text)) continue;
        if (c == 'T')
            result += "10 ";
        else {
            result += c;
            result += ' ';
        }
    }
    return result;
}

int CompareHoldings(std::string_view a, std::string_view b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        int d = int(RankValue(b[i])) - int(RankValue(a[i]));
        if (d != 0) return d;
    }
    return int(b.size()) - int(a.size());
}

std::string SmallCardsAsX(std::string_view h, char c) {
    std::string r;
    for (char y : h)
        r += IsHigher(c, y) ? 'x' : y;
    return r;
}

} // namespace nvx
