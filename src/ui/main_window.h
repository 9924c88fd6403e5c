// The main window: the combination summary, the results list, the play panel
// and the tricks table, the menu, and the analysis flow GetCombo.
#pragma once

#include "cards/contract.h"
#include "present/input_rules.h"
#include "ui/analysis_flow.h"
#include "ui/qt_host.h"
#include "ui/tricks_table.h"

#include <QElapsedTimer>
#include <QMainWindow>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QSettings;
class QToolButton;

namespace nvx {

class AboutBox;
class ComboDialog;
class ContractDialog;
class HelpWindow;
class ProgressWindow;
class ReportView;
class TableWindow;
class TricksNeededDialog;

// The combination summary shown at the top left: lines separated by "\r",
// fields by tabs, e.g. "North: \tAQ42\rSouth: \tJ53\r\r".
std::string CombinationSummary(const ComboDialog& dialog, bool isImps);
// The summary as the label shows it: a small table instead of tab stops.
QString SummaryHtml(const QString& summary);
// "AQT / 432 - Norvadex": the title of the window showing the combination.
QString WindowTitle(const Holding& north, const Holding& south);

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The engine steps and the result views; neither is owned. Without an
    // analysis the flow stops after showing the combination. A computation still
    // running on the analysis being replaced is stopped first.
    void SetAnalysis(ComboAnalysis* analysis);
    void SetResultViews(ResultViews* views) { views_ = views; }
    ResultViews* ResultViewsAttached() const { return views_; }

    // --- remembered state (main_window_settings.cpp) ----------------------------
    // Restores the window geometry, prefills the dialog with the last combination
    // and fills the recent combinations menu from settings, and keeps them up to
    // date there from now on. Without settings nothing is remembered. Not owned.
    void UseSettings(QSettings* settings);
    QMenu* RecentMenu() const { return recentMenu_; }

    // --- the analysis flow (analysis_flow.cpp) -------------------------------
    // Shows the combination dialog; on OK sets up the analysis and starts its
    // computation on a worker thread under the progress window, and returns.
    // When the computation has ended the views are filled, or the cancellation
    // is reported, and analysisFinished is emitted.
    void GetCombo();
    // Stops a running computation and waits for its thread; the results list
    // then reports the cancellation. Nothing happens when none runs.
    void StopComputation();
    // Writes the combination summary into ComboLabel.
    void ShowCombination();
    // The summary text as last shown (with "\r" and tabs).
    const QString& ComboSummaryText() const { return comboSummary_; }

    // --- the views ----------------------------------------------------------------
    // Removes every item and column of the results list and the tricks table,
    // the lines of the line selector and the play, and clears the play panel.
    void EmptyViews();
    // Empties the hands, the trick and the tricks won; disables the step buttons.
    void ClearPlayPanel();
    // Shows cards in a hand, those in marked bold and underlined.
    static void ShowHandCards(QLabel* hand, std::string_view cards, std::string_view marked);
    // Enables or disables a step button; its hint shows only while it is enabled.
    static void SetStepButtonEnabled(QToolButton* button, bool enabled);

    // --- state --------------------------------------------------------------------
    // True between the start and the end of a computation; the window takes no
    // input then except for the Help menu and Quit.
    bool Computing() const { return computing_; }
    // True while the views show the results of a finished computation (not
    // before the first analysis, and not after an interrupted one).
    bool ResultsShown() const { return resultsShown_; }
    // The goal of the last analysis with IMP scoring, for "Change".
    const std::optional<ContractGoal>& ContractCopy() const { return contractCopy_; }
    // The dialog's values of the last analysis, and how long its computation took.
    const ComboValues& AnalysedValues() const { return analysedValues_; }
    double ComputeSeconds() const { return computeSeconds_; }
    std::string& FurthestPlay() { return furthestPlay_; }
    TricksTableSort& SortState() { return sort_; }
    QtHost& AppHost() { return host_; }

    // --- windows ------------------------------------------------------------------
    ComboDialog& ComboDlg() const { return *combo_; }
    ProgressWindow& Progress() const { return *progress_; }
    ContractDialog& ContractDlg() const { return *contract_; }
    TricksNeededDialog& TricksNeededDlg() const { return *tricksNeeded_; }
    // The strategy x goal table and the payoff table: windows of their own, not
    // modal, that follow each analysis and close with this window.
    TableWindow& Table() const { return *table_; }
    TableWindow& PayoffWindow() const { return *payoffTable_; }
    AboutBox& About() const { return *about_; }
    HelpWindow& Help() const { return *help_; }

    // --- controls -----------------------------------------------------------------
    QGroupBox* ComboGroupBox() const { return comboGroupBox_; }
    QLabel* ComboLabel() const { return comboLabel_; }
    QGroupBox* ResultsGroupBox() const { return resultsGroupBox_; }
    ReportView* ResultListView() const { return resultListView_; }
    QGroupBox* PlayGroupBox() const { return playGroupBox_; }
    ReportView* TricksTableListView() const { return tricksTableListView_; }
    QComboBox* SelectLineComboBox() const { return selectLineComboBox_; }
    QLineEdit* PlayEdit() const { return playEdit_; }
    QLabel* TricksLabel() const { return tricksLabel_; }
    QLabel* NorthHand() const { return northHand_; }
    QLabel* SouthHand() const { return southHand_; }
    QLabel* WestHand() const { return westHand_; }
    QLabel* EastHand() const { return eastHand_; }
    QLabel* NorthCardInTrickLabel() const { return northCardInTrickLabel_; }
    QLabel* EastCardInTrickLabel() const { return eastCardInTrickLabel_; }
    QLabel* SouthCardInTrickLabel() const { return southCardInTrickLabel_; }
    QLabel* WestCardInTrickLabel() const { return westCardInTrickLabel_; }
    QToolButton* BeginButton() const { return beginButton_; }
    QToolButton* BackButton() const { return backButton_; }
    QToolButton* NextButton() const { return nextButton_; }
    QToolButton* EndButton() const { return endButton_; }

