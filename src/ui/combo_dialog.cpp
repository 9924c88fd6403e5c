#include "ui/combo_dialog.h"

#include "present/input_rules.h"

#include "ui/contract_dialog.h"
#include "ui/dialog_buttons.h"
#include "ui/help_pages.h"
#include "ui/holding_edit.h"
#include "ui/message_boxes.h"
#include "ui/pictures.h"
#include "ui/range_spin_box.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace nvx {

namespace {

Holding EditHolding(const QLineEdit* edit) {
    return NormalizeHolding(edit->text().toLatin1().toStdString());
}

RangeSpinBox* MakeSpin(int maximum, int maxChars, QWidget* parent) {
    auto* spin = new RangeSpinBox(0, maximum, maxChars, parent);
    spin->setFixedWidth(spin->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 36);
    return spin;
}

} // namespace

ComboDialog::ComboDialog(Host& host, ContractDialog& contractDialog, QWidget* parent)
    : QDialog(parent), host_(host), contractDialog_(contractDialog) {
    setWindowTitle(QStringLiteral("Suit Combination"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    bevel_ = new QFrame(this);
    bevel_->setObjectName("Bevel1");
    bevel_->setFrameShape(QFrame::StyledPanel);
    bevel_->setFrameShadow(QFrame::Sunken);

    // The two hands.
    auto* northLabel = new QLabel(QStringLiteral("North:"), bevel_);
    northEdit_ = new HoldingLineEdit(bevel_);
    northEdit_->setObjectName("NorthEdit");
    auto* southLabel = new QLabel(QStringLiteral("South:"), bevel_);
    southEdit_ = new HoldingLineEdit(bevel_);
    southEdit_->setObjectName("SouthEdit");
    northLabel->setBuddy(northEdit_);
    southLabel->setBuddy(southEdit_);
    const int handWidth =
        northEdit_->fontMetrics().horizontalAdvance(QStringLiteral("A K Q J 10 9 8 7 6 5 4 ")) + 16;
    northEdit_->setMinimumWidth(handWidth);
    southEdit_->setMinimumWidth(handWidth);
    northEdit_->SetEnterTarget(southEdit_);
    auto makeRefused = [this](QWidget* parent) {
        auto* label = new QLabel(parent);
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, QColor(160, 0, 0));
        label->setPalette(p);
        // Room for the longest message, so that the dialog keeps its size.
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(
            QStringLiteral("10 is not in North's or South's hand")));
        return label;
    };
    northRefused_ = makeRefused(bevel_);
    southRefused_ = makeRefused(bevel_);
    auto* hands = new QGridLayout;
    hands->setHorizontalSpacing(10);
    hands->addWidget(northLabel, 0, 0);
    hands->addWidget(northEdit_, 0, 1);
    hands->addWidget(northRefused_, 0, 2);
    hands->addWidget(southLabel, 1, 0);
    hands->addWidget(southEdit_, 1, 1);
    hands->addWidget(southRefused_, 1, 2);

    // The advanced panel.
    advancedPanel_ = new QWidget(bevel_);
    advancedPanel_->setObjectName("AdvancedPanel");
    entriesCheckBox_ = new QCheckBox(QStringLiteral("Number Entries to dummy"), advancedPanel_);
    entriesEdit_ = MakeSpin(9, 1, advancedPanel_);
    entriesEdit_->setValue(0);
    discardsCheckBox_ = new QCheckBox(QStringLiteral("Discards or ruffs"), advancedPanel_);
    discardsEdit_ = new HoldingLineEdit(advancedPanel_);
    discardsEdit_->setObjectName("DiscardsEdit");
    discardsRefused_ = makeRefused(advancedPanel_);
    vacantCheckBox_ = new QCheckBox(QStringLiteral("Number vacant places"), advancedPanel_);
    westLabel_ = new QLabel(QStringLiteral("West:"), advancedPanel_);
    westEdit_ = MakeSpin(13, 2, advancedPanel_);
    westEdit_->setValue(13);
    eastLabel_ = new QLabel(QStringLiteral("East:"), advancedPanel_);
    eastEdit_ = MakeSpin(13, 2, advancedPanel_);
    eastEdit_->setValue(13);
    westLabel_->setBuddy(westEdit_);
    eastLabel_->setBuddy(eastEdit_);
    impsCheckBox_ = new QCheckBox(advancedPanel_);
    contractButton_ = new QPushButton(QStringLiteral("Set..."), advancedPanel_);
    contractButton_->setAutoDefault(false);

    auto* vacantRow = new QHBoxLayout;
    vacantRow->setSpacing(6);
    vacantRow->addWidget(westLabel_);
    vacantRow->addWidget(westEdit_);
    vacantRow->addSpacing(10);
    vacantRow->addWidget(eastLabel_);
    vacantRow->addWidget(eastEdit_);
    vacantRow->addStretch(1);
    auto* contractRow = new QHBoxLayout;
    contractRow->addWidget(contractButton_);
    contractRow->addStretch(1);
    auto* entriesRow = new QHBoxLayout;
    entriesRow->addWidget(entriesEdit_);
    entriesRow->addStretch(1);

    auto* panel = new QGridLayout(advancedPanel_);
    panel->setContentsMargins(0, 6, 0, 0);
    panel->setHorizontalSpacing(14);
    panel->setVerticalSpacing(10);
    panel->addWidget(entriesCheckBox_, 0, 0);
    panel->addLayout(entriesRow, 0, 1);
    panel->addWidget(discardsCheckBox_, 1, 0);
    panel->addWidget(discardsEdit_, 1, 1);
    panel->addWidget(discardsRefused_, 1, 2);
    panel->addWidget(vacantCheckBox_, 2, 0);
    panel->addLayout(vacantRow, 2, 1);
    panel->addWidget(impsCheckBox_, 3, 0);
    panel->addLayout(contractRow, 3, 1);
    panel->setColumnStretch(1, 1);

    // More / Less, the glyph to the right of the caption.
    moreBitBtn_ = new QPushButton(QStringLiteral("More"), bevel_);
    lessBitBtn_ = new QPushButton(QStringLiteral("Less"), bevel_);
    moreBitBtn_->setIcon(GlyphIcon(Glyph::Down));
    lessBitBtn_->setIcon(GlyphIcon(Glyph::Up));
    for (QPushButton* b : {moreBitBtn_, lessBitBtn_}) {
        b->setLayoutDirection(Qt::RightToLeft);
        b->setAutoDefault(false);
        b->setMinimumWidth(84);
    }
    auto* foldRow = new QHBoxLayout;
    foldRow->addWidget(moreBitBtn_);
    foldRow->addWidget(lessBitBtn_);
    foldRow->addStretch(1);

    auto* bevelLayout = new QVBoxLayout(bevel_);
    bevelLayout->setContentsMargins(14, 14, 14, 12);
    bevelLayout->setSpacing(10);
    bevelLayout->addLayout(hands);
    bevelLayout->addWidget(advancedPanel_);
    bevelLayout->addLayout(foldRow);

    DialogButtons buttons = MakeDialogButtons(this, QStringLiteral("OK"));
    okBtn_ = buttons.ok;
    cancelBtn_ = buttons.cancel;
    helpBtn_ = buttons.help;

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(bevel_, 1);
    layout->addLayout(buttons.column);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(northEdit_, southEdit_);
    setTabOrder(southEdit_, moreBitBtn_);
    setTabOrder(moreBitBtn_, entriesCheckBox_);
    setTabOrder(entriesCheckBox_, entriesEdit_);
    setTabOrder(entriesEdit_, discardsCheckBox_);
    setTabOrder(discardsCheckBox_, discardsEdit_);
    setTabOrder(discardsEdit_, vacantCheckBox_);
    setTabOrder(vacantCheckBox_, westEdit_);
    setTabOrder(westEdit_, eastEdit_);
    setTabOrder(eastEdit_, impsCheckBox_);
    setTabOrder(impsCheckBox_, contractButton_);
    setTabOrder(contractButton_, lessBitBtn_);
    setTabOrder(lessBitBtn_, okBtn_);
    setTabOrder(okBtn_, cancelBtn_);
    setTabOrder(cancelBtn_, helpBtn_);

    for (HoldingLineEdit* edit : {northEdit_, southEdit_, discardsEdit_}) {
        connect(edit, &HoldingLineEdit::Entered, this, [this, edit] { HandEditEnter(edit); });
        connect(edit, &QLineEdit::textChanged, this, [this, edit] { HandEditChange(edit); });
        connect(edit, &HoldingLineEdit::Exited, this, [this, edit] { HandEditExit(edit); });
    }
    connect(moreBitBtn_, &QPushButton::clicked, this, &ComboDialog::MoreBitBtnClick);
    connect(lessBitBtn_, &QPushButton::clicked, this, &ComboDialog::LessBitBtnClick);
    connect(entriesCheckBox_, &QCheckBox::toggled, this, &ComboDialog::EntriesCheckBoxClick);
    connect(discardsCheckBox_, &QCheckBox::toggled, this, &ComboDialog::DiscardsCheckBoxClick);
    connect(vacantCheckBox_, &QCheckBox::toggled, this, &ComboDialog::VacantCheckBoxClick);
    connect(impsCheckBox_, &QCheckBox::toggled, this, &ComboDialog::IMPSCheckBoxClick);
    connect(contractButton_, &QPushButton::clicked, this, &ComboDialog::ContractButtonClick);
    connect(okBtn_, &QPushButton::clicked, this, &ComboDialog::OKBtnClick);
    connect(cancelBtn_, &QPushButton::clicked, this, &QDialog::reject);
    connect(helpBtn_, &QPushButton::clicked, this, &ComboDialog::HelpBtnClick);

    // Dependent controls are enabled exactly when their box is checked; the
    // dialog starts folded, with 3NT needing two tricks as the goal.
    EntriesCheckBoxClick();
    DiscardsCheckBoxClick();
    VacantCheckBoxClick();
    IMPSCheckBoxClick();
    moreBitBtn_->show();
    lessBitBtn_->hide();
    advancedPanel_->hide();
    goal_ = ContractGoal{};
    impsCheckBox_->setText(QString::fromStdString(CompareMethodText(goal_)));
}

