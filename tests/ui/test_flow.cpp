// One session with the main window, from the combination dialog through the
// computation to the views, one analysis after the other on the same window.
// The engine is a fake that ends each computation as the table below says, and
// the views only note what the window asks of them.
#include "ui/about_box.h"
#include "ui/combo_dialog.h"
#include "ui/contract_dialog.h"
#include "ui/help_window.h"
#include "ui/holding_edit.h"
#include "ui/main_window.h"
#include "ui/message_boxes.h"
#include "ui/progress_window.h"
#include "ui/report_view.h"
#include "ui/table_window.h"
#include "ui/tricks_needed_dialog.h"
#include "ui_test_util.h"

#include <QtTest>
#include <QtWidgets>

#include <atomic>

using namespace nvx;

namespace {

// Each computation waits at its start until go, or until the host asks it to
// stop (then it ends as the engine does: out of memory past the memory limit,
// interrupted otherwise). Once let go it runs onThread and ends with end.
struct FakeEngine : ComboAnalysis {
    ComboSetUp setUp;
    bool imps = false;
    unsigned lines = 0;
    ComputeEnd end = ComputeEnd::Finished;
    std::function<void(Host&)> onThread;
    QSemaphore started, go;

    void SetUpCombination(const ComboSetUp& s) override { setUp = s; }
    ComboSetUp CurrentCombination() const override { return setUp; }
    void SetIMPTable(const ContractGoal&, std::int8_t) override { imps = true; }
    void SetTrickTable() override { imps = false; }
    bool IsIMPs() const override { return imps; }
    unsigned LineCount() const override { return lines; }
    ComputeEnd ComputeOptimalLines(Host& host) override {
        started.release();
        while (!go.tryAcquire(1, 5))
            if (host.StopRequested())
                return host.MemoryLimitReached() ? ComputeEnd::OutOfMemory
                                                 : ComputeEnd::Interrupted;
        if (onThread) onThread(host);
        return end;
    }
};

// Notes each call: List, Table (which fills the selector), Choose, Play.
struct NotedViews : ResultViews {
    MainWindow& window;
    unsigned lines = 0;
    QString calls;
    explicit NotedViews(MainWindow& w) : window(w) {}
    void FillResultList() override { calls += 'L'; }
    void FillTricksTable() override {
        calls += 'T';
        for (unsigned i = 0; i < lines; ++i)
            window.SelectLineComboBox()->addItem(QString(QChar('A' + i)));
        window.SelectLineComboBox()->setCurrentIndex(-1);
    }
    void ChooseLine() override { calls += 'C'; }
    void UpdatePlayPanel() override { calls += 'P'; }
    void ShowLineGoalTable() override { calls += 'G'; }
    void ShowPayoffTable() override { calls += 'Y'; }
};

enum class Start { New, Change, Recent };
// How the dialog is answered: the hands typed key by key (Enter in North moves
// to South, Enter in South is OK), or set; AQT / 432 at IMPs with West's six
// vacant places, the contract chosen in the grid (3NT offered, 4NT taken with
// the arrow key) and one trick needed; OK as offered; Cancel.
enum class Answer { Typed, Set, FourNoTrumps, Offered, Cancel };
// How the computation ends: let go, out of memory when let go, stopped by the
// user (Escape on the progress window, then Yes), stopped by the memory watch.
enum class Run { Go, NoMemory, Escape, MemoryWatch };

} // namespace

class TestFlow : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void cleanupTestCase();
    void analysesOneAfterTheOther();
    void helpAboutAndQuit();
    void theNextStartRemembers();

  private:
    QTemporaryDir dir;
    QSettings settings{dir.filePath("norvadex.ini"), QSettings::IniFormat};
    // The texts of the boxes shown; Yes or OK answers them.
    QStringList shown;
    std::atomic<bool> errorShownOnWindowThread{false};
    FakeEngine engine;
    MainWindow w;
    NotedViews views{w};
    // Answers the next combination dialog, and notes what it offered.
    QString offered;
    int contractOffered = -1;
    void Reply(Answer answer, const char* north = "", const char* south = "");
};

