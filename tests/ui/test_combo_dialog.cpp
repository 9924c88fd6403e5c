// The combination dialog: the typing filter, leaving the fields, the checks of
// OK with their focus, the range messages, the values handed to the main window.
#include "results/report.h"
#include "ui/combo_dialog.h"
#include "ui/contract_dialog.h"
#include "ui/holding_edit.h"
#include "ui/message_boxes.h"
#include "ui/qt_host.h"
#include "ui/range_spin_box.h"
#include "ui/tricks_needed_dialog.h"
#include "ui_test_util.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace nvx;

namespace {

struct Dialogs {
    QtHost host;
    TricksNeededDialog tricks{host};
    ContractDialog contract{host, tricks};
    ComboDialog combo{host, contract};
};

TContractGoal Goal(int level, int strain, int tricks) {
    TContractGoal g;
    g.Contract.Level = std::uint8_t(level);
    g.Contract.Strain = std::uint8_t(strain);
    g.TricksNeeded = std::uint8_t(tricks);
    return g;
}

FilteredText Filter(const char* text, const char* allowed, int caret) {
    return FilterTypedText(text, THolding(allowed), static_cast<std::size_t>(caret));
}

} // namespace

class TestComboDialog : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { test::QuietPlatformNotes(); }
    void init();
    void cleanup();

    void filterKeepsTheTenAndWaitsForItsZero();
    void filterTurnsXIntoTheLowestFreeCards();
    void filterDropsRepeatsForeignCardsAndStrayDigits();
    void filterMovesTheCaretWithTheText();

    void typingAndLeavingAHand();
    void cardsOfTheOtherHandAreRefused();
    void discardsFollowTheHands();
    void enterInNorthMovesToSouth();

    void tooFewCardsInBothHands();
    void tooFewDefendersCards();
    void tooFewVacantPlaces();
    void impTricksChecks();
    void allChecksPassCloseWithOk();

    void rangeMessagesOnLeavingASpinBox();
    void enterWithAnOutOfRangeValueDoesNotClose();

    void valuesForTheMainWindow();
    void setValuesUnfoldsForOptionsAndKeepsEveryCard();
    void foldingFollowsTheOptions();
    void compareMethodText();
    void allowedCardsOfAnotherControlIsAnInternalError();
    void contractButtonTakesTheChosenGoal();

  private:
    Dialogs* d = nullptr;
    MessageBoxRecorder* boxes = nullptr;
    void showAndActivate();
};

void TestComboDialog::init() {
    boxes = new MessageBoxRecorder;
    d = new Dialogs;
}

void TestComboDialog::cleanup() {
    delete d;
    delete boxes;
}

void TestComboDialog::showAndActivate() {
    d->combo.show();
    QVERIFY(QTest::qWaitForWindowActive(&d->combo));
}

// --- the filter --------------------------------------------------------------------

void TestComboDialog::filterKeepsTheTenAndWaitsForItsZero() {
    const char* all = "AKQJT98765432";
    QCOMPARE(Filter("AK1", all, 3).Text, std::string("AK1")); // the caret waits behind the 1
    QCOMPARE(Filter("AK10", all, 4).Text, std::string("AK10"));
    QCOMPARE(Filter("1K", all, 2).Text, std::string("K"));            // a card after the lone 1
    QCOMPARE(Filter("AK1", all, 2).Text, std::string("AK"));          // caret moved away
    QCOMPARE(Filter("T1", all, 2).Text, std::string("T"));            // a T is already there
    QCOMPARE(Filter("A1", "AKQJ98765432", 2).Text, std::string("A")); // the ten is the other hand's
    QCOMPARE(Filter("0A", all, 2).Text, std::string("A"));
    QCOMPARE(Filter("A1 0", all, 4).Text, std::string("A ")); // "1 0" is no ten
    QCOMPARE(Filter("1010", all, 4).Text, std::string("10"));
}

