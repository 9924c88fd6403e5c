// What the analysis flow of the main window needs from the engine and from the
// result views. The desktop program implements both over the engine; tests
// implement them with fakes.
#pragma once

#include "cards/contract.h"
#include "cards/holding.h"
#include "cards/host.h"

#include <cstdint>

namespace nvx {

// The combination as the set-up receives it and hands it back.
struct ComboSetUp {
    Holding North;
    Holding South;
    Holding Discards;
    std::uint8_t Entries = 0;
    std::uint8_t WestFilled = 0; // 13 minus West's vacant places
    std::uint8_t EastFilled = 0; // 13 minus East's vacant places
    friend bool operator==(const ComboSetUp&, const ComboSetUp&) = default;
};

// The engine steps of the flow, in the order the flow calls them.
class ComboAnalysis {
  public:
    virtual ~ComboAnalysis() = default;

    // Normalises the holdings, builds the card classes, numbers the divisions
    // and computes their probabilities.
    virtual void SetUpCombination(const ComboSetUp& setUp) = 0;
    // What the set-up currently holds (GetNorth ... GetEastFilled).
    virtual ComboSetUp CurrentCombination() const = 0;
    // IMP comparison for the contract; tricksNeeded is the goal's byte read signed.
    virtual void SetIMPTable(const ContractGoal& goal, std::int8_t tricksNeeded) = 0;
    // Matchpoint comparison.
    virtual void SetTrickTable() = 0;
    virtual bool IsIMPs() const = 0;
    // Runs the whole computation; returns when it has finished or was stopped,
    // and why. The window calls it on a worker thread, and nothing else of the
    // analysis until it has returned: it reaches the windows only through host,
    // polls host.StopRequested() and calls host.ProcessPendingEvents().
    virtual ComputeEnd ComputeOptimalLines(Host& host) = 0;
    // The number of optimal lines found.
    virtual unsigned LineCount() const = 0;
};

// The views filled from the result queries, and the two table commands.
class ResultViews {
  public:
    virtual ~ResultViews() = default;
    virtual void FillResultList() = 0;
    // Also fills the line selector, one item per line.
    virtual void FillTricksTable() = 0;
    virtual void ChooseLine() = 0;
    virtual void UpdatePlayPanel() = 0;
    virtual void ShowLineGoalTable() = 0;
    virtual void ShowPayoffTable() = 0;
};

} // namespace nvx
