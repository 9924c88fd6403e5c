// The views of an analysis in the main window: the results list, the tricks
// table with the line selector, the play-through panel, and the strategy x goal
// and payoff tables of the table window. Everything they show is read from an
// Analysis; the play is typed into the play edit, stepped with the four step
// buttons, or typed while one of the list views has the focus.
#pragma once

#include "ui/analysis_flow.h"
#include "ui/tricks_table.h"

#include <QObject>
#include <QString>

#include <string>

class QPrinter;
struct QModelIndex;

namespace nvx {

class Analysis;
class MainWindow;
class PlanView;
struct ReportTable;
struct ResultsSummary;
struct RunResult;
struct TricksTableSource;

class AnalysisViews : public QObject, public ResultViews {
    Q_OBJECT
  public:
    // Connects to the window's controls and makes itself the window's result
    // views. The window and the analysis must outlive this object.
    AnalysisViews(MainWindow& window, Analysis& analysis);
    ~AnalysisViews() override;

    // --- filled after every completed computation ---------------------------------
    void FillResultList() override;
    // Also fills the line selector, one item per line, with no line chosen.
    void FillTricksTable() override;
    // The same from a given source of lines and tricks.
    void FillTricksTable(const TricksTableSource& source);

    // --- the table window ------------------------------------------------------------
    // Fill the table window's list view and caption (without showing it).
    void FillLineGoalTable();
    void FillPayoffTable();
    // Fill it and show it, not modal: it stays open beside the main window.
    void ShowLineGoalTable() override;
    void ShowPayoffTable() override;

    // --- saving and printing (results_files.cpp) -------------------------------------
    enum class FileFormat { Text, Csv, Json };
    // What the views show, gathered as the command-line tool gathers it.
    RunResult ShownRunResult() const;
    // The results as the command-line tool writes them (--table, --json) or as CSV.
    std::string ResultsAs(FileFormat format) const;
    // Writes them to a file; says so in an error box when that fails.
    bool SaveResults(const QString& path, FileFormat format);
    // The one-page report: the combination, the results list, both tables and
    // the tricks table, as HTML; and printed on one page.
    QString ReportHtml() const;
    void PrintReport(QPrinter* printer) const;
    // The File menu's commands.
    void SaveResultsAs();
    void PrintResults();
    void PreviewResults();

    // --- the tricks table ---------------------------------------------------------------
    void SortTricksTableBy(int column);
    // The font colour of a cell as it is drawn now.
    CellColour TricksTableCellColour(int row, int column) const;
    // Asks for a repaint, so that the colours follow the play.
    void RepaintTricksTable();

    // --- the play panel --------------------------------------------------------------------
    // A line was chosen in the selector: the play so far is replayed under it.
    void ChooseLine() override;
    // Shows the hands, the trick, the tricks won and the step buttons.
    void UpdatePlayPanel() override;
    // Plays c (a card, "-", or ";" / carriage return to close a trick).
    bool PlayKey(char c);
    // The play edit's text changed: replays it as far as it is playable.
    void PlayEditChanged();
    void StepToStart();
    void StepBack();
    void StepForward();
    void StepToEnd();
    // A click on the play panel outside its controls.
    void PlayPanelClicked();

  protected:
    // Moves play keys typed into a list view to the play edit, and sees the
    // mouse clicks on the play panel.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    class HeldMessages;
    ResultsSummary ShownResults() const;
    CellColour CellColourOf(const QModelIndex& index) const;
    // The text of the play edit becomes the play string, with the caret at its end.
    void ShowPlayString();
    void TakeBackAll();
    std::size_t CurrentTrickLength() const;

    // The plans of the lines named in a cell of the results list ("AC").
    QString PlanToolTip(const QString& cell);

    MainWindow& window_;
    Analysis& analysis_;
    PlanView* planView_ = nullptr; // beside the line selector
};

} // namespace nvx