void TestComboDialog::filterTurnsXIntoTheLowestFreeCards() {
    const char* all = "AKQJT98765432";
    QCOMPARE(Filter("AKXX", all, 4).Text, std::string("AK32"));
    QCOMPARE(Filter("XKX", all, 3).Text, std::string("3K2")); // the rightmost x is the lowest
    QCOMPARE(Filter("AKXX", "AKQJT987654", 4).Text, std::string("AK54")); // 3 and 2 are South's
    QCOMPARE(Filter("X2", all, 2).Text, std::string("32")); // named cards are not free
    // More x's than free cards: the leftmost stays an x and disappears.
    QCOMPARE(Filter("XXXXXXXXXXXXXX", all, 14).Text, std::string("AKQJT98765432"));
    QCOMPARE(Filter("AX", "A", 2).Text, std::string("A"));
}

void TestComboDialog::filterDropsRepeatsForeignCardsAndStrayDigits() {
    const char* all = "AKQJT98765432";
    QCOMPARE(Filter("AKA", all, 3).Text, std::string("AK"));
    QCOMPARE(Filter("A K 3", all, 5).Text, std::string("A K 3"));     // blanks stay
    QCOMPARE(Filter("AQ", "AKJT98765432", 2).Text, std::string("A")); // Q is South's
    QCOMPARE(Filter("A?Z-", all, 4).Text, std::string("A"));
}

void TestComboDialog::filterMovesTheCaretWithTheText() {
    const char* all = "AKQJT98765432";
    QCOMPARE(Filter("AQQ", all, 3).Caret, 2);
    QCOMPARE(Filter("QAQ", all, 1).Caret, 1);
    QCOMPARE(Filter("AQQK", all, 3).Caret, 2); // the caret stood behind the dropped Q
    QCOMPARE(Filter("AK", all, 0).Caret, 0);
}

// --- typing in the dialog ----------------------------------------------------------

void TestComboDialog::typingAndLeavingAHand() {
    showAndActivate();
    HoldingLineEdit* north = d->combo.NorthEdit();
    QVERIFY(north->hasFocus()); // the dialog opens in North
    QTest::keyClicks(north, "ak10");
    QCOMPARE(north->text(), QString("AK10"));
    d->combo.SouthEdit()->setFocus(Qt::TabFocusReason);
    QCOMPARE(north->text(), QString("A K 10 "));
    QCOMPARE(d->combo.NorthHolding(), THolding("AKT"));

    // A lone 1 stays while the caret is behind it; a card after it drops it.
    north->setFocus(Qt::TabFocusReason);
    QCOMPARE(north->cursorPosition(), north->text().size()); // the caret goes to the end
    north->clear();
    QTest::keyClicks(north, "q1");
    QCOMPARE(north->text(), QString("Q1"));
    QTest::keyClicks(north, "j");
    QCOMPARE(north->text(), QString("QJ"));
    QTest::keyClicks(north, "1");
    d->combo.SouthEdit()->setFocus(Qt::TabFocusReason);
    QCOMPARE(north->text(), QString("Q J ")); // leaving drops the lone 1 too

    // x stands for the lowest free card: typed one by one, each x takes the
    // lowest card still free; in a text that arrives whole the rightmost x is lowest.
    north->setFocus(Qt::TabFocusReason);
    north->clear();
    QTest::keyClicks(north, "akxx");
    QCOMPARE(north->text(), QString("AK23"));
    d->combo.SouthEdit()->setFocus(Qt::TabFocusReason);
    QCOMPARE(north->text(), QString("A K 3 2 "));
    north->setText("AKXX");
    QCOMPARE(north->text(), QString("AK32"));
}

