// The main window: its menu, its size, the combination summary and the
// analysis flow GetCombo run against a stand-in engine.
#include "ui/about_box.h"
#include "ui/combo_dialog.h"
#include "ui/help_window.h"
#include "ui/holding_edit.h"
#include "ui/main_window.h"
#include "ui/message_boxes.h"
#include "ui/progress_window.h"
#include "ui_test_util.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

using namespace nvx;

namespace {

TContractGoal Goal(int level, int strain, int tricks) {
    TContractGoal g;
    g.Contract.Level = std::uint8_t(level);
    g.Contract.Strain = std::uint8_t(strain);
    g.TricksNeeded = std::uint8_t(tricks);
    return g;
}

// Records the engine steps of the flow in order.
struct FakeAnalysis : ComboAnalysis {
    QStringList calls;
    ComboSetUp setUp;
    TContractGoal impGoal;
    int impTricks = -1;
    bool imps = false;
    unsigned lines = 2;
    std::function<void(Host&)> onCompute;

    void SetUpCombination(const ComboSetUp& s) override {
        calls << "SetUpCombination";
        setUp = s;
    }
    ComboSetUp CurrentCombination() const override { return setUp; }
    void SetIMPTable(const TContractGoal& goal, std::int8_t tricksNeeded) override {
        calls << "SetIMPTable";
        impGoal = goal;
        impTricks = tricksNeeded;
        imps = true;
    }
    void SetTrickTable() override {
        calls << "SetTrickTable";
        imps = false;
    }
    bool IsIMPs() const override { return imps; }
    ComputeEnd ComputeOptimalLines(Host& host) override {
        calls << "ComputeOptimalLines";
        if (onCompute) onCompute(host);
        // As the engine tells it.
        const bool stopped = host.stopRequested();
        if (host.memoryLimitReached()) return ComputeEnd::OutOfMemory;
        return stopped ? ComputeEnd::Interrupted : ComputeEnd::Finished;
    }
    unsigned StratCount() const override { return lines; }
};

// Fills the views the way the result views will: one item per line in the selector.
struct FakeViews : ResultViews {
    MainWindow* window = nullptr;
    FakeAnalysis* analysis = nullptr;
    QStringList calls;

    void FillResultList() override {
        calls << "FillResultList";
        window->ResultListView()->setHeaderLabels({"Goal", "Succ. prob.", "Line"});
    }
    void FillTricksTable() override {
        calls << "FillTricksTable";
        for (unsigned i = 0; i < analysis->lines; ++i)
            window->SelectLineComboBox()->addItem(QString(QChar('A' + int(i))));
    }
    void SelectLineComboBoxChange() override {
        calls << "SelectLineComboBoxChange:" + window->SelectLineComboBox()->currentText();
        window->PlayRichEdit()->setEnabled(true);
    }
    void UpdatePlayPanel() override { calls << "UpdatePlayPanel"; }
    void StratGoalTableClick() override { calls << "StratGoalTableClick"; }
    void PayoffTableClick() override { calls << "PayoffTableClick"; }
};

class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QStringList urls;
  public slots:
    void open(const QUrl& url) { urls << url.toString(); }
};

// Answers the next combination dialog: fill it with f, then press OK (or Cancel).
void AnswerCombo(std::function<void(ComboDialog&)> f, bool ok = true) {
    test::WhenModal([f, ok](QWidget* w) {
        auto* combo = static_cast<ComboDialog*>(w);
        f(*combo);
        (ok ? combo->OKBtn() : combo->CancelBtn())->click();
        if (combo->isVisible()) combo->reject(); // a check failed: do not hang
    });
}

QStringList MenuItems(QMenu* menu) {
    QStringList items;
    for (QAction* a : menu->actions())
        items << a->text() + (a->isEnabled() ? "" : " (off)");
    return items;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { test::QuietPlatformNotes(); }
    void init();
    void cleanup();

    void titleMenusAndSize();
    void combinationSummary();
    void cancellingTheDialogChangesNothing();
    void analysisRunsUnderTheProgressWindow();
    void oneLineIsChosenAtOnce();
    void interruptedComputationShowsNoResults();
    void memoryLimitShowsABoxAndNoResults();
    void impScoringIsRememberedForChange();
    void newOffersAnEmptyDialog();
    void withoutAnEngineTheFlowStopsAfterTheSummary();
    void helpMenuOpensTheSitePages();
    void aboutBox();
    void playPanelHelpers();
    void settingsAreWrittenAndReadBack();

  private:
    MessageBoxRecorder* boxes = nullptr;
    MainWindow* window = nullptr;
    FakeAnalysis* analysis = nullptr;
    FakeViews* views = nullptr;
};

