#include "ui/progress_window.h"

#include "results/memory_limit.h"
#include "ui/message_boxes.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace nvx {

namespace {

const QString CalculatingText = QStringLiteral("Calculating ...");
const QString StoppingText = QStringLiteral("Stopping ...");
constexpr int LongestStatus = 50;
constexpr std::uint64_t Gigabyte = std::uint64_t(1) << 30;

} // namespace

ProgressWindow::ProgressWindow(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      readMemory_(&ProgressWindow::ResidentMemoryBytes) {
    setWindowTitle(QStringLiteral("calculating"));
    // A child window of the main window: always above it, but not modal.

    progressLabel_ = new QLabel(this);
    memoryLabel_ = new QLabel(this);
    elapsedLabel_ = new QLabel(this);
    interruptButton_ = new QPushButton(QStringLiteral("Interrupt"), this);
    interruptButton_->setMinimumSize(97, 25);
    // Room for the longest status line, so that the window never changes size.
    progressLabel_->setMinimumWidth(
        progressLabel_->fontMetrics().horizontalAdvance(
            CalculatingText + QString(LongestStatus - CalculatingText.size(), '.')) +
        8);
    memoryLabel_->setMinimumWidth(memoryLabel_->fontMetrics().horizontalAdvance(
        QStringLiteral("using more than 4294967295 G now.")));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 10, 24, 14);
    layout->setSpacing(8);
    layout->addWidget(progressLabel_);
    layout->addWidget(memoryLabel_);
    layout->addSpacing(6);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(interruptButton_);
    buttonRow->addStretch(1);
    buttonRow->addWidget(elapsedLabel_);
    layout->addLayout(buttonRow);
    layout->addStretch(1);
    setMinimumSize(289, 140);

    timer_ = new QTimer(this);
    timer_->setInterval(1000);
    connect(timer_, &QTimer::timeout, this, &ProgressWindow::Tick);
    connect(interruptButton_, &QPushButton::clicked, this, &ProgressWindow::AskToInterrupt);

    SetState(CalcState::Ready);
    initialMemoryLimit_ = 1;
    memoryLimit_ = initialMemoryLimit_;
}

std::uint64_t ProgressWindow::ResidentMemoryBytes() {
    return nvx::ResidentMemoryBytes();
}

void ProgressWindow::SetState(CalcState s) {
    if (s == state_.get()) return;
    switch (s) {
    case CalcState::Calculating:
        progressLabel_->setText(CalculatingText);
        interruptButton_->setEnabled(true);
        timer_->start();
        memoryLabel_->clear();
        memoryLimit_ = initialMemoryLimit_;
        elapsed_.start();
        break;
    case CalcState::Stopping:
        progressLabel_->setText(StoppingText);
        interruptButton_->setEnabled(false);
        timer_->start();
        break;
    case CalcState::Ready:
        progressLabel_->setText(QStringLiteral("Ready"));
        interruptButton_->setEnabled(false);
        timer_->stop();
        break;
    }
    state_.set(s);
    ShowElapsed();
}

void ProgressWindow::ShowElapsed() {
    if (State() == CalcState::Ready || !elapsed_.isValid()) {
        elapsedLabel_->clear();
        return;
    }
    const qint64 seconds = elapsed_.elapsed() / 1000;
    elapsedLabel_->setText(QStringLiteral("Elapsed: %1:%2")
                               .arg(seconds / 60)
                               .arg(seconds % 60, 2, 10, QLatin1Char('0')));
}

void ProgressWindow::AddDot(const QString& restart) {
    if (progressLabel_->text().size() == LongestStatus)
        progressLabel_->setText(restart);
    else
        progressLabel_->setText(progressLabel_->text() + '.');
}

void ProgressWindow::Tick() {
    switch (State()) {
    case CalcState::Calculating: {
        AddDot(CalculatingText);
        const std::uint64_t used = readMemory_ ? readMemory_() : 0;
        if (used > std::uint64_t(memoryLimit_) * Gigabyte) {
            memoryLabel_->setText(QStringLiteral("using more than %1 G now.").arg(memoryLimit_));
            memoryLimit_ *= 2;
        }
        break;
    }
    case CalcState::Stopping:
        AddDot(StoppingText);
        break;
    case CalcState::Ready:
        progressLabel_->setText(QStringLiteral("Ready"));
        timer_->stop();
        break;
    }
    ShowElapsed();
}

void ProgressWindow::AskToInterrupt() {
    if (State() != CalcState::Calculating) return;
    // No tick may change the labels while the question is open. The computation
    // goes on meanwhile and may end before the answer: then there is nothing
    // left to stop.
    timer_->stop();
    const bool stop = MessageBoxes::AskYesNo(
        this, QString(), QStringLiteral("Do you want to stop the computation?"));
    if (State() == CalcState::Ready) return;
    if (stop) SetState(CalcState::Stopping);
    timer_->start();
}

void ProgressWindow::RequestStop() {
    if (State() == CalcState::Calculating) SetState(CalcState::Stopping);
}

void ProgressWindow::ShowOverParent() {
    adjustSize();
    if (QWidget* p = parentWidget()) {
        const QRect frame = p->frameGeometry();
        move(frame.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
    activateWindow(); // Escape reaches it at once
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
    // The computation decides when the window goes (Finish): until then the
    // close button asks to interrupt, as the Interrupt button does.
    if (State() != CalcState::Ready) {
        event->ignore();
        AskToInterrupt();
        return;
    }
    event->accept();
}

void ProgressWindow::Finish() {
    SetState(CalcState::Ready);
    close();
}

void ProgressWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        AskToInterrupt();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace nvx