void TestComboDialog::cardsOfTheOtherHandAreRefused() {
    showAndActivate();
    d->combo.SouthEdit()->setText("Q");
    d->combo.NorthEdit()->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(d->combo.NorthEdit(), "q");
    QCOMPARE(d->combo.NorthEdit()->text(), QString(""));
    // Beside the field, until the next key: why a key was not taken.
    QLabel* why = d->combo.RefusedLabel(d->combo.NorthEdit());
    QCOMPARE(why->text(), QString("Q is in South's hand"));
    QTest::keyClicks(d->combo.NorthEdit(), "a");
    QVERIFY(why->text().isEmpty());
    QTest::keyClicks(d->combo.NorthEdit(), "qk");
    QCOMPARE(d->combo.NorthEdit()->text(), QString("AK"));
    QTest::keyClicks(d->combo.NorthEdit(), "z");
    QCOMPARE(why->text(), QString("Z is not a card"));
    QTest::keyClicks(d->combo.NorthEdit(), "k");
    QCOMPARE(why->text(), QString("K is there already"));
    d->combo.SouthEdit()->setFocus(Qt::TabFocusReason);
    QVERIFY(why->text().isEmpty());
    QTest::keyClicks(d->combo.SouthEdit(), "a");
    QCOMPARE(d->combo.RefusedLabel(d->combo.SouthEdit())->text(), QString("A is in North's hand"));
}

void TestComboDialog::discardsFollowTheHands() {
    showAndActivate();
    d->combo.SetValues("AK32", "QJ", "32", 0, 13, 13, std::nullopt);
    QVERIFY(d->combo.DiscardsCheckBox()->isChecked());
    QCOMPARE(d->combo.DiscardsEdit()->text(), QString("3 2 "));
    QCOMPARE(d->combo.NorthDiscards(), THolding("32"));
    QCOMPARE(d->combo.NorthPlaying(), THolding("AK"));

    // Removing a discard from North removes it from the discards at once.
    HoldingLineEdit* north = d->combo.NorthEdit();
    north->setFocus(Qt::TabFocusReason);
    QTest::keyClick(north, Qt::Key_Backspace); // the trailing blank
    QTest::keyClick(north, Qt::Key_Backspace); // the 2
    QCOMPARE(north->text(), QString("A K 3 "));
    QCOMPARE(d->combo.DiscardsEdit()->text(), QString("3 "));
    QVERIFY(d->combo.DiscardsCheckBox()->isChecked());
    QTest::keyClick(north, Qt::Key_Backspace);
    QTest::keyClick(north, Qt::Key_Backspace); // the 3
    QCOMPARE(d->combo.DiscardsEdit()->text(), QString(""));
    // An empty discards edit switches its option off (and its edit with it).
    QVERIFY(!d->combo.DiscardsCheckBox()->isChecked());
    QVERIFY(!d->combo.DiscardsEdit()->isEnabled());

    // Discards may only name North's and South's cards.
    d->combo.DiscardsCheckBox()->setChecked(true);
    d->combo.DiscardsEdit()->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(d->combo.DiscardsEdit(), "j9a");
    QCOMPARE(d->combo.DiscardsEdit()->text(), QString("JA"));
}

void TestComboDialog::enterInNorthMovesToSouth() {
    showAndActivate();
    QTest::keyClicks(d->combo.NorthEdit(), "akq");
    QVERIFY(!d->combo.OKBtn()->isDefault());
    QTest::keyClick(d->combo.NorthEdit(), Qt::Key_Return);
    QVERIFY(d->combo.SouthEdit()->hasFocus());
    QVERIFY(d->combo.isVisible());
    QVERIFY(d->combo.OKBtn()->isDefault());
    QCOMPARE(d->combo.NorthEdit()->text(), QString("A K Q "));
}

// --- the checks of OK --------------------------------------------------------------

