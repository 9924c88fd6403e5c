// Copying from the program's list views: the selected rows with the header, as
// tab-separated text, by Ctrl+C or the context menu; Ctrl+A selects every row.
#pragma once

#include <QString>

class QTreeWidget;

namespace nvx {

// The header and the selected rows, top to bottom, one line each, cells
// separated by tabs (with the blanks of the number formats trimmed).
QString SelectedRowsText(const QTreeWidget* view);

// Lets several rows be selected, and adds Copy (Ctrl+C) and Select all (Ctrl+A)
// to the view and to its context menu.
void EnableTableCopy(QTreeWidget* view);

} // namespace nvx
