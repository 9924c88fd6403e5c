// The rules of what the user types for a combination, for every front end:
// holdings as typed (the ten as "10" or T, x for the lowest free card), what a
// holding edit keeps of the keys typed into it, the numeric fields, the values
// of the combination dialog with the checks of its OK button and their
// messages, the caption of the IMP option and the summary of a combination.
// The combination dialog, the command-line tool and the fuzz targets all use
// these; nothing here does I/O.
#pragma once

#include "cards/contract.h"
#include "cards/holding.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nvx {

// --- numeric fields ---------------------------------------------------------------

inline constexpr int MaxEntriesValue = 9;
inline constexpr int MaxPlacesValue = 13;

// The message of a numeric field left with a value that is no whole number from
// 0 to max: "Value must be integer number in the range 0 to 9" (max 9).
std::string RangeMessage(int max);
// The value of a numeric field: a whole decimal number (blanks around it are
// allowed) from 0 to max; nothing otherwise.
std::optional<int> ParseRangeValue(std::string_view text, int max);

// --- holdings as typed ------------------------------------------------------------

enum class HoldingEdit : std::uint8_t { North, South, Discards };

// The cards an edit may hold: North every card South's text does not name, South
// every card North's text does not name, the discards North's and South's cards.
Holding AllowedCards(HoldingEdit edit, std::string_view northText, std::string_view southText);

// Replaces every "X" (or "x") of the text, the rightmost first, by the lowest
// allowed card that the text does not name and no earlier replacement took; an
// X for which no card is left stays as it is.
std::string ExpandLowestFree(std::string_view text, const Holding& allowed);

struct FilteredText {
    std::string Text;
    std::size_t Caret = 0; // characters before the caret
};
// What a holding edit keeps of the (upper-case) text typed into it: x expanded,
// repeated cards and cards not allowed dropped, "1" kept only as the start of a
// "10" (or while the caret stands right after it). caret is the number of
// characters before the caret in text.
FilteredText FilterTypedText(std::string_view text, const Holding& allowed, std::size_t caret);

// Why a holding edit did not keep a character typed into it: "K is in South's
// hand", "Z is not a card", ...; empty when it kept every one. typed is the text
// as typed (upper case), kept what FilterTypedText kept of it.
std::string RefusedKeyMessage(HoldingEdit edit, std::string_view typed, std::string_view kept,
                              const Holding& allowed);

// The text a holding edit shows once it loses the focus: the display text
// ("A K 10 3 ") of the normalised text without the cards that are not allowed.
std::string HoldingEditExitText(std::string_view text, const Holding& allowed);

// A typed character as a message names it: 'Z', or "character 1" when it does
// not print.
std::string Quoted(char c);

// A holding typed in one go, read strictly: rank characters in either case,
// "10" for the ten, blanks between cards, and "x" for a low card still to be
// chosen. Cards are the named ones, Lows the number of x's.
struct TypedHolding {
    Holding Cards;
    unsigned Lows = 0;
};
// Nothing when the text is refused, with error saying why, after who and ": "
// ("North: 'Z' is no card").
std::optional<TypedHolding> ReadTypedHolding(std::string_view text, std::string_view who,
                                             std::string& error);
// The holding with its x's as the lowest allowed cards it does not name, as a
// holding edit expands them; nothing when there are not enough.
std::optional<Holding> ResolveLows(const TypedHolding& h, const Holding& allowed);

// --- the combination ----------------------------------------------------------------

// "IMPS: 3NT, 2 tricks": the caption of the IMP option.
std::string CompareMethodText(const ContractGoal& goal);

// Everything the combination dialog hands to the analysis, with the holdings
// normalised. Discards are empty when the option is off.
struct ComboValues {
    Holding North;
    Holding South;
    Holding Discards;
    bool EntriesOn = false;
    std::uint8_t Entries = 0; // the spin position, used when EntriesOn
    bool VacantOn = false;
    std::uint8_t VacantWestSpin = 13; // used when VacantOn
    std::uint8_t VacantEastSpin = 13;
    std::optional<ContractGoal> Goal; // set when IMP scoring is on

    Holding NorthPlaying() const { return HoldingMinus(North, Discards); }
    Holding SouthPlaying() const { return HoldingMinus(South, Discards); }
    Holding NorthDiscards() const { return HoldingMinus(North, NorthPlaying()); }
    Holding SouthDiscards() const { return HoldingMinus(South, SouthPlaying()); }
    Holding DefendersHolding() const {
        return HoldingMinus(HoldingMinus(FullSuit(), North), South);
    }
    // The spin position with the entries option on, else as many as North plays.
    std::uint8_t EntriesCount() const;
    std::uint8_t VacantWest() const { return VacantOn ? VacantWestSpin : 13; }
    std::uint8_t VacantEast() const { return VacantOn ? VacantEastSpin : 13; }
    std::uint8_t WestFilled() const { return static_cast<std::uint8_t>(13 - VacantWest()); }
    std::uint8_t EastFilled() const { return static_cast<std::uint8_t>(13 - VacantEast()); }
    // The number of tricks that will be played in the suit.
    std::uint8_t TricksInSuit() const;
};

enum class ComboField : std::uint8_t { None, North, South, Discards, West, East, Contract };

struct ComboCheck {
    std::string Message;                 // empty when every check passed
    ComboField Focus = ComboField::None; // the field that gets the focus
    bool ok() const { return Message.empty(); }
};

// The checks of the dialog's OK button, in their order; the first that fails
// gives its message (with its "\r\n" line breaks) and the field to focus.
ComboCheck CheckCombination(const ComboValues& v);

// The summary of the combination under analysis: "\r" line breaks and tabs,
// holdings as Holding text ("North: \tAQ42\rSouth: \tJ53\r\r").
std::string CombinationSummary(const ComboValues& v);

} // namespace nvx