void TestMainWindow::init() {
    boxes = new MessageBoxRecorder;
    window = new MainWindow;
    analysis = new FakeAnalysis;
    views = new FakeViews;
    views->window = window;
    views->analysis = analysis;
    window->SetAnalysis(analysis);
    window->SetResultViews(views);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

void TestMainWindow::cleanup() {
    delete window;
    delete views;
    delete analysis;
    delete boxes;
}

void TestMainWindow::titleMenusAndSize() {
    QCOMPARE(window->windowTitle(), QString("Norvadex"));
    QList<QAction*> menus = window->menuBar()->actions();
    QCOMPARE(menus.size(), 4);
    QCOMPARE(menus[0]->text(), QString("&File"));
    menus.removeFirst();
    QCOMPARE(menus[0]->text(), QString("&Suit Combination"));
    QCOMPARE(menus[1]->text(), QString("&Analysis"));
    QCOMPARE(menus[2]->text(), QString("&Help"));
    QCOMPARE(MenuItems(menus[0]->menu()),
             QStringList({"&New ...", "&Change ...", "&Recent Combinations (off)"}));
    QCOMPARE(MenuItems(menus[1]->menu()),
             QStringList({"&Strat x Goal table ...", "&Pay-off table ..."}));
    QCOMPARE(MenuItems(menus[2]->menu()), QStringList({"&Norvadex Home Page", "Norvadex &Help Page",
                                                       "Your &Contribution", "&About ..."}));
    // The desktop's usual keys.
    QCOMPARE(window->NewAction()->shortcut(), QKeySequence(QKeySequence::New));
    QCOMPARE(window->QuitAction()->shortcut(), QKeySequence(QKeySequence::Quit));
    QCOMPARE(window->HelpPageAction()->shortcut(), QKeySequence(QKeySequence::HelpContents));

    // At least 854 x 447 of client area, and every part at least as large as it needs.
    QVERIFY(window->centralWidget()->width() >= 854);
    QVERIFY(window->centralWidget()->height() >= 447);
    for (QWidget* part :
         std::initializer_list<QWidget*>{window->ComboGroupBox(), window->ResultsGroupBox(),
                                         window->PlayGroupBox(), window->TricksTableListView()}) {
        QVERIFY2(part->width() >= part->minimumSizeHint().width(), qPrintable(part->objectName()));
        QVERIFY2(part->height() >= part->minimumSizeHint().height(),
                 qPrintable(part->objectName()));
    }
    QCOMPARE(window->ComboGroupBox()->title(), QString("Suit Combination"));
    QCOMPARE(window->ResultsGroupBox()->title(), QString("Results"));
    QCOMPARE(window->PlayGroupBox()->title(), QString("Play"));

    // Growing the window grows the results and the tricks table; the play panel keeps its size.
    const QSize play = window->PlayGroupBox()->size();
    const int results = window->ResultsGroupBox()->height();
    const int table = window->TricksTableListView()->width();
    window->resize(window->width() + 200, window->height() + 150);
    QTRY_VERIFY(window->ResultsGroupBox()->height() > results);
    QVERIFY(window->TricksTableListView()->width() > table);
    QCOMPARE(window->PlayGroupBox()->size(), play);
    QCOMPARE(window->SortState().SortColumn, std::uint16_t(1000));
    QCOMPARE(window->SortState().SortSign, 1);
}

void TestMainWindow::combinationSummary() {
    ComboDialog& d = window->ComboDlg();
    // The box grows with a long last line.
    d.SetValues("AQ42", "J53", "", 4, 13, 2, Goal(3, 4, 3));
    analysis->imps = true;
    window->ShowCombination();
    analysis->imps = false;
    QLabel* label = window->ComboLabel();
    QTRY_VERIFY(label->height() >= label->heightForWidth(label->width()));
    QVERIFY(label->heightForWidth(label->width()) > 3 * label->fontMetrics().lineSpacing());
    d.SetValues("AQ42", "J53", "", 4, 13, 13, std::nullopt);
    QCOMPARE(CombinationSummary(d, false), std::string("North: \tAQ42\rSouth: \tJ53\r\r"));

    d.SetValues("AQ42", "J53", "", 4, 6, 13, Goal(3, 4, 2));
    QCOMPARE(
        CombinationSummary(d, true),
        std::string("North: \tAQ42\rSouth: \tJ53\r\rCompare method: IMPS: 3NT, 2 tricks; Vacant "
                    "places: West 6 East 13"));

    // Discards are named with the hand that holds them; a limit on entries with North.
    d.SetValues("AQ42", "J53", "2J", 1, 13, 12, std::nullopt);
    QCOMPARE(
        CombinationSummary(d, false),
        std::string(
            "North: \tAQ42\t\t\tdiscards: 2\t\t\tentries: 1\rSouth: \tJ53\t\t\tdiscards: J\r\r "
            "Vacant places: West 13 East 12"));
    const QString html = SummaryHtml(QString::fromStdString(CombinationSummary(d, false)));
    QVERIFY(html.contains("discards: 2"));
    QVERIFY(!html.contains('\t'));
}

void TestMainWindow::cancellingTheDialogChangesNothing() {
    AnswerCombo([](ComboDialog& d) { d.SetValues("AQ", "32", "", 2, 13, 13, std::nullopt); },
                false);
    window->GetCombo();
    QVERIFY(analysis->calls.isEmpty());
    QVERIFY(views->calls.isEmpty());
    QVERIFY(window->ComboSummaryText().isEmpty());
    QCOMPARE(window->ResultListView()->columnCount(), 0);
    QVERIFY(window->menuBar()->isEnabled());
    QVERIFY(window->centralWidget()->isEnabled());
}

void TestMainWindow::analysisRunsUnderTheProgressWindow() {
    bool computing = false, centralEnabled = true, menuEnabled = true, progressShown = false;
    TCalcState stateDuring = TCalcState::Ready;
    QString summaryDuring;
    int resultColumnsDuring = -1;
    bool closedWhileComputing = true;
    analysis->onCompute = [&](Host&) {
        computing = window->Computing();
        centralEnabled = window->centralWidget()->isEnabled();
        menuEnabled = window->menuBar()->isEnabled();
        // A modal child of the main window: above it, and the only window taking input.
        progressShown = window->Progress().isVisible() &&
                        window->Progress().parentWidget() == window &&
                        QApplication::activeModalWidget() == &window->Progress();
        stateDuring = window->Progress().State();
        summaryDuring = window->ComboSummaryText();
        resultColumnsDuring = window->ResultListView()->columnCount();
        closedWhileComputing = window->close(); // no input, closing included
    };
    // Results of an earlier analysis are emptied before the computation.
    window->ResultListView()->setHeaderLabels({"old"});
    AnswerCombo([](ComboDialog& d) { d.SetValues("AQ42", "J53", "", 4, 13, 13, std::nullopt); });
    window->GetCombo();

    QCOMPARE(analysis->calls,
             QStringList({"SetUpCombination", "SetTrickTable", "ComputeOptimalLines"}));
    const ComboSetUp expected{"AQ42", "J53", "", 4, 0, 0};
    QVERIFY(analysis->setUp == expected);
    QVERIFY(computing);
    QVERIFY(!centralEnabled);
    QVERIFY(!menuEnabled);
    QVERIFY(progressShown);
    QCOMPARE(stateDuring, TCalcState::Calculating);
    QCOMPARE(summaryDuring, QString("North: \tAQ42\rSouth: \tJ53\r\r"));
    QCOMPARE(resultColumnsDuring, 0);
    QVERIFY(!closedWhileComputing);
    QCOMPARE(window->windowTitle(), QString("AQ42 / J53 - Norvadex"));

    // Afterwards: the progress window is closed and Ready, the views are filled,
    // the window takes input again; with two lines the user has to choose one.
    QVERIFY(!window->Progress().isVisible());
    QCOMPARE(window->Progress().State(), TCalcState::Ready);
    QVERIFY(!window->Computing());
    QVERIFY(window->centralWidget()->isEnabled());
    QVERIFY(window->isVisible());
    QCOMPARE(views->calls, QStringList({"FillResultList", "FillTricksTable"}));
    QVERIFY(!window->PlayRichEdit()->isEnabled());
    QCOMPARE(window->focusWidget(), window->SelectLineComboBox());
    QVERIFY(!window->ContractCopy().has_value());
    // With no line chosen the selector's popup highlights the first.
    window->SelectLineComboBox()->setCurrentIndex(-1);
    window->SelectLineComboBox()->showPopup();
    QCOMPARE(window->SelectLineComboBox()->view()->currentIndex().row(), 0);
    QCOMPARE(window->SelectLineComboBox()->currentIndex(), -1);
    window->SelectLineComboBox()->hidePopup();
}

void TestMainWindow::oneLineIsChosenAtOnce() {
    analysis->lines = 1;
    AnswerCombo([](ComboDialog& d) { d.SetValues("AKQ", "32", "", 3, 13, 13, std::nullopt); });
    window->GetCombo();
    QCOMPARE(views->calls, QStringList({"FillResultList", "FillTricksTable",
                                        "SelectLineComboBoxChange:A", "UpdatePlayPanel"}));
    QVERIFY(window->PlayRichEdit()->isEnabled());
}

void TestMainWindow::interruptedComputationShowsNoResults() {
    bool stopSeen = false;
    analysis->onCompute = [&](Host& host) {
        boxes->Answer(BoxAnswer::Yes);
        window->Progress().InterruptButtonClick();
        stopSeen = host.stopRequested();
    };
    AnswerCombo([](ComboDialog& d) { d.SetValues("AQ42", "J53", "", 4, 13, 13, std::nullopt); });
    window->GetCombo();
    QVERIFY(stopSeen);
    QCOMPARE(boxes->Texts(), QStringList{"Do you want to stop the computation?"});
    QVERIFY(views->calls.isEmpty());
    QCOMPARE(window->ResultListView()->columnCount(), 1);
    QCOMPARE(window->ResultListView()->headerItem()->text(0),
             QString("No results: computation cancelled"));
    QCOMPARE(window->ResultListView()->topLevelItemCount(), 0);
    QCOMPARE(window->TricksTableListView()->columnCount(), 0);
    QCOMPARE(window->SelectLineComboBox()->count(), 0);
    QVERIFY(!window->Progress().isVisible());
    QCOMPARE(window->Progress().State(), TCalcState::Ready);
    QVERIFY(window->centralWidget()->isEnabled());
    QVERIFY(window->menuBar()->isEnabled());
}

void TestMainWindow::memoryLimitShowsABoxAndNoResults() {
    // The program reads as using 300 MB, against a limit of 200 MB.
    const MemoryWatch::Reader reader = [] { return 300 * kMegabyte; };
    window->AppHost().SetMemoryLimit(200, reader);
    bool stopSeen = false;
    analysis->onCompute = [&](Host& host) {
        // The engine polls until it is told to stop.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!(stopSeen = host.stopRequested()) && std::chrono::steady_clock::now() < end) {
        }
    };
    AnswerCombo([](ComboDialog& d) { d.SetValues("AQ42", "J53", "", 4, 13, 13, std::nullopt); });
    window->GetCombo();
    QVERIFY(stopSeen);
    QCOMPARE(boxes->Texts(),
             QStringList{"The computation has been stopped because it needs more memory than "
                         "the 200 MB this program may use on this computer."});
    QCOMPARE(boxes->Shown()[0].icon, BoxIcon::Error);
    QVERIFY(views->calls.isEmpty());
    QCOMPARE(window->ResultListView()->columnCount(), 1);
    QCOMPARE(window->ResultListView()->headerItem()->text(0),
             QString("No results: not enough memory"));
    QCOMPARE(window->ResultListView()->topLevelItemCount(), 0);
    QVERIFY(!window->Progress().isVisible());
    QVERIFY(window->centralWidget()->isEnabled());

    // Under a higher limit the next analysis shows its results.
    window->AppHost().SetMemoryLimit(400, reader);
    analysis->onCompute = nullptr;
    boxes->Clear();
    AnswerCombo([](ComboDialog& d) { d.SetValues("AQ42", "J53", "", 4, 13, 13, std::nullopt); });
    window->GetCombo();
    QVERIFY(boxes->Texts().isEmpty());
    QCOMPARE(views->calls, QStringList({"FillResultList", "FillTricksTable"}));
}

