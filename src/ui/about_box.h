// The about box: the program's name and version and a link to its web site.
#pragma once

#include "cards/host.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace nvx {

class AboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit AboutBox(Host& host, QWidget* parent = nullptr);

    QLabel* ProductName() const { return productName_; }
    QLabel* Version() const { return version_; }
    QLabel* Comments() const { return comments_; }
    QPushButton* OKButton() const { return okButton_; }

  public slots:
    // Opens the home page; the box stays open.
    void CommentsClick();

  private:
    Host& host_;
    QLabel* productName_;
    QLabel* version_;
    QLabel* comments_;
    QPushButton* okButton_;
};

} // namespace nvx