void TestComboDialog::tooFewCardsInBothHands() {
    showAndActivate();
    d->combo.SetValues("A", "K", "", 0, 13, 13, std::nullopt);
    d->combo.SouthEdit()->setFocus(Qt::TabFocusReason);
    QVERIFY(!d->combo.OKBtnClick());
    QCOMPARE(boxes->Texts(), QStringList{"Either North or South needs at least two cards"});
    QCOMPARE(boxes->Shown()[0].icon, BoxIcon::Error);
    QVERIFY(d->combo.NorthEdit()->hasFocus());
    QVERIFY(d->combo.isVisible());

    // North has three cards, but two of them are discards: the discards are to blame.
    boxes->Clear();
    d->combo.SetValues("AKQ", "", "QK", 0, 13, 13, std::nullopt);
    QVERIFY(!d->combo.OKBtnClick());
    QCOMPARE(boxes->Texts(), QStringList{"Either North or South needs at least two cards"});
    QVERIFY(d->combo.DiscardsEdit()->hasFocus());
}

void TestComboDialog::tooFewDefendersCards() {
    showAndActivate();
    d->combo.SetValues("AKQJT9", "876543", "", 0, 13, 13, std::nullopt);
    d->combo.SouthEdit()->setFocus(Qt::TabFocusReason);
    QVERIFY(!d->combo.OKBtnClick());
    QCOMPARE(boxes->Texts(), QStringList{"Defenders need at least two cards"});
    QVERIFY(d->combo.NorthEdit()->hasFocus());
}

void TestComboDialog::tooFewVacantPlaces() {
    showAndActivate();
    d->combo.SetValues("AKQJ", "432", "", 0, 3, 2, std::nullopt);
    QVERIFY(!d->combo.OKBtnClick());
    QCOMPARE(boxes->Texts(), QStringList{"Not enough vacant places for defenders' cards"});
    QVERIFY(d->combo.WestEdit()->hasFocus());

    boxes->Clear();
    d->combo.SetValues("AKQJ", "432", "", 0, 3, 3, std::nullopt);
    QVERIFY(d->combo.OKBtnClick());
    QVERIFY(boxes->Shown().empty());
}

void TestComboDialog::impTricksChecks() {
    showAndActivate();
    d->combo.SetValues("AKQJ", "432", "", 0, 13, 13, Goal(1, 4, 8));
    QVERIFY(!d->combo.OKBtnClick());
    QCOMPARE(
        boxes->Texts(),
        QStringList{"Too many tricks specified for IMPs. \r\n7 tricks should be enough for 1NT."});
    QVERIFY(d->combo.ContractButton()->hasFocus());

    // 3NT needing two tricks with four tricks in the suit: 4 + 3 > 2 + 7 is false.
    boxes->Clear();
    d->combo.SetValues("AKQJ", "432", "", 0, 13, 13, Goal(3, 4, 2));
    QVERIFY(d->combo.OKBtnClick());
    QVERIFY(boxes->Shown().empty());

    // 6NT needing two: 4 + 6 > 9.
    d->combo.show();
    QVERIFY(QTest::qWaitForWindowActive(&d->combo));
    d->combo.SetValues("AKQJ", "432", "", 0, 13, 13, Goal(6, 4, 2));
    QVERIFY(!d->combo.OKBtnClick());
    QCOMPARE(
        boxes->Texts(),
        QStringList{"Not enough tricks specified for IMPS. \r\n\r\n4 tricks will be played in the "
                    "suit, so winning 2 tricks in the suit means losing 2 tricks. \r\nSo 6NT will "
                    "not make.\r\nEither change contract or number tricks needed for contract, or "
                    "remove or discard cards from North or South."});
    QVERIFY(d->combo.NorthEdit()->hasFocus());
}

void TestComboDialog::allChecksPassCloseWithOk() {
    showAndActivate();
    d->combo.SetValues("AQ", "32", "", 0, 13, 13, std::nullopt);
    QTest::mouseClick(d->combo.OKBtn(), Qt::LeftButton);
    QVERIFY(!d->combo.isVisible());
    QCOMPARE(d->combo.result(), int(QDialog::Accepted));
    QVERIFY(boxes->Shown().empty());
}

// --- range checks ------------------------------------------------------------------

