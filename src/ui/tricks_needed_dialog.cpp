#include "ui/tricks_needed_dialog.h"

#include "ui/dialog_buttons.h"
#include "ui/help_pages.h"
#include "ui/message_boxes.h"
#include "ui/range_spin_box.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace nvx {

TricksNeededDialog::TricksNeededDialog(Host& host, QWidget* parent) : QDialog(parent), host_(host) {
    setWindowTitle(QStringLiteral("Tricks needed"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* bevel = new QFrame(this);
    bevel->setObjectName("Bevel1");
    bevel->setFrameShape(QFrame::StyledPanel);
    bevel->setFrameShadow(QFrame::Sunken);
    auto* explanation1 =
        new QLabel(QStringLiteral("Specify the number of tricks in the suit"), bevel);
    auto* explanation2 = new QLabel(QStringLiteral("needed to fulfill the contract."), bevel);
    auto* tricksLabel = new QLabel(QStringLiteral("Tricks needed:"), bevel);
    tricksNeededEdit_ = new RangeSpinBox(0, 13, 2, bevel);
    tricksNeededEdit_->setValue(0);
    tricksNeededEdit_->setMinimumWidth(56);
    tricksLabel->setBuddy(tricksNeededEdit_);

    auto* inner = new QVBoxLayout(bevel);
    inner->setContentsMargins(14, 12, 14, 12);
    inner->setSpacing(2);
    inner->addWidget(explanation1);
    inner->addWidget(explanation2);
    inner->addSpacing(12);
    auto* row = new QHBoxLayout;
    row->addWidget(tricksLabel);
    row->addWidget(tricksNeededEdit_);
    row->addStretch(1);
    inner->addLayout(row);
    inner->addStretch(1);

    DialogButtons buttons = MakeDialogButtons(this, QStringLiteral("OK"));
    okBtn_ = buttons.ok;
    cancelBtn_ = buttons.cancel;
    helpBtn_ = buttons.help;

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(bevel, 1);
    layout->addLayout(buttons.column);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(okBtn_, &QPushButton::clicked, this, &TricksNeededDialog::OKBtnClick);
    connect(cancelBtn_, &QPushButton::clicked, this, &QDialog::reject);
    connect(helpBtn_, &QPushButton::clicked, this, &TricksNeededDialog::HelpBtnClick);
}

void TricksNeededDialog::SetPosition(int tricksNeeded) {
    tricksNeededEdit_->setValue(tricksNeeded);
}

int TricksNeededDialog::Position() const {
    return tricksNeededEdit_->value();
}

void TricksNeededDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    tricksNeededEdit_->setFocus(Qt::OtherFocusReason);
    tricksNeededEdit_->selectAll();
}

void TricksNeededDialog::HelpBtnClick() {
    OpenWebPage(host_, HelpPageAddress("/help/tricksneeded.htm"));
}

std::string TricksNeededDialog::TricksWarning(int t, int p, int level, const std::string& name) {
    if (t + 13 < p + level + 6) {
        // Winning only t of the p tricks of the suit loses more than the contract allows.
        return "Not enough tricks specified.\r\nPress OK to ignore this message.\r\n\r\n" +
               std::to_string(p) + " tricks will be played in the suit.\r\n" + "so winning " +
               std::to_string(t) + " tricks in the suit\r\n" + "means losing " +
               std::to_string(p - t) + " tricks. \r\n" + "So " + name + " will not make.";
    }
    if (t > level + 6) {
        return "Too many tricks specified.\r\nPress OK to ignore this message.\r\n\r\n" +
               std::to_string(t) + " tricks is too much\r\n" + "when the contract is " + name + ".";
    }
    return {};
}

bool TricksNeededDialog::OKBtnClick() {
    if (tricksNeededEdit_->RangeErrorPending()) return false;
    if (!tricksNeededEdit_->CheckOnExit()) return false;
    const std::string warning = TricksWarning(Position(), tricksInSuit_, level_, contractName_);
    if (!warning.empty() && !MessageBoxes::WarningOkCancel(this, QString::fromStdString(warning)))
        return false;
    accept();
    return true;
}

} // namespace nvx
