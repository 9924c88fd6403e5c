// The message seam, the Qt host and the help-page addresses.
#include "ui/help_pages.h"
#include "ui/message_boxes.h"
#include "ui/progress_window.h"
#include "ui/qt_host.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>
#include <QtTest>

using namespace nvx;

// Receives the addresses that the desktop is asked to open for a test scheme.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> urls;
  public slots:
    void open(const QUrl& url) { urls << url; }
};

class TestMessageBoxes : public QObject {
    Q_OBJECT
  private slots:
    void recorderSeesTextButtonsAndCaption();
    void recorderAnswersFromItsQueueThenWithTheFirstButton();
    void displayTextTurnsCarriageReturnsIntoLineBreaks();
    void hostShowsEngineMessagesWithTheApplicationTitle();
    void internalErrorThroughTheHostShowsOnlyTheCode();
    void browserFallbackWhenThePageCannotBeOpened();
    void openedAddressReachesTheDesktop();
    void stopRequestFollowsTheProgressWindow();
    void pendingEventsAreProcessed();
    void everyHelpPageExists();
};

void TestMessageBoxes::recorderSeesTextButtonsAndCaption() {
    MessageBoxRecorder recorder;
    MessageBoxes::Error(nullptr, "Defenders need at least two cards");
    QVERIFY(MessageBoxes::WarningOkCancel(nullptr, "Not enough tricks specified.\r\nPress OK"));
    QVERIFY(MessageBoxes::AskYesNo(nullptr, QString(), "Do you want to stop the computation?"));
    QCOMPARE(recorder.Shown().size(), std::size_t(3));
    const ShownBox& error = recorder.Shown()[0];
    QCOMPARE(error.icon, BoxIcon::Error);
    QCOMPARE(error.buttons, BoxButtons::Ok);
    QCOMPARE(error.caption, QString("Norvadex"));
    QCOMPARE(error.text, QString("Defenders need at least two cards"));
    QCOMPARE(recorder.Shown()[1].icon, BoxIcon::Warning);
    QCOMPARE(recorder.Shown()[1].buttons, BoxButtons::OkCancel);
    // The text is recorded as written, line breaks included.
    QCOMPARE(recorder.Shown()[1].text, QString("Not enough tricks specified.\r\nPress OK"));
    QCOMPARE(recorder.Shown()[2].buttons, BoxButtons::YesNo);
    QVERIFY(recorder.Shown()[2].caption.isEmpty());
}

void TestMessageBoxes::recorderAnswersFromItsQueueThenWithTheFirstButton() {
    {
        MessageBoxRecorder recorder;
        recorder.Answer(BoxAnswer::Cancel);
        recorder.Answer(BoxAnswer::No);
        QVERIFY(!MessageBoxes::WarningOkCancel(nullptr, "a"));
        QVERIFY(!MessageBoxes::AskYesNo(nullptr, QString(), "b"));
        QVERIFY(MessageBoxes::WarningOkCancel(nullptr, "c"));
        QCOMPARE(recorder.Texts(), QStringList({"a", "b", "c"}));
    }
    // Once the recorder is gone the hook is gone: a second recorder starts empty.
    MessageBoxRecorder again;
    QVERIFY(again.Shown().empty());
}

void TestMessageBoxes::displayTextTurnsCarriageReturnsIntoLineBreaks() {
    QCOMPARE(MessageBoxes::DisplayText("a\r\nb\rc\r\rd"), QString("a\nb\nc\n\nd"));
}

void TestMessageBoxes::hostShowsEngineMessagesWithTheApplicationTitle() {
    MessageBoxRecorder recorder;
    QtHost host;
    host.showMessage(MessageKind::Warning, "Defense not optimal.");
    host.showMessage(MessageKind::Information, "play has finished");
    host.showMessage(MessageKind::Error, "x");
    QCOMPARE(recorder.Shown().size(), std::size_t(3));
    QCOMPARE(recorder.Shown()[0].icon, BoxIcon::Warning);
    QCOMPARE(recorder.Shown()[1].icon, BoxIcon::Information);
    QCOMPARE(recorder.Shown()[2].icon, BoxIcon::Error);
    for (const ShownBox& b : recorder.Shown()) {
        QCOMPARE(b.caption, QString("Norvadex"));
        QCOMPARE(b.buttons, BoxButtons::Ok);
    }
}

