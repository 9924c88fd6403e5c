#include "ui/plan_view.h"

#include "results/analysis.h"

namespace nvx {

namespace {

// Plans of big combinations are cut short rather than keep the window waiting.
constexpr std::size_t MaxPlanDecisions = 1500;

char ClassOf(const void* context, char card) {
    return static_cast<const Analysis*>(context)->GetEngine().ClassRepresentative(card);
}

} // namespace

PlanView::PlanView(QWidget* parent) : QTextBrowser(parent) {
    setObjectName("PlanView");
    setReadOnly(true);
    setOpenLinks(false);
    setMinimumHeight(fontMetrics().lineSpacing() * 5);
    setPlaceholderText(QStringLiteral("The plan of the chosen line"));
}

void PlanView::SetLines(Analysis& analysis) {
    Clear();
    analysis_ = &analysis;
    lines_ = analysis.LineCount();
    for (int i = 1; i <= lines_; ++i)
        names_.push_back(analysis.GetLineName(i));
}

void PlanView::Ensure(int i) {
    if (analysis_ == nullptr || i >= lines_) return;
    PlanOptions options;
    options.MaxDecisions = MaxPlanDecisions;
    const std::size_t before = plans_.size();
    while (static_cast<int>(plans_.size()) <= i) {
        plans_.push_back(BuildLinePlan(*analysis_, static_cast<int>(plans_.size()) + 1, options));
        texts_.push_back(DescribePlan(plans_.back()));
    }
    if (plans_.size() != before) words_ = PlanTexts(texts_, names_);
}

void PlanView::Clear() {
    analysis_ = nullptr;
    lines_ = 0;
    names_.clear();
    plans_.clear();
    texts_.clear();
    words_.clear();
    line_ = -1;
    highlighted_ = 0;
    clear();
}

void PlanView::ShowLine(int i) {
    Ensure(i);
    line_ = i >= 0 && i < static_cast<int>(texts_.size()) ? i : -1;
    highlighted_ = 0;
    Render();
}

void PlanView::ShowPlay(const std::string& played) {
    if (line_ < 0 || analysis_ == nullptr) return;
    const PlanStep* step =
        CurrentPlanStep(plans_[static_cast<std::size_t>(line_)].Root, played, ClassOf, analysis_);
    const int n = TextStepOf(texts_[static_cast<std::size_t>(line_)], step);
    if (n == highlighted_) return;
    highlighted_ = n;
    Render();
}

std::string PlanView::PlanWords(int i) {
    Ensure(i);
    return i >= 0 && i < static_cast<int>(words_.size()) ? words_[static_cast<std::size_t>(i)]
                                                         : std::string();
}

void PlanView::Render() {
    if (line_ < 0) {
        clear();
        return;
    }
    // Lines that say "as A, but ..." are shown as words; the highlight
    // follows the numbered steps of the line's own text.
    QString html;
    for (const PlanTextStep& s : texts_[static_cast<std::size_t>(line_)].Steps) {
        const QString text = QString::fromStdString(PlanStepLine(s)).trimmed().toHtmlEscaped();
        const bool mark = s.Number != 0 && s.Number == highlighted_;
        html += QStringLiteral("<p style=\"margin:0 0 3px %1px;%2\">%3</p>")
                    .arg(16 * s.Depth)
                    .arg(mark ? QStringLiteral("background-color:#fff2a8;") : QString())
                    .arg(text);
    }
    setHtml(html);
}

} // namespace nvx
