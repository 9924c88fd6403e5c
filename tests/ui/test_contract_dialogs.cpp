// The contract dialog and the tricks-needed dialog behind its Next button.
#include "ui/contract_dialog.h"
#include "ui/message_boxes.h"
#include "ui/qt_host.h"
#include "ui/range_spin_box.h"
#include "ui/tricks_needed_dialog.h"
#include "ui_test_util.h"

#include <QCheckBox>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace nvx;

namespace {

struct Dialogs {
    QtHost host;
    TricksNeededDialog tricks{host};
    ContractDialog contract{host, tricks};
};

TContract Contract(int level, int strain) {
    TContract c;
    c.Level = std::uint8_t(level);
    c.Strain = std::uint8_t(strain);
    return c;
}

} // namespace

class TestContractDialogs : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { test::QuietPlatformNotes(); }
    void init();
    void cleanup();

    void tabNumbering();
    void tabsAreInTabOrderAndExclusive();
    void arrowKeysMoveThroughTheGrid();
    void doubledAndRedoubledExcludeEachOther();
    void nextStoresTheChoiceAndTheTricksNeeded();
    void cancellingTheTricksDialogKeepsTheContractDialogOpen();
    void cancelLeavesTheGoal();

    void tricksWarningTexts();
    void tricksWarningAnsweredOkClosesCancelStays();
    void tricksNeededRangeMessage();

  private:
    Dialogs* d = nullptr;
    MessageBoxRecorder* boxes = nullptr;
};

void TestContractDialogs::init() {
    boxes = new MessageBoxRecorder;
    d = new Dialogs;
}

void TestContractDialogs::cleanup() {
    delete d;
    delete boxes;
}

void TestContractDialogs::tabNumbering() {
    QCOMPARE(ContractDialog::TabIndex(1, 0), 0);  // one club
    QCOMPARE(ContractDialog::TabIndex(1, 4), 4);  // one notrump
    QCOMPARE(ContractDialog::TabIndex(2, 0), 5);  // two clubs
    QCOMPARE(ContractDialog::TabIndex(7, 4), 34); // seven notrump
    for (int tab = 0; tab < ContractDialog::TabCount; ++tab) {
        const int level = ContractDialog::TabLevel(tab), strain = ContractDialog::TabStrain(tab);
        QVERIFY(level >= 1 && level <= 7 && strain >= 0 && strain <= 4);
        QCOMPARE(ContractDialog::TabIndex(level, strain), tab);
        // Each picture says which contract it is.
        QCOMPARE(d->contract.TabButton(tab)->toolTip(),
                 QString::fromStdString(ContractName(std::uint8_t(level), std::uint8_t(strain))));
    }
    d->contract.SetGoal(Contract(3, 4), 2, 4);
    QCOMPARE(d->contract.SelectedTab(), 14);
    d->contract.SetGoal(Contract(1, 0), 2, 4);
    QCOMPARE(d->contract.SelectedTab(), 0);
    d->contract.SetGoal(Contract(7, 4), 2, 4);
    QCOMPARE(d->contract.SelectedTab(), 34);
}

void TestContractDialogs::tabsAreInTabOrderAndExclusive() {
    for (int tab = 0; tab + 1 < ContractDialog::TabCount; ++tab)
        QCOMPARE(d->contract.TabButton(tab)->nextInFocusChain(), d->contract.TabButton(tab + 1));
    QCOMPARE(d->contract.TabButton(34)->nextInFocusChain(), d->contract.DoubledCheckBox());

    d->contract.SetGoal(Contract(3, 4), 2, 4);
    QTest::mouseClick(d->contract.TabButton(17), Qt::LeftButton);
    QCOMPARE(d->contract.SelectedTab(), 17);
    int checked = 0;
    for (int tab = 0; tab < ContractDialog::TabCount; ++tab)
        checked += d->contract.TabButton(tab)->isChecked() ? 1 : 0;
    QCOMPARE(checked, 1);
    // Clicking the chosen picture again keeps it chosen.
    QTest::mouseClick(d->contract.TabButton(17), Qt::LeftButton);
    QCOMPARE(d->contract.SelectedTab(), 17);
}

