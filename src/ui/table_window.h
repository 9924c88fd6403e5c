// A window that shows the strategy-by-goal table or the payoff table, not modal.
#pragma once

#include <QDialog>

namespace nvx {

class ReportView;

class TableWindow : public QDialog {
    Q_OBJECT
  public:
    explicit TableWindow(QWidget* parent = nullptr);
    ReportView* ListView() const { return listView_; }
    // Shows the window (the first time beside its parent, the row-th of the
    // windows there from the top) and brings it to the front.
    void ShowBeside(int row);

  private:
    ReportView* listView_;
    bool placed_ = false;
};

} // namespace nvx
