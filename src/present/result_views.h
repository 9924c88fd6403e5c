// What the windows show of an analysis, as text and independent of any view:
// the number formats, the results list, the line x goal table, the payoff
// table and the tricks table, each as rows of cells. The desktop program puts
// these texts into its controls; the command-line tool prints them. Nothing
// here does I/O.
#pragma once

#include "cards/holding.h"
#include "results/summary.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
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

// --- the results --------------------------------------------------------------------

inline constexpr const char* NoResultsText = "No results: computation cancelled";

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
// The goals of the results list and the line x goal table, highest first
// (one goal, MaxK, when every line takes the same tricks everywhere).
std::vector<int> ShownGoals(const ResultsSummary& r);
// The chance of at least k tricks that a shown goal row or column gives: the best
// chance, or line's. When every line takes the same tricks everywhere (MaxK <
// MinK) the one goal shown, MaxK, is sure: 1, also for MaxK 0, whose slot 0 of
// the weights holds the expected tricks instead.
double ShownGoalProbability(const ResultsSummary& r, int k);
double ShownGoalProbability(const ResultsSummary& r, const LineResult& line, int k);
// The line x goal table, captioned "Strat x goal table": one row per line.
ReportTable LineGoalTable(const ResultsSummary& r);
// The payoff table: one row and one column per line, empty on the diagonal.
ReportTable PayoffTableView(const ResultsSummary& r);

// --- the tricks table -----------------------------------------------------------------

// What the tricks table reads of an analysis.
struct TricksTableSource {
    Holding EWCards;                    // the defenders' cards, highest first
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
char NamedCardLimit(const Holding& ewCards, char smallCardLimit);

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