// --- values --------------------------------------------------------------------

Holding ComboDialog::NorthHolding() const {
    return EditHolding(northEdit_);
}
Holding ComboDialog::SouthHolding() const {
    return EditHolding(southEdit_);
}

Holding ComboDialog::DiscardsHolding() const {
    return discardsCheckBox_->isChecked() ? EditHolding(discardsEdit_) : Holding();
}

Holding ComboDialog::NorthPlaying() const {
    return Values().NorthPlaying();
}
Holding ComboDialog::SouthPlaying() const {
    return Values().SouthPlaying();
}
Holding ComboDialog::NorthDiscards() const {
    return Values().NorthDiscards();
}
Holding ComboDialog::SouthDiscards() const {
    return Values().SouthDiscards();
}
Holding ComboDialog::DefendersHolding() const {
    return Values().DefendersHolding();
}
std::uint8_t ComboDialog::EntriesCount() const {
    return Values().EntriesCount();
}
std::uint8_t ComboDialog::VacantWest() const {
    return Values().VacantWest();
}
std::uint8_t ComboDialog::VacantEast() const {
    return Values().VacantEast();
}

std::optional<ContractGoal> ComboDialog::ContractGoalOrNone() const {
    if (impsCheckBox_->isChecked()) return goal_;
    return std::nullopt;
}

