// One session with the desktop program, put together as main() does it, one
// chapter (slot) after the other on the same window. The engine is the real one
// on small combinations, on its own thread; a wrapper can hold it at the start
// of a computation, so that the user acts while it would still run.
#include "present/result_views.h"
#include "results/analysis.h"
#include "ui/about_box.h"
#include "ui/analysis_views.h"
#include "ui/combo_dialog.h"
#include "ui/contract_dialog.h"
#include "ui/engine_analysis.h"
#include "ui/help_window.h"
#include "ui/holding_edit.h"
#include "ui/main_window.h"
#include "ui/message_boxes.h"
#include "ui/progress_window.h"
#include "ui/report_view.h"
#include "ui/table_window.h"
#include "ui/tricks_needed_dialog.h"
#include "ui_test_util.h"

#include <QtPrintSupport/QPrinter>
#include <QtTest>
#include <QtWidgets>

#include <atomic>
#include <memory>

using namespace nvx;

namespace {

// The engine, on the computation's thread: while hold is set it waits at the
// start of a computation (after saying so through started) until go, and first
// runs onThread there when it is set.
struct HeldEngine : EngineAnalysis {
    using EngineAnalysis::EngineAnalysis;
    std::atomic<bool> hold{false};
    QSemaphore started, go;
    std::function<void(Host&)> onThread;
    ComputeEnd ComputeOptimalLines(Host& host) override {
        if (hold.load()) {
            started.release();
            go.acquire();
        }
        if (onThread) onThread(host);
        return EngineAnalysis::ComputeOptimalLines(host);
    }
};

struct Program {
    QTemporaryDir dir;
    QSettings settings{dir.filePath("norvadex.ini"), QSettings::IniFormat};
    std::unique_ptr<MessageBoxRecorder> boxes = std::make_unique<MessageBoxRecorder>();
    MainWindow window;
    Analysis analysis{window.AppHost()};
    HeldEngine engine{analysis};
    AnalysisViews views{window, analysis};

