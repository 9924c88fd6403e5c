// A short test of each window on its own: the views of a real analysis in the
// main window, the combination dialog, the contract and tricks-needed dialogs,
// the progress window, the message seam and the host, the plan view, and the
// tricks table's sort order.
#include "present/input_rules.h"
#include "present/result_views.h"
#include "results/analysis.h"
#include "results/summary.h"
#include "ui/analysis_views.h"
#include "ui/combo_dialog.h"
#include "ui/contract_dialog.h"
#include "ui/engine_analysis.h"
#include "ui/help_pages.h"
#include "ui/holding_edit.h"
#include "ui/main_window.h"
#include "ui/message_boxes.h"
#include "ui/plan_view.h"
#include "ui/progress_window.h"
#include "ui/qt_host.h"
#include "ui/range_spin_box.h"
#include "ui/report_view.h"
#include "ui/table_window.h"
#include "ui/tricks_needed_dialog.h"
#include "ui/tricks_table.h"
#include "ui_test_util.h"

#include <QAbstractItemModelTester>
#include <QtPrintSupport/QPrinter>
#include <QtTest>
#include <QtWidgets>

using namespace nvx;

namespace {

struct Dialogs {
    QtHost host;
    TricksNeededDialog tricks{host};
    ContractDialog contract{host, tricks};
    ComboDialog combo{host, contract};
};

bool ShowActive(QWidget& w) {
    w.show();
    return QTest::qWaitForWindowActive(&w);
}

constexpr std::uint64_t GiB = std::uint64_t(1) << 30;

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

QString Html(const std::string& cards, const std::string& marked) {
    QLabel label;
    MainWindow::ShowHandCards(&label, cards, marked);
    return label.text();
}

// The main window with the real engine and views.
struct Program {
    MainWindow window;
    Analysis analysis{window.AppHost()};
    EngineAnalysis engine{analysis};
    AnalysisViews views{window, analysis};
    Program() { window.SetAnalysis(&engine); }
    ~Program() { window.SetAnalysis(nullptr); }
    // Analyses a combination through the dialog; true once it has finished.
    bool Analyse(const char* north, const char* south, int west, std::optional<ContractGoal> goal) {
        test::WhenModal([=](QWidget* d) {
            static_cast<ComboDialog*>(d)->SetValues(north, south, "", 9, std::uint8_t(west), 13,
                                                    goal);
            static_cast<ComboDialog*>(d)->OKBtn()->click();
        });
        window.NewAction()->trigger();
        return QTest::qWaitFor([this] { return !window.Computing(); }, 60000);
    }
    // A click on the play panel away from its controls.
    void ClickPanel() {
        QGroupBox* box = window.PlayGroupBox();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() - 4));
    }
};

} // namespace

class TestWindows : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { test::QuietPlatformNotes(); }
    void analysisViews();
    void comboDialog();
    void contractAndTricksDialogs();
    void progressWindow();
    void messageBoxesAndHost();
    void planView();
    void tricksTableSortOrders();
};