void TestMainWindow::impScoringIsRememberedForChange() {
    AnswerCombo([](ComboDialog& d) { d.SetValues("AQ42", "J53", "", 4, 6, 13, Goal(3, 4, 2)); });
    window->GetCombo();
    QCOMPARE(analysis->calls,
             QStringList({"SetUpCombination", "SetIMPTable", "ComputeOptimalLines"}));
    QVERIFY(analysis->impGoal == Goal(3, 4, 2));
    QCOMPARE(analysis->impTricks, 2);
    QCOMPARE(analysis->setUp.WestFilled, std::uint8_t(7));
    QVERIFY(window->ContractCopy() == Goal(3, 4, 2));
    QVERIFY(window->ComboSummaryText().endsWith(
        "\r\rCompare method: IMPS: 3NT, 2 tricks; Vacant places: "
        "West 6 East 13"));

    // "Change" hands the set-up's values and the goal back to the dialog.
    bool imps = false;
    QString north, south;
    int west = -1;
    AnswerCombo([&](ComboDialog& d) {
        imps = d.IMPSCheckBox()->isChecked();
        north = d.NorthEdit()->text();
        south = d.SouthEdit()->text();
        west = d.VacantWest();
        d.IMPSCheckBox()->setChecked(false);
        d.VacantCheckBox()->setChecked(false);
    });
    window->ChangeClick();
    QVERIFY(imps);
    QCOMPARE(north, QString("A Q 4 2 "));
    QCOMPARE(south, QString("J 5 3 "));
    QCOMPARE(west, 6);
    // That analysis had no IMP scoring: the copy is released ...
    QVERIFY(!window->ContractCopy().has_value());
    QVERIFY(!analysis->IsIMPs());
    // ... so the next "Change" opens with the IMP option off.
    AnswerCombo([&](ComboDialog& d) { imps = d.IMPSCheckBox()->isChecked(); }, false);
    window->ChangeClick();
    QVERIFY(!imps);
}

