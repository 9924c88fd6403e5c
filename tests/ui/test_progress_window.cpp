// The progress window: its states, the status animation, the memory warning
// and the interrupt question.
#include "ui/message_boxes.h"
#include "ui/progress_window.h"
#include "ui_test_util.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace nvx;

namespace {
constexpr std::uint64_t GiB = std::uint64_t(1) << 30;
}

class TestProgressWindow : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { test::QuietPlatformNotes(); }
    void createdReady();
    void statesSwitchLabelButtonAndTimer();
    void statusLineGrowsToFiftyCharactersThenStartsAgain();
    void memoryWarningDoublesAndStartsAgainWithEachComputation();
    void tickWhenReadyStopsTheTimer();
    void interruptAnsweredYesStops();
    void interruptAnsweredNoCarriesOn();
    void closingMakesItReady();
    void modalChildEscapeAndCloseAskToInterrupt();
    void residentMemoryIsRead();
};

void TestProgressWindow::createdReady() {
    ProgressWindow w;
    QCOMPARE(w.State(), TCalcState::Ready);
    QCOMPARE(w.windowTitle(), QString("calculating"));
    QCOMPARE(w.ProgressLabel()->text(), QString("Ready"));
    QVERIFY(!w.InterruptButton()->isEnabled());
    QVERIFY(!w.Timer()->isActive());
    QCOMPARE(w.Timer()->interval(), 1000);
    QCOMPARE(w.InitialMemoryLimit(), 1u);
    QCOMPARE(w.InterruptButton()->text(), QString("Interrupt"));
    // A close box, which asks to interrupt.
    QVERIFY(w.windowFlags() & Qt::WindowCloseButtonHint);
}

void TestProgressWindow::statesSwitchLabelButtonAndTimer() {
    ProgressWindow w;
    w.SetState(TCalcState::Calculating);
    QCOMPARE(w.ProgressLabel()->text(), QString("Calculating ..."));
    QVERIFY(w.InterruptButton()->isEnabled());
    QVERIFY(w.Timer()->isActive());
    QVERIFY(w.MemoryLabel()->text().isEmpty());

    // Setting the state it already has changes nothing, not even the dots.
    w.SetMemoryReader([] { return std::uint64_t(0); });
    w.TimerTimer();
    w.SetState(TCalcState::Calculating);
    QCOMPARE(w.ProgressLabel()->text(), QString("Calculating ...."));

    w.SetState(TCalcState::Stopping);
    QCOMPARE(w.ProgressLabel()->text(), QString("Stopping ..."));
    QVERIFY(!w.InterruptButton()->isEnabled());
    QVERIFY(w.Timer()->isActive());

    w.SetState(TCalcState::Ready);
    QCOMPARE(w.ProgressLabel()->text(), QString("Ready"));
    QVERIFY(!w.InterruptButton()->isEnabled());
    QVERIFY(!w.Timer()->isActive());
}

void TestProgressWindow::statusLineGrowsToFiftyCharactersThenStartsAgain() {
    ProgressWindow w;
    int reads = 0;
    w.SetMemoryReader([&reads] {
        ++reads;
        return std::uint64_t(0);
    });
    w.SetState(TCalcState::Calculating);
    for (int tick = 1; tick <= 35; ++tick) {
        w.TimerTimer();
        QCOMPARE(w.ProgressLabel()->text().size(), 15 + tick);
    }
    QCOMPARE(w.ProgressLabel()->text(), QString("Calculating ") + QString(38, '.'));
    w.TimerTimer();
    QCOMPARE(w.ProgressLabel()->text(), QString("Calculating ..."));
    QCOMPARE(reads, 36);

    // While stopping the same animation runs from "Stopping ...", without the memory check.
    w.SetState(TCalcState::Stopping);
    for (int tick = 1; tick <= 38; ++tick)
        w.TimerTimer();
    QCOMPARE(w.ProgressLabel()->text().size(), 50);
    w.TimerTimer();
    QCOMPARE(w.ProgressLabel()->text(), QString("Stopping ..."));
    QCOMPARE(reads, 36);
}

void TestProgressWindow::memoryWarningDoublesAndStartsAgainWithEachComputation() {
    ProgressWindow w;
    std::uint64_t used = GiB; // exactly at the threshold: no warning yet
    w.SetMemoryReader([&used] { return used; });
    w.SetState(TCalcState::Calculating);
    w.TimerTimer();
    QVERIFY(w.MemoryLabel()->text().isEmpty());
    QCOMPARE(w.MemoryLimit(), 1u);

    used = GiB + 1;
    w.TimerTimer();
    QCOMPARE(w.MemoryLabel()->text(), QString("using more than 1 G now."));
    QCOMPARE(w.MemoryLimit(), 2u);
    w.TimerTimer(); // still below 2 G: the label keeps its text
    QCOMPARE(w.MemoryLabel()->text(), QString("using more than 1 G now."));
    used = 5 * GiB;
    w.TimerTimer();
    QCOMPARE(w.MemoryLabel()->text(), QString("using more than 2 G now."));
    w.TimerTimer();
    QCOMPARE(w.MemoryLabel()->text(), QString("using more than 4 G now."));
    QCOMPARE(w.MemoryLimit(), 8u);

    // The next computation starts from 1 G with an empty label.
    w.Finish();
    w.SetState(TCalcState::Calculating);
    QVERIFY(w.MemoryLabel()->text().isEmpty());
    QCOMPARE(w.MemoryLimit(), 1u);
    w.TimerTimer();
    QCOMPARE(w.MemoryLabel()->text(), QString("using more than 1 G now."));
}