    Program() {
        window.UseSettings(&settings);
        window.SetAnalysis(&engine);
        window.show();
    }
    ~Program() {
        window.SetAnalysis(nullptr);
        window.UseSettings(nullptr);
    }
};

// Answers the next combination dialog: f fills it, then OK (or Cancel).
void Answer(std::function<void(ComboDialog&)> f, bool ok = true) {
    test::WhenModal([f, ok](QWidget* w) {
        auto* d = static_cast<ComboDialog*>(w);
        f(*d);
        if (d->isVisible()) (ok ? d->OKBtn() : d->CancelBtn())->click();
        if (d->isVisible()) d->reject(); // a check failed: do not hang
    });
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// How a list view differs from the table the report gives: "" when it shows
// every caption and cell, each column aligned as the report says.
QString Diff(const ReportView* view, const ReportTable& t) {
    const QAbstractItemModel* m = view->model();
    const int columns = int(t.Columns.size()), rows = int(t.Rows.size());
    if (m->columnCount() != columns || m->rowCount() != rows) return "size";
    for (int c = 0; c < columns; ++c) {
        const ReportColumn& col = t.Columns[std::size_t(c)];
        if (m->headerData(c, Qt::Horizontal).toString() != Q(col.Caption))
            return "caption " + Q(col.Caption);
        const int align = col.Align == ColumnAlign::Right    ? Qt::AlignRight
                          : col.Align == ColumnAlign::Centre ? Qt::AlignHCenter
                                                             : Qt::AlignLeft;
        for (int i = 0; i < rows; ++i) {
            const std::vector<std::string>& row = t.Rows[std::size_t(i)];
            const QModelIndex cell = m->index(i, c);
            if (cell.data() != (std::size_t(c) < row.size() ? Q(row[std::size_t(c)]) : ""))
                return QString("row %1: %2").arg(i).arg(cell.data().toString());
            if ((cell.data(Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask) != align)
                return QString("alignment of column %1").arg(c);
        }
    }
    return {};
}

// The text of a cell of a view, or of its header (row -1).
QString Text(const ReportView* view, int row, int column) {
    if (row < 0) return view->model()->headerData(column, Qt::Horizontal).toString();
    return view->model()->index(row, column).data().toString();
}

int Rows(const ReportView* view) {
    return view->model()->rowCount();
}

// The header and the given rows of a table as copied: tab-separated, trimmed.
QString Copied(const ReportTable& t, std::initializer_list<int> rows) {
    QStringList header, lines;
    for (const ReportColumn& c : t.Columns)
        header << Q(c.Caption).trimmed();
    lines << header.join('\t');
    for (int i : rows) {
        QStringList cells;
        for (const std::string& cell : t.Rows[std::size_t(i)])
            cells << Q(cell).trimmed();
        lines << cells.join('\t');
    }
    return lines.join('\n') + '\n';
}

QString Html(const std::string& cards, const std::string& marked) {
    QLabel label;
    MainWindow::ShowHandCards(&label, cards, marked);
    return label.text();
}

QAction* ActionWith(QWidget* w, QKeySequence::StandardKey key) {
    for (QAction* a : w->actions())
        if (a->shortcut() == QKeySequence(key)) return a;
    return nullptr;
}

} // namespace

class TestFlow : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void cleanupTestCase() { p.reset(); }
    // Each chapter goes on from where the last one left the window.
    void init() {
        if (broken) QSKIP("an earlier chapter failed");
    }
    void cleanup() { broken = broken || QTest::currentTestFailed(); }

    void firstCombinationTypedIntoTheDialog();
    void tableWindowsSortingAndCopy();
    void playingALine();
    void defenceWarningKeepsTheKeysTypedMeanwhile();
    void newCombinationWithNoTrickPossible();
    void impScoringSavedAndPrinted();
    void interruptedAndOutOfMemory();
    void helpAboutAndQuit();
    void theNextStartRemembers();

  private:
    std::unique_ptr<Program> p;
    bool broken = false;
    MainWindow& w() { return p->window; }
    QLineEdit* edit() { return p->window.PlayEdit(); }
    QString played() { return Q(p->analysis.GetPlay().GetPlayString()); }
    std::string leads() { return p->analysis.GetPlay().LineCards(); }
    void Type(const QString& keys) { QTest::keyClicks(edit(), keys); }
    ResultsSummary Summary() {
        return SummarizeResults(p->analysis.GetHost(), p->analysis.GetLines());
    }
    CellColour Colour(int row, int column) { return p->views.TricksTableCellColour(row, column); }
    int RowOf(const QString& caption) {
        for (int i = 0; i < Rows(w().TricksTableListView()); ++i)
            if (Text(w().TricksTableListView(), i, 0) == caption) return i;
        return -1;
    }
    // A click on the play panel away from its controls.
    void ClickPanel() {
        QGroupBox* box = w().PlayGroupBox();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() - 4));
    }
    bool Activate() {
        w().activateWindow();
        return QTest::qWaitForWindowActive(&w());
    }
    // Waits for the computation to end.
    bool Finished() {
        return QTest::qWaitFor([this] { return !w().Computing(); }, 120000);
    }
    // Starts an analysis with start() and holds the engine at its beginning:
    // true once it waits there. Release lets it go on.
    bool StartHeld(const std::function<void()>& start) {
        p->engine.hold = true;
        start();
        const bool held = p->engine.started.tryAcquire(1, 5000);
        p->engine.hold = false;
        return held;
    }
    void Release() { p->engine.go.release(); }
    // A new recorder in place of the hook.
    void Unhook() {
        p->boxes.reset();
        p->boxes = std::make_unique<MessageBoxRecorder>();
    }
};

void TestFlow::initTestCase() {
    test::QuietPlatformNotes();
    p = std::make_unique<Program>();
    QVERIFY(QTest::qWaitForWindowActive(&p->window));
}

