// The tables of the results (the results list, the tricks table, the strategy
// x goal and payoff tables) as a Qt model of rows of cells behind a list view.
// The model holds the cells as text, as the report wrote them: the views never
// read the analysis to draw a cell.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QTreeView>

#include <functional>
#include <vector>

namespace nvx {

struct ReportTable;

class ReportTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    using QAbstractTableModel::QAbstractTableModel;

    // Everything anew: the columns with their captions and alignments, the rows.
    void SetTable(const ReportTable& table);
    // One left-aligned column with a caption and no rows ("No results: ...").
    void SetSingleColumn(const QString& caption);
    // No columns and no rows.
    void Clear();

    QString Cell(int row, int column) const;
    QString Caption(int column) const;
    // The width the report asks for a column in pixels; 0: as its content needs.
    int ReportWidth(int column) const;
    // Puts the rows in a new order: stable, by a strict order of the rows' cells.
    using RowLess = std::function<bool(const QStringList&, const QStringList&)>;
    void SortRows(const RowLess& less);
    // The first cell of each row may be edited in place (nothing reads it back).
    void SetFirstColumnEditable(bool editable) { firstColumnEditable_ = editable; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  private:
    struct Column {
        QString caption;
        Qt::Alignment align;
        int width = 0;
    };
    std::vector<Column> columns_;
    std::vector<QStringList> rows_;
    bool firstColumnEditable_ = false;
};

// A read-only list view of a ReportTableModel, report style: one line per row,
// whole rows selected, several at once. Ctrl+C (and the context menu) copies
// the header and the selected rows, Ctrl+A selects every row.
class ReportView : public QTreeView {
    Q_OBJECT
  public:
    explicit ReportView(QWidget* parent = nullptr);
    ReportTableModel& Table() const { return *model_; }

    // The model's SetTable, then the column widths: those the report gives
    // unless a cell would be cut, the others as wide as their caption or their
    // widest cell.
    void ShowTable(const ReportTable& table);
    // One column as wide as its caption, no rows.
    void ShowSingleColumn(const QString& caption);
    void Clear() { model_->Clear(); }

    // The header and the selected rows, top to bottom, one line each, cells
    // separated by tabs (with the blanks of the number formats trimmed).
    QString SelectedRowsText() const;

  private:
    ReportTableModel* model_;
};

} // namespace nvx
