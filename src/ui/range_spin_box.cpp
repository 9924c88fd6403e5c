#include "ui/range_spin_box.h"

#include "ui/message_boxes.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace nvx {

RangeSpinBox::RangeSpinBox(int minimum, int maximum, int maxChars, QWidget* parent)
    : QSpinBox(parent), maxChars_(maxChars) {
    setRange(minimum, maximum);
    // The value changes only when the text is taken (leaving the box, Enter,
    // the arrows), so a text that is thrown out leaves the previous value.
    setKeyboardTracking(false);
    lineEdit()->setMaxLength(maxChars);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

bool RangeSpinBox::TextIsValid() const {
    bool ok = false;
    const int v = text().trimmed().toInt(&ok, 10);
    return ok && v >= minimum() && v <= maximum();
}

QString RangeSpinBox::RangeMessage() const {
    return QStringLiteral("Value must be integer number in the range %1 to %2")
        .arg(minimum())
        .arg(maximum());
}

QValidator::State RangeSpinBox::validate(QString& input, int&) const {
    // Anything short enough may be typed; the range is checked on leaving.
    return input.size() <= maxChars_ ? QValidator::Acceptable : QValidator::Invalid;
}

int RangeSpinBox::valueFromText(const QString& text) const {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    return ok && v >= minimum() && v <= maximum() ? v : value();
}

bool RangeSpinBox::CheckOnExit() {
    if (!isEnabled() || TextIsValid()) return true;
    MessageBoxes::Error(window(), RangeMessage());
    setFocus(Qt::OtherFocusReason);
    selectAll();
    return false;
}

void RangeSpinBox::focusOutEvent(QFocusEvent* event) {
    const Qt::FocusReason reason = event->reason();
    const bool leaving = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                         reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason ||
                         reason == Qt::OtherFocusReason;
    const bool invalid = leaving && isEnabled() && isVisible() && !TextIsValid();
    // The base class turns the text back into the last valid value.
    QSpinBox::focusOutEvent(event);
    if (!invalid || pending_) return;
    // The focus comes back at once; the box follows once the focus change is over,
    // so that no modal loop runs inside it.
    pending_ = true;
    setFocus(Qt::OtherFocusReason);
    QTimer::singleShot(0, this, &RangeSpinBox::ShowPendingMessage);
}

void RangeSpinBox::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !TextIsValid()) {
        CheckOnExit();
        event->accept();
        return;
    }
    QSpinBox::keyPressEvent(event);
}

void RangeSpinBox::ShowPendingMessage() {
    if (!pending_) return;
    pending_ = false;
    if (!window()->isVisible()) return;
    MessageBoxes::Error(window(), RangeMessage());
    setFocus(Qt::OtherFocusReason);
    selectAll();
}

} // namespace nvx