void TestFlow::firstCombinationTypedIntoTheDialog() {
    // Before any analysis there is nothing to play.
    ClickPanel();
    QCOMPARE(p->boxes->Texts(), QStringList{"please select a line of play"});
    p->boxes->Clear();

    // Ctrl+N; the cards typed; Enter in North moves to South, Enter in South is OK.
    test::WhenModal([](QWidget* dialog) {
        auto* d = static_cast<ComboDialog*>(dialog);
        QTest::keyClicks(d->NorthEdit(), "aqj4");
        QTest::keyClick(d->NorthEdit(), Qt::Key_Return);
        QTest::keyClicks(QApplication::focusWidget(), "532");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        if (d->isVisible()) d->reject();
    });
    QVERIFY(StartHeld([this] { QTest::keyClick(&w(), Qt::Key_N, Qt::ControlModifier); }));
    // While it computes the progress window is a child of the main window, not
    // modal; the main window keeps only Help and Quit, and its event loop runs:
    // the status line grows by a dot a second.
    ProgressWindow& progress = w().Progress();
    QVERIFY(w().Computing() && progress.isVisible() && progress.parentWidget() == &w());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY(!w().centralWidget()->isEnabled() && !w().NewAction()->isEnabled());
    QVERIFY(w().AboutAction()->isEnabled() && w().QuitAction()->isEnabled());
    QTRY_COMPARE(progress.ProgressLabel()->text(), QString("Calculating ...."));
    Release();
    QVERIFY(Finished());
    // Then the progress window is gone and the main window takes input again.
    QVERIFY(!progress.isVisible() && w().centralWidget()->isEnabled());
    QCOMPARE(w().windowTitle(), QString("AQJ4 / 532 - Norvadex"));

    // The window shows what the report gives.
    QCOMPARE(Diff(w().ResultListView(), ResultListTable(Summary())), QString());
    const TricksTableSource source = TricksTableSourceOf(p->analysis);
    QCOMPARE(
        Diff(w().TricksTableListView(), TricksTableView(TricksTableRows(source), source.LineNames)),
        QString());

    // Two lines: none is chosen, the play waits for a choice; the selector's
    // popup highlights the first.
    QComboBox* selector = w().SelectLineComboBox();
    QCOMPARE(selector->count(), 2);
    QCOMPARE(selector->currentIndex(), -1);
    QCOMPARE(w().focusWidget(), selector);
    QVERIFY(!edit()->isEnabled());
}

void TestFlow::tableWindowsSortingAndCopy() {
    const ResultsSummary r = Summary();
    w().LineGoalTableAction()->trigger();
    w().PayoffTableAction()->trigger();
    TableWindow& goals = w().Table();
    TableWindow& payoff = w().PayoffWindow();
    // Both beside the main window, not modal.
    QVERIFY(goals.isVisible() && payoff.isVisible());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(Diff(goals.ListView(), LineGoalTable(r)), QString());
    QCOMPARE(Diff(payoff.ListView(), PayoffTableView(r)), QString());

    // Ctrl+C copies the header and the selected rows; the context menu of a
    // table window selects all and copies.
    QVERIFY(Activate());
    ReportView* list = w().ResultListView();
    list->setFocus();
    for (int row : {2, 0})
        list->selectionModel()->select(list->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), Copied(ResultListTable(r), {0, 2}));
    ActionWith(payoff.ListView(), QKeySequence::SelectAll)->trigger();
    ActionWith(payoff.ListView(), QKeySequence::Copy)->trigger();
    QCOMPARE(QApplication::clipboard()->text(), Copied(PayoffTableView(r), {0, 1}));

    // A click on a header sorts the tricks table, with the arrow shown; a line
    // column by its cells, descending.
    ReportView* table = w().TricksTableListView();
    QHeaderView* header = table->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(3) + 5, header->height() / 2));
    QCOMPARE(header->sortIndicatorSection(), 3);
    QVERIFY(Text(table, 0, 3) > Text(table, Rows(table) - 1, 3));
}

