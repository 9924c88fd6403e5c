// The plan of the line chosen for the play-through, in words, beside the line
// selector; the step of the current trick is highlighted as the play goes on.
#pragma once

#include "present/plan_text.h"
#include "results/plan.h"

#include <QTextBrowser>

#include <string>
#include <vector>

namespace nvx {

class Analysis;

class PlanView : public QTextBrowser {
    Q_OBJECT
  public:
    explicit PlanView(QWidget* parent = nullptr);

    // The lines of a finished analysis (none shown yet); each plan is built
    // when it is first asked for.
    void SetLines(Analysis& analysis);
    // Forgets the plans.
    void Clear();
    // Shows the plan of line i (0-based; -1: none).
    void ShowLine(int i);
    // Highlights the step of the plan that the play (the play-through's
    // record) has reached.
    void ShowPlay(const std::string& played);

    // The words of line i's plan, as the CLI prints them ("" if none).
    std::string PlanWords(int i);
    int HighlightedStep() const { return highlighted_; }

  private:
    void Render();
    // Builds the plans of the lines up to i.
    void Ensure(int i);

    Analysis* analysis_ = nullptr;
    int lines_ = 0;
    std::vector<std::string> names_;
    std::vector<LinePlan> plans_;
    std::vector<PlanText> texts_;
    std::vector<std::string> words_;
    int line_ = -1;
    int highlighted_ = 0;
};

} // namespace nvx