void TestFlow::initTestCase() {
    test::QuietPlatformNotes();
    MessageBoxes::SetTestHook([this](const ShownBox& box) {
        if (box.text.contains("error code 202"))
            errorShownOnWindowThread = QThread::currentThread() == qApp->thread() && w.Computing();
        shown << box.text;
        return box.buttons == BoxButtons::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
    });
    w.UseSettings(&settings);
    w.SetAnalysis(&engine);
    w.SetResultViews(&views);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

void TestFlow::cleanupTestCase() {
    w.SetAnalysis(nullptr);
    w.UseSettings(nullptr);
    MessageBoxes::SetTestHook(nullptr);
}

void TestFlow::Reply(Answer answer, const char* north, const char* south) {
    test::WhenModal([=, this](QWidget* dialog) {
        auto* d = static_cast<ComboDialog*>(dialog);
        offered = d->NorthEdit()->text() + "/" + d->SouthEdit()->text() +
                  (d->IMPSCheckBox()->isChecked() ? " IMPs" : "");
        if (answer == Answer::Typed) {
            QTest::keyClicks(d->NorthEdit(), north);
            QTest::keyClick(d->NorthEdit(), Qt::Key_Return);
            QTest::keyClicks(QApplication::focusWidget(), south);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
        if (answer == Answer::Set) d->SetValues(north, south, "", 9, 13, 13, std::nullopt);
        if (answer == Answer::FourNoTrumps) {
            d->SetValues("AQT", "432", "", 9, 6, 13, std::nullopt);
            d->IMPSCheckBox()->setChecked(true);
            test::WhenModal([this](QWidget* w) {
                auto* contract = static_cast<ContractDialog*>(w);
                contractOffered = contract->SelectedTab();
                QTest::keyClick(contract->TabButton(contractOffered), Qt::Key_Down);
                test::WhenModal([](QWidget* tricks) {
                    static_cast<TricksNeededDialog*>(tricks)->SetPosition(1);
                    static_cast<TricksNeededDialog*>(tricks)->OKBtn()->click();
                });
                contract->NextBtn()->click();
            });
            d->ContractButton()->click();
        }
        if (d->isVisible()) (answer == Answer::Cancel ? d->CancelBtn() : d->OKBtn())->click();
        if (d->isVisible()) d->reject(); // a check failed: do not hang
    });
}

void TestFlow::analysesOneAfterTheOther() {
    const MemoryWatch::Reader reader = [] { return 300 * Megabyte; };
    std::atomic<bool> computationWaited{false};
    // The calls on the views: List, Table, Choose, Play. The program reads as
    // using 300 MB, the memory limit is 200 MB when the memory watch is to stop it.
    const struct {
        Start start;
        Answer answer;
        const char *north, *south, *offered;
        unsigned lines;
        Run run;
        const char *calls, *caption, *box;
    } steps[] = {
        {Start::New, Answer::Typed, "aqj4", "532", "/", 2, Run::Go, "LT", "", ""},
        // An error reported on the computation's thread is shown on the window's
        // while the computation waits for it.
        {Start::Change, Answer::FourNoTrumps, "", "", "A Q J 4 /5 3 2 ", 1, Run::Go, "LTCP", "",
         "error code 202"},
        {Start::Change, Answer::Cancel, "", "", "A Q 10 /4 3 2  IMPs", 1, Run::Go, "", "", ""},
        {Start::New, Answer::Set, "AT84", "Q62", "/", 2, Run::Escape, "",
         "No results: computation cancelled", "Do you want to stop the computation?"},
        {Start::Change, Answer::Set, "AQT", "432", "A 10 8 4 /Q 6 2 ", 2, Run::MemoryWatch, "",
         "No results: not enough memory", "200 MB"},
        {Start::Recent, Answer::Offered, "", "", "A Q 10 /4 3 2 ", 2, Run::NoMemory, "",
         "No results: not enough memory", "more memory than this computer can give"},
        {Start::Recent, Answer::Offered, "", "", "A Q 10 /4 3 2 ", 2, Run::Go, "LT", "", ""},
    };
    for (const auto& s : steps) {
        engine.lines = views.lines = s.lines;
        engine.end = s.run == Run::NoMemory ? ComputeEnd::OutOfMemory : ComputeEnd::Finished;
        engine.onThread = nullptr;
        if (*s.box == 'e')
            engine.onThread = [&](Host& host) {
                InternalError(host, InternalErrorCode::ProbabilitySumNotOne);
                computationWaited = errorShownOnWindowThread.load();
            };
        shown.clear();
        views.calls.clear();
        w.AppHost().SetMemoryLimit(s.run == Run::MemoryWatch ? 200 : 400, reader);
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        Reply(s.answer, s.north, s.south);
        if (s.start == Start::New) QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier);
        if (s.start == Start::Change) w.ChangeAction()->trigger();
        if (s.start == Start::Recent) w.RecentMenu()->actions()[0]->trigger();
        QCOMPARE(offered, QString(s.offered));
        if (s.answer == Answer::Cancel) {
            QVERIFY(!w.Computing() && w.ResultsShown());
            continue;
        }
        QVERIFY(engine.started.tryAcquire(1, 5000));
        // While it computes the progress window is a child of the main window, not
        // modal; the main window keeps only Help and Quit, and the results are gone.
        ProgressWindow& progress = w.Progress();
        QVERIFY(w.Computing() && progress.isVisible() && progress.parentWidget() == &w);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QVERIFY(!w.centralWidget()->isEnabled() && !w.NewAction()->isEnabled());
        QVERIFY(w.AboutAction()->isEnabled() && w.QuitAction()->isEnabled());
        QVERIFY(!w.ResultsShown() && !w.SaveResultsAction()->isEnabled());
        QCOMPARE(w.SelectLineComboBox()->count(), 0);
        if (s.run == Run::Go || s.run == Run::NoMemory) engine.go.release();
        if (s.run == Run::Escape) {
            // Its event loop runs: the status line grows by a dot a second.
            const QString before = progress.ProgressLabel()->text();
            QTRY_VERIFY(progress.ProgressLabel()->text() != before);
            QTest::keyClick(&progress, Qt::Key_Escape);
            QCOMPARE(progress.State(), CalcState::Stopping);
        }
        QVERIFY(QTest::qWaitFor([this] { return !w.Computing(); }, 10000));
        QVERIFY(!progress.isVisible() && w.centralWidget()->isEnabled());
        QCOMPARE(views.calls, QString(s.calls));
        const bool results = !*s.caption;
        QCOMPARE(w.ResultsShown(), results);
        QCOMPARE(w.SaveResultsAction()->isEnabled(), results);
        if (!results)
            QCOMPARE(w.ResultListView()->model()->headerData(0, Qt::Horizontal).toString(),
                     QString(s.caption));
        QCOMPARE(shown.size(), qsizetype(*s.box ? 1 : 0));
        if (*s.box) QVERIFY2(shown[0].contains(s.box), qPrintable(shown[0]));
        // One line is chosen at once; of more none is chosen, and the play waits
        // for a choice.
        if (results) QCOMPARE(w.SelectLineComboBox()->currentIndex(), s.lines == 1 ? 0 : -1);
        if (results && s.lines > 1)
            QVERIFY(w.SelectLineComboBox()->hasFocus() && !w.PlayEdit()->isEnabled());
    }
    QVERIFY(errorShownOnWindowThread && computationWaited);
    QCOMPARE(contractOffered, ContractDialog::TabIndex(3, 4));
    QCOMPARE(w.windowTitle(), QString("AQT / 432 - Norvadex"));
    // The table commands go to the views.
    w.LineGoalTableAction()->trigger();
    w.PayoffTableAction()->trigger();
    QCOMPARE(views.calls, QString("LTGY"));
}

void TestFlow::helpAboutAndQuit() {
    // F1 shows the help inside the program; the About box's link shows the home
    // page, the help window then a child of the box so that it takes input.
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_F1);
    HelpWindow& help = w.Help();
    QTextBrowser* browser = help.Browser();
    QVERIFY(help.isVisible() && browser->source().toString().endsWith("/help/mainhelp.htm"));
    QWidget* owner = nullptr;
    test::WhenModal([&](QWidget* box) {
        static_cast<AboutBox*>(box)->CommentsClick();
        owner = help.parentWidget();
        static_cast<AboutBox*>(box)->accept();
    });
    w.AboutAction()->trigger();
    QCOMPARE(owner, &w.About());
    QVERIFY(browser->source().toString().endsWith("/help/index.htm"));
    QVERIFY(shown.isEmpty());

    // Quit while a computation runs stops it; the window closes once it has
    // ended, and the windows beside it with it.
    w.Table().show();
    w.PayoffWindow().show();
    Reply(Answer::Offered);
    w.ChangeAction()->trigger();
    QVERIFY(engine.started.tryAcquire(1, 5000));
    w.QuitAction()->trigger();
    QCOMPARE(w.Progress().State(), CalcState::Stopping);
    QTRY_VERIFY(!w.isVisible());
    QVERIFY(!w.Computing());
    QVERIFY(!help.isVisible() && !w.Table().isVisible() && !w.PayoffWindow().isVisible());
}