void TestFlow::playingALine() {
    // Line A chosen with the keyboard: the play starts, its cards are marked.
    QTest::keyClick(w().SelectLineComboBox(), Qt::Key_Down);
    QCOMPARE(w().SelectLineComboBox()->currentText(), QString("A"));
    QVERIFY(edit()->isEnabled());
    QCOMPARE(w().focusWidget(), edit());
    QVERIFY(!leads().empty());
    QCOMPARE(w().SouthHand()->text(), Html("532", leads()));
    QCOMPARE(w().NorthHand()->text(), Html("AQJ4", leads()));
    // The caption in the default colour, the chosen line black, the other grey.
    const int kt = RowOf("KT - xxxx"), ktx = RowOf("KTx - xxx");
    QVERIFY(kt >= 0 && ktx >= 0);
    QCOMPARE(Colour(kt, 0), CellColour::Default);
    QCOMPARE(Colour(kt, 2), CellColour::Black);
    QCOMPARE(Colour(kt, 3), CellColour::Black);
    QCOMPARE(Colour(kt, 4), CellColour::Grey);

    // Line A leads low from South: the ace vanishes; "x" is West's lowest card.
    Type("A");
    QCOMPARE(edit()->text(), QString(""));
    Type("2x");
    QCOMPARE(played(), QString("26"));
    QCOMPARE(w().WestCardInTrickLabel()->text(), QString("6"));
    // West played small: K T alone is ruled out, K T x is not.
    for (int column = 0; column < 5; ++column)
        QCOMPARE(Colour(kt, column), CellColour::Grey);
    QCOMPARE(Colour(ktx, 3), CellColour::Black);
    Type("qx;;"); // a second ";" has nothing to close
    QCOMPARE(edit()->text(), QString("26Q7;"));
    QCOMPARE(w().TricksLabel()->text(), QString("Tricks won\nNS: 1; EW: 0"));
    // Back reopens the trick, Enter closes it again.
    w().BackButton()->click();
    QCOMPARE(played(), QString("26Q7"));
    QCOMPARE(w().EastCardInTrickLabel()->text(), QString("7"));
    QTest::keyClick(edit(), Qt::Key_Return);
    QCOMPARE(played(), QString("26Q7;"));
    // Cards typed in a list go to the play; "x" is the list's own key there.
    ReportView* table = w().TricksTableListView();
    table->setFocus();
    QTest::keyClick(table, 'x');
    QCOMPARE(w().focusWidget(), table);
    QTest::keyClick(table, '5');
    QCOMPARE(played(), QString("26Q7;5"));
    QCOMPARE(w().focusWidget(), edit());
    QTest::keyClick(edit(), Qt::Key_Backspace);
    QTest::keyClick(edit(), Qt::Key_Backspace);
    QCOMPARE(played(), QString("26Q7"));
    QVERIFY(Colour(kt, 1) == CellColour::Grey);

    // The step buttons walk along the furthest play; leaving it starts a new one.
    w().BeginButton()->click();
    QCOMPARE(edit()->text(), QString(""));
    QCOMPARE(Colour(kt, 1), CellColour::Black); // possible again
    w().EndButton()->click();
    QCOMPARE(edit()->text(), QString("26Q7;5"));
    w().BackButton()->click();
    w().BackButton()->click();
    Type("3");
    QCOMPARE(played(), QString("26Q7;3"));
    QVERIFY(!w().NextButton()->isEnabled());

    // Line B plays the ace on the first round: the replay stops before the queen.
    QTest::keyClick(w().SelectLineComboBox(), Qt::Key_Down);
    QCOMPARE(w().SelectLineComboBox()->currentText(), QString("B"));
    QCOMPARE(edit()->text(), QString("26"));
    QCOMPARE(w().NorthHand()->text(), Html("AQJ4", leads()));
    QVERIFY(w().NorthHand()->text().contains("<u>"));

    // Clicks on the panel: a reminder; a complete trick is closed.
    p->boxes->Clear();
    ClickPanel();
    QCOMPARE(p->boxes->Texts(),
             QStringList{"please use your keyboard to play one of the underlined cards"});
    Type("ax");
    p->boxes->Clear();
    ClickPanel();
    QVERIFY(played().endsWith(';'));
    QVERIFY(p->boxes->Shown().empty());
    // Played to the end with small cards and show-outs: nothing is left to mark.
    for (QString before; before != played();) {
        before = played();
        Type(p->analysis.GetPlay().CurrentTrickCards().size() == 4 ? ";" : "x");
        if (played() == before) Type("-");
    }
    QCOMPARE(p->analysis.GetPlay().CompletedTricks(), 4);
    ClickPanel();
    QCOMPARE(p->boxes->Texts().last(), QString("play has finished"));
    QVERIFY(!w().NorthHand()->text().contains("<u>"));
}

