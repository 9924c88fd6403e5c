// The help pages shown inside the program: a browser over the shipped pages with
// links, back, forward and home, and "Open in browser" where a browser can be
// started. Help works with no browser at all.
#pragma once

#include <QPointer>
#include <QUrl>
#include <QWidget>

class QPushButton;
class QTextBrowser;

namespace nvx {

class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows a page (a file:// address of the help folder), in front. While a
    // modal dialog is up the window becomes its child, so that it takes input.
    void ShowPage(const QUrl& page);

    QTextBrowser* Browser() const { return browser_; }
    QPushButton* BackButton() const { return back_; }
    QPushButton* ForwardButton() const { return forward_; }
    QPushButton* HomeButton() const { return home_; }
    QPushButton* BrowserButton() const { return inBrowser_; }

  private:
    void OpenInBrowser();

    QTextBrowser* browser_;
    QPushButton* back_;
    QPushButton* forward_;
    QPushButton* home_;
    QPushButton* inBrowser_;
    QPointer<QWidget> homeWindow_; // the parent when no modal dialog is up
};

} // namespace nvx