void TestWindows::analysisViews() {
    MessageBoxRecorder boxes;
    Program p;
    MainWindow& w = p.window;
    QVERIFY(ShowActive(w));
    // Before any analysis there is nothing to play.
    p.ClickPanel();
    QCOMPARE(boxes.Texts(), QStringList{"please select a line of play"});
    boxes.Clear();

    // The views show what the report gives.
    QVERIFY(p.Analyse("AQJ4", "532", 13, std::nullopt));
    ResultsSummary r = SummarizeResults(p.analysis.GetHost(), p.analysis.GetLines());
    QCOMPARE(Diff(w.ResultListView(), ResultListTable(r)), QString());
    const TricksTableSource source = TricksTableSourceOf(p.analysis);
    ReportView* table = w.TricksTableListView();
    QCOMPARE(Diff(table, TricksTableView(TricksTableRows(source), source.LineNames)), QString());
    w.LineGoalTableAction()->trigger();
    w.PayoffTableAction()->trigger();
    QVERIFY(w.Table().isVisible() && w.PayoffWindow().isVisible());
    QCOMPARE(Diff(w.Table().ListView(), LineGoalTable(r)), QString());
    QCOMPARE(Diff(w.PayoffWindow().ListView(), PayoffTableView(r)), QString());
    // Ctrl+C copies the header and the selected rows, in the table's order,
    // tab-separated and trimmed.
    ReportView* list = w.ResultListView();
    list->setFocus();
    for (int row : {2, 0})
        list->selectionModel()->select(list->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(),
             QString("Goal\tSucc. prob.\tLine\n4\t17.7640%\tA\nmp-best\t\tA\n"));
    // A click on a header sorts the tricks table, a line column descending.
    QHeaderView* header = table->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(3) + 5, header->height() / 2));
    QCOMPARE(header->sortIndicatorSection(), 3);
    const int last = table->model()->rowCount() - 1;
    QVERIFY(table->model()->index(0, 3).data().toString() >
            table->model()->index(last, 3).data().toString());
    // Line A chosen with the keyboard: the play starts, its cards are marked.
    QCOMPARE(w.SelectLineComboBox()->count(), 2);
    QTest::keyClick(w.SelectLineComboBox(), Qt::Key_Down);
    QCOMPARE(w.SelectLineComboBox()->currentText(), QString("A"));
    QCOMPARE(w.focusWidget(), w.PlayEdit());
    PlayThrough& play = p.analysis.GetPlay();
    QCOMPARE(w.NorthHand()->text(), Html("AQJ4", play.LineCards()));
    // The caption in the default colour, the chosen line black, the other grey.
    const auto rowOf = [&](const char* caption) {
        const QModelIndex first = table->model()->index(0, 0);
        return table->model()->match(first, Qt::DisplayRole, caption, 1, Qt::MatchExactly)[0].row();
    };
    const int kt = rowOf("KT - xxxx"), ktx = rowOf("KTx - xxx");
    // The colour of each cell of a row: Default, Black or Grey.
    const auto colours = [&](int row) {
        QString c;
        for (int column = 0; column < 5; ++column) {
            const CellColour colour = p.views.TricksTableCellColour(row, column);
            c += colour == CellColour::Black ? 'B' : colour == CellColour::Grey ? 'G' : 'D';
        }
        return c;
    };
    QCOMPARE(colours(kt), QString("DBBBG"));
    // Line A leads low from South: the ace is refused; "x" is West's lowest card.
    // West played small: K T alone is ruled out, K T x is not.
    QLineEdit* edit = w.PlayEdit();
    QTest::keyClicks(edit, "A2x");
    QCOMPARE(Q(play.GetPlayString()), QString("26"));
    QCOMPARE(w.WestCardInTrickLabel()->text(), QString("6"));
    QCOMPARE(colours(kt), QString("GGGGG"));
    QCOMPARE(colours(ktx)[3], 'B');
    QTest::keyClicks(edit, "qx;;"); // a second ";" has nothing to close
    QCOMPARE(edit->text(), QString("26Q7;"));
    QCOMPARE(w.TricksLabel()->text(), QString("Tricks won\nNS: 1; EW: 0"));
    // Cards typed in a list go to the play; "x" is the list's own key there.
    table->setFocus();
    QTest::keyClick(table, 'x');
    QCOMPARE(w.focusWidget(), table);
    QTest::keyClick(table, '5');
    QCOMPARE(Q(play.GetPlayString()), QString("26Q7;5"));
    // The step buttons walk along the furthest play; Back reopens a trick.
    w.BeginButton()->click();
    QCOMPARE(edit->text(), QString(""));
    w.EndButton()->click();
    QCOMPARE(edit->text(), QString("26Q7;5"));
    w.BackButton()->click();
    w.BackButton()->click();
    QCOMPARE(Q(play.GetPlayString()), QString("26Q7"));
    // Line B plays the ace on the first round: the replay stops before the queen.
    QTest::keyClick(w.SelectLineComboBox(), Qt::Key_Down);
    QCOMPARE(edit->text(), QString("26"));
    QCOMPARE(w.NorthHand()->text(), Html("AQJ4", play.LineCards()));
    // Clicks on the panel: a reminder; a complete trick is closed; at the end,
    // with nothing left to mark, the play has finished.
    p.ClickPanel();
    QCOMPARE(boxes.Texts(),
             QStringList{"please use your keyboard to play one of the underlined cards"});
    QTest::keyClicks(edit, "ax");
    p.ClickPanel();
    QVERIFY(Q(play.GetPlayString()).endsWith(';'));
    for (std::string before; before != play.GetPlayString();) {
        before = play.GetPlayString();
        QTest::keyClicks(edit, play.CurrentTrickCards().size() == 4 ? ";" : "x");
        if (play.GetPlayString() == before) QTest::keyClicks(edit, "-");
    }
    QCOMPARE(play.CompletedTricks(), 4);
    p.ClickPanel();
    QCOMPARE(boxes.Texts().last(), QString("play has finished"));
    QVERIFY(!w.NorthHand()->text().contains("<u>"));
    // Another combination at IMPs: the table windows left open follow it.
    QVERIFY(p.Analyse("AQT", "432", 6, test::Goal(4, 4, 1)));
    r = SummarizeResults(p.analysis.GetHost(), p.analysis.GetLines());
    QVERIFY(r.Imps);
    QCOMPARE(w.PayoffWindow().windowTitle(), Q(PayoffTableView(r).Caption));
    QCOMPARE(Diff(w.PayoffWindow().ListView(), PayoffTableView(r)), QString());
    // Saved as JSON it is what the command-line tool prints.
    QTemporaryDir dir;
    QVERIFY(p.views.SaveResults(dir.filePath("r.json"), AnalysisViews::FileFormat::Json));
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
    p.views.PrintReport(&printer);
    QVERIFY(QFileInfo(dir.filePath("r.pdf")).size() > 1000);

    // The same at matchpoints. East's jack under the ace gives a trick away. The card is drawn
    // before the warning, and the keys typed while it is up are played after it.
    QVERIFY(p.Analyse("AQT", "432", 13, std::nullopt));
    w.SelectLineComboBox()->setCurrentIndex(0);
    emit w.SelectLineComboBox()->activated(0);
    QString warning, eastShown;
    MessageBoxes::SetTestHook([&](const ShownBox& box) {
        warning = box.text;
        eastShown = w.EastCardInTrickLabel()->text();
        QTest::keyClicks(edit, ";3x");
        return BoxAnswer::Ok;
    });
    QTest::keyClicks(edit, "2KAJ");
    MessageBoxes::SetTestHook(nullptr);
    QCOMPARE(warning, QString(DefenceWarningText));
    QCOMPARE(eastShown, QString("J"));
    QCOMPARE(Q(play.GetPlayString()), QString("2KAJ;35"));
}

