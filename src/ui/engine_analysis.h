// The engine steps of the main window's analysis flow, carried out by an
// Analysis. The Analysis must have been made with the main window's host, which
// is the host the flow hands to ComputeOptimalLines.
#pragma once

#include "ui/analysis_flow.h"

namespace nvx {

class Analysis;

class EngineAnalysis : public ComboAnalysis {
  public:
    explicit EngineAnalysis(Analysis& analysis) : analysis_(analysis) {}

    void SetUpCombination(const ComboSetUp& setUp) override;
    ComboSetUp CurrentCombination() const override;
    void SetIMPTable(const ContractGoal& goal, std::int8_t tricksNeeded) override;
    void SetTrickTable() override;
    bool IsIMPs() const override;
    ComputeEnd ComputeOptimalLines(Host& host) override;
    unsigned LineCount() const override;

  private:
    Analysis& analysis_;
};

} // namespace nvx
