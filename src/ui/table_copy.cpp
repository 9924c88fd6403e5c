#include "ui/table_copy.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QStringList>
#include <QTreeWidget>

namespace nvx {

namespace {

QString RowText(const QTreeWidgetItem* item, int columns) {
    QStringList cells;
    for (int c = 0; c < columns; ++c)
        cells << item->text(c).trimmed();
    return cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
}

} // namespace

QString SelectedRowsText(const QTreeWidget* view) {
    const int columns = view->columnCount();
    QString text = RowText(view->headerItem(), columns);
    for (int i = 0; i < view->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = view->topLevelItem(i);
        if (item->isSelected()) text += RowText(item, columns);
    }
    return text;
}

void EnableTableCopy(QTreeWidget* view) {
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    auto* copy = new QAction(QStringLiteral("&Copy"), view);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    QObject::connect(copy, &QAction::triggered, view,
                     [view] { QApplication::clipboard()->setText(SelectedRowsText(view)); });
    auto* all = new QAction(QStringLiteral("Select &All"), view);
    all->setShortcut(QKeySequence::SelectAll);
    all->setShortcutContext(Qt::WidgetShortcut);
    QObject::connect(all, &QAction::triggered, view, &QTreeWidget::selectAll);
    view->addAction(copy);
    view->addAction(all);
    view->setContextMenuPolicy(Qt::ActionsContextMenu);
}

} // namespace nvx
