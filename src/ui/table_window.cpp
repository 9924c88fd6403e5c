#include "ui/table_window.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace nvx {

TableWindow::TableWindow(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    listView_ = new QTreeWidget(this);
    listView_->setObjectName("ListView");
    listView_->setRootIsDecorated(false);
    listView_->setUniformRowHeights(true);
    listView_->setColumnCount(0);
    // Every column keeps its own width: a right-aligned last column stretched
    // over the rest of the window would put its numbers far from the others.
    listView_->header()->setStretchLastSection(false);
    // The first cell of a row may be edited in place; nothing reads it back.
    listView_->setEditTriggers(QAbstractItemView::DoubleClicked |
                               QAbstractItemView::EditKeyPressed);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(listView_);
    resize(610, 349);
}

} // namespace nvx
