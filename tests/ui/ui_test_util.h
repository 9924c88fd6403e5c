// Helpers for the Qt tests of the windows.
#pragma once

#include "cards/contract.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace nvx::test {

inline ContractGoal Goal(int level, int strain, int tricks) {
    ContractGoal g;
    g.Contract.Level = std::uint8_t(level);
    g.Contract.Strain = std::uint8_t(strain);
    g.TricksNeeded = std::uint8_t(tricks);
    return g;
}

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

// Runs f on the next modal window that opens (other than the one active now),
// once it is shown and active. Polls every few milliseconds, for at most two
// seconds. f must close the window whatever it finds (no QVERIFY inside: a
// failed check returns early and would leave the window open).
inline void WhenModal(std::function<void(QWidget*)> f) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QPointer<QWidget> current = QApplication::activeModalWidget();
    QObject::connect(timer, &QTimer::timeout, [timer, f, current, tries = 0]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        const bool up = modal && modal != current && modal->isVisible() &&
                        (modal->isActiveWindow() || tries > 100);
        if (!up && ++tries <= 400) return;
        timer->stop(); // before f, which may open modal windows of its own
        timer->deleteLater();
        if (up) f(modal);
    });
    timer->start();
}

} // namespace nvx::test