void TestMainWindow::newOffersAnEmptyDialog() {
    window->ComboDlg().SetValues("AQ42", "J53", "", 4, 6, 13, std::nullopt);
    QString north = "unset";
    bool vacant = true;
    AnswerCombo(
        [&](ComboDialog& d) {
            north = d.NorthEdit()->text();
            vacant = d.VacantCheckBox()->isChecked();
        },
        false);
    window->NewClick();
    QCOMPARE(north, QString(""));
    QVERIFY(!vacant);

    // "Change" before any analysis offers what the set-up holds at first: nothing.
    analysis->setUp = ComboSetUp{};
    AnswerCombo([&](ComboDialog& d) { north = d.NorthEdit()->text(); }, false);
    window->ChangeClick();
    QCOMPARE(north, QString(""));
}

void TestMainWindow::withoutAnEngineTheFlowStopsAfterTheSummary() {
    window->SetAnalysis(nullptr);
    AnswerCombo([](ComboDialog& d) { d.SetValues("AQ", "32", "", 2, 13, 13, Goal(1, 4, 1)); });
    window->GetCombo();
    QCOMPARE(window->ComboSummaryText(),
             QString("North: \tAQ\rSouth: \t32\r\rCompare method: IMPS: 1NT, 1 trick;"));
    QCOMPARE(window->ResultListView()->columnCount(), 1);
    QVERIFY(views->calls.isEmpty());
    QVERIFY(!window->Progress().isVisible());
    QVERIFY(window->centralWidget()->isEnabled());
    // "Change" still offers what was entered.
    QString north;
    AnswerCombo([&](ComboDialog& d) { north = d.NorthEdit()->text(); }, false);
    window->ChangeClick();
    QCOMPARE(north, QString("A Q "));
}