void TestComboDialog::rangeMessagesOnLeavingASpinBox() {
    showAndActivate();
    d->combo.SetValues("AQ", "32", "", 1, 12, 12, std::nullopt);
    QVERIFY(!d->combo.IsFolded());

    RangeSpinBox* entries = d->combo.EntriesEdit();
    entries->setFocus(Qt::TabFocusReason);
    entries->selectAll();
    QTest::keyClicks(entries, "a");
    d->combo.NorthEdit()->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(boxes->Texts(), QStringList{"Value must be integer number in the range 0 to 9"});
    QTRY_VERIFY(entries->hasFocus());
    QCOMPARE(d->combo.EntriesCount(), std::uint8_t(1)); // the last good value stays

    boxes->Clear();
    RangeSpinBox* west = d->combo.WestEdit();
    west->setFocus(Qt::TabFocusReason);
    west->selectAll();
    QTest::keyClicks(west, "14");
    d->combo.EastEdit()->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(boxes->Texts(), QStringList{"Value must be integer number in the range 0 to 13"});
    QTRY_VERIFY(west->hasFocus());

    // A good value passes without a message.
    boxes->Clear();
    west->selectAll();
    QTest::keyClicks(west, "7");
    d->combo.EastEdit()->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents(); // a message would have been posted by now
    QVERIFY(boxes->Shown().empty());
    QCOMPARE(d->combo.VacantWest(), std::uint8_t(7));
}

void TestComboDialog::enterWithAnOutOfRangeValueDoesNotClose() {
    showAndActivate();
    d->combo.SetValues("AQ", "32", "", 0, 12, 12, std::nullopt);
    RangeSpinBox* east = d->combo.EastEdit();
    east->setFocus(Qt::TabFocusReason);
    east->selectAll();
    QTest::keyClicks(east, "99");
    QTest::keyClick(east, Qt::Key_Return);
    QCOMPARE(boxes->Texts(), QStringList{"Value must be integer number in the range 0 to 13"});
    QVERIFY(d->combo.isVisible());
    QVERIFY(east->hasFocus());
}

// --- values --------------------------------------------------------------------------

void TestComboDialog::valuesForTheMainWindow() {
    // The set-up hands back as many entries as North has cards when there was no limit.
    d->combo.SetValues("AQ42", "J53", "", 4, 13, 13, std::nullopt);
    QVERIFY(!d->combo.EntriesCheckBox()->isChecked());
    QCOMPARE(d->combo.NorthHolding(), THolding("AQ42"));
    QCOMPARE(d->combo.SouthHolding(), THolding("J53"));
    QCOMPARE(d->combo.DefendersHolding(), THolding("KT9876"));
    QVERIFY(d->combo.DiscardsHolding().empty());
    QCOMPARE(d->combo.EntriesCount(), std::uint8_t(4)); // option off: as many as North's cards
    QCOMPARE(d->combo.VacantWest(), std::uint8_t(13));
    QCOMPARE(d->combo.VacantEast(), std::uint8_t(13));
    QVERIFY(!d->combo.ContractGoalOrNone().has_value());
    QCOMPARE(d->combo.TricksInSuit(), std::uint8_t(4));

    d->combo.SetValues("AQ42", "J53", "2J", 1, 6, 13, Goal(4, 3, 3));
    QCOMPARE(d->combo.DiscardsHolding(), THolding("J2"));
    QCOMPARE(d->combo.NorthDiscards(), THolding("2"));
    QCOMPARE(d->combo.SouthDiscards(), THolding("J"));
    QCOMPARE(d->combo.NorthPlaying(), THolding("AQ4"));
    QCOMPARE(d->combo.SouthPlaying(), THolding("53"));
    QCOMPARE(d->combo.EntriesCount(), std::uint8_t(1));
    QCOMPARE(d->combo.VacantWest(), std::uint8_t(6));
    QCOMPARE(d->combo.VacantEast(), std::uint8_t(13));
    QCOMPARE(d->combo.TricksInSuit(), std::uint8_t(3));
    QVERIFY(d->combo.ContractGoalOrNone() == Goal(4, 3, 3));

    // Switching IMPs off keeps the goal for when it comes back.
    d->combo.IMPSCheckBox()->setChecked(false);
    QVERIFY(!d->combo.ContractGoalOrNone().has_value());
    d->combo.IMPSCheckBox()->setChecked(true);
    QVERIFY(d->combo.ContractGoalOrNone() == Goal(4, 3, 3));

    // Fewer entries than North's playing cards are a limit, none included.
    d->combo.SetValues("AQ42", "J53", "", 0, 13, 13, std::nullopt);
    QVERIFY(d->combo.EntriesCheckBox()->isChecked());
    QCOMPARE(d->combo.EntriesCount(), std::uint8_t(0));
    d->combo.SetValues("AQ42", "J53", "", 9, 13, 13, std::nullopt);
    QVERIFY(!d->combo.EntriesCheckBox()->isChecked());
    QCOMPARE(d->combo.EntriesCount(), std::uint8_t(4));

    d->combo.Clear();
    QVERIFY(d->combo.NorthHolding().empty());
    QVERIFY(d->combo.SouthHolding().empty());
    QVERIFY(!d->combo.DiscardsCheckBox()->isChecked());
    QVERIFY(!d->combo.VacantCheckBox()->isChecked());
    QVERIFY(!d->combo.IMPSCheckBox()->isChecked());
}

