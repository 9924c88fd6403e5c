// The card classes of a set-up combination: who owns each class rank, how many
// cards each class has, and each hand's class ranks highest first.
#pragma once

#include <array>
#include <cstdint>

namespace nvx {

// Hands (owners of card classes).
namespace hand {
inline constexpr std::uint8_t North = 0;
inline constexpr std::uint8_t South = 1;
inline constexpr std::uint8_t Defenders = 2; // West and East as one pool
inline constexpr std::uint8_t None = 3;
} // namespace hand

// Whether a class is represented by its lowest or by its highest card.
enum class ClassRule : std::uint8_t { Lowest, Highest };

// Every table indexed by rank value uses 1..13; index 0 is a harmless spare
// (owner none, size 0) so that the rank value 0 of a non-card reads as "no class".
struct ClassTables {
    std::array<std::uint8_t, 14> Owner{}; // hand of the class with this class rank, or hand::None
    std::array<std::uint8_t, 14> ClassSize{}; // cards in the class of this class rank, 0 if none
    // ClassList[h][0 .. ClassCount[h]-1]: the class ranks of hand h, highest first.
    std::array<std::array<std::uint8_t, 13>, 4> ClassList{};
    std::array<std::uint8_t, 4> ClassCount{}; // the fourth (hand::None) stays 0
    std::uint16_t NorthLength = 0;            // North's playing cards
    std::uint16_t SouthLength = 0;            // South's playing cards
    std::uint16_t EWLength = 0;               // the defenders' cards
    std::uint8_t MaxLength = 0; // max(NorthLength, SouthLength): tricks the suit can last

    ClassTables() { Owner.fill(hand::None); }
    friend bool operator==(const ClassTables&, const ClassTables&) = default;
};

} // namespace nvx