void TestFlow::defenceWarningKeepsTheKeysTypedMeanwhile() {
    // "Change" offers the combination shown.
    QString offered;
    Answer([&](ComboDialog& d) {
        offered = d.NorthEdit()->text() + "/" + d.SouthEdit()->text();
        d.SetValues("AQT", "432", "", 9, 13, 13, std::nullopt);
    });
    w().ChangeAction()->trigger();
    QVERIFY(Finished());
    QCOMPARE(offered, QString("A Q J 4 /5 3 2 "));
    if (w().SelectLineComboBox()->currentIndex() != 0) {
        w().SelectLineComboBox()->setCurrentIndex(0);
        emit w().SelectLineComboBox()->activated(0);
    }
    // East's jack under the ace gives a trick away. The card is drawn before the
    // warning, and the keys typed while it is up are played after it.
    QString warning, eastShown;
    MessageBoxes::SetTestHook([&](const ShownBox& box) {
        warning = box.text;
        eastShown = w().EastCardInTrickLabel()->text();
        QTest::keyClicks(edit(), ";3x");
        return BoxAnswer::Ok;
    });
    Type("2KAJ");
    Unhook();
    QCOMPARE(warning, QString(DefenceWarningText));
    QCOMPARE(eastShown, QString("J"));
    QCOMPARE(played(), QString("2KAJ;35"));
}

void TestFlow::newCombinationWithNoTrickPossible() {
    // Ctrl+N offers an empty dialog.
    QString north = "unset";
    Answer([&](ComboDialog& d) {
        north = d.NorthEdit()->text();
        d.SetValues("Q", "32", "", 9, 13, 13, std::nullopt);
    });
    // An internal error reported on the computation's thread is shown by the
    // window's thread, through the seam, while the computation waits for it.
    std::atomic<bool> shownOnWindowThread{false}, computationWaited{false};
    MessageBoxes::SetTestHook([&](const ShownBox& box) {
        shownOnWindowThread = QThread::currentThread() == qApp->thread() &&
                              box.text.contains("error code 202") && w().Computing();
        return BoxAnswer::Ok;
    });
    p->engine.onThread = [&](Host& host) {
        InternalError(host, InternalErrorCode::ProbabilitySumNotOne);
        computationWaited = shownOnWindowThread.load();
    };
    QVERIFY(Activate());
    QTest::keyClick(&w(), Qt::Key_N, Qt::ControlModifier);
    QVERIFY(Finished());
    p->engine.onThread = nullptr;
    Unhook();
    QVERIFY(shownOnWindowThread && computationWaited);
    QCOMPARE(north, QString(""));
    // One line: it is chosen and the play starts.
    QCOMPARE(w().SelectLineComboBox()->currentText(), QString("A"));
    QCOMPARE(w().focusWidget(), edit());
}

