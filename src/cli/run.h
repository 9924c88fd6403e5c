// One analysis of the command-line tool, from the checked request to the
// figures it prints, and the two ways of printing them (text and JSON).
#pragma once

#include "cli/cli_host.h"
#include "cli/options.h"
#include "present/plan_text.h"
#include "results/plan.h"
#include "results/report.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nvx::cli {

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
    // With --plans: each line's plan, and its words (in list order).
    std::vector<LinePlan> Plans;
    std::vector<std::string> PlanTexts;
    double Seconds = 0.0;
};

// Runs the analysis (and the play-through, when asked for) with the host given;
// the host's computation state is Calculating for the whole run. An analysis
// stopped by the host's memory limit, or whose memory ran out, ends as
// OutOfMemory.
RunResult RunAnalysis(const RunRequest& request, CliHost& host);

// A line's plan as JSON: {"steps": [{"trick", "hand", "card", "branches": [{"if":
// {"seat", "cards"}, "then": plan}]}], "end"}; cards as in the holdings ("T").
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

} // namespace nvx::cli
