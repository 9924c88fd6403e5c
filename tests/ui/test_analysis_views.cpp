// The views of real analyses: the analysis flow with the engine, the results
// list, the tricks table, the two tables of the table window and the
// play-through panel.
#include "results/analysis.h"
#include "results/report.h"
#include "ui/analysis_views.h"
#include "ui/combo_dialog.h"
#include "ui/engine_analysis.h"
#include "ui/main_window.h"
#include "ui/message_boxes.h"
#include "ui/progress_window.h"
#include "ui/table_window.h"
#include "ui_test_util.h"

#include <QPushButton>

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

using namespace nvx;

namespace {

// The program as main() puts it together, with the message boxes recorded.
struct Program {
    MessageBoxRecorder boxes;
    MainWindow window;
    Analysis analysis{window.AppHost()};
    EngineAnalysis engine{analysis};
    AnalysisViews views{window, analysis};

    Program() {
        window.SetAnalysis(&engine);
        window.show();
    }
    ~Program() { window.SetAnalysis(nullptr); }

    // Runs the analysis flow with the dialog answered: OK with these values, or Cancel.
    void Analyse(const char* north, const char* south, bool ok = true,
                 std::optional<TContractGoal> goal = std::nullopt) {
        test::WhenModal([=](QWidget* w) {
            auto* combo = static_cast<ComboDialog*>(w);
            combo->SetValues(north, south, "", 9, 13, 13, goal);
            (ok ? combo->OKBtn() : combo->CancelBtn())->click();
            if (combo->isVisible()) combo->reject(); // a check failed: do not hang
        });
        window.GetCombo();
    }

    PlayThrough& play() { return analysis.play(); }
    QLineEdit* edit() const { return window.PlayRichEdit(); }
    QString played() { return QString::fromStdString(play().GetPlayString()); }
    void Type(const QString& keys) { QTest::keyClicks(edit(), keys); }
    void ChooseLine(int index) {
        window.SelectLineComboBox()->setCurrentIndex(index);
        emit window.SelectLineComboBox()->activated(index);
    }
    // A click on the play panel away from its controls.
    void ClickPanel() {
        QGroupBox* box = window.PlayGroupBox();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() - 4));
    }
};

QStringList Row(const QTreeWidget* view, int row) {
    QStringList cells;
    const QTreeWidgetItem* item = view->topLevelItem(row);
    for (int c = 0; c < view->columnCount(); ++c)
        cells << item->text(c);
    return cells;
}

QList<QStringList> Rows(const QTreeWidget* view) {
    QList<QStringList> rows;
    for (int i = 0; i < view->topLevelItemCount(); ++i)
        rows << Row(view, i);
    return rows;
}

QStringList Header(const QTreeWidget* view) {
    QStringList captions;
    for (int c = 0; c < view->columnCount(); ++c)
        captions << view->headerItem()->text(c);
    return captions;
}

// The row of the tricks table with this caption, -1 when there is none.
int RowOf(const QTreeWidget* table, const QString& caption) {
    for (int i = 0; i < table->topLevelItemCount(); ++i)
        if (table->topLevelItem(i)->text(0) == caption) return i;
    return -1;
}

QString Html(std::string_view cards, std::string_view marked) {
    QLabel label;
    MainWindow::ShowHandCards(&label, cards, marked);
    return label.text();
}

TContractGoal Goal(int level, int strain, int tricks) {
    TContractGoal g;
    g.Contract.Level = std::uint8_t(level);
    g.Contract.Strain = std::uint8_t(strain);
    g.TricksNeeded = std::uint8_t(tricks);
    return g;
}

} // namespace

class TestAnalysisViews : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { test::QuietPlatformNotes(); }
    void init() { p = std::make_unique<Program>(); }
    void cleanup() { p.reset(); }

    void analysisFillsTheViews();
    void cancelledDialogChangesNothing();
    void interruptAnsweredYesShowsNoResults();
    void resultsListWithMaxRow();
    void everyLineTakesTheSameTricks();
    void payoffTables();
    void tricksTableMergesLayoutsAndMarksDifferences();
    void headerClicksSortTheTable();
    void oneLineIsChosenAtOnce();
    void typingAPlay();
    void stepButtonsFollowTheFurthestPlay();
    void choosingAnotherLineReplaysThePlay();
    void rowsGreyOutAfterADefendersCard();
    void keysMoveFromTheListsToThePlay();
    void clicksOnThePanel();
    void defenceWarning();
    void copyOfSelectedRows();
    void keysTypedAfterADefenceWarningArePlayed();
    void savedJsonIsTheCliJson();

  private:
    std::unique_ptr<Program> p;
};

