// The window that shows the strategy-by-goal table and the payoff table.
#pragma once

#include <QDialog>

class QTreeWidget;

namespace nvx {

class TableWindow : public QDialog {
    Q_OBJECT
  public:
    explicit TableWindow(QWidget* parent = nullptr);
    QTreeWidget* ListView() const { return listView_; }

  private:
    QTreeWidget* listView_;
};

} // namespace nvx
