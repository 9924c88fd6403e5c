#include "support/combos.h"

#include <vector>

namespace nvx::test {

std::string ComboInput::describe() const {
    return "North '" + north + "' South '" + south + "' discards '" + discards + "' entries " +
           std::to_string(entries) + " vacant " + std::to_string(vacantWest) + "/" +
           std::to_string(vacantEast);
}

std::optional<ContractGoal> RandomGoal(std::mt19937& rng) {
    if (rng() % 2) return std::nullopt;
    ContractGoal g;
    g.Contract.Level = std::uint8_t(1 + rng() % 7);
    g.Contract.Strain = std::uint8_t(rng() % 5);
    g.Contract.Doubled = std::uint8_t(rng() % 3 == 0);
    g.Contract.Redoubled = std::uint8_t(rng() % 6 == 0);
    g.Contract.Vulnerable = std::uint8_t(rng() % 2);
    g.TricksNeeded = std::uint8_t(rng() % 4 ? rng() % 6 : rng() % 14);
    return g;
}

ComboInput RandomAdmittedCombo(std::mt19937& rng) {
    auto chance = [&](int percent) { return int(rng() % 100) < percent; };
    for (;;) {
        // Vary how the cards fall so that long and short hands both occur.
        const int pNorth = 10 + int(rng() % 50), pSouth = 10 + int(rng() % 50);
        Holding north, south, ew;
        for (char c : FullSuit()) {
            const int x = int(rng() % 100);
            if (x < pNorth / 2 + 10)
                north.push_back(c);
            else if (x < pNorth / 2 + 10 + pSouth / 2)
                south.push_back(c);
            else
                ew.push_back(c);
        }
        Holding discards;
        if (chance(25))
            for (char c : NormalizeHolding(north.str() + south.str()))
                if (chance(30)) discards.push_back(c);
        const Holding np = HoldingMinus(north, discards), sp = HoldingMinus(south, discards);
        if (np.size() < 2 && sp.size() < 2) continue;
        if (ew.size() < 2) continue;

        ComboInput in;
        const bool display = chance(30);
        in.north = display ? HoldingDisplayText(north.view()) : north.str();
        in.south = display ? HoldingDisplayText(south.view()) : south.str();
        in.discards = discards.str();
        in.entries = chance(40) ? std::uint8_t(rng() % 10) : std::uint8_t(np.size());
        if (chance(50)) {
            const int n = int(ew.size());
            do {
                in.vacantWest = std::uint8_t(rng() % 14);
                in.vacantEast = std::uint8_t(rng() % 14);
            } while (in.vacantWest + in.vacantEast < n);
        }
        return in;
    }
}

void SetUp(Engine& engine, const ComboInput& in) {
    engine.SetUpCombination(in.north, in.south, in.entries, in.discards, in.westFilled(),
                            in.eastFilled());
}

int PlayRandomly(Engine& engine, std::mt19937& rng, int maxCards) {
    int played = 0;
    for (; played < maxCards; ++played) {
        std::vector<std::uint8_t> legal;
        for (std::uint8_t code = 1; code <= LaterShowOut; ++code)
            if (code >= FirstShowOut ? engine.CanShowOut() : engine.CanPlayCard(code))
                legal.push_back(code);
        if (legal.empty() || !engine.Play(legal[rng() % legal.size()])) break;
    }
    return played;
}

} // namespace nvx::test