void TestFlow::theNextStartRemembers() {
    const QSize size = w.size();
    settings.sync();
    QSettings next(settings.fileName(), QSettings::IniFormat);
    MainWindow again; // without an engine
    again.UseSettings(&next);
    // The window's size, the last combination in the dialog, the recent ones
    // each once, the most recent first.
    QCOMPARE(again.size(), size);
    QCOMPARE(again.ComboDlg().NorthHolding(), Holding("AQT"));
    QVERIFY(!again.ComboDlg().ContractGoalOrNone());
    QStringList recent;
    for (QAction* a : again.RecentMenu()->actions())
        recent << a->text();
    QCOMPARE(recent, QStringList({"AQT / 432", "AT84 / Q62",
                                  "AQT / 432, vacant 6-13, IMPS: 4NT, 1 trick", "AQJ4 / 532"}));
    // Chosen, it fills the dialog; with no engine the window shows the
    // combination and no results.
    std::optional<ContractGoal> goal;
    int west = -1;
    test::WhenModal([&](QWidget* dialog) {
        auto* d = static_cast<ComboDialog*>(dialog);
        goal = d->ContractGoalOrNone();
        west = d->VacantWest();
        d->OKBtn()->click();
    });
    again.RecentMenu()->actions()[2]->trigger();
    QVERIFY(goal == test::Goal(4, 4, 1));
    QCOMPARE(west, 6);
    QVERIFY(again.ComboSummaryText().contains("Compare method: IMPS: 4NT, 1 trick"));
    QVERIFY(!again.ResultsShown());
    again.UseSettings(nullptr);
}

QTEST_MAIN(TestFlow)
#include "test_flow.moc"
