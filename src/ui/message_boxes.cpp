#include "ui/message_boxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QStringList>

namespace nvx {

namespace {

MessageBoxes::Hook& TestHook() {
    static MessageBoxes::Hook hook;
    return hook;
}

QMessageBox::Icon ToQtIcon(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::Error:
        return QMessageBox::Critical;
    case BoxIcon::Warning:
        return QMessageBox::Warning;
    case BoxIcon::Information:
        return QMessageBox::Information;
    case BoxIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QString MessageBoxes::ApplicationTitle() {
    return QStringLiteral("Norvadex");
}

QString MessageBoxes::DisplayText(const QString& text) {
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

BoxAnswer MessageBoxes::Show(QWidget* parent, BoxIcon icon, const QString& text, BoxButtons buttons,
                             const QString& caption) {
    if (TestHook()) return TestHook()(ShownBox{icon, caption, text, buttons});

    if (!parent) parent = QApplication::activeModalWidget();
    if (!parent) parent = QApplication::activeWindow();
    QMessageBox box(ToQtIcon(icon), caption, DisplayText(text), QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    switch (buttons) {
    case BoxButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case BoxButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case BoxButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    }
    const int result = box.exec();
    switch (result) {
    case QMessageBox::Ok:
        return BoxAnswer::Ok;
    case QMessageBox::Yes:
        return BoxAnswer::Yes;
    case QMessageBox::No:
        return BoxAnswer::No;
    default:
        return buttons == BoxButtons::YesNo ? BoxAnswer::No
               : buttons == BoxButtons::Ok  ? BoxAnswer::Ok
                                            : BoxAnswer::Cancel;
    }
}

void MessageBoxes::Error(QWidget* parent, const QString& text) {
    Show(parent, BoxIcon::Error, text, BoxButtons::Ok);
}

void MessageBoxes::Warning(QWidget* parent, const QString& text) {
    Show(parent, BoxIcon::Warning, text, BoxButtons::Ok);
}

void MessageBoxes::Information(QWidget* parent, const QString& text) {
    Show(parent, BoxIcon::Information, text, BoxButtons::Ok);
}

bool MessageBoxes::WarningOkCancel(QWidget* parent, const QString& text) {
    return Show(parent, BoxIcon::Warning, text, BoxButtons::OkCancel) == BoxAnswer::Ok;
}

bool MessageBoxes::AskYesNo(QWidget* parent, const QString& caption, const QString& text) {
    return Show(parent, BoxIcon::Question, text, BoxButtons::YesNo, caption) == BoxAnswer::Yes;
}

void MessageBoxes::SetTestHook(Hook hook) {
    TestHook() = std::move(hook);
}

MessageBoxRecorder::MessageBoxRecorder() {
    MessageBoxes::SetTestHook([this](const ShownBox& box) {
        shown_.push_back(box);
        if (!answers_.empty()) {
            BoxAnswer a = answers_.front();
            answers_.erase(answers_.begin());
            return a;
        }
        return box.buttons == BoxButtons::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
    });
}

MessageBoxRecorder::~MessageBoxRecorder() {
    MessageBoxes::SetTestHook({});
}

QStringList MessageBoxRecorder::Texts() const {
    QStringList texts;
    for (const auto& b : shown_)
        texts << b.text;
    return texts;
}

} // namespace nvx
