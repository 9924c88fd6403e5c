// A line edit for a holding: reports entering and leaving, and can pass the
// Enter key on as a move to another control.
#pragma once

#include <QLineEdit>
#include <QPointer>

namespace nvx {

class HoldingLineEdit : public QLineEdit {
    Q_OBJECT
  public:
    using QLineEdit::QLineEdit;

    // Enter moves the focus to target instead of reaching the dialog's default button.
    void SetEnterTarget(QWidget* target) { enterTarget_ = target; }

  signals:
    void Entered();
    void Exited();

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QPointer<QWidget> enterTarget_;
};

} // namespace nvx
