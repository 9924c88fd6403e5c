// What the windows show of an analysis, as text and independent of any view:
// the number formats, the combination dialog's typing rules and checks, the
// combination summary, the results list, the strategy x goal table, the payoff
// table and the tricks table. The desktop program puts these texts into its
// controls; the command-line tool prints them. Nothing here does I/O.
#pragma once

#include "cards/contract.h"
#include "cards/holding.h"
#include "cards/host.h"
#include "results/prob_strat.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nvx {

class Analysis;

// --- number formats ---------------------------------------------------------------

// "%10.4f%%" of 100 times the probability, e.g. "   57.1429%".
std::string FormatPercent(double probability);
// "%10.4f", e.g. "    2.3214": expected tricks and IMP payoffs.
std::string FormatNumber(double value);
// A payoff cell: IMPs as FormatNumber, matchpoints as FormatPercent.
std::string FormatPayoff(double payoff, bool imps);
// "%2u": the number of layouts of a tricks-table row.
std::string FormatLayoutCount(unsigned count);
// "%5.2f%% " of 100 times the probability (with the trailing blank).
std::string FormatRowProbability(double probability);

// A message of the engine or the dialogs on one line: every line break ("\r\n",
// "\r" or "\n") becomes one blank.
std::string OneLineMessage(std::string_view text);

// --- the combination dialog -------------------------------------------------------

// The message of a numeric field left with a value that is no whole number from
// 0 to max: "Value must be integer number in the range 0 to 9" (max 9).
std::string RangeMessage(int max);
// The value of a numeric field: a whole decimal number (blanks around it are
// allowed) from 0 to max; nothing otherwise.
std::optional<int> ParseRangeValue(std::string_view text, int max);

inline constexpr int MaxEntriesValue = 9;
inline constexpr int MaxPlacesValue = 13;

enum class HoldingEdit : std::uint8_t { North, South, Discards };

// The cards an edit may hold: North every card South's text does not name, South
// every card North's text does not name, the discards North's and South's cards.
THolding AllowedCards(HoldingEdit edit, std::string_view northText, std::string_view southText);

// Replaces every "X" (or "x") of the text, the rightmost first, by the lowest
// allowed card that the text does not name and no earlier replacement took; an
// X for which no card is left stays as it is.
std::string ExpandLowestFree(std::string_view text, const THolding& allowed);

struct FilteredText {
    std::string Text;
    std::size_t Caret = 0; // characters before the caret
};
// What a holding edit keeps of the (upper-case) text typed into it: x expanded,
// repeated cards and cards not allowed dropped, "1" kept only as the start of a
// "10" (or while the caret stands right after it). caret is the number of
// characters before the caret in text.
FilteredText FilterTypedText(std::string_view text, const THolding& allowed, std::size_t caret);

// The text a holding edit shows once it loses the focus: the display text
// ("A K 10 3 ") of the normalised text without the cards that are not allowed.
std::string HoldingEditExitText(std::string_view text, const THolding& allowed);

// "IMPS: 3NT, 2 tricks": the caption of the IMP option.
std::string CompareMethodText(const TContractGoal& goal);

// Everything the combination dialog hands to the analysis, with the holdings
// normalised. Discards are empty when the option is off.
struct ComboValues {
    THolding North;
    THolding South;
    THolding Discards;
    bool EntriesOn = false;
    std::uint8_t Entries = 0; // the spin position, used when EntriesOn
    bool VacantOn = false;
    std::uint8_t VacantWestSpin = 13; // used when VacantOn
    std::uint8_t VacantEastSpin = 13;
    std::optional<TContractGoal> Goal; // set when IMP scoring is on

