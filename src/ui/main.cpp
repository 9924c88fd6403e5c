// Norvadex: the desktop program.
#include "cards/version.h"
#include "results/analysis.h"
#include "strategy/term.h"
#include "ui/analysis_views.h"
#include "ui/engine_analysis.h"
#include "ui/main_window.h"
#include "ui/message_boxes.h"

#include <QApplication>
#include <QSettings>
#include <QTimer>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(nvx::MessageBoxes::ApplicationTitle());
    QApplication::setApplicationDisplayName(nvx::MessageBoxes::ApplicationTitle());
    QApplication::setApplicationVersion(QString::fromLatin1(nvx::VersionNumber));

    nvx::MainWindow window;
    // The last combination, the recent ones and the window's place and size.
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Norvadex"),
                       QStringLiteral("norvadex"));
    window.UseSettings(&settings);
    // The strategy algebra checks its byte comparisons once; a failure is reported
    // through the window's host and the program carries on.
    nvx::InitLineAlgebra(window.AppHost());

    nvx::Analysis analysis(window.AppHost());
    nvx::EngineAnalysis engine(analysis);
    nvx::AnalysisViews views(window, analysis);
    window.SetAnalysis(&engine);

    window.show();
    // The program opens with the combination dialog over the main window.
    QTimer::singleShot(0, &window, [&window] { window.GetCombo(); });
    const int result = QApplication::exec();
    window.SetAnalysis(nullptr);
    window.UseSettings(nullptr);
    return result;
}
