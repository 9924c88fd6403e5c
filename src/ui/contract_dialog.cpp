#include "ui/contract_dialog.h"

#include "ui/dialog_buttons.h"
#include "ui/help_pages.h"
#include "ui/pictures.h"
#include "ui/tricks_needed_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace nvx {

ContractDialog::ContractDialog(Host& host, TricksNeededDialog& tricksNeeded, QWidget* parent)
    : QDialog(parent), host_(host), tricksDialog_(tricksNeeded) {
    setWindowTitle(QStringLiteral("Contract and Vulnerability"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* contractGroup = new QGroupBox(QStringLiteral("Contract"), this);
    contractGroup->setObjectName("ContractGroupBox");
    auto* grid = new QGridLayout;
    grid->setSpacing(3);
    // Picture buttons that show plainly which one is chosen.
    contractGroup->setStyleSheet(QStringLiteral(
        "QToolButton { border: 1px solid #a8a8a8; border-radius: 3px; padding: 2px;"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #ececec); }"
        "QToolButton:hover { border-color: #5b8fd6; }"
        "QToolButton:focus { border: 1px dotted #2a5db0; }"
        "QToolButton:checked { border: 2px solid #2a5db0; background: #cfe0f7; }"));
    tabGroup_ = new QButtonGroup(this);
    tabGroup_->setExclusive(true);
    const QSize pictureSize(40, 22);
    for (int tab = 0; tab < TabCount; ++tab) {
        const int level = TabLevel(tab), strain = TabStrain(tab);
        auto* button = new QToolButton(contractGroup);
        button->setCheckable(true);
        button->setIcon(QIcon(ContractPicture(level, strain, pictureSize)));
        button->setIconSize(pictureSize);
        button->setFocusPolicy(Qt::StrongFocus);
        const QString name =
            QString::fromStdString(ContractName(std::uint8_t(level), std::uint8_t(strain)));
        button->setToolTip(name);
        button->setAccessibleName(name);
        button->installEventFilter(this);
        tabGroup_->addButton(button, tab);
        grid->addWidget(button, level - 1, strain);
        tabs_[static_cast<std::size_t>(tab)] = button;
    }
    doubled_ = new QCheckBox(QStringLiteral("Doubled"), contractGroup);
    redoubled_ = new QCheckBox(QStringLiteral("Redoubled"), contractGroup);
    auto* doubleRow = new QHBoxLayout;
    doubleRow->addWidget(doubled_);
    doubleRow->addSpacing(16);
    doubleRow->addWidget(redoubled_);
    doubleRow->addStretch(1);
    auto* contractLayout = new QVBoxLayout(contractGroup);
    contractLayout->addLayout(grid);
    contractLayout->addSpacing(4);
    contractLayout->addLayout(doubleRow);

    auto* vulnerabilityGroup = new QGroupBox(QStringLiteral("Vulnerability"), this);
    vulnerabilityGroup->setObjectName("VulnerabilityGroup");
    vulnerable_ = new QCheckBox(QStringLiteral("Vulnerable"), vulnerabilityGroup);
    auto* vulnerabilityLayout = new QHBoxLayout(vulnerabilityGroup);
    vulnerabilityLayout->addWidget(vulnerable_);
    vulnerabilityLayout->addStretch(1);

    DialogButtons buttons = MakeDialogButtons(this, QStringLiteral("Next"));
    nextBtn_ = buttons.ok;
    cancelBtn_ = buttons.cancel;
    helpBtn_ = buttons.help;

    auto* left = new QVBoxLayout;
    left->addWidget(contractGroup);
    left->addWidget(vulnerabilityGroup);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons.column);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The picture buttons come first in the tab order, in tab-index order.
    QWidget* previous = tabs_[0];
    for (int tab = 1; tab < TabCount; ++tab) {
        setTabOrder(previous, tabs_[static_cast<std::size_t>(tab)]);
        previous = tabs_[static_cast<std::size_t>(tab)];
    }
    for (QWidget* w : std::initializer_list<QWidget*>{doubled_, redoubled_, vulnerable_, nextBtn_,
                                                      cancelBtn_, helpBtn_}) {
        setTabOrder(previous, w);
        previous = w;
    }

    // At most one of Doubled and Redoubled is checked.
    connect(doubled_, &QCheckBox::toggled, this, [this](bool on) {
        if (on) redoubled_->setChecked(false);
    });
    connect(redoubled_, &QCheckBox::toggled, this, [this](bool on) {
        if (on) doubled_->setChecked(false);
    });
    connect(nextBtn_, &QPushButton::clicked, this, &ContractDialog::NextBtnClick);
    connect(cancelBtn_, &QPushButton::clicked, this, &QDialog::reject);
    connect(helpBtn_, &QPushButton::clicked, this, &ContractDialog::HelpBtnClick);

    SetGoal(contract_, tricksNeeded_, tricksInSuit_);
}

void ContractDialog::SetGoal(const Contract& contract, std::uint8_t tricksNeeded,
                             std::uint8_t tricksInSuit) {
    contract_ = contract;
    tricksNeeded_ = tricksNeeded;
    tricksInSuit_ = tricksInSuit;
    if (contract.Level >= 1 && contract.Level <= 7 && contract.Strain <= 4)
        SelectTab(TabIndex(contract.Level, contract.Strain));
    doubled_->setChecked(contract.Doubled != 0);
    redoubled_->setChecked(contract.Redoubled != 0);
    vulnerable_->setChecked(contract.Vulnerable != 0);
}

ContractGoal ContractDialog::GetGoal() const {
    ContractGoal goal;
    goal.Contract = contract_;
    goal.TricksNeeded = tricksNeeded_;
    return goal;
}

int ContractDialog::SelectedTab() const {
    return tabGroup_->checkedId();
}

void ContractDialog::SelectTab(int tab) {
    if (tab < 0 || tab >= TabCount) return;
    tabs_[static_cast<std::size_t>(tab)]->setChecked(true);
}

void ContractDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    const int tab = SelectedTab();
    tabs_[static_cast<std::size_t>(tab >= 0 ? tab : 0)]->setFocus(Qt::OtherFocusReason);
}