ComboValues ComboDialog::Values() const {
    ComboValues v;
    v.North = NorthHolding();
    v.South = SouthHolding();
    v.Discards = DiscardsHolding();
    v.EntriesOn = entriesCheckBox_->isChecked();
    v.Entries = static_cast<std::uint8_t>(entriesEdit_->value());
    v.VacantOn = vacantCheckBox_->isChecked();
    v.VacantWestSpin = static_cast<std::uint8_t>(westEdit_->value());
    v.VacantEastSpin = static_cast<std::uint8_t>(eastEdit_->value());
    v.Goal = ContractGoalOrNone();
    return v;
}

std::uint8_t ComboDialog::TricksInSuit() const {
    return Values().TricksInSuit();
}

void ComboDialog::Clear() {
    SetValues({}, {}, {}, 0, 13, 13, std::nullopt);
}

void ComboDialog::SetValues(const Holding& north, const Holding& south, const Holding& discards,
                            std::uint8_t entries, std::uint8_t vacantWest, std::uint8_t vacantEast,
                            const std::optional<ContractGoal>& goal) {
    // Empty all three first: each hand is filtered against the other, and the
    // previous contents must not take cards away from the new ones.
    for (HoldingLineEdit* edit : {discardsEdit_, southEdit_, northEdit_})
        edit->clear();

    northEdit_->setText(QString::fromLatin1(north.view().data(), qsizetype(north.size())));
    HandEditExit(northEdit_);
    southEdit_->setText(QString::fromLatin1(south.view().data(), qsizetype(south.size())));
    HandEditExit(southEdit_);
    discardsEdit_->setText(QString::fromLatin1(discards.view().data(), qsizetype(discards.size())));
    HandEditExit(discardsEdit_);

    discardsCheckBox_->setChecked(!EditHolding(discardsEdit_).empty());
    DiscardsCheckBoxClick();

    // Entries that cover all of North's cards mean no limit.
    if (NorthPlaying().size() > entries) {
        entriesEdit_->setValue(entries);
        entriesCheckBox_->setChecked(true);
    } else {
        entriesEdit_->setValue(0);
        entriesCheckBox_->setChecked(false);
    }
    EntriesCheckBoxClick();

    westEdit_->setValue(vacantWest);
    eastEdit_->setValue(vacantEast);
    vacantCheckBox_->setChecked(vacantWest < 13 || vacantEast < 13);
    VacantCheckBoxClick();

    if (goal) {
        goal_ = *goal;
        impsCheckBox_->setText(QString::fromStdString(CompareMethodText(goal_)));
        impsCheckBox_->setChecked(true);
    } else {
        impsCheckBox_->setChecked(false);
    }
    IMPSCheckBoxClick();

    if (!lessBitBtn_->isEnabled() && lessBitBtn_->isHidden()) MoreBitBtnClick();
}