void TestContractDialogs::arrowKeysMoveThroughTheGrid() {
    d->contract.SetGoal(Contract(3, 4), 2, 4);
    d->contract.show();
    QVERIFY(QTest::qWaitForWindowActive(&d->contract));
    QVERIFY(d->contract.TabButton(14)->hasFocus());
    QTest::keyClick(d->contract.TabButton(14), Qt::Key_Down);
    QCOMPARE(d->contract.SelectedTab(), 19);
    QVERIFY(d->contract.TabButton(19)->hasFocus());
    QTest::keyClick(d->contract.TabButton(19), Qt::Key_Left);
    QCOMPARE(d->contract.SelectedTab(), 18);
    QTest::keyClick(d->contract.TabButton(18), Qt::Key_Up);
    QCOMPARE(d->contract.SelectedTab(), 13);
    d->contract.SelectTab(2);
    QTest::keyClick(d->contract.TabButton(2), Qt::Key_Up); // nothing above the first row
    QCOMPARE(d->contract.SelectedTab(), 2);
    d->contract.SelectTab(34);
    QTest::keyClick(d->contract.TabButton(34), Qt::Key_Right); // nothing after the last
    QCOMPARE(d->contract.SelectedTab(), 34);
    d->contract.SelectTab(30);
    QTest::keyClick(d->contract.TabButton(30), Qt::Key_Down); // nothing below the last row
    QCOMPARE(d->contract.SelectedTab(), 30);
}

void TestContractDialogs::doubledAndRedoubledExcludeEachOther() {
    QCheckBox* doubled = d->contract.DoubledCheckBox();
    QCheckBox* redoubled = d->contract.RedoubledCheckBox();
    QTest::mouseClick(doubled, Qt::LeftButton);
    QVERIFY(doubled->isChecked() && !redoubled->isChecked());
    QTest::mouseClick(redoubled, Qt::LeftButton);
    QVERIFY(!doubled->isChecked() && redoubled->isChecked());
    QTest::mouseClick(doubled, Qt::LeftButton);
    QVERIFY(doubled->isChecked() && !redoubled->isChecked());
    QTest::mouseClick(doubled, Qt::LeftButton); // both may be off
    QVERIFY(!doubled->isChecked() && !redoubled->isChecked());

    // A record with both set shows it redoubled, as its text does.
    TContract c = Contract(4, 3);
    c.Doubled = 1;
    c.Redoubled = 1;
    c.Vulnerable = 1;
    d->contract.SetGoal(c, 2, 4);
    QVERIFY(!doubled->isChecked() && redoubled->isChecked());
    QVERIFY(d->contract.VulnerableCheckBox()->isChecked());
}

void TestContractDialogs::nextStoresTheChoiceAndTheTricksNeeded() {
    d->contract.SetGoal(Contract(3, 4), 2, 4);
    d->contract.show();
    QVERIFY(QTest::qWaitForWindowActive(&d->contract));
    d->contract.SelectTab(17);
    QTest::mouseClick(d->contract.DoubledCheckBox(), Qt::LeftButton);
    QTest::mouseClick(d->contract.VulnerableCheckBox(), Qt::LeftButton);
    int offered = -1;
    bool focused = false, stayedAfterCancel = false;
    test::WhenModal([&](QWidget* w) {
        auto* tricks = static_cast<TricksNeededDialog*>(w);
        offered = tricks->Position();
        focused = tricks->TricksNeededEdit()->hasFocus();
        tricks->SetPosition(0);
        // 4H with 4 tricks in the suit and none needed: 0 + 13 < 4 + 4 + 6.
        tricks->OKBtn()->click();
        stayedAfterCancel = tricks->isVisible(); // the warning was answered with Cancel
        tricks->SetPosition(3);
        tricks->OKBtn()->click();
    });
    boxes->Answer(BoxAnswer::Cancel);
    QTest::mouseClick(d->contract.NextBtn(), Qt::LeftButton);
    QCOMPARE(offered, 2);
    QVERIFY(focused);
    QVERIFY(stayedAfterCancel);
    QCOMPARE(boxes->Texts(),
             QStringList{
                 "Not enough tricks specified.\r\nPress OK to ignore this message.\r\n\r\n4 tricks "
                 "will be played in the suit.\r\nso winning 0 tricks in the suit\r\nmeans losing 4 "
                 "tricks. \r\nSo 4H will not make."});
    QVERIFY(!d->contract.isVisible());
    QCOMPARE(d->contract.result(), int(QDialog::Accepted));
    const TContractGoal goal = d->contract.GetGoal();
    QCOMPARE(int(goal.Contract.Level), 4);
    QCOMPARE(int(goal.Contract.Strain), 2);
    QCOMPARE(int(goal.Contract.Doubled), 1);
    QCOMPARE(int(goal.Contract.Redoubled), 0);
    QCOMPARE(int(goal.Contract.Vulnerable), 1);
    QCOMPARE(int(goal.TricksNeeded), 3);
}