void TestAnalysisViews::analysisFillsTheViews() {
    p->Analyse("AQJ4", "532");
    MainWindow& w = p->window;
    QCOMPARE(w.ComboSummaryText(), QString("North: \tAQJ4\rSouth: \t532\r\r"));

    // Results: the goals from 4 down, then mp-best; A is also the line with the
    // most expected tricks, so there is no "max" row.
    QCOMPARE(Header(w.ResultListView()), QStringList({"Goal", "Succ. prob.", "Line"}));
    QCOMPARE(Rows(w.ResultListView()),
             QList<QStringList>(
                 {{"4", "   17.7640%", "A"}, {"3", "   68.9752%", "B"}, {"mp-best", "", "A"}}));
    QCOMPARE(w.ResultListView()->topLevelItem(0)->textAlignment(0) & Qt::AlignHorizontal_Mask,
             int(Qt::AlignRight));
    QCOMPARE(w.ResultListView()->topLevelItem(0)->textAlignment(2) & Qt::AlignHorizontal_Mask,
             int(Qt::AlignLeft));

    // The tricks table: 64 layouts of K T 9 8 7 6 in 20 rows, the 9 and below as x.
    QTreeWidget* table = w.TricksTableListView();
    QCOMPARE(Header(table), QStringList({"West-East", "# ", "prob.  ", "A", "B"}));
    QCOMPARE(table->topLevelItemCount(), 20);
    QCOMPARE(Row(table, 0), QStringList({"KTxxxx - ", " 1", " 0.75% ", "3", "3"}));
    QCOMPARE(Row(table, RowOf(table, "KTx - xxx")),
             QStringList({"KTx - xxx", " 4", " 7.11% ", "4", "3"}));
    QCOMPARE(Row(table, RowOf(table, "Kxx - Txx")),
             QStringList({"Kxx - Txx", " 6", "10.66% ", "4", "3"}));
    QCOMPARE(Row(table, 19), QStringList({" - KTxxxx", " 1", " 0.75% ", "2", "2"}));
    int layouts = 0;
    double percent = 0;
    for (int i = 0; i < table->topLevelItemCount(); ++i) {
        layouts += table->topLevelItem(i)->text(1).toInt();
        percent += table->topLevelItem(i)->text(2).trimmed().chopped(1).toDouble();
    }
    QCOMPARE(layouts, 64);
    QVERIFY(qAbs(percent - 100.0) < 0.1);
    // The line columns are narrow, but wide enough for their numbers.
    QVERIFY(table->columnWidth(3) >= 20);
    QVERIFY(table->columnWidth(3) <= std::max(20, table->header()->minimumSectionSize()));
    QCOMPARE(w.SortState().SortColumn, std::uint16_t(0));
    QVERIFY(w.SortState().SortByCardsOnly);

    // Two lines: none is chosen, the play waits for a choice.
    QComboBox* selector = w.SelectLineComboBox();
    QCOMPARE(selector->count(), 2);
    QCOMPARE(selector->itemText(0), QString("A"));
    QCOMPARE(selector->itemText(1), QString("B"));
    QVERIFY(selector->currentText().isEmpty());
    QVERIFY(!p->edit()->isEnabled());
    QCOMPARE(w.focusWidget(), selector);
    QVERIFY(w.NorthRichEdit()->text().isEmpty());
    // No line chosen: every cell black.
    for (int column = 0; column < 5; ++column)
        QCOMPARE(p->views.TricksTableCellColour(3, column), CellColour::Black);
    QVERIFY(p->boxes.Shown().empty());
}

void TestAnalysisViews::cancelledDialogChangesNothing() {
    p->Analyse("AQJ4", "532");
    const QList<QStringList> results = Rows(p->window.ResultListView());
    const QList<QStringList> rows = Rows(p->window.TricksTableListView());
    p->Analyse("KQ", "32", false);
    QCOMPARE(Rows(p->window.ResultListView()), results);
    QCOMPARE(Rows(p->window.TricksTableListView()), rows);
    QCOMPARE(p->analysis.engine().GetNorth().str(), std::string("AQJ4"));
    QCOMPARE(p->window.SelectLineComboBox()->count(), 2);
}