// --- handlers ------------------------------------------------------------------

void ComboDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    northEdit_->setFocus(Qt::OtherFocusReason);
}

void ComboDialog::HelpBtnClick() {
    OpenWebPage(host_, HelpPageAddress("/help/combo.htm"));
}

Holding ComboDialog::AllowedCards(const QWidget* edit) {
    const std::string north = northEdit_->text().toLatin1().toStdString();
    const std::string south = southEdit_->text().toLatin1().toStdString();
    if (edit == northEdit_) return nvx::AllowedCards(HoldingEdit::North, north, south);
    if (edit == southEdit_) return nvx::AllowedCards(HoldingEdit::South, north, south);
    if (edit == discardsEdit_) return nvx::AllowedCards(HoldingEdit::Discards, north, south);
    InternalError(host_, InternalErrorCode::AllowedCardsOfUnknownEdit);
    return {};
}

void ComboDialog::HandEditEnter(HoldingLineEdit* edit) {
    edit->deselect();
    edit->end(false);
    // Enter in North moves on to South instead of closing the dialog.
    if (edit == northEdit_) okBtn_->setDefault(false);
}

QLabel* ComboDialog::RefusedLabel(const QWidget* edit) const {
    if (edit == northEdit_) return northRefused_;
    if (edit == southEdit_) return southRefused_;
    return discardsRefused_;
}

void ComboDialog::HandEditChange(HoldingLineEdit* edit) {
    if (inChange_) return;
    inChange_ = true;
    const QString typed = edit->text();
    const std::string typedText = typed.toUpper().toLatin1().toStdString();
    const Holding allowed = AllowedCards(edit);
    const FilteredText filtered = FilterTypedText(
        typedText, allowed, static_cast<std::size_t>(std::max(0, edit->cursorPosition())));
    const QString clean =
        QString::fromLatin1(filtered.Text.data(), qsizetype(filtered.Text.size()));
    // The message stays until the next key, which shows the next one or none.
    const HoldingEdit field = edit == northEdit_   ? HoldingEdit::North
                              : edit == southEdit_ ? HoldingEdit::South
                                                   : HoldingEdit::Discards;
    RefusedLabel(edit)->setText(edit->hasFocus() ? QString::fromLatin1(RefusedKeyMessage(
                                                       field, typedText, filtered.Text, allowed))
                                                 : QString());
    if (clean != typed) edit->setText(clean);
    edit->setCursorPosition(static_cast<int>(filtered.Caret));
    inChange_ = false;
    // Discards that North and South no longer hold disappear at once.
    if (edit != discardsEdit_) HandEditExit(discardsEdit_);
}

