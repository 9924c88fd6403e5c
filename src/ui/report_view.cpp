#include "ui/report_view.h"

#include "present/result_views.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>

#include <algorithm>

namespace nvx {

namespace {

Qt::Alignment ToQt(ColumnAlign align) {
    switch (align) {
    case ColumnAlign::Right:
        return Qt::AlignRight | Qt::AlignVCenter;
    case ColumnAlign::Centre:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case ColumnAlign::Left:
        break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

QString TrimmedLine(const QStringList& cells) {
    QStringList trimmed;
    for (const QString& cell : cells)
        trimmed << cell.trimmed();
    return trimmed.join(QLatin1Char('\t')) + QLatin1Char('\n');
}

} // namespace

// --- the model -----------------------------------------------------------------------

void ReportTableModel::SetTable(const ReportTable& table) {
    beginResetModel();
    columns_.clear();
    for (const ReportColumn& c : table.Columns)
        columns_.push_back({QString::fromStdString(c.Caption), ToQt(c.Align), c.Width});
    rows_.clear();
    rows_.reserve(table.Rows.size());
    for (const std::vector<std::string>& row : table.Rows) {
        QStringList cells;
        for (std::size_t c = 0; c < columns_.size(); ++c)
            cells << (c < row.size() ? QString::fromStdString(row[c]) : QString());
        rows_.push_back(std::move(cells));
    }
    endResetModel();
}

void ReportTableModel::SetSingleColumn(const QString& caption) {
    beginResetModel();
    columns_ = {{caption, Qt::AlignLeft | Qt::AlignVCenter, 0}};
    rows_.clear();
    endResetModel();
}

void ReportTableModel::Clear() {
    beginResetModel();
    columns_.clear();
    rows_.clear();
    endResetModel();
}

QString ReportTableModel::Cell(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return {};
    return rows_[static_cast<std::size_t>(row)][column];
}

QString ReportTableModel::Caption(int column) const {
    if (column < 0 || column >= columnCount()) return {};
    return columns_[static_cast<std::size_t>(column)].caption;
}

int ReportTableModel::ReportWidth(int column) const {
    if (column < 0 || column >= columnCount()) return 0;
    return columns_[static_cast<std::size_t>(column)].width;
}

void ReportTableModel::SortRows(const RowLess& less) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    // Where each row goes, so that the selection follows its rows.
    std::vector<int> order(rows_.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return less(rows_[static_cast<std::size_t>(a)], rows_[static_cast<std::size_t>(b)]);
    });
    std::vector<QStringList> sorted;
    sorted.reserve(rows_.size());
    std::vector<int> newRow(rows_.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        sorted.push_back(std::move(rows_[static_cast<std::size_t>(order[i])]));
        newRow[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
    }
    rows_ = std::move(sorted);
    QModelIndexList after;
    for (const QModelIndex& i : before)
        after << index(newRow[static_cast<std::size_t>(i.row())], i.column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int ReportTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ReportTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant ReportTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return Cell(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(columns_[static_cast<std::size_t>(index.column())].align);
    default:
        return {};
    }
}

QVariant ReportTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    if (role == Qt::DisplayRole) return Caption(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(columns_[static_cast<std::size_t>(section)].align);
    return {};
}

Qt::ItemFlags ReportTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return QAbstractTableModel::flags(index);
    Qt::ItemFlags f = QAbstractTableModel::flags(index) | Qt::ItemNeverHasChildren;
    if (firstColumnEditable_ && index.column() == 0) f |= Qt::ItemIsEditable;
    return f;
}

bool ReportTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
    rows_[static_cast<std::size_t>(index.row())][index.column()] = value.toString();
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

// --- the view ------------------------------------------------------------------------

ReportView::ReportView(QWidget* parent) : QTreeView(parent), model_(new ReportTableModel(this)) {
    setModel(model_);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // Every column keeps its own width: a right-aligned last column stretched
    // over the rest of the view would put its numbers far from the others.
    header()->setStretchLastSection(false);

    auto* copy = new QAction(QStringLiteral("&Copy"), this);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this,
            [this] { QApplication::clipboard()->setText(SelectedRowsText()); });
    auto* all = new QAction(QStringLiteral("Select &All"), this);
    all->setShortcut(QKeySequence::SelectAll);
    all->setShortcutContext(Qt::WidgetShortcut);
    connect(all, &QAction::triggered, this, &QTreeView::selectAll);
    addAction(copy);
    addAction(all);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void ReportView::ShowTable(const ReportTable& table) {
    model_->SetTable(table);
    for (int c = 0; c < model_->columnCount(); ++c) {
        const int width = model_->ReportWidth(c);
        if (width > 0)
            setColumnWidth(c, std::max(width, sizeHintForColumn(c)));
        else
            resizeColumnToContents(c);
    }
}

void ReportView::ShowSingleColumn(const QString& caption) {
    model_->SetSingleColumn(caption);
    header()->resizeSection(0, header()->fontMetrics().horizontalAdvance(caption) + 16);
}

QString ReportView::SelectedRowsText() const {
    QStringList captions;
    for (int c = 0; c < model_->columnCount(); ++c)
        captions << model_->Caption(c);
    QString text = TrimmedLine(captions);
    QModelIndexList rows = selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& row : rows) {
        QStringList cells;
        for (int c = 0; c < model_->columnCount(); ++c)
            cells << model_->Cell(row.row(), c);
        text += TrimmedLine(cells);
    }
    return text;
}

} // namespace nvx
