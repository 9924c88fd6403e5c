// The engine's host in the desktop program: message boxes through MessageBoxes,
// the stop request from the progress window and the memory limit, and web pages
// through the desktop's URL handler. The analysis runs on a thread of its own:
// from there a message box is shown by the window's thread while the
// computation waits for it to be closed, and pending events are the window
// thread's own business. A host belongs to the thread that made it.
#pragma once

#include "cards/host.h"
#include "results/memory_limit.h"

#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace nvx {

class ProgressWindow;

class QtHost : public QObject, public Host {
    Q_OBJECT
  public:
    explicit QtHost(QWidget* window = nullptr);

    // The window over which message boxes appear when no other window is active.
    void SetWindow(QWidget* window) { window_ = window; }
    // The progress window whose state answers StopRequested.
    void SetProgressWindow(const ProgressWindow* progress) { progress_ = progress; }
    // Shows the help pages (local files of the help folder) inside the program;
    // without one they go to the desktop's browser like every other address.
    using PageViewer = std::function<void(const QUrl&)>;
    void SetPageViewer(PageViewer viewer) { pageViewer_ = std::move(viewer); }

    // The memory a computation may let the program use, in megabytes (0: no
    // limit; DefaultMemoryLimitMB() unless set). The reader replaces the reading
    // of the resident memory (for tests). Only between computations: the
    // computation's thread asks the watch.
    void SetMemoryLimit(std::uint64_t megabytes, MemoryWatch::Reader reader = ResidentMemoryBytes);
    std::uint64_t MemoryLimitMB() const { return memory_->LimitMB(); }
    // Called around each computation: the memory limit applies in between.
    void StartComputation();
    void EndComputation();
    // The window is going: a computation waiting for a message box stops
    // waiting (the box is not shown) and no further box of it is shown.
    void AbandonMessages();

    // While deferring, messages are kept instead of shown (so that the play panel
    // can show the card that drew a warning first); TakeDeferred hands them over.
    struct Message {
        MessageKind kind;
        std::string text;
    };
    void DeferMessages(bool defer) { deferring_ = defer; }
    std::vector<Message> TakeDeferred() { return std::exchange(deferred_, {}); }

    void ShowMessage(MessageKind kind, const std::string& text) override;
    void ProcessPendingEvents() override;
    bool StopRequested() override;
    bool MemoryLimitReached() override { return memoryLimitReached_.load(); }
    // False for an empty or malformed address, for a local file that does not
    // exist, and when the desktop reports that it could not open the address.
    bool OpenAddress(const std::string& address) override;

  signals:
    // The computation's thread has put a box in pending_ (queued to this thread).
    void boxRequested();

  private:
    // A box the computation's thread asked for, until it has been closed.
    struct PendingBox {
        Message message;
        bool closed = false;
    };
    void ShowNow(MessageKind kind, const std::string& text);
    void ShowPendingBoxes();
    bool OnOwnThread() const;

    QPointer<QWidget> window_;
    const ProgressWindow* progress_ = nullptr;
    PageViewer pageViewer_;
    bool deferring_ = false;
    std::vector<Message> deferred_;
    std::unique_ptr<MemoryWatch> memory_;
    std::uint32_t computation_ = 0; // the name under the memory watch; 0 between computations
    std::atomic<bool> memoryLimitReached_{false};
    // The engine asks often; events are handled at most every few milliseconds.
    std::chrono::steady_clock::time_point lastEvents_{};
    // The boxes of the computation's thread: everything the two threads share
    // about them is guarded by boxMutex_.
    std::mutex boxMutex_;
    std::condition_variable boxClosed_;
    std::deque<std::shared_ptr<PendingBox>> pending_;
    bool abandoned_ = false;
};

} // namespace nvx
