// The analysis state of one suit combination: the combination as entered, its
// card classes, the play state, the division numbering and the division
// probabilities. One Engine holds everything; a fresh Engine is the empty suit
// (no cards anywhere, one division of probability 1).
//
// The state is public plain data; the game-tree search plays and takes back
// cards on `play` with the play state's primitives, and the member functions
// are the operations on the whole.
#pragma once

#include "cards/class_tables.h"
#include "cards/holding.h"
#include "cards/host.h"
#include "distributions/divisions.h"
#include "distributions/probabilities.h"
#include "play/play_state.h"
#include "play/setup.h"

#include <cstdint>
#include <string_view>

namespace nvx {

// Everything an Engine holds but its host: plain data, which a second engine
// (a worker's, say) can copy.
struct EngineState {
    Combination combo;
    ClassTables classes;
    PlayState play;
    Divisions divs;
    Probabilities probs;
};

class Engine : public EngineState {
  public:
    explicit Engine(Host& h) : host(h) {}
    // The same combination in the same position, reporting to h.
    Engine(Host& h, const EngineState& state) : EngineState(state), host(h) {}
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    Host& host;

    // --- combination set-up (setup.cpp) ---------------------------------------
    // Normalises the holdings, forms the card classes, resets the play and
    // numbers the divisions with their probabilities. Texts may be free text.
    void SetUpCombination(std::string_view northText, std::string_view southText,
                          std::uint8_t entries, std::string_view discardsText,
                          std::uint8_t westFilled, std::uint8_t eastFilled);
    const Holding& GetNorth() const { return combo.North; }
    const Holding& GetSouth() const { return combo.South; }
    const Holding& GetEWCards() const { return combo.EWCards; }
    const Holding& GetDiscards() const { return combo.Discards; }
    std::uint8_t GetEntries() const { return combo.Entries; }
    std::uint8_t GetWestFilled() const { return combo.WestFilled; }
    std::uint8_t GetEastFilled() const { return combo.EastFilled; }
    char ClassRepresentative(char c) const { return combo.ClassMap[static_cast<unsigned char>(c)]; }
    // The DivNr in which West holds exactly these real cards (at most the first 13 count).
    std::uint8_t DivNrOfCards(std::string_view westCards) const;
    // Rewrites h (highest first) in class form and records the mapping in ClassMap.
    void MergeClasses(Holding& h, ClassRule rule);

    // --- play state (play_state.cpp) --------------------------------------------
    // Fills the class tables from the three holdings in class form, sets the
    // entries and resets the play.
    void InitPlayState(const Holding& north, const Holding& south, const Holding& defenders,
                       std::uint8_t entries);
    void ResetPlay();
    // The checked moves: each tests the rules of the play state and, when the
    // move is allowed, makes it with the play state's primitive; otherwise it
    // returns false and nothing changes.
    bool PlayCard(std::uint8_t r);
    bool ShowOut();
    // Codes 14 and 15 show out (the state records 14 or 15 itself); 1..13 play
    // a card of that class; anything else is refused.
    bool Play(std::uint8_t code);
    // Takes back the last card. At the start of the play it reports internal
    // error 101 and changes nothing.
    void UndoPlay();
    // The rules and queries of the play state, asked about this combination.
    std::uint8_t PositionInTrick() const { return play.PositionInTrick(); }
    bool CanPlayCard(std::uint8_t r) const { return play.CanPlayCard(classes, r); }
    bool CanShowOut() const { return play.CanShowOut(classes); }
    std::uint16_t CardsLeft(std::uint8_t hand) const { return play.CardsLeft(classes, hand); }
    std::uint8_t NSTricks() const { return play.NSTricks(classes); } // completed tricks won by N-S
    // True when North won the trick that ended with card k (k a multiple of 4).
    bool NorthWonTrickEndingAt(std::uint8_t k) const {
        return play.NorthWonTrickEndingAt(classes, k);
    }

    // --- divisions and their probabilities (the distributions functions over
    // the class tables, asked about this combination) ----------------------------
    std::uint8_t DivWeight(std::uint16_t r) const { return nvx::DivWeight(divs, r); }
    std::uint8_t NumDivs() const { return divs.NumDivs; }
    // Sum of the weights of every character of a holding in class form.
    std::uint8_t DivNrOfHolding(std::string_view classForm) const {
        return nvx::DivNrOfHolding(divs, classForm);
    }
    std::uint8_t WestLength(std::uint8_t d) const { return nvx::WestLength(classes, divs, d); }
    // Concrete layouts of the real cards that the division stands for.
    std::int32_t DivMultiplicity(std::uint8_t d) const {
        return nvx::DivMultiplicity(classes, divs, d);
    }
    std::uint8_t MergedDivNr(std::uint8_t d, std::uint16_t r) const {
        return divs.MergeTable[d][r <= 13 ? r : 13];
    }
    std::int32_t DivProb(std::uint8_t d) const { return probs.DivNumerator[d]; }
    std::int32_t ProbDenominator() const { return probs.ProbDenominator; }
    std::int32_t LengthProbNumerator(unsigned k) const {
        return k <= 13 ? probs.LengthNumerator[k] : 0;
    }
    // The division in which West holds exactly what it has played (play_state.cpp).
    std::uint8_t DivNrWestPlayed() const;
    // West holds what it has played and every defenders' card not yet played.
    std::uint8_t DivNrWestPlayedAndUnplayed() const;
};

} // namespace nvx
