#include "ui/engine_analysis.h"

#include "results/analysis.h"

namespace nvx {

void EngineAnalysis::SetUpCombination(const ComboSetUp& s) {
    analysis_.SetUpCombination(s.North.str(), s.South.str(), s.Entries, s.Discards.str(),
                               s.WestFilled, s.EastFilled);
}

ComboSetUp EngineAnalysis::CurrentCombination() const {
    const Engine& e = analysis_.GetEngine();
    return ComboSetUp{e.GetNorth(),   e.GetSouth(),      e.GetDiscards(),
                      e.GetEntries(), e.GetWestFilled(), e.GetEastFilled()};
}

void EngineAnalysis::SetIMPTable(const ContractGoal& goal, std::int8_t tricksNeeded) {
    ContractGoal g = goal;
    g.TricksNeeded = static_cast<std::uint8_t>(tricksNeeded);
    analysis_.SetIMPTable(g);
}

void EngineAnalysis::SetTrickTable() {
    analysis_.SetTrickTable();
}

bool EngineAnalysis::IsIMPs() const {
    return analysis_.IsIMPs();
}

ComputeEnd EngineAnalysis::ComputeOptimalLines(Host&) {
    // The analysis reports to, and polls, the host it was made with: the window's.
    return analysis_.ComputeOptimalLines();
}

unsigned EngineAnalysis::LineCount() const {
    return analysis_.LineCount();
}

} // namespace nvx
