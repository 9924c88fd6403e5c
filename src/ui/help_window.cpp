#include "ui/help_window.h"

#include "ui/help_pages.h"
#include "ui/message_boxes.h"

#include <QApplication>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace nvx {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), homeWindow_(parent) {
    setObjectName("HelpWindow");
    setWindowTitle(QStringLiteral("Norvadex Help"));
    browser_ = new QTextBrowser(this);
    browser_->setObjectName("HelpBrowser");
    browser_->setOpenLinks(true);
    // Addresses outside the help folder (mail) go to the desktop.
    browser_->setOpenExternalLinks(true);
    back_ = new QPushButton(QStringLiteral("&Back"), this);
    forward_ = new QPushButton(QStringLiteral("&Forward"), this);
    home_ = new QPushButton(QStringLiteral("&Home"), this);
    inBrowser_ = new QPushButton(QStringLiteral("Open in &browser"), this);
    back_->setShortcut(QKeySequence::Back);
    forward_->setShortcut(QKeySequence::Forward);
    back_->setEnabled(false);
    forward_->setEnabled(false);
    // Only where the desktop has a way to open addresses.
    inBrowser_->setVisible(!QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty());

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {back_, forward_, home_})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(inBrowser_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_, 1);

    connect(back_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(home_, &QPushButton::clicked, this,
            [this] { browser_->setSource(QUrl(QString::fromStdString(HomePageAddress()))); });
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = browser_->documentTitle();
        setWindowTitle(title.isEmpty() ? QStringLiteral("Norvadex Help") : title);
    });
    connect(inBrowser_, &QPushButton::clicked, this, &HelpWindow::OpenInBrowser);
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
    resize(720, 560);
}

void HelpWindow::ShowPage(const QUrl& page) {
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner || owner == this) owner = homeWindow_;
    if (owner != parentWidget()) setParent(owner, windowFlags());
    if (browser_->source() != page)
        browser_->setSource(page);
    else
        browser_->reload();
    show();
    raise();
    activateWindow();
}

void HelpWindow::OpenInBrowser() {
    if (!QDesktopServices::openUrl(browser_->source()))
        MessageBoxes::Information(this, QStringLiteral("No browser could be started."));
}

} // namespace nvx
