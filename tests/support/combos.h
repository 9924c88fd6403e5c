// Random suit combinations of the kind the combination dialog accepts, and
// random walks through the play, for property tests.
#pragma once

#include "cards/contract.h"
#include "play/engine.h"

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace nvx::test {

struct ComboInput {
    std::string north; // as typed (may use "10" and blanks)
    std::string south;
    std::string discards; // cards of North or South, or empty
    std::uint8_t entries = 13;
    std::uint8_t vacantWest = 13;
    std::uint8_t vacantEast = 13;

    std::uint8_t westFilled() const { return static_cast<std::uint8_t>(13 - vacantWest); }
    std::uint8_t eastFilled() const { return static_cast<std::uint8_t>(13 - vacantEast); }
    std::string describe() const;
};

// A combination that passes every check of the combination dialog: North or
// South plays at least two cards, the defenders hold at least two, entries
// 0..9 (or, with the option off, as many as North plays), vacant places 0..13
// each with room for all the defenders' cards.
ComboInput RandomAdmittedCombo(std::mt19937& rng);

// No contract (matchpoints) half the time, else a random contract to score
// at IMPs, needing mostly few tricks in the suit.
std::optional<ContractGoal> RandomGoal(std::mt19937& rng);

// SetUpCombination with the input, as the main window passes it.
void SetUp(Engine& engine, const ComboInput& in);

// Plays up to maxCards random legal cards (codes 1..15); returns how many were
// played.
int PlayRandomly(Engine& engine, std::mt19937& rng, int maxCards);

} // namespace nvx::test
