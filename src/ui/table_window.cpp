#include "ui/table_window.h"

#include "ui/report_view.h"

#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace nvx {

TableWindow::TableWindow(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    listView_ = new ReportView(this);
    listView_->setObjectName("listView");
    // The first cell of a row may be edited in place; nothing reads it back.
    listView_->Table().SetFirstColumnEditable(true);
    listView_->setEditTriggers(QAbstractItemView::DoubleClicked |
                               QAbstractItemView::EditKeyPressed);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(listView_);
    resize(610, 349);
}

void TableWindow::ShowBeside(int row) {
    if (!placed_ && parentWidget()) {
        // Right of the main window where the screen has room, else at the
        // screen's right edge; one below the other.
        const QRect frame = parentWidget()->frameGeometry();
        QPoint at(frame.right() + 8, frame.top() + row * (frameGeometry().height() + 40));
        if (const QScreen* screen = parentWidget()->screen()) {
            const QRect room = screen->availableGeometry();
            at.setX(std::max(room.left(), std::min(at.x(), room.right() - width())));
            at.setY(std::max(room.top(), std::min(at.y(), room.bottom() - height())));
        }
        move(at);
        placed_ = true;
    }
    show();
    raise();
    activateWindow();
}

} // namespace nvx