    QAction* QuitAction() const { return quitAction_; }
    // Save, print and preview the results; enabled while results are shown.
    // The result views carry them out.
    QAction* SaveResultsAction() const { return saveResultsAction_; }
    QAction* PrintAction() const { return printAction_; }
    QAction* PrintPreviewAction() const { return printPreviewAction_; }
    QAction* NewAction() const { return newAction_; }
    QAction* ChangeAction() const { return changeAction_; }
    QAction* LineGoalTableAction() const { return lineGoalTableAction_; }
    QAction* PayoffTableAction() const { return payoffTableAction_; }
    QAction* HomePageAction() const { return homePageAction_; }
    QAction* HelpPageAction() const { return helpPageAction_; }
    QAction* ContributionAction() const { return contributionAction_; }
    QAction* AboutAction() const { return aboutAction_; }

  signals:
    // A computation started by GetCombo has ended and the window shows its outcome.
    void analysisFinished();
    // Emitted on the computation's thread when it has returned (queued to FinishComputation).
    void computationReturned();

  public slots:
    void NewCombination();
    void ChangeCombination();
    void ShowLineGoalTable();
    void ShowPayoffTable();
    void ShowHomePage();
    void ShowHelpPage();
    void ShowContribution();
    void ShowAbout();

  protected:
    // While a computation runs, closing stops it; the window closes once it has ended.
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildMenu();
    QWidget* BuildPlayPanel();
    void SetComputing(bool computing);
    // Steps 9 and 10 of the flow, on the window's thread, once the computation
    // has returned; the notice of one StopComputation has finished is ignored.
    void FinishComputation();
    void SetResultActionsEnabled(bool enabled);
    void FillRecentMenu();
    void SaveGeometry();
    // After OK in the dialog: the combination becomes the last and most recent one.
    void RememberDialogCombo();
    void ShowSingleColumn(const QString& caption);

    QtHost host_;
    ComboAnalysis* analysis_ = nullptr;
    ResultViews* views_ = nullptr;
    bool computing_ = false;
    // The thread of the running computation (joinable until FinishComputation
    // has joined it), the computation's number and how it ended. The worker
    // writes workerEnd_, then returnedRun_, before it says it has returned.
    std::thread worker_;
    unsigned run_ = 0;
    std::atomic<unsigned> returnedRun_{0};
    ComputeEnd workerEnd_ = ComputeEnd::Finished;
    bool closeWhenFinished_ = false;
    QElapsedTimer computeClock_;
    bool resultsShown_ = false;
    std::optional<ContractGoal> contractCopy_;
    std::string furthestPlay_;
    TricksTableSort sort_;
    QString comboSummary_;
    // The combination last handed to the set-up, for "Change" while no engine is attached.
    ComboSetUp lastSetUp_;
    ComboValues analysedValues_;
    double computeSeconds_ = 0.0;

    TricksNeededDialog* tricksNeeded_ = nullptr;
    ContractDialog* contract_ = nullptr;
    ComboDialog* combo_ = nullptr;
    ProgressWindow* progress_ = nullptr;
    TableWindow* table_ = nullptr;
    TableWindow* payoffTable_ = nullptr;
    AboutBox* about_ = nullptr;
    HelpWindow* help_ = nullptr;

    QGroupBox* comboGroupBox_ = nullptr;
    QLabel* comboLabel_ = nullptr;
    QGroupBox* resultsGroupBox_ = nullptr;
    ReportView* resultListView_ = nullptr;
    QGroupBox* playGroupBox_ = nullptr;
    ReportView* tricksTableListView_ = nullptr;
    QComboBox* selectLineComboBox_ = nullptr;
    QLineEdit* playEdit_ = nullptr;
    QLabel* tricksLabel_ = nullptr;
    QLabel* northHand_ = nullptr;
    QLabel* southHand_ = nullptr;
    QLabel* westHand_ = nullptr;
    QLabel* eastHand_ = nullptr;
    QLabel* northCardInTrickLabel_ = nullptr;
    QLabel* eastCardInTrickLabel_ = nullptr;
    QLabel* southCardInTrickLabel_ = nullptr;
    QLabel* westCardInTrickLabel_ = nullptr;
    QToolButton* beginButton_ = nullptr;
    QToolButton* backButton_ = nullptr;
    QToolButton* nextButton_ = nullptr;
    QToolButton* endButton_ = nullptr;

    QSettings* settings_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QMenu* combinationMenu_ = nullptr;
    QMenu* analysisMenu_ = nullptr;
    QAction* quitAction_ = nullptr;
    QAction* saveResultsAction_ = nullptr;
    QAction* printAction_ = nullptr;
    QAction* printPreviewAction_ = nullptr;
    QAction* newAction_ = nullptr;
    QAction* changeAction_ = nullptr;
    QAction* lineGoalTableAction_ = nullptr;
    QAction* payoffTableAction_ = nullptr;
    QAction* homePageAction_ = nullptr;
    QAction* helpPageAction_ = nullptr;
    QAction* contributionAction_ = nullptr;
    QAction* aboutAction_ = nullptr;
};

} // namespace nvx