void TestComboDialog::setValuesUnfoldsForOptionsAndKeepsEveryCard() {
    QVERIFY(d->combo.IsFolded());
    d->combo.SetValues("AQ", "32", "", 2, 13, 13, std::nullopt);
    QVERIFY(d->combo.IsFolded());
    d->combo.SetValues("AQ", "32", "", 2, 13, 12, std::nullopt);
    QVERIFY(!d->combo.IsFolded());
    QVERIFY(!d->combo.LessBitBtn()->isEnabled());

    // Whatever the edits held before, the new hands come through whole, even
    // when they swap cards with the old ones.
    d->combo.SetValues("32", "AQ", "", 2, 13, 13, std::nullopt);
    d->combo.SetValues("AQ", "32", "", 2, 13, 13, std::nullopt);
    QCOMPARE(d->combo.NorthEdit()->text(), QString("A Q "));
    QCOMPARE(d->combo.SouthEdit()->text(), QString("3 2 "));
}

void TestComboDialog::foldingFollowsTheOptions() {
    showAndActivate();
    QVERIFY(d->combo.IsFolded());
    QVERIFY(d->combo.MoreBitBtn()->isVisible());
    QVERIFY(!d->combo.LessBitBtn()->isVisible());
    const int foldedHeight = d->combo.height();
    QTest::mouseClick(d->combo.MoreBitBtn(), Qt::LeftButton);
    QVERIFY(!d->combo.IsFolded());
    QVERIFY(d->combo.EntriesCheckBox()->hasFocus());
    QVERIFY(!d->combo.MoreBitBtn()->isVisible());
    QVERIFY(d->combo.LessBitBtn()->isVisible());
    QTRY_VERIFY(d->combo.height() > foldedHeight);

    // Each option enables its controls and keeps the panel open.
    QVERIFY(!d->combo.EntriesEdit()->isEnabled());
    d->combo.EntriesCheckBox()->setChecked(true);
    QVERIFY(d->combo.EntriesEdit()->isEnabled());
    QVERIFY(!d->combo.LessBitBtn()->isEnabled());
    d->combo.EntriesCheckBox()->setChecked(false);
    QVERIFY(d->combo.LessBitBtn()->isEnabled());
    d->combo.VacantCheckBox()->setChecked(true);
    QVERIFY(d->combo.WestEdit()->isEnabled() && d->combo.EastEdit()->isEnabled());
    QVERIFY(!d->combo.LessBitBtn()->isEnabled());
    d->combo.VacantCheckBox()->setChecked(false);
    d->combo.IMPSCheckBox()->setChecked(true);
    QVERIFY(d->combo.ContractButton()->isEnabled());
    QVERIFY(!d->combo.LessBitBtn()->isEnabled());
    d->combo.IMPSCheckBox()->setChecked(false);
    QVERIFY(!d->combo.ContractButton()->isEnabled());

    QTest::mouseClick(d->combo.LessBitBtn(), Qt::LeftButton);
    QVERIFY(d->combo.IsFolded());
    QVERIFY(d->combo.MoreBitBtn()->isVisible());
    QTRY_COMPARE(d->combo.height(), foldedHeight);
}

