// A spin box that lets the user type anything up to its width and checks the
// text when the focus leaves it: a text that is not a whole number in range
// brings up "Value must be integer number in the range a to b" and the focus
// goes back to the box.
#pragma once

#include <QSpinBox>

namespace nvx {

class RangeSpinBox : public QSpinBox {
    Q_OBJECT
  public:
    RangeSpinBox(int minimum, int maximum, int maxChars, QWidget* parent = nullptr);

    // True when the current text is a whole number within the range.
    bool TextIsValid() const;
    QString RangeMessage() const;
    // A range message is waiting to be shown: the focus has just been pulled
    // back, so a button pressed in the same click must not act on the value.
    bool RangeErrorPending() const { return pending_; }
    // The range check at once: false, after the message, when the text is out of
    // range. Enter runs it too, so that the default button never sees such a text.
    bool CheckOnExit();

    QValidator::State validate(QString& input, int& pos) const override;

  protected:
    int valueFromText(const QString& text) const override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void ShowPendingMessage();

    int maxChars_;
    bool pending_ = false;
};

} // namespace nvx
