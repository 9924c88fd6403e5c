// Every message box of the program goes through MessageBoxes, so that the texts,
// buttons and captions live in one place and Qt tests can answer the boxes and
// see what was shown without a modal loop.
#pragma once

#include <QString>

#include <functional>
#include <vector>

class QWidget;

namespace nvx {

enum class BoxIcon { Error, Warning, Information, Question };
enum class BoxButtons { Ok, OkCancel, YesNo };
enum class BoxAnswer { Ok, Cancel, Yes, No };

// What a box showed: the text as the program wrote it (line breaks as "\r" or
// "\r\n"), the caption actually used and the buttons offered.
struct ShownBox {
    BoxIcon icon;
    QString caption;
    QString text;
    BoxButtons buttons;
};

class MessageBoxes {
  public:
    // The application title, the caption of every box unless a caller gives another.
    static QString ApplicationTitle();

    // Shows a modal box over parent (the active window when parent is null) and
    // returns the button pressed. Closing the box without a button counts as
    // Cancel or No.
    static BoxAnswer Show(QWidget* parent, BoxIcon icon, const QString& text, BoxButtons buttons,
                          const QString& caption);
    static BoxAnswer Show(QWidget* parent, BoxIcon icon, const QString& text, BoxButtons buttons) {
        return Show(parent, icon, text, buttons, ApplicationTitle());
    }

    // An error box with an OK button.
    static void Error(QWidget* parent, const QString& text);
    // A warning with an OK button.
    static void Warning(QWidget* parent, const QString& text);
    // Information with an OK button.
    static void Information(QWidget* parent, const QString& text);
    // A warning that may be overridden: true when the user pressed OK.
    static bool WarningOkCancel(QWidget* parent, const QString& text);
    // A question with Yes and No: true on Yes.
    static bool AskYesNo(QWidget* parent, const QString& caption, const QString& text);

    // The text as a Qt label shows it: "\r\n" and lone "\r" become "\n".
    static QString DisplayText(const QString& text);

    // While a hook is installed no box is shown: the hook gets what would have
    // been shown and returns the answer. Pass an empty function to remove it.
    using Hook = std::function<BoxAnswer(const ShownBox&)>;
    static void SetTestHook(Hook hook);
};

// Installs a hook for its lifetime that records every box and answers from a
// queue; when the queue is empty it answers with the first button (OK or Yes).
class MessageBoxRecorder {
  public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    void Answer(BoxAnswer answer) { answers_.push_back(answer); }
    const std::vector<ShownBox>& Shown() const { return shown_; }
    // The texts of the boxes shown so far, in order.
    QStringList Texts() const;
    void Clear() { shown_.clear(); }

  private:
    std::vector<ShownBox> shown_;
    std::vector<BoxAnswer> answers_;
};

} // namespace nvx
