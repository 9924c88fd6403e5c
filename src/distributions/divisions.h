// The numbering of the divisions of the defenders' cards between West and East.
// A division says how many cards of each defenders' class West holds; its
// number (DivNr) is a mixed-radix byte with the lowest class as the least
// significant digit.
//
// The functions here work on the class tables alone; the engine keeps their
// results and asks them about its play.
#pragma once

#include "cards/class_tables.h"
#include "cards/host.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace nvx {

// Rows of the merge table: a division number is a byte.
inline constexpr std::size_t MaxDivNrs = 256;

struct Divisions {
    // Weight of the digit of the class with this class rank; 0 for rank values
    // that are no defenders' class rank (index 0 included).
    std::array<std::uint8_t, 14> DivWeight{};
    std::uint8_t NumDivs = 1; // number of divisions (1..162 for every real combination)
    // MergeTable[d][r]: the division d becomes when every defenders' class of
    // class rank r or lower is treated as one class (West then holds the lowest
    // of those cards). Column 0 and column 1 are d itself.
    std::array<std::array<std::uint8_t, 14>, MaxDivNrs> MergeTable{};

    friend bool operator==(const Divisions&, const Divisions&) = default;
};

// Numbers the divisions of the defenders' classes of t and fills the merge
// table. Reports internal error 201 when the numbering does not fit a byte
// (no real combination gets there); the result is then unusable but safe to read.
Divisions GenerateDivisions(const ClassTables& t, Host& host);

// The weight of the digit of class rank r (0 for anything but a defenders' class rank).
inline std::uint8_t DivWeight(const Divisions& dv, std::uint16_t r) {
    return r <= 13 ? dv.DivWeight[r] : 0;
}
// Sum of the weights of every character of a holding in class form.
std::uint8_t DivNrOfHolding(const Divisions& dv, std::string_view classForm);
// The number of defenders' cards West holds in division d.
std::uint8_t WestLength(const ClassTables& t, const Divisions& dv, std::uint8_t d);
// Concrete layouts of the real cards that division d stands for.
std::int32_t DivMultiplicity(const ClassTables& t, const Divisions& dv, std::uint8_t d);

} // namespace nvx