void TestWindows::comboDialog() {
    MessageBoxRecorder boxes;
    Dialogs d;
    ComboDialog& c = d.combo;
    QVERIFY(ShowActive(c));
    QVERIFY(c.IsFolded());
    // Typed keys go through the typing filter; why a key was not taken shows
    // beside the field until the next key.
    QTest::keyClicks(c.NorthEdit(), "ak10x");
    QCOMPARE(c.NorthEdit()->text(), QString("AK102"));
    HoldingLineEdit* south = c.SouthEdit();
    south->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(south, "k");
    QCOMPARE(c.RefusedLabel(south)->text(), QString("K is in North's hand"));
    QTest::keyClicks(south, "j");
    QVERIFY(c.RefusedLabel(south)->text().isEmpty());

    // Discards go when the hand lets them go.
    c.SetValues("AK32", "QJ", "32", 0, 13, 13, std::nullopt);
    c.NorthEdit()->setFocus(Qt::TabFocusReason);
    for (int key = 0; key < 4; ++key) // the trailing blank, the 2, a blank and the 3
        QTest::keyClick(c.NorthEdit(), Qt::Key_Backspace);
    QVERIFY(!c.DiscardsCheckBox()->isChecked() && !c.DiscardsEdit()->isEnabled());
    // New hands come through whole, even when they swap cards with the old ones.
    c.SetValues("32", "AQ", "", 2, 13, 13, std::nullopt);
    c.SetValues("AQ", "32", "", 2, 13, 13, std::nullopt);
    QCOMPARE(c.SouthEdit()->text(), QString("3 2 "));

    // Values with options unfold the panel and reach the main window.
    const ContractGoal goal = test::Goal(4, 3, 1);
    c.SetValues("AQ42", "J53", "2J", 1, 6, 13, goal);
    QVERIFY(!c.IsFolded() && !c.LessBitBtn()->isEnabled());
    QCOMPARE(c.NorthPlaying(), Holding("AQ4"));
    QCOMPARE(c.SouthDiscards(), Holding("J"));
    QCOMPARE(c.EntriesCount(), std::uint8_t(1));
    QCOMPARE(c.VacantWest(), std::uint8_t(6));
    QVERIFY(c.ContractGoalOrNone() == goal);
    c.EntriesCheckBox()->setChecked(false); // no limit: as many as North plays
    QCOMPARE(c.EntriesCount(), std::uint8_t(3));
    c.IMPSCheckBox()->setChecked(false); // the goal is kept for when IMPs come back
    QVERIFY(!c.ContractGoalOrNone());
    c.IMPSCheckBox()->setChecked(true);
    QVERIFY(c.ContractGoalOrNone() == goal);

    // OK runs the shared checks: a failed one is an error box, with the focus
    // where the fault is.
    const struct {
        const char *north, *south, *discards;
        std::uint8_t east;
        std::optional<ContractGoal> goal;
        QWidget* focus;
    } faulty[] = {{"A", "K", "", 13, {}, c.NorthEdit()},
                  {"AKQ", "", "QK", 13, {}, c.DiscardsEdit()},
                  {"AKQJ", "432", "", 2, {}, c.WestEdit()},
                  {"AKQJ", "432", "", 13, test::Goal(1, 4, 8), c.ContractButton()}};
    for (const auto& f : faulty) {
        boxes.Clear();
        c.SetValues(f.north, f.south, f.discards, 0, 3, f.east, f.goal);
        c.SouthEdit()->setFocus(Qt::TabFocusReason);
        QVERIFY(!c.OKBtnClick());
        QCOMPARE(boxes.Shown().size(), std::size_t(1));
        QCOMPARE(boxes.Shown()[0].icon, BoxIcon::Error);
        QVERIFY2(f.focus->hasFocus(), f.north);
    }
    // A number out of range: a message on leaving the field, which gets the
    // focus back and keeps its last good value; Enter does not close the dialog.
    c.SetValues("AQ", "32", "", 1, 12, 12, std::nullopt);
    boxes.Clear();
    RangeSpinBox* entries = c.EntriesEdit();
    entries->setFocus(Qt::TabFocusReason);
    entries->selectAll();
    QTest::keyClicks(entries, "a");
    c.NorthEdit()->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(boxes.Texts(), QStringList{QString::fromStdString(RangeMessage(MaxEntriesValue))});
    QTRY_VERIFY(entries->hasFocus());
    QCOMPARE(c.EntriesCount(), std::uint8_t(1));
    c.EastEdit()->setFocus(Qt::TabFocusReason);
    c.EastEdit()->selectAll();
    QTest::keyClicks(c.EastEdit(), "99");
    QTest::keyClick(c.EastEdit(), Qt::Key_Return);
    QVERIFY(c.isVisible() && c.EastEdit()->hasFocus());
}