void TestAnalysisViews::interruptAnsweredYesShowsNoResults() {
    // The user presses Interrupt as soon as the computation runs, and confirms.
    p->boxes.Answer(BoxAnswer::Yes);
    MainWindow* w = &p->window;
    auto poll = std::make_shared<QTimer>();
    poll->setInterval(1);
    QObject::connect(poll.get(), &QTimer::timeout, [w, poll] {
        if (!w->Computing()) return;
        poll->stop();
        w->Progress().InterruptButtonClick();
    });
    poll->start();
    p->Analyse("AQJ4", "532");
    poll->stop();

    QCOMPARE(p->boxes.Texts(), QStringList{"Do you want to stop the computation?"});
    QCOMPARE(Header(w->ResultListView()), QStringList{"No results: computation cancelled"});
    QCOMPARE(w->ResultListView()->topLevelItemCount(), 0);
    QCOMPARE(w->TricksTableListView()->columnCount(), 0);
    QCOMPARE(w->TricksTableListView()->topLevelItemCount(), 0);
    QCOMPARE(w->SelectLineComboBox()->count(), 0);
    QVERIFY(w->NorthRichEdit()->text().isEmpty());
    QVERIFY(!w->Progress().isVisible());
    QVERIFY(w->centralWidget()->isEnabled());
    // The lines of the unfinished computation are not offered as results.
    QVERIFY2(p->analysis.StratCount() > 0, "the stopped computation left lines behind");
    p->views.FillStratGoalTable();
    QCOMPARE(w->Table().ListView()->topLevelItemCount(), 0);
    p->views.FillPayoffTable();
    QCOMPARE(w->PayoffWindow().ListView()->topLevelItemCount(), 0);
    QCOMPARE(Header(w->PayoffWindow().ListView()), QStringList{"Line"});

    // The next analysis runs to the end as usual.
    p->boxes.Clear();
    p->Analyse("AQJ4", "532");
    QCOMPARE(w->ResultListView()->topLevelItemCount(), 3);
    QCOMPARE(w->TricksTableListView()->topLevelItemCount(), 20);
    QVERIFY(p->boxes.Shown().empty());
    p->views.FillPayoffTable();
    QCOMPARE(w->PayoffWindow().ListView()->topLevelItemCount(), 2);
}

void TestAnalysisViews::resultsListWithMaxRow() {
    // Line C is best head to head, line A has the most expected tricks.
    p->Analyse("AKJ9", "432");
    const QTreeWidget* list = p->window.ResultListView();
    QCOMPARE(list->topLevelItemCount(), 4);
    QCOMPARE(Row(list, 2), QStringList({"mp-best", "", "C"}));
    QCOMPARE(Row(list, 3), QStringList({"max", "", "A"}));
    QCOMPARE(Row(list, 0)[0], QString("4"));
    QCOMPARE(Row(list, 1)[0], QString("3"));
}

void TestAnalysisViews::everyLineTakesTheSameTricks() {
    // A K Q take three tricks whatever the defenders hold.
    p->Analyse("AKQ", "32");
    QCOMPARE(Rows(p->window.ResultListView()),
             QList<QStringList>({{"3", "  100.0000%", "A"}, {"mp-best", "", "A"}}));
    // No trick possible: goal 0 is sure.
    p->Analyse("Q", "32");
    QCOMPARE(Row(p->window.ResultListView(), 0), QStringList({"0", "  100.0000%", "A"}));
    p->Analyse("AKQ", "32");

    p->views.FillStratGoalTable();
    TableWindow& t = p->window.Table();
    QCOMPARE(t.windowTitle(), QString("Strat x goal table"));
    QCOMPARE(Header(t.ListView()), QStringList({"Line", "P( tricks >= 3 )", " E( tricks )",
                                                "loses at matchpoints from"}));
    QCOMPARE(Rows(t.ListView()), QList<QStringList>({{"A", "  100.0000%", "    3.0000", ""}}));

    // One line: one row and one column of payoffs, the cell on the diagonal empty.
    p->views.FillPayoffTable();
    QCOMPARE(Header(p->window.PayoffWindow().ListView()), QStringList({"Line", "A"}));
    QCOMPARE(Rows(p->window.PayoffWindow().ListView()), QList<QStringList>({{"A", ""}}));
}

