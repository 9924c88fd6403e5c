// What an analysis found, gathered once for output: the figures the results
// list, the tables and the play-through show, and the ways of writing them out
// as text, JSON and CSV. The command-line tool prints them; the desktop program
// saves them. Nothing here does I/O.
#pragma once

#include "cards/host.h"
#include "present/input_rules.h"
#include "present/plan_text.h"
#include "present/result_views.h"
#include "results/plan.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nvx {

class Analysis;

// One character of the play: what was typed, the card it became, whether it
// was accepted and the warning it drew, if any.
struct PlayStep {
    char Typed = 0;
    char Card = 0; // the card played (an x becomes a card); Typed when refused
    bool Accepted = false;
    std::string Warning; // on one line
};

struct PlayReport {
    std::string Line;
    std::vector<PlayStep> Steps;
    std::string NotPlayed; // what was left of the typed cards after a refusal
    std::string PlayString;
    std::string CurrentTrick;
    std::string NorthUnplayed;
    std::string SouthUnplayed;
    std::string LineCards;
    int CompletedTricks = 0;
    int NSTricksWon = 0;
    std::vector<TricksTableRow> PossibleRows;
};

enum class RunStatus : std::uint8_t { Ok, BadInput, InternalError, Cancelled, OutOfMemory };

struct RunResult {
    RunStatus Status = RunStatus::Ok;
    std::string Error; // one line, for BadInput, InternalError and OutOfMemory
    ComboValues Combo;
    std::string Defenders;
    std::uint8_t Entries = 0;
    unsigned Divisions = 0;
    std::int64_t ProbabilityDenominator = 0;
    char SmallCardLimit = '2';
    char NamedCardLimit = '2';
    ResultsSummary Results;
    std::vector<TricksTableRow> TricksRows;
    std::optional<PlayReport> Play;
    // When asked for: each line's plan, and its words (in list order).
    std::vector<LinePlan> Plans;
    std::vector<std::string> PlanTexts;
    double Seconds = 0.0;
};

// Fills what a finished analysis found (the defenders' cards, the divisions,
// the results and the tricks table) into r; r.Combo must hold the combination
// analysed.
void DescribeResults(Analysis& analysis, Host& host, RunResult& r);

// A line's plan as JSON: {"steps": [{"trick", "hand", "card", "branches": [{"if":
// {"seat", "cards"}, "weight", "then": plan}]}], "end"}; cards as in the holdings ("T").
nlohmann::ordered_json PlanJson(const Plan& p);
// The plan back from its JSON (the positions of its steps are not filled in);
// nothing when the JSON is not a plan.
std::optional<Plan> PlanFromJson(const nlohmann::ordered_json& j);

// The JSON object of a finished analysis.
nlohmann::ordered_json ResultJson(const RunResult& r);
// The text the tool prints: the combination, the results list, the strategy x
// goal table, the payoff table, the tricks table (withTable) and the play.
std::string ResultText(const RunResult& r, bool withTable);
// A table in aligned columns, headed by its caption when it has one.
std::string TableText(const ReportTable& t);

// The JSON object as the tool prints one analysis: indented by two blanks.
std::string ResultJsonText(const RunResult& r);
// The results list, the two tables and the tricks table as CSV, each headed by
// its caption, with a blank line between them.
std::string ResultCsv(const RunResult& r);

} // namespace nvx