void TestMessageBoxes::internalErrorThroughTheHostShowsOnlyTheCode() {
    MessageBoxRecorder recorder;
    QtHost host;
    InternalError(host, InternalErrorCode::ProbabilitySumNotOne);
    QCOMPARE(recorder.Shown().size(), std::size_t(1));
    QCOMPARE(recorder.Shown()[0].icon, BoxIcon::Error);
    const QString text = recorder.Shown()[0].text;
    QVERIFY(text.startsWith("An internal error occured."));
    QVERIFY(text.endsWith(
        " together with error code 202. Then I will try to reproduce the error and fix it."));
    QVERIFY(!text.contains("sum prob"));
}

void TestMessageBoxes::browserFallbackWhenThePageCannotBeOpened() {
    MessageBoxRecorder recorder;
    QtHost host;
    const std::string missing = "file:///nonexistent-norvadex-folder/help/combo.htm";
    OpenWebPage(host, missing);
    OpenWebPage(host, "");
    OpenWebPage(host, "no scheme at all");
    QCOMPARE(recorder.Shown().size(), std::size_t(3));
    QCOMPARE(recorder.Shown()[0].icon, BoxIcon::Warning);
    QCOMPARE(recorder.Shown()[0].buttons, BoxButtons::Ok);
    QCOMPARE(recorder.Shown()[0].text,
             QString("Your browser could not be opened automatically.\r\rPlease start your browser "
                     "and open file:///nonexistent-norvadex-folder/help/combo.htm."));
    QCOMPARE(recorder.Shown()[2].text,
             QString("Your browser could not be opened automatically.\r\rPlease start your browser "
                     "and open no scheme at all."));
}

void TestMessageBoxes::openedAddressReachesTheDesktop() {
    MessageBoxRecorder recorder;
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("nvxtest", &catcher, "open");
    QtHost host;
    OpenWebPage(host, "nvxtest://site/help/mainhelp.htm");
    QDesktopServices::unsetUrlHandler("nvxtest");
    QCOMPARE(catcher.urls.size(), 1);
    QCOMPARE(catcher.urls[0].toString(), QString("nvxtest://site/help/mainhelp.htm"));
    QVERIFY(recorder.Shown().empty());
}

void TestMessageBoxes::stopRequestFollowsTheProgressWindow() {
    QtHost host;
    QVERIFY(!host.stopRequested()); // no progress window: never stopped
    ProgressWindow progress;
    host.SetProgressWindow(&progress);
    QVERIFY(!host.stopRequested()); // Ready
    progress.SetState(TCalcState::Calculating);
    QVERIFY(!host.stopRequested());
    progress.SetState(TCalcState::Stopping);
    QVERIFY(host.stopRequested());
    progress.Finish();
    QVERIFY(!host.stopRequested());
}

void TestMessageBoxes::pendingEventsAreProcessed() {
    QtHost host;
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    host.processPendingEvents();
    QVERIFY(ran);
}

void TestMessageBoxes::everyHelpPageExists() {
    for (const char* page : {"/", "/help/mainhelp.htm", "/contributions.htm", "/help/combo.htm",
                             "/help/contract.htm", "/help/tricksneeded.htm"}) {
        const QUrl url(QString::fromStdString(HelpPageAddress(page)));
        QVERIFY2(url.isLocalFile(), page);
        QVERIFY2(QFileInfo::exists(url.toLocalFile()), qPrintable(url.toLocalFile()));
    }
    QCOMPARE(HomePageAddress(), HelpPageAddress("/index.htm"));
    QVERIFY(QString::fromStdString(HelpPageAddress("/help/combo.htm"))
                .endsWith("/help/help/combo.htm"));
}

QTEST_MAIN(TestMessageBoxes)
#include "test_message_boxes.moc"