void TestMainWindow::helpMenuOpensTheSitePages() {
    // The pages open in the help window, with no browser.
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    HelpWindow& help = window->Help();
    QTextBrowser* browser = help.Browser();
    window->HomePageAction()->trigger();
    QVERIFY(help.isVisible());
    QVERIFY(browser->source().toString().endsWith("/help/index.htm"));
    window->ContributionAction()->trigger();
    QVERIFY(browser->source().toString().endsWith("/help/contributions.htm"));
    window->HelpPageAction()->trigger();
    const QUrl mainHelp = browser->source();
    QVERIFY(mainHelp.toString().endsWith("/help/help/mainhelp.htm"));
    QVERIFY(browser->toPlainText().size() > 100);
    // A link followed from the keyboard, then back.
    browser->setFocus();
    QTest::keyClick(browser, Qt::Key_Tab);
    QTest::keyClick(browser, Qt::Key_Return);
    QVERIFY(browser->source() != mainHelp);
    QVERIFY(browser->source().isLocalFile());
    QVERIFY(help.BackButton()->isEnabled());
    help.BackButton()->click();
    QCOMPARE(browser->source(), mainHelp);
    // "Open in browser" hands the page to the desktop.
    help.BrowserButton()->click();
    QDesktopServices::unsetUrlHandler("file");
    QCOMPARE(catcher.urls, QStringList{mainHelp.toString()});
    QVERIFY(boxes->Shown().empty());
    // It closes with the main window.
    QVERIFY(window->close());
    QVERIFY(!help.isVisible());
    window->show();

    // The analysis menu goes to the result views.
    window->StratGoalTableAction()->trigger();
    window->PayoffTableAction()->trigger();
    QCOMPARE(views->calls, QStringList({"StratGoalTableClick", "PayoffTableClick"}));
}

