// Contract, vulnerability, duplicate scoring and the IMP scale.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace nvx {

struct Contract {
    std::uint8_t Level = 3;      // 1..7
    std::uint8_t Strain = 4;     // 0 clubs, 1 diamonds, 2 hearts, 3 spades, 4 notrump
    std::uint8_t Doubled = 0;    // boolean
    std::uint8_t Redoubled = 0;  // boolean; takes precedence over Doubled
    std::uint8_t Vulnerable = 0; // boolean
    friend bool operator==(const Contract&, const Contract&) = default;
};

struct ContractGoal {
    nvx::Contract Contract;
    std::uint8_t TricksNeeded = 2; // tricks in the suit needed to make the contract, 0..13
    friend bool operator==(const ContractGoal&, const ContractGoal&) = default;
};

inline constexpr std::array<const char*, 5> StrainNames = {"C", "D", "H", "S", "NT"};
inline constexpr std::array<int, 5> TrickValues = {20, 20, 30, 30, 30};
inline constexpr std::array<std::uint16_t, 24> ImpThresholds = {
    20,  50,  90,   130,  170,  220,  270,  320,  370,  430,  500,  600,
    750, 900, 1100, 1300, 1500, 1750, 2000, 2250, 2500, 3000, 3500, 4000};

// Score for declarer's side with x tricks over (x > 0) or under (x < 0) the
// contract; 0 when the level or the total number of tricks is out of range.
std::int32_t ContractScore(const Contract& c, int x);
// Signed IMPs for a score difference, -24..24.
int Imps(std::int32_t diff);
std::string ContractName(std::uint8_t level, std::uint8_t strain);
std::string ContractText(const Contract& c);

} // namespace nvx