void TestAnalysisViews::payoffTables() {
    p->Analyse("AQJ4", "532");
    TableWindow& t = p->window.PayoffWindow();

    // The menu fills the payoff window and shows it, not modal, beside the main window.
    p->window.PayoffTableAction()->trigger();
    QVERIFY(t.isVisible());
    QVERIFY(!t.isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(t.windowTitle(),
             QString("Payoff table: expected percentage wins minus expected percentage loses"));
    QCOMPARE(Header(t.ListView()), QStringList({"Line", "A", "B"}));
    QCOMPARE(Rows(t.ListView()),
             QList<QStringList>({{"A", "", "   16.5528%"}, {"B", "  -16.5528%", ""}}));
    QCOMPARE(t.ListView()->columnWidth(1), 80);
    QVERIFY(t.ListView()->columnWidth(0) >=
            static_cast<QAbstractItemView*>(t.ListView())->sizeHintForColumn(0));

    p->window.StratGoalTableAction()->trigger();
    TableWindow& s = p->window.Table();
    QVERIFY(s.isVisible() && t.isVisible());
    QCOMPARE(Rows(s.ListView()),
             QList<QStringList>({{"A", "   17.7640%", "   67.7640%", "    2.8553", ""},
                                 {"B", "    0.0000%", "   68.9752%", "    2.6898", "A"}}));

    // At IMPs: plain numbers, opposite across the diagonal, and the IMP captions.
    p->Analyse("AQJ4", "532", true, Goal(3, 4, 3));
    QCOMPARE(
        Row(p->window.ResultListView(), p->window.ResultListView()->topLevelItemCount() - 1)[0],
        QString("imp-best"));
    // Both windows, still open, follow the new analysis.
    QCOMPARE(t.windowTitle(), QString("Payoff table: average imps per deal"));
    const int n = t.ListView()->topLevelItemCount();
    QVERIFY(n >= 2);
    for (int i = 0; i < n; ++i) {
        QVERIFY(t.ListView()->topLevelItem(i)->text(i + 1).isEmpty());
        for (int j = 0; j < n; ++j) {
            if (i == j) continue;
            const QString cell = t.ListView()->topLevelItem(i)->text(j + 1);
            QCOMPARE(cell.size(), 10);
            QVERIFY(!cell.contains('%'));
            QCOMPARE(cell.toDouble(), -t.ListView()->topLevelItem(j)->text(i + 1).toDouble());
        }
    }
    QCOMPARE(Header(s.ListView()).last(), QString("loses at imps from"));
    // They close with the main window.
    QVERIFY(p->window.close());
    QVERIFY(!s.isVisible() && !t.isVisible());
}

void TestAnalysisViews::tricksTableMergesLayoutsAndMarksDifferences() {
    // Defenders K Q 9 7 6 5 4: the 9 matters, so the rows name it.
    p->Analyse("AJ8", "T32");
    QTreeWidget* table = p->window.TricksTableListView();
    QCOMPARE(Row(table, 0)[0], QString("KQ9xxxx - "));
    QCOMPARE(table->topLevelItemCount(), 40);
    for (int i = 0; i < table->topLevelItemCount(); ++i)
        QVERIFY(table->topLevelItem(i)->text(3) != "?");

    // Shown with the 9 as a small card, layouts that differ for the line share
    // a row: its cell reads "?", and the counts still add up to 2^7 layouts.
    TricksTableSource source = TricksTableSourceOf(p->analysis);
    source.SmallCardLimit = '9';
    p->views.FillTricksTable(source);
    QCOMPARE(Row(table, 0)[0], QString("KQxxxxx - "));
    QCOMPARE(table->topLevelItemCount(), 24);
    int layouts = 0, unsure = 0;
    for (int i = 0; i < table->topLevelItemCount(); ++i) {
        layouts += table->topLevelItem(i)->text(1).toInt();
        if (table->topLevelItem(i)->text(3) == "?") ++unsure;
    }
    QCOMPARE(layouts, 128);
    QVERIFY(unsure > 0);
    // Sorted by the line column, the "?" rows come first.
    p->views.TricksTableListViewColumnClick(3);
    for (int i = 0; i < unsure; ++i)
        QCOMPARE(table->topLevelItem(i)->text(3), QString("?"));
}

void TestAnalysisViews::headerClicksSortTheTable() {
    p->Analyse("AQJ4", "532");
    QTreeWidget* table = p->window.TricksTableListView();
    QHeaderView* header = table->header();
    auto click = [&](int column) {
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    };
    // Column 0, first click: the longest West holdings first.
    click(0);
    QCOMPARE(table->topLevelItem(0)->text(0), QString("KTxxxx - "));
    QCOMPARE(table->topLevelItem(1)->text(0), QString("KTxxx - x"));
    QCOMPARE(table->topLevelItem(19)->text(0), QString(" - KTxxxx"));
    // Line A, descending as text: the 4s, then the 3s, then the 2s.
    click(3);
    QCOMPARE(table->topLevelItem(0)->text(3), QString("4"));
    QCOMPARE(table->topLevelItem(1)->text(3), QString("4"));
    QCOMPARE(table->topLevelItem(2)->text(3), QString("3"));
    QCOMPARE(table->topLevelItem(19)->text(3), QString("2"));
    click(3);
    QCOMPARE(table->topLevelItem(0)->text(3), QString("2"));
    // The probability column: the most likely row first.
    click(2);
    QCOMPARE(table->topLevelItem(0)->text(2), QString("10.66% "));
    QCOMPARE(table->topLevelItem(19)->text(2), QString(" 0.75% "));
}

void TestAnalysisViews::oneLineIsChosenAtOnce() {
    p->Analyse("KJT2", "A543");
    MainWindow& w = p->window;
    QCOMPARE(w.SelectLineComboBox()->currentText(), QString("A"));
    QVERIFY(p->edit()->isEnabled());
    QCOMPARE(w.focusWidget(), p->edit());
    const std::string leads = p->play().LineCards();
    QVERIFY(!leads.empty());
    QCOMPARE(w.NorthRichEdit()->text(), Html("KJT2", leads));
    QCOMPARE(w.SouthRichEdit()->text(), Html("A543", leads));
    QVERIFY(w.NorthRichEdit()->text().contains("<u>") || w.SouthRichEdit()->text().contains("<u>"));
    QVERIFY(w.EastRichEdit()->text().isEmpty());
    QCOMPARE(w.TricksLabel()->text(), QString("Tricks won\nNS: 0; EW: 0"));
    QVERIFY(!w.PBackSpeedButton()->isEnabled());
    QVERIFY(!w.PNextSpeedButton()->isEnabled());
}

void TestAnalysisViews::typingAPlay() {
    p->Analyse("AQJ4", "532");
    MainWindow& w = p->window;
    // Choosing with the keyboard enables the play.
    QTest::keyClick(w.SelectLineComboBox(), Qt::Key_Down);
    QCOMPARE(w.SelectLineComboBox()->currentText(), QString("A"));
    QVERIFY(p->edit()->isEnabled());
    QCOMPARE(w.focusWidget(), p->edit());
    QCOMPARE(QString::fromStdString(p->play().LineCards()), QString("532"));
    QCOMPARE(w.SouthRichEdit()->text(), Html("532", "532"));
    QCOMPARE(w.NorthRichEdit()->text(), Html("AQJ4", ""));

    // Line A does not lead the ace: typed, it vanishes.
    p->Type("A");
    QCOMPARE(p->edit()->text(), QString(""));
    QCOMPARE(p->played(), QString(""));
    // Lower case is fine; "x" gives West its lowest card.
    p->Type("2x");
    QCOMPARE(p->played(), QString("26"));
    QCOMPARE(p->edit()->text(), QString("26"));
    QCOMPARE(p->edit()->cursorPosition(), 2);
    QCOMPARE(w.WestCardInTrickLabel()->text(), QString("6"));
    QCOMPARE(w.SouthCardInTrickLabel()->text(), QString("2"));
    QCOMPARE(w.NorthRichEdit()->text(), Html("AQJ4", "QJ"));
    p->Type("qx");
    QCOMPARE(p->played(), QString("26Q7"));
    // After the fourth card nothing is marked until the trick is closed.
    QCOMPARE(w.NorthRichEdit()->text(), Html("AJ4", ""));
    QCOMPARE(w.SouthRichEdit()->text(), Html("53", ""));
    QCOMPARE(w.NorthCardInTrickLabel()->text(), QString("Q"));
    QCOMPARE(w.EastCardInTrickLabel()->text(), QString("7"));
    QCOMPARE(w.TricksLabel()->text(), QString("Tricks won\nNS: 1; EW: 0"));
    // ";" closes the trick; a second ";" has nothing to close and vanishes.
    p->Type(";;");
    QCOMPARE(p->played(), QString("26Q7;"));
    QCOMPARE(p->edit()->text(), QString("26Q7;"));
    QVERIFY(w.NorthCardInTrickLabel()->text().isEmpty());
    QCOMPARE(w.SouthRichEdit()->text(), Html("53", "53"));
    // Back after a closed trick only reopens it; Enter closes it again.
    w.PBackSpeedButton()->click();
    QCOMPARE(p->played(), QString("26Q7"));
    QTest::keyClick(p->edit(), Qt::Key_Return);
    QCOMPARE(p->played(), QString("26Q7;"));
    // A card typed after a complete trick closes it by itself.
    w.PBackSpeedButton()->click();
    p->Type("5");
    QCOMPARE(p->played(), QString("26Q7;5"));
    // Deleting text takes the cards back.
    QTest::keyClick(p->edit(), Qt::Key_Backspace);
    QTest::keyClick(p->edit(), Qt::Key_Backspace);
    QCOMPARE(p->played(), QString("26Q7"));
    QCOMPARE(p->edit()->text(), QString("26Q7"));
}

void TestAnalysisViews::stepButtonsFollowTheFurthestPlay() {
    p->Analyse("AQJ4", "532");
    MainWindow& w = p->window;
    p->ChooseLine(0);
    p->Type("2xqx;5");
    QCOMPARE(w.FurthestPlay(), std::string("26Q7;5"));
    QVERIFY(w.PBeginSpeedButton()->isEnabled());
    QCOMPARE(w.PBackSpeedButton()->toolTip(), QString("Take back one card"));
    QVERIFY(!w.PNextSpeedButton()->isEnabled());
    QVERIFY(w.PNextSpeedButton()->toolTip().isEmpty());

    w.PBackSpeedButton()->click();
    w.PBackSpeedButton()->click();
    QCOMPARE(p->played(), QString("26Q7"));
    QCOMPARE(p->edit()->text(), QString("26Q7"));
    QVERIFY(w.PNextSpeedButton()->isEnabled());
    QCOMPARE(w.PEndSpeedButton()->toolTip(), QString("Go to end of play"));
    w.PNextSpeedButton()->click();
    QCOMPARE(p->played(), QString("26Q7;"));
    w.PBeginSpeedButton()->click();
    QCOMPARE(p->played(), QString(""));
    QCOMPARE(p->edit()->text(), QString(""));
    QVERIFY(!w.PBackSpeedButton()->isEnabled());
    QVERIFY(w.PBackSpeedButton()->toolTip().isEmpty());
    w.PEndSpeedButton()->click();
    QCOMPARE(p->played(), QString("26Q7;5"));
    QVERIFY(!w.PEndSpeedButton()->isEnabled());

    // Leaving the furthest play starts a new one.
    w.PBackSpeedButton()->click();
    w.PBackSpeedButton()->click();
    p->Type("3");
    QCOMPARE(p->played(), QString("26Q7;3"));
    QCOMPARE(w.FurthestPlay(), std::string("26Q7;3"));
    QVERIFY(!w.PNextSpeedButton()->isEnabled());
}

void TestAnalysisViews::choosingAnotherLineReplaysThePlay() {
    p->Analyse("AQJ4", "532");
    MainWindow& w = p->window;
    p->ChooseLine(0);
    p->Type("2xqx;");
    QCOMPARE(p->played(), QString("26Q7;"));
    // Line B plays the ace on the second round: the replay stops before the queen.
    p->ChooseLine(1);
    QCOMPARE(w.SelectLineComboBox()->currentText(), QString("B"));
    QCOMPARE(p->played(), QString("26"));
    QCOMPARE(p->edit()->text(), QString("26"));
    QCOMPARE(w.FurthestPlay(), std::string("26"));
    QCOMPARE(QString::fromStdString(p->play().LineCards()), QString("A"));
    QCOMPARE(w.NorthRichEdit()->text(), Html("AQJ4", "A"));
    // Back to A: the edit holds only "26" now.
    p->ChooseLine(0);
    QCOMPARE(p->played(), QString("26"));
    QCOMPARE(QString::fromStdString(p->play().LineCards()), QString("QJ"));
}

void TestAnalysisViews::rowsGreyOutAfterADefendersCard() {
    p->Analyse("AQJ4", "532");
    QTreeWidget* table = p->window.TricksTableListView();
    const int kt = RowOf(table, "KT - xxxx");
    const int ktx = RowOf(table, "KTx - xxx");
    p->ChooseLine(0);
    // A line is chosen: the other line's column turns grey.
    QCOMPARE(p->views.TricksTableCellColour(kt, 0), CellColour::Default);
    QCOMPARE(p->views.TricksTableCellColour(kt, 3), CellColour::Black);
    QCOMPARE(p->views.TricksTableCellColour(kt, 4), CellColour::Grey);
    p->Type("2");
    QCOMPARE(p->views.TricksTableCellColour(kt, 1), CellColour::Black);
    // West plays a small card: West cannot have held only K T.
    p->Type("x");
    for (int column = 0; column < 5; ++column)
        QCOMPARE(p->views.TricksTableCellColour(kt, column), CellColour::Grey);
    QCOMPARE(p->views.TricksTableCellColour(ktx, 0), CellColour::Default);
    QCOMPARE(p->views.TricksTableCellColour(ktx, 1), CellColour::Black);
    QCOMPARE(p->views.TricksTableCellColour(ktx, 2), CellColour::Black);
    QCOMPARE(p->views.TricksTableCellColour(ktx, 3), CellColour::Black);
    QCOMPARE(p->views.TricksTableCellColour(ktx, 4), CellColour::Grey);
    // Taken back, the row is possible again.
    p->window.PBackSpeedButton()->click();
    QCOMPARE(p->views.TricksTableCellColour(kt, 1), CellColour::Black);
}

void TestAnalysisViews::keysMoveFromTheListsToThePlay() {
    p->Analyse("AQJ4", "532");
    MainWindow& w = p->window;
    p->ChooseLine(0);
    QTreeWidget* table = w.TricksTableListView();
    table->setFocus();
    QTest::keyClick(table, '2');
    QCOMPARE(w.focusWidget(), p->edit());
    QCOMPARE(p->played(), QString("2"));
    // "x" typed into a list is the list's own key.
    table->setFocus();
    QTest::keyClick(table, 'x');
    QCOMPARE(p->played(), QString("2"));
    QCOMPARE(w.focusWidget(), table);
    QTest::keyClicks(table, "7q");
    QCOMPARE(p->played(), QString("27Q"));
    w.ResultListView()->setFocus();
    QTest::keyClick(w.ResultListView(), '6');
    QCOMPARE(p->played(), QString("27Q6"));
    w.ResultListView()->setFocus();
    QTest::keyClick(w.ResultListView(), Qt::Key_Return);
    QCOMPARE(p->played(), QString("27Q6;"));
}

void TestAnalysisViews::clicksOnThePanel() {
    MainWindow& w = p->window;
    // Before any analysis there is nothing to play.
    p->ClickPanel();
    QCOMPARE(p->boxes.Texts(), QStringList{"please select a line of play"});
    p->boxes.Clear();

    p->Analyse("AQJ4", "532");
    // No line chosen yet.
    p->ClickPanel();
    QCOMPARE(p->boxes.Texts(), QStringList{"please select a line of play"});
    QCOMPARE(w.focusWidget(), w.SelectLineComboBox());

    p->ChooseLine(0);
    p->boxes.Clear();
    p->ClickPanel();
    QCOMPARE(p->boxes.Texts(),
             QStringList{"please use your keyboard to play one of the underlined cards"});
    QCOMPARE(p->boxes.Shown().front().caption, QString("Norvadex"));
    QCOMPARE(p->boxes.Shown().front().buttons, BoxButtons::Ok);
    QCOMPARE(w.focusWidget(), p->edit());
    // A complete trick: the click closes it, without a message.
    p->Type("2xqx");
    p->boxes.Clear();
    p->ClickPanel();
    QCOMPARE(p->played(), QString("26Q7;"));
    QVERIFY(p->boxes.Shown().empty());
    // Played to the end (small cards, show-outs, tricks closed): nothing is
    // marked and the click says so.
    for (int i = 0; i < 60; ++i) {
        const QString before = p->played();
        if (p->play().CurrentTrickCards().size() == 4) {
            p->Type(";");
            continue;
        }
        p->Type("x");
        if (p->played() == before) p->Type("-");
        if (p->played() == before) break;
    }
    QCOMPARE(p->play().CompletedTricks(), 4);
    QVERIFY(p->play().CurrentTrickCards().empty());
    QVERIFY(!w.NorthRichEdit()->text().contains("<u>"));
    QVERIFY(!w.SouthRichEdit()->text().contains("<u>"));
    p->boxes.Clear();
    p->ClickPanel();
    QCOMPARE(p->boxes.Texts(), QStringList{"play has finished"});
}

void TestAnalysisViews::defenceWarning() {
    // A J 9 opposite 4 3 2: one line, chosen at once. West's king is covered by
    // the ace and East drops the queen: the defence has given a trick away.
    p->Analyse("AJ9", "432");
    QVERIFY(p->edit()->isEnabled());
    p->Type("2Kx");
    QCOMPARE(p->played(), QString("2KA"));
    QVERIFY(p->boxes.Shown().empty());
    p->Type("Q");
    QCOMPARE(p->played(), QString("2KAQ"));
    QCOMPARE(p->boxes.Texts(), QStringList{QString(DefenceWarningText)});
    QCOMPARE(p->boxes.Shown().front().icon, BoxIcon::Warning);
    QVERIFY(p->boxes.Texts().front().startsWith("Defense not optimal."));
    // The panel shows the position after the card all the same.
    QCOMPARE(p->window.EastCardInTrickLabel()->text(), QString("Q"));
}

void TestAnalysisViews::copyOfSelectedRows() {
    p->Analyse("AQJ4", "532");
    QTreeWidget* list = p->window.ResultListView();
    p->window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&p->window));
    list->setFocus();
    list->topLevelItem(0)->setSelected(true);
    list->topLevelItem(2)->setSelected(true);
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(),
             QString("Goal\tSucc. prob.\tLine\n4\t17.7640%\tA\nmp-best\t\tA\n"));
    QVERIFY(p->played().isEmpty()); // no card played by the keys

    // Select all and copy from the context menu of a table window.
    p->window.PayoffTableAction()->trigger();
    QTreeWidget* payoff = p->window.PayoffWindow().ListView();
    const QList<QAction*> menu = payoff->actions();
    QCOMPARE(menu.size(), 2);
    QCOMPARE(menu[0]->text(), QString("&Copy"));
    menu[1]->trigger();
    menu[0]->trigger();
    QCOMPARE(QApplication::clipboard()->text(),
             QString("Line\tA\tB\nA\t\t16.5528%\nB\t-16.5528%\t\n"));
}