void TestWindows::contractAndTricksDialogs() {
    MessageBoxRecorder boxes;
    Dialogs d;
    ContractDialog& k = d.contract;
    k.SetGoal(test::Goal(3, 4, 2).Contract, 2, 4);
    QVERIFY(ShowActive(k));
    QVERIFY(k.TabButton(14)->hasFocus());
    // The arrow keys move through the grid, five strains a row, and stop at its edges.
    const struct {
        int from;
        Qt::Key key;
        int to;
    } moves[] = {{14, Qt::Key_Down, 19},  {19, Qt::Key_Left, 18}, {18, Qt::Key_Up, 13},
                 {13, Qt::Key_Right, 14}, {2, Qt::Key_Up, 2},     {34, Qt::Key_Right, 34},
                 {30, Qt::Key_Down, 30},  {34, Qt::Key_Down, 34}};
    for (const auto& m : moves) {
        k.SelectTab(m.from);
        k.TabButton(m.from)->setFocus();
        QTest::keyClick(k.TabButton(m.from), m.key);
        QCOMPARE(k.SelectedTab(), m.to);
        QVERIFY(k.TabButton(m.to)->hasFocus());
    }
    // Doubled and redoubled exclude each other.
    QTest::mouseClick(k.DoubledCheckBox(), Qt::LeftButton);
    QTest::mouseClick(k.RedoubledCheckBox(), Qt::LeftButton);
    QVERIFY(!k.DoubledCheckBox()->isChecked() && k.RedoubledCheckBox()->isChecked());
    QTest::mouseClick(k.DoubledCheckBox(), Qt::LeftButton);
    QVERIFY(k.DoubledCheckBox()->isChecked() && !k.RedoubledCheckBox()->isChecked());

    // Next asks for the tricks needed. A number that cannot fit draws a
    // warning; Cancel keeps the dialog, OK takes it.
    k.SelectTab(17); // four hearts
    int offered = -1;
    bool stayed = false;
    test::WhenModal([&](QWidget* w) {
        auto* t = static_cast<TricksNeededDialog*>(w);
        offered = t->Position();
        t->SetPosition(0); // 4H losing all four tricks of the suit
        t->OKBtn()->click();
        stayed = t->isVisible();
        t->SetPosition(3);
        t->OKBtn()->click();
        if (t->isVisible()) t->reject();
    });
    boxes.Answer(BoxAnswer::Cancel);
    QTest::mouseClick(k.NextBtn(), Qt::LeftButton);
    QCOMPARE(offered, 2);
    QVERIFY(stayed);
    QCOMPARE(boxes.Shown().size(), std::size_t(1));
    QCOMPARE(boxes.Shown()[0].buttons, BoxButtons::OkCancel);
    QCOMPARE(k.result(), int(QDialog::Accepted));
    ContractGoal goal = test::Goal(4, 2, 3);
    goal.Contract.Doubled = 1;
    QVERIFY(k.GetGoal() == goal);
    // The warnings at their edges: none needed fits 3NT with four tricks in the
    // suit (0 + 13 = 4 + 3 + 6); 1NT needs at most seven.
    QVERIFY(TricksNeededDialog::TricksWarning(0, 4, 3, "3NT").empty());
    QVERIFY(TricksNeededDialog::TricksWarning(0, 5, 3, "3NT").starts_with("Not enough tricks"));
    QVERIFY(TricksNeededDialog::TricksWarning(7, 8, 1, "1NT").empty());
    QVERIFY(TricksNeededDialog::TricksWarning(8, 8, 1, "1NT").starts_with("Too many tricks"));
}

