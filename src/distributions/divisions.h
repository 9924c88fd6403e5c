// The numbering of the divisions of the defenders' cards between West and East.
// A division says how many cards of each defenders' class West holds; its
// number (DivNr) is a mixed-radix byte with the lowest class as the least
// significant digit.
#pragma once

#include <array>
#include <cstdint>

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

} // namespace nvx
