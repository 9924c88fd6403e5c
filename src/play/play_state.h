// The position reached in the play of the suit, and the rules of the play:
// who may lead, what a seat may play, when it may show out, how entries are
// used and who wins a trick. All fields are bytes in fixed arrays so that
// playing and taking back a card is a handful of table look-ups.
//
// The rules are written here once. The game-tree search, the dynamic
// evaluation and the play-through all move through the play with the three
// primitives PlayCard, ShowOut and UndoPlay; the search asks CanPlayCard and
// CanShowOut for its alternatives, the others go through the checked
// operations of the Engine.
#pragma once

#include "cards/class_tables.h"

#include <algorithm>
#include <array>
#include <cassert>
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

    // --- queries ----------------------------------------------------------------
    // 0 lead, 1 second hand, 2 third hand, 3 fourth hand.
    std::uint8_t PositionInTrick() const { return static_cast<std::uint8_t>((CardIndex + 3) % 4); }
    // True when North won the trick that ended with card k (k a multiple of 4).
    bool NorthWonTrickEndingAt(const ClassTables& t, std::uint8_t k) const {
        return t.Owner[Highest[k]] == hand::North;
    }
    // At the start of a trick: North won the trick before, so it is on lead
    // and may lead without using an entry.
    bool NorthOnLead(const ClassTables& t) const {
        return Trick > 1 && NorthWonTrickEndingAt(t, static_cast<std::uint8_t>(CardIndex - 1));
    }
    // Unplayed cards of hand h (0 North, 1 South, 2 the defenders).
    std::uint16_t CardsLeft(const ClassTables& t, std::uint8_t h) const {
        if (h > 3) return 0;
        std::uint16_t n = 0;
        for (std::uint8_t i = 0; i < t.ClassCount[h]; ++i)
            n += Remaining[t.ClassList[h][i]];
        return n;
    }
    // Whether hand h has a card left.
    bool HasCardLeft(const ClassTables& t, std::uint8_t h) const {
        for (std::uint8_t i = 0; i < t.ClassCount[h]; ++i)
            if (Remaining[t.ClassList[h][i]] > 0) return true;
        return false;
    }
    // The completed tricks won by North or South.
    std::uint8_t NSTricks(const ClassTables& t) const {
        const unsigned tricks = (CardIndex - 1u) / 4u;
        std::uint8_t n = 0;
        for (unsigned i = 1; i <= tricks; ++i)
            if (t.Owner[Highest[4 * i]] != hand::Defenders) ++n;
        return n;
    }

    // --- the rules: what may be played now ----------------------------------------
    // At the start of a trick: whether hand h may lead. South can always be
    // reached; North with an entry or when it won the trick before; the
    // defenders never lead the suit.
    bool MayLead(const ClassTables& t, std::uint8_t h) const {
        if (h == hand::South) return true;
        if (h != hand::North) return false;
        if (EntriesLeft > 0) return true;
        return NorthOnLead(t);
    }
    // Whether the seat to play may play the cards of hand h, each card as
    // long as its class has one left: a following seat plays its own hand's
    // cards until it has shown out; a trick is led by a hand that may lead.
    bool MayPlayFrom(const ClassTables& t, std::uint8_t h) const {
        if (Seat != seat::None) return h == SeatOwner[Seat] && ShownOut[Seat] == 0;
        if (CardIndex > MaxCardsPlayed) return false; // no room for another trick
        return MayLead(t, h);
    }
    // Whether the seat to play may play a card of class rank r.
    bool CanPlayCard(const ClassTables& t, std::uint8_t r) const {
        if (r == 0 || r > 13 || Remaining[r] == 0) return false;
        return MayPlayFrom(t, t.Owner[r]);
    }
    // Whether the seat to play may show out (play no card of the suit). North
    // and South follow suit while they can; a defender may declare a void
    // while the partner could still hold every defenders' card left.
    bool CanShowOut(const ClassTables& t) const {
        switch (PositionInTrick()) {
        case 0:
            return false;
        case 2:
            return !HasCardLeft(t, SeatOwner[Seat]);
        default:
            if (ShownOut[Seat]) return true;
            if (ShownOut[PartnerSeat[Seat]] == 0) return true;
            return !HasCardLeft(t, hand::Defenders);
        }
    }

    // --- the primitives: play, show out, take back ---------------------------------
    // Each move must be allowed (CanPlayCard, CanShowOut); UndoPlay needs a card
    // to take back. PlayCard or ShowOut followed by UndoPlay leaves every field
    // as it was.

    // Plays a card of class rank r. A lead from North uses an entry unless North
    // won the trick before; the fourth card completes the trick.
    void PlayCard(const ClassTables& t, std::uint8_t r) {
        assert(CanPlayCard(t, r) && "only an allowed card is played");
        const std::uint8_t k = CardIndex;
        if (Seat == seat::None) {
            const std::uint8_t leader = t.Owner[r];
            if (leader == hand::North && !NorthOnLead(t)) --EntriesLeft;
            --Remaining[r];
            Played[k] = r;
            Highest[k] = r;
            CardIndex = static_cast<std::uint8_t>(k + 1);
            Seat = NextSeat[OwnerLeadSeat[leader]];
            return;
        }
        if (Seat == seat::West) ++WestPlayed[r];
        --Remaining[r];
        Played[k] = r;
        Highest[k] = std::max(r, Highest[k - 1]);
        EndTurn();
    }
    // The seat to play shows out: the first time it is recorded as FirstShowOut
    // and the seat is marked, later as LaterShowOut. A show-out never wins.
    void ShowOut([[maybe_unused]] const ClassTables& t) {
        assert(CanShowOut(t) && "only an allowed show-out is played");
        const std::uint8_t k = CardIndex;
        if (ShownOut[Seat] == 0) {
            Played[k] = FirstShowOut;
            ShownOut[Seat] = 1;
        } else {
            Played[k] = LaterShowOut;
        }
        Highest[k] = Highest[k - 1];
        EndTurn();
    }
    // Takes back the last card played.
    void UndoPlay(const ClassTables& t) {
        assert(CardIndex > 1 && "a card to take back");
        if (Seat == seat::None) { // the card completed a trick
            --Trick;
            Seat = PrevSeat[OwnerLeadSeat[t.Owner[Played[CardIndex - 4]]]];
        } else {
            Seat = PrevSeat[Seat];
        }
        const std::uint8_t k = --CardIndex;
        const std::uint8_t c = Played[k];
        if (c == FirstShowOut) {
            ShownOut[Seat] = 0;
        } else if (c != LaterShowOut) {
            ++Remaining[c];
            if (Seat == seat::West) --WestPlayed[c];
        }
        Played[k] = 0;
        Highest[k] = 0;
        if (k % 4 == 1) { // a lead taken back: its entry, if it used one, is free again
            if (Seat == seat::North && !NorthOnLead(t)) ++EntriesLeft;
            Seat = seat::None;
        }
    }

  private:
    // After a card that follows to the lead: the next seat plays, or the trick
    // is complete and the next one is to be led.
    void EndTurn() {
        CardIndex = static_cast<std::uint8_t>(CardIndex + 1);
        if (CardIndex % 4 == 1) {
            ++Trick;
            Seat = seat::None;
        } else {
            Seat = NextSeat[Seat];
        }
    }
};

} // namespace nvx