void TestWindows::progressWindow() {
    MessageBoxRecorder boxes;
    QWidget parent;
    QVERIFY(ShowActive(parent));
    ProgressWindow w(&parent);
    std::uint64_t used = 0;
    w.SetMemoryReader([&used] { return used; });
    w.SetState(CalcState::Calculating);
    w.ShowOverParent();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QVERIFY(w.ElapsedLabel()->text().startsWith("Elapsed: 0:0"));
    // The memory warning above 1 G, then above each doubled threshold.
    const auto ticks = [&](std::uint64_t bytes, int n) {
        used = bytes;
        for (int tick = 0; tick < n; ++tick)
            w.Tick();
        return w.MemoryLabel()->text();
    };
    QCOMPARE(ticks(GiB, 1), QString());
    QCOMPARE(ticks(GiB + 1, 1), QString("using more than 1 G now."));
    QCOMPARE(ticks(5 * GiB, 3), QString("using more than 4 G now."));
    // Escape and the close button ask as Interrupt does: No carries on, Yes stops.
    boxes.Answer(BoxAnswer::No);
    QTest::keyClick(&w, Qt::Key_Escape);
    QCOMPARE(w.State(), CalcState::Calculating);
    QVERIFY(!w.close());
    QCOMPARE(w.State(), CalcState::Stopping);
    QCOMPARE(boxes.Texts(), QStringList(2, "Do you want to stop the computation?"));
    // The computation returns: the window goes; the next one warns from 1 G again.
    w.Finish();
    QVERIFY(!w.isVisible() && !w.Timer()->isActive());
    w.SetState(CalcState::Calculating);
    QVERIFY(w.MemoryLabel()->text().isEmpty());
    QCOMPARE(ticks(used, 1), QString("using more than 1 G now."));
    w.Finish();
    QVERIFY(ProgressWindow::ResidentMemoryBytes() > (std::uint64_t(1) << 20));
}

