// The dialog that asks how many tricks in the suit the contract needs, with a
// warning when the number cannot fit the contract.
#pragma once

#include "cards/host.h"

#include <QDialog>

#include <cstdint>
#include <string>

class QLabel;
class QPushButton;

namespace nvx {

class RangeSpinBox;

class TricksNeededDialog : public QDialog {
    Q_OBJECT
  public:
    explicit TricksNeededDialog(Host& host, QWidget* parent = nullptr);

    // Filled by the contract dialog before showing.
    void SetLevel(std::int8_t level) { level_ = level; }
    void SetContractName(const std::string& name) { contractName_ = name; }
    void SetTricksInSuit(std::int8_t tricks) { tricksInSuit_ = tricks; }
    void SetPosition(int tricksNeeded);
    // The tricks needed as the spin box holds them.
    int Position() const;

    RangeSpinBox* TricksNeededEdit() const { return tricksNeededEdit_; }
    QPushButton* OKBtn() const { return okBtn_; }
    QPushButton* CancelBtn() const { return cancelBtn_; }
    QPushButton* HelpBtn() const { return helpBtn_; }

    // The warning texts, or empty when the number fits.
    static std::string TricksWarning(int tricksNeeded, int tricksInSuit, int level,
                                     const std::string& contractName);

  public slots:
    // Closes the dialog with OK unless a warning was answered with Cancel;
    // returns whether it closed.
    bool OKBtnClick();
    void HelpBtnClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    Host& host_;
    RangeSpinBox* tricksNeededEdit_;
    QPushButton* okBtn_;
    QPushButton* cancelBtn_;
    QPushButton* helpBtn_;
    std::int8_t level_ = 3;
    std::string contractName_ = "3NT";
    std::int8_t tricksInSuit_ = 0;
};

} // namespace nvx