void TestContractDialogs::cancellingTheTricksDialogKeepsTheContractDialogOpen() {
    d->contract.SetGoal(Contract(3, 4), 2, 4);
    d->contract.show();
    QVERIFY(QTest::qWaitForWindowActive(&d->contract));
    d->contract.SelectTab(30); // seven clubs
    test::WhenModal([](QWidget* w) {
        auto* tricks = static_cast<TricksNeededDialog*>(w);
        tricks->SetPosition(9);
        tricks->CancelBtn()->click();
    });
    QVERIFY(!d->contract.NextBtnClick());
    QVERIFY(d->contract.isVisible());
    // The choice stays for the next try, the tricks needed stay as before.
    QCOMPARE(d->contract.SelectedTab(), 30);
    QCOMPARE(int(d->contract.GetGoal().Contract.Level), 7);
    QCOMPARE(int(d->contract.GetGoal().TricksNeeded), 2);
    int offered = -1;
    test::WhenModal([&offered](QWidget* w) {
        auto* tricks = static_cast<TricksNeededDialog*>(w);
        offered = tricks->Position();
        tricks->OKBtn()->click();
    });
    QVERIFY(d->contract.NextBtnClick());
    QCOMPARE(offered, 2);
}

void TestContractDialogs::cancelLeavesTheGoal() {
    d->contract.SetGoal(Contract(2, 1), 5, 6);
    d->contract.show();
    QVERIFY(QTest::qWaitForWindowActive(&d->contract));
    d->contract.SelectTab(33);
    QTest::mouseClick(d->contract.CancelBtn(), Qt::LeftButton);
    QCOMPARE(d->contract.result(), int(QDialog::Rejected));
    QCOMPARE(int(d->contract.GetGoal().Contract.Level), 2);
    QCOMPARE(int(d->contract.GetGoal().Contract.Strain), 1);
    QCOMPARE(int(d->contract.GetGoal().TricksNeeded), 5);
}

void TestContractDialogs::tricksWarningTexts() {
    // 3NT with four tricks in the suit: none needed still fits (0 + 13 is not below 13).
    QCOMPARE(TricksNeededDialog::TricksWarning(0, 4, 3, "3NT"), std::string());
    QCOMPARE(TricksNeededDialog::TricksWarning(0, 5, 3, "3NT"),
             std::string(
                 "Not enough tricks specified.\r\nPress OK to ignore this message.\r\n\r\n5 tricks "
                 "will be played in the suit.\r\nso winning 0 tricks in the suit\r\nmeans losing 5 "
                 "tricks. \r\nSo 3NT will not make."));
    QCOMPARE(
        TricksNeededDialog::TricksWarning(8, 8, 1, "1NT"),
        std::string(
            "Too many tricks specified.\r\nPress OK to ignore this message.\r\n\r\n8 tricks is "
            "too much\r\nwhen the contract is 1NT."));
    QCOMPARE(TricksNeededDialog::TricksWarning(7, 8, 1, "1NT"), std::string());
    QCOMPARE(TricksNeededDialog::TricksWarning(13, 13, 7, "7NT"), std::string());
}

void TestContractDialogs::tricksWarningAnsweredOkClosesCancelStays() {
    TricksNeededDialog& t = d->tricks;
    t.SetLevel(1);
    t.SetContractName("1NT");
    t.SetTricksInSuit(8);
    t.SetPosition(8);
    t.show();
    QVERIFY(QTest::qWaitForWindowActive(&t));
    boxes->Answer(BoxAnswer::Cancel);
    QVERIFY(!t.OKBtnClick());
    QVERIFY(t.isVisible());
    QCOMPARE(boxes->Shown().size(), std::size_t(1));
    QCOMPARE(boxes->Shown()[0].icon, BoxIcon::Warning);
    QCOMPARE(boxes->Shown()[0].buttons, BoxButtons::OkCancel);
    QVERIFY(boxes->Shown()[0].text.startsWith("Too many tricks specified."));
    QVERIFY(t.TricksNeededEdit()->hasFocus()); // the focus stays where it was

    boxes->Answer(BoxAnswer::Ok);
    QVERIFY(t.OKBtnClick());
    QVERIFY(!t.isVisible());
    QCOMPARE(t.result(), int(QDialog::Accepted));
    QCOMPARE(t.Position(), 8);

    // A number that fits closes without a word.
    boxes->Clear();
    t.SetPosition(7);
    t.show();
    QVERIFY(t.OKBtnClick());
    QVERIFY(boxes->Shown().empty());
}

void TestContractDialogs::tricksNeededRangeMessage() {
    TricksNeededDialog& t = d->tricks;
    t.SetPosition(2);
    t.show();
    QVERIFY(QTest::qWaitForWindowActive(&t));
    RangeSpinBox* edit = t.TricksNeededEdit();
    QVERIFY(edit->hasFocus());
    for (const char* typed : {"14", "a"}) {
        boxes->Clear();
        edit->selectAll();
        QTest::keyClicks(edit, typed);
        QTest::keyClick(edit, Qt::Key_Tab);
        QTRY_COMPARE(boxes->Texts(),
                     QStringList{"Value must be integer number in the range 0 to 13"});
        QTRY_VERIFY(edit->hasFocus());
        QCOMPARE(t.Position(), 2);
    }
    QVERIFY(t.isVisible());
}

QTEST_MAIN(TestContractDialogs)
#include "test_contract_dialogs.moc"
