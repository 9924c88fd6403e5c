// The play-through of a chosen line in real cards: the record of the cards
// played, kept in step with the play state and the line's evaluation stack,
// and the questions the play panel and the tricks table ask of it.
#pragma once

#include "play/dynamic_eval.h"
#include "play/engine.h"

#include <string>
#include <string_view>

namespace nvx {

class PlayThrough {
  public:
    PlayThrough(Engine& e, DynamicEvaluation& dyn) : engine_(e), dyn_(dyn) {}

    // --- playing ---------------------------------------------------------------
    // Plays a card character (a rank character, "-" for a show-out, or ";" to
    // close a complete trick) if it is legal and on the line.
    bool PlayChar(char c);
    bool AddTrickSeparator();
    void DropTrickSeparator();
    // Removes a closing ";" when the current trick is empty, else takes back
    // the last card.
    void TakeBackCard();

    // --- queries -----------------------------------------------------------------
    const std::string& GetPlayString() const { return engine_.combo.PlayString; }
    std::string CurrentTrickCards() const;
    std::uint8_t CurrentSeat() const { return engine_.play.Seat; }
    std::string NorthUnplayed() const;
    std::string SouthUnplayed() const;
    std::string UnplayedCards(std::string_view holding) const;
    bool CanPlayChar(char c);
    std::string PlayableCards();
    bool CanPlayCharOnLine(char c);
    std::string LineCards();
    std::uint8_t TrickLeaderSeat() const;
    char TrickWinningCard(int k) const;
    bool TrickWonByNS(int k) const;
    int CompletedTricks() const;
    int NSTricksWon() const;
    void SplitDefendersCards(std::string& west, std::string& east) const;
    // Whether the layout (each defender's cards highest first, low cards
    // possibly written "x") can still be the real one after the play so far.
    bool IsDivisionPossible(std::string_view west, std::string_view east) const;

  private:
    Engine& engine_;
    DynamicEvaluation& dyn_;
};

} // namespace nvx