void TestAnalysisViews::keysTypedAfterADefenceWarningArePlayed() {
    // A Q 10 opposite 4 3 2, line A: East's jack under the ace gives a trick
    // away. The user types on while the warning is up; the box keeps nothing.
    p->Analyse("AQ10", "432");
    if (p->window.SelectLineComboBox()->currentIndex() != 0) p->ChooseLine(0);
    QString eastCardShown;
    MessageBoxes::SetTestHook([&](const ShownBox&) {
        eastCardShown = p->window.EastCardInTrickLabel()->text();
        QTest::keyClicks(p->edit(), ";3x");
        return BoxAnswer::Ok;
    });
    p->Type("2KAJ");
    MessageBoxes::SetTestHook({});
    QCOMPARE(eastCardShown, QString("J")); // drawn before the warning
    QCOMPARE(p->played(), QString("2KAJ;35"));
}

void TestAnalysisViews::savedJsonIsTheCliJson() {
    p->Analyse("AQ10", "432", true, Goal(3, 4, 2));
    QTemporaryDir dir;
    const QString path = dir.filePath("r.json");
    QVERIFY(p->views.SaveResults(path, AnalysisViews::FileFormat::Json));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QJsonObject saved = QJsonDocument::fromJson(file.readAll()).object();

    QProcess cli;
    cli.start(NORVADEX_CLI_PATH,
              {"--json", "AQ10", "432", "--imps", "3NT", "--tricks-needed", "2"});
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
    QVERIFY(p->views.ReportHtml().contains("Strat x goal table"));
    p->views.PrintReport(&printer);
    QVERIFY(QFileInfo(dir.filePath("r.pdf")).size() > 1000);
}

QTEST_MAIN(TestAnalysisViews)
#include "test_analysis_views.moc"