void TestProgressWindow::tickWhenReadyStopsTheTimer() {
    ProgressWindow w;
    w.SetState(TCalcState::Calculating);
    w.SetState(TCalcState::Ready);
    w.Timer()->start();
    w.TimerTimer();
    QCOMPARE(w.ProgressLabel()->text(), QString("Ready"));
    QVERIFY(!w.Timer()->isActive());
}

void TestProgressWindow::interruptAnsweredYesStops() {
    MessageBoxRecorder boxes;
    ProgressWindow w;
    w.SetState(TCalcState::Calculating);
    bool timerRanDuringQuestion = true;
    MessageBoxes::SetTestHook([&](const ShownBox& box) {
        timerRanDuringQuestion = w.Timer()->isActive();
        QStringList shown{box.text, box.caption,
                          box.buttons == BoxButtons::YesNo ? "yes/no" : "other"};
        w.setProperty("asked", shown);
        return BoxAnswer::Yes;
    });
    QTest::mouseClick(w.InterruptButton(), Qt::LeftButton);
    MessageBoxes::SetTestHook({});
    QCOMPARE(w.property("asked").toStringList(),
             QStringList({"Do you want to stop the computation?", "", "yes/no"}));
    QVERIFY(!timerRanDuringQuestion);
    QCOMPARE(w.State(), TCalcState::Stopping);
    QCOMPARE(w.ProgressLabel()->text(), QString("Stopping ..."));
    QVERIFY(!w.InterruptButton()->isEnabled());
    QVERIFY(w.Timer()->isActive());
}

void TestProgressWindow::interruptAnsweredNoCarriesOn() {
    MessageBoxRecorder boxes;
    boxes.Answer(BoxAnswer::No);
    ProgressWindow w;
    w.SetState(TCalcState::Calculating);
    w.InterruptButtonClick();
    QCOMPARE(boxes.Texts(), QStringList{"Do you want to stop the computation?"});
    QVERIFY(boxes.Shown()[0].caption.isEmpty());
    QCOMPARE(w.State(), TCalcState::Calculating);
    QVERIFY(w.InterruptButton()->isEnabled());
    QVERIFY(w.Timer()->isActive());
}

void TestProgressWindow::closingMakesItReady() {
    QWidget parent;
    parent.resize(600, 400);
    parent.show();
    ProgressWindow w(&parent);
    w.SetState(TCalcState::Calculating);
    w.ShowOverParent();
    QVERIFY(w.isVisible());
    // A short computation may end before the first tick: no dot was ever shown.
    w.Finish();
    QVERIFY(!w.isVisible());
    QCOMPARE(w.State(), TCalcState::Ready);
    QCOMPARE(w.ProgressLabel()->text(), QString("Ready"));

    w.SetState(TCalcState::Calculating);
    w.SetState(TCalcState::Stopping);
    w.ShowOverParent();
    w.Finish();
    QCOMPARE(w.State(), TCalcState::Ready);
}

void TestProgressWindow::modalChildEscapeAndCloseAskToInterrupt() {
    MessageBoxRecorder boxes;
    QWidget parent;
    parent.show();
    ProgressWindow w(&parent);
    w.SetState(TCalcState::Calculating);
    w.ShowOverParent();
    QCOMPARE(w.parentWidget(), &parent);
    QVERIFY(w.isWindow());
    QCOMPARE(w.windowModality(), Qt::WindowModal);
    QCOMPARE(QApplication::activeModalWidget(), &w);
    QVERIFY(w.ElapsedLabel()->text().startsWith("Elapsed: 0:0"));
    // Escape and the close button ask as Interrupt does; No keeps the window up.
    boxes.Answer(BoxAnswer::No);
    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(!w.close());
    QCOMPARE(boxes.Texts(), QStringList(2, "Do you want to stop the computation?"));
    QVERIFY(w.isVisible());
    QCOMPARE(w.State(), TCalcState::Stopping);
    w.Finish();
    QVERIFY(!w.isVisible());
    QVERIFY(w.ElapsedLabel()->text().isEmpty());
}

void TestProgressWindow::residentMemoryIsRead() {
    // A running Qt program occupies well over a megabyte and far less than a terabyte.
    const std::uint64_t bytes = ProgressWindow::ResidentMemoryBytes();
    QVERIFY(bytes > (std::uint64_t(1) << 20));
    QVERIFY(bytes < (std::uint64_t(1) << 40));
}

QTEST_MAIN(TestProgressWindow)
#include "test_progress_window.moc"
