// The dialog in which the contract for IMP scoring is chosen: level and strain
// from a grid of 35 picture buttons, doubled or redoubled, vulnerability; "Next"
// then asks for the tricks needed in the suit.
#pragma once

#include "cards/contract.h"
#include "cards/host.h"

#include <QDialog>

#include <array>
#include <cstdint>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QPushButton;
class QToolButton;

namespace nvx {

class TricksNeededDialog;

class ContractDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr int TabCount = 35;

    ContractDialog(Host& host, TricksNeededDialog& tricksNeeded, QWidget* parent = nullptr);

    // Tab index = (level - 1) * 5 + strain: tab 0 is one club, tab 34 seven notrump.
    static int TabIndex(int level, int strain) { return (level - 1) * 5 + strain; }
    static int TabLevel(int tab) { return tab / 5 + 1; }
    static int TabStrain(int tab) { return tab % 5; }

    // Stores the contract, the tricks needed and the tricks that will be played
    // in the suit, and shows the contract in the controls.
    void SetGoal(const Contract& contract, std::uint8_t tricksNeeded, std::uint8_t tricksInSuit);
    // The stored contract and tricks needed.
    ContractGoal GetGoal() const;

    int SelectedTab() const;
    void SelectTab(int tab);
    QToolButton* TabButton(int tab) const { return tabs_[static_cast<std::size_t>(tab)]; }
    QCheckBox* DoubledCheckBox() const { return doubled_; }
    QCheckBox* RedoubledCheckBox() const { return redoubled_; }
    QCheckBox* VulnerableCheckBox() const { return vulnerable_; }
    QPushButton* NextBtn() const { return nextBtn_; }
    QPushButton* CancelBtn() const { return cancelBtn_; }
    QPushButton* HelpBtn() const { return helpBtn_; }

  public slots:
    // Stores the choice, asks for the tricks needed and closes with OK when that
    // dialog was confirmed; otherwise stays open. Returns whether it closed.
    bool NextBtnClick();
    void HelpBtnClick();

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Host& host_;
    TricksNeededDialog& tricksDialog_;
    std::array<QToolButton*, TabCount> tabs_{};
    QButtonGroup* tabGroup_;
    QCheckBox* doubled_;
    QCheckBox* redoubled_;
    QCheckBox* vulnerable_;
    QPushButton* nextBtn_;
    QPushButton* cancelBtn_;
    QPushButton* helpBtn_;
    Contract contract_;
    std::uint8_t tricksNeeded_ = 2;
    std::uint8_t tricksInSuit_ = 0;
};

} // namespace nvx