void TestComboDialog::compareMethodText() {
    QCOMPARE(d->combo.CompareMethodText(), std::string("IMPS: 3NT, 2 tricks"));
    QCOMPARE(d->combo.IMPSCheckBox()->text(), QString("IMPS: 3NT, 2 tricks"));
    TContractGoal g = Goal(4, 3, 1);
    g.Contract.Doubled = 1;
    g.Contract.Vulnerable = 1;
    d->combo.SetValues("AQ", "32", "", 0, 13, 13, g);
    QCOMPARE(d->combo.CompareMethodText(), std::string("IMPS: 4S x vul, 1 trick"));
    QCOMPARE(d->combo.IMPSCheckBox()->text(), QString("IMPS: 4S x vul, 1 trick"));
}

void TestComboDialog::allowedCardsOfAnotherControlIsAnInternalError() {
    d->combo.SetValues("AQ", "32", "", 0, 13, 13, std::nullopt);
    QCOMPARE(d->combo.AllowedCards(d->combo.NorthEdit()), THolding("AKQJT987654"));
    QCOMPARE(d->combo.AllowedCards(d->combo.SouthEdit()), THolding("KJT98765432"));
    QCOMPARE(d->combo.AllowedCards(d->combo.DiscardsEdit()), THolding("AQ32"));
    QVERIFY(boxes->Shown().empty());
    QVERIFY(d->combo.AllowedCards(d->combo.OKBtn()).empty());
    QCOMPARE(boxes->Shown().size(), std::size_t(1));
    QCOMPARE(boxes->Shown()[0].icon, BoxIcon::Error);
    QVERIFY(boxes->Shown()[0].text.contains(" together with error code 701. "));
}

void TestComboDialog::contractButtonTakesTheChosenGoal() {
    d->combo.SetValues("AKQJ", "32", "", 0, 13, 13, std::nullopt);
    d->combo.IMPSCheckBox()->setChecked(true);
    int shownTab = -1, offeredTricks = -1;
    test::WhenModal([&](QWidget* w) {
        auto* contract = static_cast<ContractDialog*>(w);
        shownTab = contract->SelectedTab();
        contract->SelectTab(17); // four hearts
        test::WhenModal([&](QWidget* t) {
            auto* tricks = static_cast<TricksNeededDialog*>(t);
            offeredTricks = tricks->Position();
            tricks->SetPosition(3);
            tricks->OKBtn()->click();
        });
        contract->NextBtn()->click();
    });
    d->combo.ContractButtonClick();
    QCOMPARE(shownTab, 14); // 3NT
    QCOMPARE(offeredTricks, 2);
    QVERIFY(d->combo.ContractGoalOrNone() == Goal(4, 2, 3));
    QCOMPARE(d->combo.IMPSCheckBox()->text(), QString("IMPS: 4H, 3 tricks"));

    // Cancel in the contract dialog leaves the goal as it was.
    test::WhenModal([](QWidget* w) {
        auto* contract = static_cast<ContractDialog*>(w);
        contract->SelectTab(34);
        contract->CancelBtn()->click();
    });
    d->combo.ContractButtonClick();
    QVERIFY(d->combo.ContractGoalOrNone() == Goal(4, 2, 3));
}

QTEST_MAIN(TestComboDialog)
#include "test_combo_dialog.moc"
