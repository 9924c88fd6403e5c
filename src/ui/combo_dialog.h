// The dialog in which the suit combination is entered: North's and South's
// cards and, on a panel folded away by default, the entries to dummy, the
// discards, the vacant places of West and East and IMP scoring with a contract.
#pragma once

#include "cards/contract.h"
#include "cards/holding.h"
#include "cards/host.h"
#include "present/input_rules.h"

#include <QDialog>

#include <cstdint>
#include <optional>
#include <string>

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QWidget;

namespace nvx {

class ContractDialog;
class HoldingLineEdit;
class RangeSpinBox;

class ComboDialog : public QDialog {
    Q_OBJECT
  public:
    ComboDialog(Host& host, ContractDialog& contractDialog, QWidget* parent = nullptr);

    // --- for the main window -------------------------------------------------
    // Empty hands and discards, no entries limit, 13 vacant places each, no goal.
    void Clear();
    void SetValues(const Holding& north, const Holding& south, const Holding& discards,
                   std::uint8_t entries, std::uint8_t vacantWest, std::uint8_t vacantEast,
                   const std::optional<ContractGoal>& goal);

    Holding NorthHolding() const;
    Holding SouthHolding() const;
    // Empty when the discards option is off.
    Holding DiscardsHolding() const;
    // The hand without its discards.
    Holding NorthPlaying() const;
    Holding SouthPlaying() const;
    // The discards that the hand holds.
    Holding NorthDiscards() const;
    Holding SouthDiscards() const;
    Holding DefendersHolding() const;
    // The spin value when the entries option is on, else the length of NorthPlaying.
    std::uint8_t EntriesCount() const;
    // The spin values when the vacant-places option is on, else 13.
    std::uint8_t VacantWest() const;
    std::uint8_t VacantEast() const;
    // The goal when the IMP option is on.
    std::optional<ContractGoal> ContractGoalOrNone() const;
    // Everything the dialog holds, for the shared checks and summary.
    ComboValues Values() const;
    // The tricks that will be played in the suit: the longer playing hand.
    std::uint8_t TricksInSuit() const;

    // --- the parts, for the handlers and for tests ---------------------------
    // The cards the holding edit may hold; internal error 701 for any other control.
    Holding AllowedCards(const QWidget* edit);
    bool IsFolded() const;

    HoldingLineEdit* NorthEdit() const { return northEdit_; }
    HoldingLineEdit* SouthEdit() const { return southEdit_; }
    HoldingLineEdit* DiscardsEdit() const { return discardsEdit_; }
    QPushButton* MoreBitBtn() const { return moreBitBtn_; }
    QPushButton* LessBitBtn() const { return lessBitBtn_; }
    QWidget* AdvancedPanel() const { return advancedPanel_; }
    QCheckBox* EntriesCheckBox() const { return entriesCheckBox_; }
    RangeSpinBox* EntriesEdit() const { return entriesEdit_; }
    QCheckBox* DiscardsCheckBox() const { return discardsCheckBox_; }
    QCheckBox* VacantCheckBox() const { return vacantCheckBox_; }
    RangeSpinBox* WestEdit() const { return westEdit_; }
    RangeSpinBox* EastEdit() const { return eastEdit_; }
    QCheckBox* IMPSCheckBox() const { return impsCheckBox_; }
    QPushButton* ContractButton() const { return contractButton_; }
    QPushButton* OKBtn() const { return okBtn_; }
    QPushButton* CancelBtn() const { return cancelBtn_; }
    QPushButton* HelpBtn() const { return helpBtn_; }
    // Says beside a holding edit why the last key was not taken, until the next key.
    QLabel* RefusedLabel(const QWidget* edit) const;

  public slots:
    void HelpBtnClick();
    void MoreBitBtnClick();
    void LessBitBtnClick();
    void SetAdvancedEnabled();
    void EntriesCheckBoxClick();
    void DiscardsCheckBoxClick();
    void VacantCheckBoxClick();
    void IMPSCheckBoxClick();
    void ContractButtonClick();
    // Runs the checks; closes the dialog with OK when all pass. Returns whether it closed.
    bool OKBtnClick();

  public:
    void HandEditEnter(HoldingLineEdit* edit);
    void HandEditChange(HoldingLineEdit* edit);
    void HandEditExit(HoldingLineEdit* edit);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void Fail(const std::string& message, QWidget* focus);

    Host& host_;
    ContractDialog& contractDialog_;
    ContractGoal goal_;
    bool inChange_ = false;

    HoldingLineEdit* northEdit_;
    HoldingLineEdit* southEdit_;
    HoldingLineEdit* discardsEdit_;
    QFrame* bevel_;
    QPushButton* moreBitBtn_;
    QPushButton* lessBitBtn_;
    QWidget* advancedPanel_;
    QCheckBox* entriesCheckBox_;
    RangeSpinBox* entriesEdit_;
    QCheckBox* discardsCheckBox_;
    QCheckBox* vacantCheckBox_;
    QLabel* westLabel_;
    RangeSpinBox* westEdit_;
    QLabel* eastLabel_;
    RangeSpinBox* eastEdit_;
    QCheckBox* impsCheckBox_;
    QPushButton* contractButton_;
    QPushButton* okBtn_;
    QPushButton* cancelBtn_;
    QPushButton* helpBtn_;
    QLabel* northRefused_;
    QLabel* southRefused_;
    QLabel* discardsRefused_;
};

} // namespace nvx
