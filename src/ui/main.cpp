// Norvadex: the desktop program.
#include "ui/main_window.h"
#include "ui/message_boxes.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(nvx::MessageBoxes::ApplicationTitle());
    QApplication::setApplicationDisplayName(nvx::MessageBoxes::ApplicationTitle());
    QApplication::setApplicationVersion(QStringLiteral("2.1.2"));

    nvx::MainWindow window;
    window.show();
    // The program opens with the combination dialog over the main window.
    QTimer::singleShot(0, &window, [&window] { window.GetCombo(); });
    return QApplication::exec();
}
