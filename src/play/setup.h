// The combination being analysed, as entered and as normalised by the set-up.
#pragma once

#include "cards/holding.h"

#include <array>
#include <cstdint>
#include <string>

namespace nvx {

struct Combination {
    Holding North;    // North's holding as entered, discards included
    Holding South;    // South's holding minus every card also in North
    Holding EWCards;  // the defenders' cards
    Holding Discards; // cards of North or South that take no part in the play
    std::uint8_t Entries = 0;
    std::uint8_t WestFilled = 0; // 13 minus West's vacant places
    std::uint8_t EastFilled = 0; // 13 minus East's vacant places
    std::string PlayString;      // record of the cards played in the play-through
    // ClassMap[c]: the card representing the class of card c; the identity for
    // every character that is not a playing card of the combination.
    std::array<char, 256> ClassMap{};

    Combination() { ResetClassMap(); }
    void ResetClassMap() {
        for (int c = 0; c < 256; ++c)
            ClassMap[c] = static_cast<char>(c);
    }
};

} // namespace nvx