void TestFlow::impScoringSavedAndPrinted() {
    // The contract chosen in the grid (3NT offered, 4NT taken with the arrow
    // key), then the tricks needed.
    int offered = -1;
    Answer([&](ComboDialog& d) {
        d.SetValues("AQT", "432", "", 9, 6, 13, std::nullopt);
        d.IMPSCheckBox()->setChecked(true);
        test::WhenModal([&](QWidget* dialog) {
            auto* contract = static_cast<ContractDialog*>(dialog);
            offered = contract->SelectedTab();
            QTest::keyClick(contract->TabButton(offered), Qt::Key_Down);
            test::WhenModal([](QWidget* tricks) {
                static_cast<TricksNeededDialog*>(tricks)->SetPosition(1);
                static_cast<TricksNeededDialog*>(tricks)->OKBtn()->click();
            });
            contract->NextBtn()->click();
        });
        d.ContractButton()->click();
    });
    w().GetCombo();
    QVERIFY(Finished());
    const ContractGoal goal = test::Goal(4, 4, 1);
    QCOMPARE(offered, ContractDialog::TabIndex(3, 4));
    const ResultsSummary r = Summary();
    QVERIFY(r.Imps);
    QCOMPARE(Diff(w().ResultListView(), ResultListTable(r)), QString());
    // The table windows left open follow the new analysis.
    QCOMPARE(w().PayoffWindow().windowTitle(), Q(PayoffTableView(r).Caption));
    QCOMPARE(Diff(w().PayoffWindow().ListView(), PayoffTableView(r)), QString());
    // The summary names the goal and shows all its lines.
    QVERIFY(w().ComboSummaryText().contains(Q("Compare method: " + CompareMethodText(goal))));
    QLabel* label = w().ComboLabel();
    QTRY_VERIFY(label->height() >= label->heightForWidth(label->width()));

    // Saved as JSON it is what the command-line tool prints.
    QTemporaryDir dir;
    QVERIFY(w().SaveResultsAction()->isEnabled());
    QVERIFY(p->views.SaveResults(dir.filePath("r.json"), AnalysisViews::FileFormat::Json));
    QFile file(dir.filePath("r.json"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QJsonObject saved = QJsonDocument::fromJson(file.readAll()).object();
    QProcess cli;
    cli.start(NORVADEX_CLI_PATH, {"--json", "AQ10", "432", "--vacant", "6,13", "--imps", "4NT",
                                  "--tricks-needed", "1"});
    QVERIFY(cli.waitForFinished(60000));
    QJsonObject printed = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
    QVERIFY(!printed.isEmpty());
    saved.remove("seconds");
    printed.remove("seconds");
    QCOMPARE(saved, printed);
    // The one-page report prints.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("r.pdf"));
    p->views.PrintReport(&printer);
    QVERIFY(QFileInfo(dir.filePath("r.pdf")).size() > 1000);

    // "Change" offers the options too; Cancel changes nothing.
    bool imps = false;
    Answer([&](ComboDialog& d) { imps = d.IMPSCheckBox()->isChecked(); }, false);
    w().ChangeAction()->trigger();
    QVERIFY(imps);
    QCOMPARE(Diff(w().ResultListView(), ResultListTable(r)), QString());
}

void TestFlow::interruptedAndOutOfMemory() {
    // A combination that takes long to compute. Half a second into it the user
    // presses Escape on the progress window and says Yes: the computation stops
    // within a second. The last results were gone from the start.
    ProgressWindow& progress = w().Progress();
    Answer([](ComboDialog& d) { d.SetValues("AT84", "Q62", "", 9, 13, 13, std::nullopt); });
    w().ChangeAction()->trigger();
    QVERIFY(w().Computing());
    QTest::qWait(500);
    QCOMPARE(Rows(w().ResultListView()), 0);
    QTest::keyClick(&progress, Qt::Key_Escape);
    QElapsedTimer stopping;
    stopping.start();
    QCOMPARE(progress.State(), CalcState::Stopping);
    QVERIFY(Finished());
    QVERIFY2(stopping.elapsed() < 1000, qPrintable(QString::number(stopping.elapsed())));
    QCOMPARE(p->boxes->Texts(), QStringList{"Do you want to stop the computation?"});
    QCOMPARE(Text(w().ResultListView(), -1, 0), QString(NoResultsText));
    QCOMPARE(Rows(w().ResultListView()), 0);
    QCOMPARE(w().TricksTableListView()->model()->columnCount(), 0);
    QCOMPARE(w().SelectLineComboBox()->count(), 0);
    QVERIFY(!w().SaveResultsAction()->isEnabled());
    QCOMPARE(Rows(w().PayoffWindow().ListView()), 0);

    // The program reads as using 300 MB, against a limit of 200 MB: the memory
    // watch stops the computation. That analysis had no IMPs: "Change" offers none.
    const MemoryWatch::Reader reader = [] { return 300 * Megabyte; };
    w().AppHost().SetMemoryLimit(200, reader);
    bool imps = true;
    Answer([&](ComboDialog& d) {
        imps = d.IMPSCheckBox()->isChecked();
        d.SetValues("AQT", "432", "", 9, 13, 13, std::nullopt);
    });
    p->boxes->Clear();
    QVERIFY(StartHeld([this] { w().ChangeAction()->trigger(); }));
    QTRY_VERIFY_WITH_TIMEOUT(w().AppHost().StopRequested(), 2000);
    Release();
    QVERIFY(Finished());
    QVERIFY(!imps);
    QCOMPARE(p->boxes->Shown().size(), std::size_t(1));
    QVERIFY(p->boxes->Texts()[0].contains("200 MB"));
    QCOMPARE(Text(w().ResultListView(), -1, 0), QString("No results: not enough memory"));

    // Under a higher limit the same combination, from the recent menu, runs to the end.
    w().AppHost().SetMemoryLimit(400, reader);
    p->boxes->Clear();
    Answer([](ComboDialog&) {});
    w().RecentMenu()->actions()[0]->trigger();
    QVERIFY(Finished());
    QVERIFY(p->boxes->Shown().empty());
    QVERIFY(Rows(w().ResultListView()) > 0);
}

void TestFlow::helpAboutAndQuit() {
    // F1 shows the help inside the program; the About box's link shows the home
    // page, the help window then a child of the box so that it takes input.
    QVERIFY(Activate());
    QTest::keyClick(&w(), Qt::Key_F1);
    HelpWindow& help = w().Help();
    QTextBrowser* browser = help.Browser();
    QVERIFY(help.isVisible() && browser->source().toString().endsWith("/help/mainhelp.htm"));
    QWidget* owner = nullptr;
    test::WhenModal([&](QWidget* box) {
        static_cast<AboutBox*>(box)->CommentsClick();
        owner = help.parentWidget();
        static_cast<AboutBox*>(box)->accept();
    });
    w().AboutAction()->trigger();
    QCOMPARE(owner, &w().About());
    QVERIFY(browser->source().toString().endsWith("/help/index.htm"));
    QVERIFY(p->boxes->Shown().empty());

    // Quit while a computation runs stops it; the window closes once it has
    // ended, and the windows beside it with it.
    Answer([](ComboDialog&) {});
    QVERIFY(StartHeld([this] { w().ChangeAction()->trigger(); }));
    w().QuitAction()->trigger();
    QVERIFY(w().isVisible());
    QCOMPARE(w().Progress().State(), CalcState::Stopping);
    Release();
    QTRY_VERIFY(!w().isVisible());
    QVERIFY(!w().Computing());
    QVERIFY(!help.isVisible() && !w().Table().isVisible() && !w().PayoffWindow().isVisible());
}

void TestFlow::theNextStartRemembers() {
    const QSize size = w().size();
    p->settings.sync();
    QSettings settings(p->settings.fileName(), QSettings::IniFormat);
    MainWindow next; // without an engine
    next.UseSettings(&settings);
    // The window's size, the last combination in the dialog, the recent ones
    // each once, the most recent first.
    QCOMPARE(next.size(), size);
    QCOMPARE(next.ComboDlg().NorthHolding(), Holding("AQT"));
    QVERIFY(!next.ComboDlg().ContractGoalOrNone());
    QStringList recent;
    for (QAction* a : next.RecentMenu()->actions())
        recent << a->text();
    QCOMPARE(recent,
             QStringList({"AQT / 432", "AT84 / Q62", "AQT / 432, vacant 6-13, IMPS: 4NT, 1 trick",
                          "Q / 32", "AQJ4 / 532"}));
    // Chosen, it fills the dialog; with no engine the window shows the
    // combination and no results.
    std::optional<ContractGoal> goal;
    int west = -1;
    Answer([&](ComboDialog& d) {
        goal = d.ContractGoalOrNone();
        west = d.VacantWest();
    });
    next.RecentMenu()->actions()[2]->trigger();
    QVERIFY(goal == test::Goal(4, 4, 1));
    QCOMPARE(west, 6);
    QVERIFY(next.ComboSummaryText().contains("Compare method: IMPS: 4NT, 1 trick"));
    QVERIFY(!next.ResultsShown());
    next.UseSettings(nullptr);
}

QTEST_MAIN(TestFlow)
#include "test_flow.moc"
