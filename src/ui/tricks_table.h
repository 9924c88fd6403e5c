// The tricks table of the main window: its sort order, chosen by clicking a
// column header, and the font colours that grey out the layouts the play so
// far has ruled out and the lines other than the one being played.
#pragma once

#include <QColor>
#include <QStringList>
#include <QStyledItemDelegate>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace nvx {

class ReportTableModel;

// The sort state of the tricks table.
struct TricksTableSort {
    std::uint16_t SortColumn = 1000; // 1000: no column
    std::int32_t SortSign = 1;
    bool SortByCardsOnly = true;
};

// The fixed columns before the line columns.
inline constexpr int TricksTableCaptionColumn = 0;
inline constexpr int TricksTableFixedColumns = 3;

// West's and East's part of a row caption "KJx - Qxx": the text before and after
// the first " - " (the whole caption is West's when there is none).
std::string CaptionWest(std::string_view caption);
std::string CaptionEast(std::string_view caption);

// A click on the header of column c (0-based). A line column sorts descending
// by its text, and the next click on it reverses the order. Column 0 cycles
// through four orders: West's length first (descending), West's cards only
// (ascending), length first (ascending), cards only (descending).
void TricksTableColumnClick(TricksTableSort& sort, int column);

// The comparison of two rows (their cells) under the sort state: negative puts
// row1 first, positive row2, 0 keeps them as equal.
int TricksTableCompare(const TricksTableSort& sort, const QStringList& row1,
                       const QStringList& row2);

// Sorts the rows with TricksTableCompare (rows that compare equal keep their order).
void SortTricksTable(ReportTableModel& table, const TricksTableSort& sort);

// The font colour of a cell: black, grey, or none (the platform's default).
// lineSelected: a line is being played through; rowPossible: the row's layout
// can still be the real one; selectedLineColumn: the column is the chosen line's.
enum class CellColour : std::uint8_t { Default, Black, Grey };
CellColour TricksTableCellColour(int column, bool lineSelected, bool rowPossible,
                                 bool selectedLineColumn);
QColor CellColourValue(CellColour colour); // Default gives an invalid colour

// Paints every cell of a view in the colour a function gives it at the moment
// it is drawn, so that a repaint of the view shows the current state.
class CellColourDelegate : public QStyledItemDelegate {
  public:
    using ColourOf = std::function<CellColour(const QModelIndex&)>;
    CellColourDelegate(ColourOf colourOf, QObject* parent)
        : QStyledItemDelegate(parent), colourOf_(std::move(colourOf)) {}

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

  private:
    ColourOf colourOf_;
};

} // namespace nvx