void TestWindows::messageBoxesAndHost() {
    MessageBoxRecorder boxes;
    QCOMPARE(MessageBoxes::DisplayText("a\r\nb\rc"), QString("a\nb\nc"));
    // The engine's messages through the host, with the program's title.
    QtHost host;
    host.ShowMessage(MessageKind::Warning, "w");
    QCOMPARE(boxes.Shown()[0].icon, BoxIcon::Warning);
    QCOMPARE(boxes.Shown()[0].caption, QString("Norvadex"));
    // A page that cannot be opened: the user is asked to open it.
    OpenWebPage(host, "file:///nonexistent-norvadex-folder/help/combo.htm");
    QVERIFY(boxes.Texts().last().contains("file:///nonexistent-norvadex-folder/help/combo.htm"));
    // Every page the program's Help commands and buttons open is there.
    for (const char* page : {"/", "/help/mainhelp.htm", "/contributions.htm", "/help/combo.htm",
                             "/help/contract.htm", "/help/tricksneeded.htm"}) {
        const QUrl url(QString::fromStdString(HelpPageAddress(page)));
        QVERIFY2(url.isLocalFile() && QFileInfo::exists(url.toLocalFile()), page);
    }
}

void TestWindows::planView() {
    SilentHost host;
    Analysis a(host);
    a.SetUpCombination("AQ10", "432", 3, "", 0, 0);
    a.SetTrickTable();
    QCOMPARE(a.ComputeOptimalLines(), ComputeEnd::Finished);
    PlanView view;
    view.SetLines(a);
    QVERIFY(view.toPlainText().isEmpty());
    // The words of the chosen line, with the step the play has reached highlighted.
    view.ShowLine(0);
    QVERIFY(view.toPlainText().startsWith("1. Lead low from South towards North's AQ10"));
    view.ShowPlay("");
    QCOMPARE(view.HighlightedStep(), 1);
    // Low from South and West, the 10 finessed, East's jack: step 2 goes on from there.
    view.ShowPlay("25TJ;");
    QCOMPARE(view.HighlightedStep(), 2);
    view.ShowPlay("2K"); // West's king: third hand's card is in step 1
    QCOMPARE(view.HighlightedStep(), 1);
}

void TestWindows::tricksTableSortOrders() {
    // Rows made by hand: the caption and line A's cell.
    const std::pair<const char*, const char*> rows[] = {
        {"Kx - Jxx", "3"}, {" - KJxxx", "?"}, {"KJxx - x", "10"}, {"xx - KJx", "9"},
        {"J - Kxxx", "3"}, {"Kxx - Jx", "2"}, {"KJxxx - ", "1"}};
    ReportTable table;
    table.Columns.resize(4);
    for (const auto& [caption, a] : rows)
        table.Rows.push_back({caption, " 1", " 1.00% ", a});
    ReportTableModel view;
    // Checks the model's signals and answers at every change.
    QAbstractItemModelTester tester(&view, QAbstractItemModelTester::FailureReportingMode::QtTest);
    view.SetTable(table);
    TricksTableSort sort; // as after a fill: column 0, cards only, descending
    sort.SortColumn = 0;
    // A row selected before the sorting stays selected wherever it goes.
    QItemSelectionModel selection(&view);
    selection.select(view.index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    // The column clicked and the rows' order after it, by their place above.
    // Column 0 cycles: West's length first, longest first (x below every card);
    // the cards only, lowest first; length, shortest first; the cards, highest
    // first. A line column: descending as text ("?" above the digits, "10" below
    // "9"), the next click reverses it; back on column 0 the cycle starts again.
    const std::pair<int, const char*> clicks[] = {{0, "6250341"}, {0, "1340526"}, {0, "1430526"},
                                                  {0, "6250431"}, {3, "1304526"}, {3, "6250431"},
                                                  {0, "6250431"}};
    for (const auto& [column, order] : clicks) {
        TricksTableColumnClick(sort, column);
        SortTricksTable(view, sort);
        for (int i = 0; i < view.rowCount(); ++i) {
            const std::size_t row = std::size_t(order[i] - '0');
            QCOMPARE(view.Cell(i, column),
                     QString(column == 0 ? rows[row].first : rows[row].second));
        }
    }
    QCOMPARE(selection.selectedRows().size(), 1);
    QCOMPARE(view.Cell(selection.selectedRows()[0].row(), 0), QString("KJxx - x"));
}

QTEST_MAIN(TestWindows)
#include "test_windows.moc"
