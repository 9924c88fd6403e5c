// The position reached in the play of the suit. All fields are bytes in fixed
// arrays so that playing and taking back a card is a handful of table look-ups;
// the game-tree search works directly on this record.
#pragma once

#include <array>
#include <cstdint>

namespace nvx {

// Seats: play goes North, East, South, West; None means a trick is to be led.
namespace seat {
inline constexpr std::uint8_t North = 0;
inline constexpr std::uint8_t East = 1;
inline constexpr std::uint8_t South = 2;
inline constexpr std::uint8_t West = 3;
inline constexpr std::uint8_t None = 4;
} // namespace seat

inline constexpr std::array<std::uint8_t, 5> NextSeat = {1, 2, 3, 0, 4};
inline constexpr std::array<std::uint8_t, 5> PrevSeat = {3, 0, 1, 2, 4};
inline constexpr std::array<std::uint8_t, 5> PartnerSeat = {2, 3, 0, 1, 4};
// The hand whose cards a seat plays (East and West both play the defenders' cards).
inline constexpr std::array<std::uint8_t, 5> SeatOwner = {0, 2, 1, 2, 3};
// The seat from which a hand leads: North from 0, South from 2.
inline constexpr std::array<std::uint8_t, 4> OwnerLeadSeat = {0, 2, 4, 4};

// Play codes: 1..13 a card of the class with that class rank; then the show-outs.
inline constexpr std::uint8_t FirstShowOut =
    14; // a seat plays no card of the suit for the first time
inline constexpr std::uint8_t LaterShowOut = 15; // and again

// North and South hold at most 13 cards and every trick is led with one of
// them, so at most 13 tricks of 4 cards are ever played.
inline constexpr std::size_t MaxCardsPlayed = 52;

struct PlayState {
    std::array<std::uint8_t, 14>
        Remaining{};            // unplayed cards per class rank (0 for non-class ranks)
    std::uint8_t CardIndex = 1; // position of the next card; cards 4t-3..4t form trick t
    // Played[k], Highest[k] for k = 1 .. CardIndex-1. Index 0 and every slot from
    // CardIndex on are 0, so two records of the same position compare equal.
    std::array<std::uint8_t, MaxCardsPlayed + 1> Played{}; // play code of each card
    std::array<std::uint8_t, MaxCardsPlayed + 1>
        Highest{};                             // highest class rank in its trick so far
    std::array<std::uint8_t, 5> ShownOut{};    // per seat: 1 once it has shown out
    std::uint8_t Seat = seat::None;            // seat to play, None when a trick is to be led
    std::uint8_t Trick = 1;                    // trick in progress (or to be led)
    std::uint8_t EntriesLeft = 0;              // entries to North still available
    std::uint8_t Entries = 0;                  // entries to North at the start
    std::array<std::uint8_t, 14> WestPlayed{}; // per defenders' class rank: cards West played

    friend bool operator==(const PlayState&, const PlayState&) = default;
};

} // namespace nvx
