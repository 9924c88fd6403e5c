// One analysis of a suit combination, from the set-up to the named optimal
// lines and the play-through of one of them. The desktop program, the
// command-line tool and the tests all drive the engine through this object; a
// fresh Analysis is an empty suit with no lines.
#pragma once

#include "cards/contract.h"
#include "cards/host.h"
#include "play/dynamic_eval.h"
#include "play/engine.h"
#include "play/playthrough.h"
#include "results/payoff.h"
#include "results/prob_lines.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace nvx {

class Analysis {
  public:
    explicit Analysis(Host& host);
    Analysis(const Analysis&) = delete;
    Analysis& operator=(const Analysis&) = delete;

    Host& GetHost() { return engine_.host; }
    Engine& GetEngine() { return engine_; }
    const Engine& GetEngine() const { return engine_; }
    DynamicEvaluation& GetDynamicEvaluation() { return dyn_; }
    PlayThrough& GetPlay() { return play_; }
    const ProbLines& GetLines() const { return lines_; }
    const PayoffTable& GetPayoffTable() const { return payoff_; }

    // --- set-up ----------------------------------------------------------------
    // Texts may be free text; the filled places are 13 minus the vacant places.
    void SetUpCombination(std::string_view north, std::string_view south, std::uint8_t entries,
                          std::string_view discards, std::uint8_t westFilled,
                          std::uint8_t eastFilled);
    void SetTrickTable() { payoff_.SetTrickTable(); }
    void SetIMPTable(const ContractGoal& goal) {
        payoff_.SetIMPTable(goal, static_cast<std::int8_t>(goal.TricksNeeded));
    }
    bool IsIMPs() const { return payoff_.IsIMPs(); }

    // --- the computation ----------------------------------------------------------
    // Solves the combination and chooses, orders and names the optimal lines.
    // Returns when finished or stopped (the host's stop request), and why. A
    // stopped computation leaves incomplete lines, which callers must not show.
    // When an allocation fails the computation ends as out of memory with no
    // lines, and the Analysis can be used again.
    ComputeEnd ComputeOptimalLines();
    // Whether the strategies that cannot change the lines are left out (as
    // they are unless this is turned off); the lines are the same either way.
    void FilterStrategies(bool on) { filterStrategies_ = on; }
    // How the last lines were made: after how many passes with a filter, and
    // whether every strategy served in the end.
    struct LineSource {
        int filteredPasses = 0;
        bool everyStrategy = false;
        bool fewestLine = false; // a line sure of the fewest tricks was looked for and found
    };
    LineSource GetLineSource() const { return source_; }

    // --- result queries (lines numbered from 1 in display order) ---------------------
    std::uint16_t LineCount() const { return lines_.LineCount(); }
    std::string GetLineName(int i) const { return lines_.GetLineName(i); }
    // Tricks of line i when West holds exactly these real cards.
    std::uint8_t GetLineTricks(int i, std::string_view westCards) const;
    double GetLineProb(int i, int k) const { return lines_.GetLineProb(i, k); }
    double GetBestProb(int k) const { return lines_.GetBestProb(k); }
    std::uint8_t GetMaxK() const { return lines_.GetMaxK(); }
    std::uint8_t GetMinK() const { return lines_.GetMinK(); }
    std::vector<int> GetBestForGoal(int k) const { return lines_.GetBestForGoal(k); }
    std::vector<int> GetPayoffBest() const { return lines_.GetPayoffBest(); }
    LineBeaters GetBeaters(int i) { return lines_.GetBeaters(GetHost(), i); }
    double GetPayoff(int i, int j) { return lines_.GetPayoff(GetHost(), i, j); }
    // The probability of exactly this West holding (real cards).
    double GetDivProb(std::string_view westCards) const;
    // The highest defenders' card up to which no line cares which of the
    // defenders' cards West holds.
    char SmallCardLimit() const;
    // Makes line i the line of the play-through (no line when there is none),
    // after taking back whatever was played on the previous line.
    void SelectLine(int i);

  private:
    void ComputeLines();
    // Multiplies s out (with the filter, if given; s is consumed) and makes
    // the lines; false when the check turns the lines down. A stop request
    // leaves no lines.
    // `select` edits the Vals before they become lines.
    bool MakeLines(LineSet& s, StrategyFilter* filter, std::span<const std::int32_t> divProb,
                   const ProbLines::ChoiceCheck& check,
                   const std::function<void(std::vector<Val>&)>& select = {});

    Engine engine_;
    DynamicEvaluation dyn_;
    PlayThrough play_;
    PayoffTable payoff_;
    ProbLines lines_;
    bool filterStrategies_ = true;
    LineSource source_;
};

} // namespace nvx
