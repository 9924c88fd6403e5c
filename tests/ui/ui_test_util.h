// Helpers for the Qt tests of the windows.
#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace nvx::test {

// Runs f on the next modal window that opens (other than the one active now),
// once it is shown and active. Polls every few milliseconds, for at most two
// seconds. f must close the window whatever it finds (no QVERIFY inside: a
// failed check returns early and would leave the window open).
// Drops the offscreen platform's notes on what it does not support (size hints,
// raising windows), which say nothing about the program; every other message
// goes on to the test log.
inline void QuietPlatformNotes() {
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (message.startsWith(QLatin1String("This plugin does not support"))) return;
            if (previous) previous(type, context, message);
        });
}

inline void WhenModal(std::function<void(QWidget*)> f) {
    QPointer<QWidget> current = QApplication::activeModalWidget();
    auto tries = std::make_shared<int>(0);
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [f, current, tries, poll] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != current && modal->isVisible() &&
            (modal->isActiveWindow() || *tries > 100)) {
            f(modal);
            *poll = nullptr; // break the cycle
            return;
        }
        if (++*tries > 400) {
            *poll = nullptr;
            return;
        }
        QTimer::singleShot(5, [poll] {
            if (*poll) (*poll)();
        });
    };
    QTimer::singleShot(0, [poll] {
        if (*poll) (*poll)();
    });
}

} // namespace nvx::test
