#include "ui/qt_host.h"

#include "ui/message_boxes.h"
#include "ui/progress_window.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace nvx {

void QtHost::showMessage(MessageKind kind, const std::string& text) {
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent) parent = window_;
    const BoxIcon icon = kind == MessageKind::Error     ? BoxIcon::Error
                         : kind == MessageKind::Warning ? BoxIcon::Warning
                                                        : BoxIcon::Information;
    MessageBoxes::Show(parent, icon, QString::fromStdString(text), BoxButtons::Ok);
}

void QtHost::processPendingEvents() {
    QCoreApplication::processEvents();
}

bool QtHost::stopRequested() {
    return progress_ && progress_->State() == TCalcState::Stopping;
}

bool QtHost::openAddress(const std::string& address) {
    const QUrl url(QString::fromStdString(address), QUrl::StrictMode);
    if (address.empty() || !url.isValid() || url.scheme().isEmpty()) return false;
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) return false;
    return QDesktopServices::openUrl(url);
}

} // namespace nvx
