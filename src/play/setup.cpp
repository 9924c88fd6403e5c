#include "play/engine.h"

namespace nvx {

void Engine::SetUpCombination(std::string_view northText, std::string_view southText,
                              std::uint8_t entries, std::string_view discardsText,
                              std::uint8_t westFilled, std::uint8_t eastFilled) {
    combo.ResetClassMap();
    combo.North = NormalizeHolding(northText);
    combo.South = HoldingMinus(NormalizeHolding(southText), combo.North);
    combo.EWCards = HoldingMinus(HoldingMinus(FullSuit(), combo.North), combo.South);
    combo.Entries = entries;
    combo.Discards = HoldingMinus(NormalizeHolding(discardsText), combo.EWCards);
    combo.WestFilled = westFilled;
    combo.EastFilled = eastFilled;

    Holding n = HoldingMinus(combo.North, combo.Discards);
    MergeClasses(n, ClassRule::Lowest);
    Holding s = HoldingMinus(combo.South, combo.Discards);
    MergeClasses(s, ClassRule::Lowest);
    Holding e = combo.EWCards;
    MergeClasses(e, ClassRule::Highest);

    InitPlayState(n, s, e, combo.Entries);
    divs = GenerateDivisions(classes, host);
    probs = DivisionProbabilities(classes, divs, combo.WestFilled, combo.EastFilled, host);
    combo.PlayString.clear();
}

void Engine::MergeClasses(Holding& h, ClassRule rule) {
    const std::size_t len = h.size();
    if (len < 2) return;
    // Walk from the lowest card up; positions j..i (0-based) form one class.
    std::size_t i = len - 1;
    for (;;) {
        std::size_t j = i;
        while (j > 0 && (h[j] == h[j - 1] || IsAdjacent(h[j], h[j - 1])))
            --j;
        const char rep = rule == ClassRule::Highest ? h[j] : h[i];
        const char mapped = ClassRepresentative(rep);
        for (std::size_t k = i + 1; k-- > j;) {
            combo.ClassMap[static_cast<unsigned char>(h[k])] = mapped;
            h[k] = rep;
        }
        if (j < 2) break; // nothing left, or only the highest card: a class of its own
        i = j - 1;
    }
}

std::uint8_t Engine::DivNrOfCards(std::string_view westCards) const {
    Holding classForm;
    for (std::size_t i = 0; i < westCards.size() && i < Holding::Capacity; ++i)
        classForm.push_back(ClassRepresentative(westCards[i]));
    return DivNrOfHolding(classForm.view());
}

} // namespace nvx
