#include "ui/qt_host.h"

#include "ui/help_pages.h"
#include "ui/message_boxes.h"
#include "ui/progress_window.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QThread>
#include <QUrl>

namespace nvx {

QtHost::QtHost(QWidget* window)
    : window_(window), memory_(std::make_unique<MemoryWatch>(DefaultMemoryLimitMB())) {
    connect(this, &QtHost::boxRequested, this, &QtHost::ShowPendingBoxes, Qt::QueuedConnection);
}

void QtHost::SetMemoryLimit(std::uint64_t megabytes, MemoryWatch::Reader reader) {
    memory_ = std::make_unique<MemoryWatch>(megabytes, std::move(reader));
}

void QtHost::StartComputation() {
    memoryLimitReached_.store(false);
    computation_ = memory_->Start();
    const std::lock_guard<std::mutex> lock(boxMutex_);
    abandoned_ = false;
    pending_.clear();
}

void QtHost::EndComputation() {
    memory_->End(computation_);
    computation_ = 0;
}

void QtHost::AbandonMessages() {
    {
        const std::lock_guard<std::mutex> lock(boxMutex_);
        abandoned_ = true;
        pending_.clear();
    }
    boxClosed_.notify_all();
}

bool QtHost::OnOwnThread() const {
    return QThread::currentThread() == thread();
}

void QtHost::ShowMessage(MessageKind kind, const std::string& text) {
    if (OnOwnThread()) {
        ShowNow(kind, text);
        return;
    }
    // The computation's thread: the host's thread shows the box, and the
    // computation goes on once it has been closed.
    auto box = std::make_shared<PendingBox>(PendingBox{{kind, text}});
    std::unique_lock<std::mutex> lock(boxMutex_);
    if (abandoned_) return;
    pending_.push_back(box);
    lock.unlock();
    emit boxRequested();
    lock.lock();
    boxClosed_.wait(lock, [&] { return box->closed || abandoned_; });
}

void QtHost::ShowPendingBoxes() {
    for (;;) {
        std::shared_ptr<PendingBox> box;
        {
            const std::lock_guard<std::mutex> lock(boxMutex_);
            if (pending_.empty() || abandoned_) return;
            box = std::move(pending_.front());
            pending_.pop_front();
        }
        ShowNow(box->message.kind, box->message.text);
        {
            const std::lock_guard<std::mutex> lock(boxMutex_);
            box->closed = true;
        }
        boxClosed_.notify_all();
    }
}

void QtHost::ShowNow(MessageKind kind, const std::string& text) {
    if (deferring_) {
        deferred_.push_back({kind, text});
        return;
    }
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent) parent = window_;
    const BoxIcon icon = kind == MessageKind::Error     ? BoxIcon::Error
                         : kind == MessageKind::Warning ? BoxIcon::Warning
                                                        : BoxIcon::Information;
    // A message in the middle of a long step (the wait cursor is up) gets the
    // normal cursor while it is shown.
    const bool waiting = QApplication::overrideCursor() != nullptr;
    if (waiting) QApplication::setOverrideCursor(Qt::ArrowCursor);
    MessageBoxes::Show(parent, icon, QString::fromStdString(text), BoxButtons::Ok);
    if (waiting) QApplication::restoreOverrideCursor();
}

void QtHost::ProcessPendingEvents() {
    // The computation's own thread has no events: the window's thread handles
    // its events by itself meanwhile.
    if (!OnOwnThread()) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastEvents_ < std::chrono::milliseconds(10)) return;
    lastEvents_ = now;
    QCoreApplication::processEvents();
}

bool QtHost::StopRequested() {
    if (memory_->MustStop(computation_)) memoryLimitReached_.store(true);
    return memoryLimitReached_.load() || (progress_ && progress_->State() == CalcState::Stopping);
}

bool QtHost::OpenAddress(const std::string& address) {
    const QUrl url(QString::fromStdString(address), QUrl::StrictMode);
    if (address.empty() || !url.isValid() || url.scheme().isEmpty()) return false;
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) return false;
    if (pageViewer_ && url.isLocalFile() &&
        QFileInfo(url.toLocalFile()).canonicalFilePath().startsWith(HelpFolder() + '/')) {
        pageViewer_(url);
        return true;
    }
    return QDesktopServices::openUrl(url);
}

} // namespace nvx
