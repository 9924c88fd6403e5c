// The small window shown while a computation runs: a status line that grows by
// a dot every second, a warning when the program's memory use passes a
// threshold that doubles after each warning, and the Interrupt button. It holds
// the computation state that the engine polls for a stop request, from the
// computation's thread. It is a child window of the main window, so that it
// stays above it; it is not modal: the main window repaints and keeps the menus
// that do not touch the analysis while the computation runs. Escape and its
// close button ask to interrupt, as the button does. It shows how long the
// computation has run.
#pragma once

#include "play/calc_state.h"

#include <QElapsedTimer>
#include <QWidget>

#include <cstdint>
#include <functional>

class QLabel;
class QPushButton;
class QTimer;

namespace nvx {

class ProgressWindow : public QWidget {
    Q_OBJECT
  public:
    explicit ProgressWindow(QWidget* parent = nullptr);

    // Safe to read from any thread.
    CalcState State() const { return state_.get(); }
    // Switches the labels, the button and the timer to the state; nothing
    // happens when the state is already s.
    void SetState(CalcState s);

    // Shows the window above its parent and centred over it.
    void ShowOverParent();
    // Stops a running computation without asking (the main window is closing).
    void RequestStop();
    // The computation has returned: the state becomes Ready and the window closes.
    void Finish();
    // "Elapsed: 0:07" while calculating or stopping, updated with every tick.
    QLabel* ElapsedLabel() const { return elapsedLabel_; }

    // Bytes of memory in use, read once a second while calculating.
    using MemoryReader = std::function<std::uint64_t()>;
    void SetMemoryReader(MemoryReader reader) { readMemory_ = std::move(reader); }
    // The program's resident memory from /proc/self/statm; 0 when unreadable.
    static std::uint64_t ResidentMemoryBytes();

    // The warning threshold in gigabytes (2^30 bytes).
    std::uint32_t MemoryLimit() const { return memoryLimit_; }
    std::uint32_t InitialMemoryLimit() const { return initialMemoryLimit_; }

    QLabel* ProgressLabel() const { return progressLabel_; }
    QLabel* MemoryLabel() const { return memoryLabel_; }
    QPushButton* InterruptButton() const { return interruptButton_; }
    QTimer* Timer() const { return timer_; }

  public slots:
    void Tick();
    void AskToInterrupt();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void ShowElapsed();
    void AddDot(const QString& restart);

    ComputationState state_{CalcState::Calculating};
    std::uint32_t initialMemoryLimit_ = 1;
    std::uint32_t memoryLimit_ = 1;
    MemoryReader readMemory_;
    QLabel* progressLabel_;
    QLabel* memoryLabel_;
    QLabel* elapsedLabel_;
    QElapsedTimer elapsed_;
    QPushButton* interruptButton_;
    QTimer* timer_;
};

} // namespace nvx
