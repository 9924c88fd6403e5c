#include "ui/dialog_buttons.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace nvx {

DialogButtons MakeDialogButtons(QWidget* parent, const QString& okCaption) {
    DialogButtons b;
    b.ok = new QPushButton(okCaption, parent);
    b.cancel = new QPushButton(QStringLiteral("Cancel"), parent);
    b.help = new QPushButton(QStringLiteral("&Help"), parent);
    b.ok->setDefault(true);
    b.column = new QVBoxLayout;
    b.column->setSpacing(6);
    for (QPushButton* button : {b.ok, b.cancel, b.help}) {
        button->setMinimumWidth(84);
        b.column->addWidget(button);
    }
    b.column->addStretch(1);
    return b;
}

} // namespace nvx