void ComboDialog::HandEditExit(HoldingLineEdit* edit) {
    RefusedLabel(edit)->clear();
    const QString display = QString::fromStdString(
        HoldingEditExitText(edit->text().toLatin1().toStdString(), AllowedCards(edit)));
    if (edit->text() != display) edit->setText(display);
    if (edit == northEdit_) okBtn_->setDefault(true);
    if (edit == discardsEdit_ && DiscardsHolding().empty()) discardsCheckBox_->setChecked(false);
}

void ComboDialog::MoreBitBtnClick() {
    moreBitBtn_->hide();
    lessBitBtn_->show();
    advancedPanel_->show();
    if (isVisible()) entriesCheckBox_->setFocus(Qt::OtherFocusReason);
}

void ComboDialog::LessBitBtnClick() {
    const bool hadFocus = lessBitBtn_->hasFocus();
    moreBitBtn_->show();
    lessBitBtn_->hide();
    advancedPanel_->hide();
    if (hadFocus) moreBitBtn_->setFocus(Qt::OtherFocusReason);
}

bool ComboDialog::IsFolded() const {
    return advancedPanel_->isHidden();
}

void ComboDialog::SetAdvancedEnabled() {
    // The panel cannot be folded over an option that is on.
    lessBitBtn_->setEnabled(!entriesCheckBox_->isChecked() && !discardsCheckBox_->isChecked() &&
                            !vacantCheckBox_->isChecked() && !impsCheckBox_->isChecked());
}

void ComboDialog::EntriesCheckBoxClick() {
    entriesEdit_->setEnabled(entriesCheckBox_->isChecked());
    SetAdvancedEnabled();
}

void ComboDialog::DiscardsCheckBoxClick() {
    discardsEdit_->setEnabled(discardsCheckBox_->isChecked());
    SetAdvancedEnabled();
}

void ComboDialog::VacantCheckBoxClick() {
    const bool on = vacantCheckBox_->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{westLabel_, westEdit_, eastLabel_, eastEdit_})
        w->setEnabled(on);
    SetAdvancedEnabled();
}

void ComboDialog::IMPSCheckBoxClick() {
    contractButton_->setEnabled(impsCheckBox_->isChecked());
    SetAdvancedEnabled();
}

void ComboDialog::ContractButtonClick() {
    contractDialog_.SetGoal(goal_.Contract, goal_.TricksNeeded, TricksInSuit());
    if (contractDialog_.exec() != QDialog::Accepted) return;
    goal_ = contractDialog_.GetGoal();
    impsCheckBox_->setText(QString::fromStdString(CompareMethodText(goal_)));
}

void ComboDialog::Fail(const std::string& message, QWidget* focus) {
    MessageBoxes::Error(this, QString::fromStdString(message));
    focus->setFocus(Qt::OtherFocusReason);
}

bool ComboDialog::OKBtnClick() {
    for (RangeSpinBox* spin : {entriesEdit_, westEdit_, eastEdit_})
        if (spin->RangeErrorPending()) return false;

    const ComboCheck check = CheckCombination(Values());
    if (!check.ok()) {
        QWidget* focus = northEdit_;
        switch (check.Focus) {
        case ComboField::South:
            focus = southEdit_;
            break;
        case ComboField::Discards:
            focus = discardsEdit_;
            break;
        case ComboField::West:
            focus = westEdit_;
            break;
        case ComboField::East:
            focus = eastEdit_;
            break;
        case ComboField::Contract:
            focus = contractButton_;
            break;
        default:
            break;
        }
        Fail(check.Message, focus);
        return false;
    }
    accept();
    return true;
}

} // namespace nvx