    THolding NorthPlaying() const { return HoldingMinus(North, Discards); }
    THolding SouthPlaying() const { return HoldingMinus(South, Discards); }
    THolding NorthDiscards() const { return HoldingMinus(North, NorthPlaying()); }
    THolding SouthDiscards() const { return HoldingMinus(South, SouthPlaying()); }
    THolding DefendersHolding() const {
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
// holdings as THolding text ("North: \tAQ42\rSouth: \tJ53\r\r").
std::string CombinationSummary(const ComboValues& v);

// --- the results --------------------------------------------------------------------

inline constexpr const char* NoResultsText = "No results: computation cancelled";

struct LineResult {
    std::string Name;
    // [0] the expected tricks, [k] the chance of at least k tricks.
    std::array<double, MaxTricks + 1> Prob{};
    std::vector<int> Beaters; // the lines that beat this one on average (indices into Lines)
    // Nothing shown beats it, yet some line did: one that is no longer shown.
    bool BeatenByUnshownLine = false;
    std::vector<std::uint8_t> Tricks; // tricks per division, in division-number order
};

// Everything the results list and the two tables read, taken once from the
// result queries. Lines are referred to by their index into Lines.
struct ResultsSummary {
    bool Imps = false;
    std::uint8_t MinK = MaxTricks;
    std::uint8_t MaxK = 0;
    std::array<double, MaxTricks + 1> Best{}; // [0] the most expected tricks
    // The lines optimal for each goal ([0] the most expected tricks).
    std::array<std::vector<int>, MaxTricks + 1> BestForGoal;
    std::vector<int> PayoffBest; // the mp-best or imp-best lines
    std::vector<LineResult> Lines;
    // Payoff[i][j]: line i's average gain over line j (0 on the diagonal).
    std::vector<std::vector<double>> Payoff;
};

// Reads the result queries of the lines of an analysis.
ResultsSummary SummarizeResults(Host& host, const ProbStrategies& lines);

// The names of these lines.
std::vector<std::string> LineNames(const ResultsSummary& r, const std::vector<int>& lines);
// The names of these lines joined with the separator; side by side ("AC") as
// the views write them.
std::string JoinedNames(const ResultsSummary& r, const std::vector<int>& lines,
                        std::string_view separator = "");
// The cell of the lines that beat a line: their names side by side, or "not
// available" when the line that beat it is no longer shown.
std::string BeatersText(const ResultsSummary& r, const LineResult& line);

enum class ColumnAlign : std::uint8_t { Left, Right, Centre };

struct ReportColumn {
    std::string Caption;
    ColumnAlign Align = ColumnAlign::Left;
    int Width = 0; // pixels; 0: as wide as the caption
};

// A list view's content: columns, then rows whose first cell is the row caption.
struct ReportTable {
    std::string Caption; // the window caption (empty for the main window's lists)
    std::vector<ReportColumn> Columns;
    std::vector<std::vector<std::string>> Rows;
};

// The results list: "Goal", "Succ. prob.", "Line"; the goal rows from the
// most tricks down, then "mp-best" or "imp-best", then "max" when the lines
// with the most expected tricks are others.
ReportTable ResultListTable(const ResultsSummary& r);
// The goals of the results list and the strategy x goal table, highest first
// (one goal, MaxK, when every line takes the same tricks everywhere).
std::vector<int> ShownGoals(const ResultsSummary& r);
// The chance of at least k tricks that a shown goal row or column gives: the best
// chance, or line's. When every line takes the same tricks everywhere (MaxK <
// MinK) the one goal shown, MaxK, is sure: 1, also for MaxK 0, whose slot 0 of
// the weights holds the expected tricks instead.
double ShownGoalProbability(const ResultsSummary& r, int k);
double ShownGoalProbability(const ResultsSummary& r, const LineResult& line, int k);
// "Strat x goal table": one row per line.
ReportTable StratGoalTable(const ResultsSummary& r);
// The payoff table: one row and one column per line, empty on the diagonal.
ReportTable PayoffTableView(const ResultsSummary& r);

// --- the tricks table -----------------------------------------------------------------

// What the tricks table reads of an analysis.
struct TricksTableSource {
    THolding EWCards;                   // the defenders' cards, highest first
    std::vector<std::string> LineNames; // in list order
    char SmallCardLimit = '2';
    // The tricks of line i (1-based) when West holds exactly these real cards.
    std::function<std::uint8_t(int, std::string_view)> Tricks;
    // The probability of exactly this West holding.
    std::function<double(std::string_view)> LayoutProbability;
};

// The source for the lines of an analysis (it refers to the analysis, which must
// outlive it).
TricksTableSource TricksTableSourceOf(Analysis& analysis);

// The lowest card the rows show by name; defenders' cards below it are "x".
char NamedCardLimit(const THolding& ewCards, char smallCardLimit);

struct TricksTableRow {
    std::string West; // West's cards as the row shows them ("KJx"), maybe empty
    std::string East;
    unsigned Layouts = 0;            // concrete layouts sharing the row
    double Probability = 0.0;        // of all of them together
    std::vector<std::string> Tricks; // per line: the tricks, or "?" when they differ
    // "KJx - Qxx"
    std::string Caption() const { return West + " - " + East; }
};

// The rows in the order in which the enumeration of the layouts creates them.
std::vector<TricksTableRow> TricksTableRows(const TricksTableSource& source);

// The table as the list view shows it: "West-East", "# ", "prob.  ", one
// column per line.
ReportTable TricksTableView(const std::vector<TricksTableRow>& rows,
                            const std::vector<std::string>& lineNames);

} // namespace nvx
