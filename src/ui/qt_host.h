// The engine's host in the desktop program: message boxes through MessageBoxes,
// pending events through the Qt event loop, the stop request from the progress
// window and web pages through the desktop's URL handler.
#pragma once

#include "cards/host.h"

#include <QPointer>
#include <QWidget>

#include <chrono>

namespace nvx {

class ProgressWindow;

class QtHost : public Host {
  public:
    explicit QtHost(QWidget* window = nullptr) : window_(window) {}

    // The window over which message boxes appear when no other window is active.
    void SetWindow(QWidget* window) { window_ = window; }
    // The progress window whose state answers stopRequested.
    void SetProgressWindow(const ProgressWindow* progress) { progress_ = progress; }

    void showMessage(MessageKind kind, const std::string& text) override;
    void processPendingEvents() override;
    bool stopRequested() override;
    // False for an empty or malformed address, for a local file that does not
    // exist, and when the desktop reports that it could not open the address.
    bool openAddress(const std::string& address) override;

  private:
    QPointer<QWidget> window_;
    const ProgressWindow* progress_ = nullptr;
    // The engine asks often; events are handled at most every few milliseconds.
    std::chrono::steady_clock::time_point lastEvents_{};
};

} // namespace nvx
