// The tricks table's sort order and font colours, on rows made by hand.
#include "ui/tricks_table.h"
#include "ui_test_util.h"

#include <QTreeWidget>
#include <QtTest>

using namespace nvx;

namespace {

// A table with the three fixed columns and one line column "A"; each row is
// its caption and its cell for line A.
struct Table {
    QTreeWidget view;
    TricksTableSort sort; // as after a fill: column 0, cards only, descending

    explicit Table(const std::vector<std::pair<QString, QString>>& rows) {
        view.setColumnCount(4);
        view.setHeaderLabels({"West-East", "# ", "prob.  ", "A"});
        for (const auto& [caption, a] : rows)
            view.addTopLevelItem(new QTreeWidgetItem(QStringList{caption, " 1", " 1.00% ", a}));
        sort.SortColumn = 0;
        sort.SortSign = 1;
        sort.SortByCardsOnly = true;
    }
    void Click(int column) {
        TricksTableColumnClick(sort, column);
        SortTricksTable(&view, sort);
    }
    QStringList Column(int c) const {
        QStringList texts;
        for (int i = 0; i < view.topLevelItemCount(); ++i)
            texts << view.topLevelItem(i)->text(c);
        return texts;
    }
};

} // namespace

class TestTricksTable : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { test::QuietPlatformNotes(); }

    void captionParts() {
        QCOMPARE(CaptionWest("KJx - Qxx"), std::string("KJx"));
        QCOMPARE(CaptionEast("KJx - Qxx"), std::string("Qxx"));
        QCOMPARE(CaptionWest(" - Tx"), std::string(""));
        QCOMPARE(CaptionEast(" - Tx"), std::string("Tx"));
        QCOMPARE(CaptionWest("AQJxx - "), std::string("AQJxx"));
        QCOMPARE(CaptionEast("AQJxx - "), std::string(""));
        QCOMPARE(CaptionWest(" - "), std::string(""));
        QCOMPARE(CaptionEast(" - "), std::string(""));
    }

    void columnZeroCyclesThroughFourOrders() {
        Table t({{"Kx - Jxx", "1"},
                 {" - KJxxx", "1"},
                 {"KJxx - x", "1"},
                 {"xx - KJx", "1"},
                 {"J - Kxxx", "1"},
                 {"Kxx - Jx", "1"},
                 {"KJxxx - ", "1"}});
        // First click after a fill: West's length first, longest first; equal
        // lengths by the cards, higher first; x ranks below every card.
        t.Click(0);
        QCOMPARE(t.sort.SortColumn, std::uint16_t(0));
        QVERIFY(!t.sort.SortByCardsOnly);
        QCOMPARE(t.sort.SortSign, 1);
        QCOMPARE(t.Column(0), QStringList({"KJxxx - ", "KJxx - x", "Kxx - Jx", "Kx - Jxx",
                                           "xx - KJx", "J - Kxxx", " - KJxxx"}));
        // Second: the cards only, lower cards first (an empty West first of all).
        t.Click(0);
        QVERIFY(t.sort.SortByCardsOnly);
        QCOMPARE(t.sort.SortSign, -1);
        QCOMPARE(t.Column(0), QStringList({" - KJxxx", "xx - KJx", "J - Kxxx", "Kx - Jxx",
                                           "Kxx - Jx", "KJxx - x", "KJxxx - "}));
        // Third: length first, shortest first.
        t.Click(0);
        QVERIFY(!t.sort.SortByCardsOnly);
        QCOMPARE(t.sort.SortSign, -1);
        QCOMPARE(t.Column(0), QStringList({" - KJxxx", "J - Kxxx", "xx - KJx", "Kx - Jxx",
                                           "Kxx - Jx", "KJxx - x", "KJxxx - "}));
        // Fourth: the cards only, higher cards first; then the cycle starts again.
        t.Click(0);
        QVERIFY(t.sort.SortByCardsOnly);
        QCOMPARE(t.sort.SortSign, 1);
        QCOMPARE(t.Column(0), QStringList({"KJxxx - ", "KJxx - x", "Kxx - Jx", "Kx - Jxx",
                                           "J - Kxxx", "xx - KJx", " - KJxxx"}));
        t.Click(0);
        QVERIFY(!t.sort.SortByCardsOnly);
        QCOMPARE(t.sort.SortSign, 1);
    }

    void lineColumnSortsByText() {
        Table t({{"K - x", "3"},
                 {"x - K", "?"},
                 {"Kx - ", "10"},
                 {" - Kx", "9"},
                 {"KQ - ", "3"},
                 {"Q - K", "2"}});
        // Descending text: "?" above every digit, "10" below "9" and "2"; equal
        // cells keep their order.
        t.Click(3);
        QCOMPARE(t.sort.SortColumn, std::uint16_t(3));
        QCOMPARE(t.sort.SortSign, 1);
        QCOMPARE(t.Column(3), QStringList({"?", "9", "3", "3", "2", "10"}));
        QCOMPARE(t.Column(0).mid(2, 2), QStringList({"K - x", "KQ - "}));
        // The same column again reverses the order.
        t.Click(3);
        QCOMPARE(t.sort.SortSign, -1);
        QCOMPARE(t.Column(3), QStringList({"10", "2", "3", "3", "9", "?"}));
        // Another column starts descending again; back to column 0 starts the cycle anew.
        t.Click(1);
        QCOMPARE(t.sort.SortColumn, std::uint16_t(1));
        QCOMPARE(t.sort.SortSign, 1);
        t.Click(0);
        QCOMPARE(t.sort.SortColumn, std::uint16_t(0));
        QVERIFY(t.sort.SortByCardsOnly);
        QCOMPARE(t.sort.SortSign, 1);
        QCOMPARE(t.Column(0), QStringList({"KQ - ", "Kx - ", "K - x", "Q - K", "x - K", " - Kx"}));
    }

    void numericColumnsSortInNumberOrder() {
        // The fixed-width formats make text order agree with number order below 100.
        Table t({{"a", "1"}, {"b", "1"}, {"c", "1"}});
        const QStringList probs{" 3.50% ", "12.25% ", " 0.75% "};
        for (int i = 0; i < 3; ++i)
            t.view.topLevelItem(i)->setText(2, probs[i]);
        t.Click(2);
        QCOMPARE(t.Column(2), QStringList({"12.25% ", " 3.50% ", " 0.75% "}));
    }

    void colours() {
        const auto grey = CellColour::Grey;
        const auto black = CellColour::Black;
        // No line chosen: every cell black, possible or not.
        for (int column : {0, 1, 2, 3, 4}) {
            QCOMPARE(TricksTableCellColour(column, false, true, false), black);
            QCOMPARE(TricksTableCellColour(column, false, false, false), black);
        }
        // A row the play has ruled out: grey throughout.
        for (int column : {0, 1, 2, 3, 4})
            QCOMPARE(TricksTableCellColour(column, true, false, column == 3), grey);
        // A possible row: the caption in the default colour, count and
        // probability black, the chosen line black and the other lines grey.
        QCOMPARE(TricksTableCellColour(0, true, true, false), CellColour::Default);
        QCOMPARE(TricksTableCellColour(1, true, true, false), black);
        QCOMPARE(TricksTableCellColour(2, true, true, false), black);
        QCOMPARE(TricksTableCellColour(3, true, true, true), black);
        QCOMPARE(TricksTableCellColour(4, true, true, false), grey);
        QCOMPARE(CellColourValue(grey), QColor(128, 128, 128));
        QCOMPARE(CellColourValue(black), QColor(0, 0, 0));
        QVERIFY(!CellColourValue(CellColour::Default).isValid());
    }
};

QTEST_MAIN(TestTricksTable)
#include "test_tricks_table.moc"
