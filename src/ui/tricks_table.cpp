#include "ui/tricks_table.h"

#include "cards/holding.h"
#include "ui/report_view.h"

namespace nvx {

namespace {

constexpr std::string_view CaptionSeparator = " - ";

std::string CellText(const QStringList& row, int column) {
    return row.value(column).toStdString();
}

} // namespace

std::string CaptionWest(std::string_view caption) {
    const std::size_t p = caption.find(CaptionSeparator);
    return std::string(p == std::string_view::npos ? caption : caption.substr(0, p));
}

std::string CaptionEast(std::string_view caption) {
    const std::size_t p = caption.find(CaptionSeparator);
    if (p == std::string_view::npos) return {};
    return std::string(caption.substr(p + CaptionSeparator.size()));
}

void TricksTableColumnClick(TricksTableSort& sort, int column) {
    if (column >= 1) {
        if (column == sort.SortColumn) {
            sort.SortSign = -sort.SortSign;
        } else {
            sort.SortSign = 1;
            sort.SortColumn = static_cast<std::uint16_t>(column);
        }
        return;
    }
    if (sort.SortColumn != 0) {
        sort.SortColumn = 0;
        sort.SortSign = 1;
        sort.SortByCardsOnly = true;
    } else if (sort.SortByCardsOnly) {
        sort.SortByCardsOnly = false;
    } else {
        sort.SortByCardsOnly = true;
        sort.SortSign = -sort.SortSign;
    }
}

int TricksTableCompare(const TricksTableSort& sort, const QStringList& row1,
                       const QStringList& row2) {
    if (sort.SortColumn >= 1) {
        // Text order: "?" above every digit, "10" below "9".
        const std::string a = CellText(row1, sort.SortColumn);
        const std::string b = CellText(row2, sort.SortColumn);
        if (a < b) return sort.SortSign;
        if (a > b) return -sort.SortSign;
        return 0;
    }
    const std::string w1 = CaptionWest(CellText(row1, 0));
    const std::string w2 = CaptionWest(CellText(row2, 0));
    // An x has rank value 0 and so ranks below every card.
    const int byCards = CompareHoldings(w1, w2) * sort.SortSign;
    if (sort.SortByCardsOnly) return byCards;
    if (w1.size() < w2.size()) return sort.SortSign;
    if (w1.size() > w2.size()) return -sort.SortSign;
    return byCards;
}

void SortTricksTable(ReportTableModel& table, const TricksTableSort& sort) {
    table.SortRows([&sort](const QStringList& a, const QStringList& b) {
        return TricksTableCompare(sort, a, b) < 0;
    });
}

CellColour TricksTableCellColour(int column, bool lineSelected, bool rowPossible,
                                 bool selectedLineColumn) {
    if (!lineSelected) return CellColour::Black;
    if (!rowPossible) return CellColour::Grey;
    if (column == TricksTableCaptionColumn) return CellColour::Default;
    if (column < TricksTableFixedColumns || selectedLineColumn) return CellColour::Black;
    return CellColour::Grey;
}

QColor CellColourValue(CellColour colour) {
    switch (colour) {
    case CellColour::Black:
        return QColor(0, 0, 0);
    case CellColour::Grey:
        return QColor(128, 128, 128);
    case CellColour::Default:
        break;
    }
    return QColor();
}

void CellColourDelegate::initStyleOption(QStyleOptionViewItem* option,
                                         const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const QColor colour = CellColourValue(colourOf_(index));
    if (!colour.isValid()) return;
    option->palette.setColor(QPalette::Text, colour);
    // A selected row keeps its highlight text unless the row is ruled out.
    if (colour == CellColourValue(CellColour::Grey))
        option->palette.setColor(QPalette::HighlightedText, colour);
}

} // namespace nvx