void TestMainWindow::aboutBox() {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    QString title, version;
    test::WhenModal([&](QWidget* w) {
        auto* about = static_cast<AboutBox*>(w);
        title = about->windowTitle();
        version = about->Version()->text();
        about->CommentsClick(); // the box stays open
        if (about->isVisible()) about->OKButton()->click();
    });
    window->AboutAction()->trigger();
    QDesktopServices::unsetUrlHandler("file");
    QCOMPARE(title, QString("About Norvadex"));
    QCOMPARE(version, QString("Version 2.1.2"));
    QVERIFY(catcher.urls.isEmpty());
    QVERIFY(window->Help().Browser()->source().toString().endsWith("/help/index.htm"));
}

void TestMainWindow::playPanelHelpers() {
    MainWindow::ShowHandCards(window->NorthRichEdit(), "AKT2", "K2");
    QCOMPARE(window->NorthRichEdit()->text(), QString("A<b><u>K</u></b>T<b><u>2</u></b>"));
    MainWindow::SetStepButtonEnabled(window->PBackSpeedButton(), true);
    QCOMPARE(window->PBackSpeedButton()->toolTip(), QString("Take back one card"));
    window->TricksLabel()->setText("Tricks won\nNS: 1; EW: 0");
    window->ClearPlayPanel();
    QVERIFY(window->NorthRichEdit()->text().isEmpty());
    QVERIFY(window->TricksLabel()->text().isEmpty());
    for (QToolButton* b : {window->PBeginSpeedButton(), window->PBackSpeedButton(),
                           window->PNextSpeedButton(), window->PEndSpeedButton()}) {
        QVERIFY(!b->isEnabled());
        QVERIFY(b->toolTip().isEmpty());
    }
}

void TestMainWindow::settingsAreWrittenAndReadBack() {
    QTemporaryDir dir;
    const QString file = dir.filePath("norvadex.ini");
    QSize size;
    {
        QSettings settings(file, QSettings::IniFormat);
        window->UseSettings(&settings);
        AnswerCombo(
            [](ComboDialog& d) { d.SetValues("AQ42", "J53", "", 4, 13, 2, Goal(3, 4, 3)); });
        window->GetCombo();
        AnswerCombo([](ComboDialog& d) { d.SetValues("KJ2", "Q3", "", 3, 13, 13, std::nullopt); });
        window->GetCombo();
        AnswerCombo(
            [](ComboDialog& d) { d.SetValues("AQ42", "J53", "", 4, 13, 2, Goal(3, 4, 3)); });
        window->GetCombo();
        window->resize(window->width() + 50, window->height() + 30);
        size = window->size();
        QVERIFY(window->close());
        window->UseSettings(nullptr);
    }
    QSettings settings(file, QSettings::IniFormat);
    MainWindow next;
    next.UseSettings(&settings);
    // The dialog opens with the last combination and its options.
    ComboDialog& d = next.ComboDlg();
    QCOMPARE(d.NorthHolding(), THolding("AQ42"));
    QCOMPARE(d.SouthHolding(), THolding("J53"));
    QCOMPARE(d.VacantEast(), std::uint8_t(2));
    QVERIFY(d.ContractGoalOrNone() == Goal(3, 4, 3));
    QCOMPARE(next.size(), size);
    // Each combination once, the most recent first; choosing one fills the dialog.
    QCOMPARE(MenuItems(next.RecentMenu()),
             QStringList({"AQ42 / J53, vacant 13-2, IMPS: 3NT, 3 tricks", "KJ2 / Q3"}));
    QString north;
    test::WhenModal([&north](QWidget* w) {
        north = static_cast<ComboDialog*>(w)->NorthHolding().str().c_str();
        static_cast<ComboDialog*>(w)->reject();
    });
    next.RecentMenu()->actions()[1]->trigger();
    QCOMPARE(north, QString("KJ2"));
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
