// The OK / Cancel / Help column on the right of the program's dialogs.
#pragma once

#include <QString>

class QPushButton;
class QVBoxLayout;
class QWidget;

namespace nvx {

struct DialogButtons {
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    QPushButton* help = nullptr;
    QVBoxLayout* column = nullptr;
};

// Creates the three buttons (the first one the default) stacked at the top of a
// column; the column is to be added to the dialog's layout by the caller.
DialogButtons MakeDialogButtons(QWidget* parent, const QString& okCaption);

} // namespace nvx
