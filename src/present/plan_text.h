// The plan of a line in words, in the style of the printed suit-combination
// tables: short numbered steps, the hand and the card, then what to do on
// each defender's card that matters. Shared by the desktop program and the
// command-line tool; nothing here does I/O.
#pragma once

#include "results/plan.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace nvx {

inline constexpr std::size_t MaxPlanSteps = 8;
inline constexpr const char* PlayOnText = "Then play on as the play-through shows.";

struct PlanTextStep {
    int Number = 0;   // 1, 2, ...; 0 for the closing line after the last step
    int Depth = 0;    // how deep in the branches of the plan the step lies
    std::string Text; // one or two sentences, without the number
    // The steps of the plan it describes (pointers into the plan described).
    std::vector<const PlanStep*> Steps;
};

struct PlanText {
    std::vector<PlanTextStep> Steps;
};

// The plan in words: the likeliest maxSteps steps (by the branches' weights),
// each cut to about two lines; what is left out is left to the play-through.
PlanText DescribePlan(const LinePlan& plan, std::size_t maxSteps = MaxPlanSteps);

// The text of one step as printed: "2. If the queen wins, ..." (indented two
// blanks per depth), or the closing line.
std::string PlanStepLine(const PlanTextStep& s);
// All steps, one line each, every line ending in "\n".
std::string PlanTextString(const PlanText& t);

// The texts of several lines' plans: a line whose first steps are those of an
// earlier line says so ("As A, but at trick 2, ...") and goes on from there.
std::vector<std::string> PlanTexts(const std::vector<PlanText>& texts,
                                   const std::vector<std::string>& names);

// Where a play-through stands in the plan: the plan's next step of declarer's
// (or its last one when the plan is over), given the cards played so far (the
// play-through's record, ";" between tricks) and the card that stands for each
// card's class. Null when the play has left the plan.
const PlanStep* CurrentPlanStep(const Plan& plan, std::string_view played,
                                char (*classOf)(const void* context, char card),
                                const void* context);
// The number of the step of the text that describes a step of the plan (0 if
// none does).
int TextStepOf(const PlanText& text, const PlanStep* step);

// A card as a player names it: "ace", "king", "queen", "jack", "10", "9".
std::string CardWord(char c);

} // namespace nvx
