#include "ui/help_pages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

namespace nvx {

QString HelpFolder() {
    QStringList candidates;
    if (QCoreApplication::instance())
        candidates << QCoreApplication::applicationDirPath() + "/../share/norvadex/help";
    candidates << QStringLiteral(NORVADEX_INSTALLED_HELP_DIR) << QStringLiteral(NORVADEX_HELP_DIR);
    for (const QString& c : candidates)
        if (QFileInfo::exists(c + "/index.htm")) return QDir(c).canonicalPath();
    return QDir::cleanPath(QStringLiteral(NORVADEX_INSTALLED_HELP_DIR));
}

std::string HelpPageAddress(std::string_view path) {
    QString page = QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
    if (page.isEmpty() || page == "/") page = QStringLiteral("/index.htm");
    if (!page.startsWith('/')) page.prepend('/');
    return QUrl::fromLocalFile(HelpFolder() + page).toString().toStdString();
}

std::string HomePageAddress() {
    return HelpPageAddress("/");
}

} // namespace nvx
