#include "ui/holding_edit.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace nvx {

namespace {

// Focus moves that count as leaving the field (not a box popping up over it).
bool IsLeaving(Qt::FocusReason reason) {
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
           reason != Qt::MenuBarFocusReason;
}

} // namespace

void HoldingLineEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (IsLeaving(event->reason())) emit Entered();
}

void HoldingLineEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (IsLeaving(event->reason())) emit Exited();
}

void HoldingLineEdit::keyPressEvent(QKeyEvent* event) {
    if (enterTarget_ && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        enterTarget_->setFocus(Qt::TabFocusReason);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace nvx