bool ContractDialog::eventFilter(QObject* watched, QEvent* event) {
    // The arrow keys move the selection through the grid, as in a tab control.
    if (event->type() == QEvent::KeyPress) {
        const int tab = tabGroup_->id(qobject_cast<QAbstractButton*>(watched));
        if (tab >= 0) {
            int next = -1;
            switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_Left:
                next = tab - 1;
                break;
            case Qt::Key_Right:
                next = tab + 1;
                break;
            case Qt::Key_Up:
                next = tab - 5;
                break;
            case Qt::Key_Down:
                next = tab + 5;
                break;
            default:
                break;
            }
            if (next != -1) {
                if (next >= 0 && next < TabCount) {
                    SelectTab(next);
                    tabs_[static_cast<std::size_t>(next)]->setFocus(Qt::TabFocusReason);
                }
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ContractDialog::HelpBtnClick() {
    OpenWebPage(host_, HelpPageAddress("/help/contract.htm"));
}

bool ContractDialog::NextBtnClick() {
    const int tab =
        SelectedTab() >= 0 ? SelectedTab() : TabIndex(contract_.Level, contract_.Strain);
    contract_.Level = static_cast<std::uint8_t>(TabLevel(tab));
    contract_.Strain = static_cast<std::uint8_t>(TabStrain(tab));
    contract_.Doubled = doubled_->isChecked() ? 1 : 0;
    contract_.Redoubled = redoubled_->isChecked() ? 1 : 0;
    contract_.Vulnerable = vulnerable_->isChecked() ? 1 : 0;

    tricksDialog_.SetLevel(static_cast<std::int8_t>(contract_.Level));
    tricksDialog_.SetContractName(ContractName(contract_.Level, contract_.Strain));
    tricksDialog_.SetPosition(tricksNeeded_);
    tricksDialog_.SetTricksInSuit(static_cast<std::int8_t>(tricksInSuit_));
    if (tricksDialog_.exec() != QDialog::Accepted) return false; // stays open for another try
    tricksNeeded_ = static_cast<std::uint8_t>(tricksDialog_.Position());
    accept();
    return true;
}

} // namespace nvx
