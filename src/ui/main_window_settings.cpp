// The main window's remembered state: geometry, last and recent combinations.
#include "ui/combo_dialog.h"
#include "ui/main_window.h"
#include "ui/remembered.h"

#include <QAction>
#include <QMenu>
#include <QSettings>

namespace nvx {

void MainWindow::UseSettings(QSettings* settings) {
    settings_ = settings;
    if (!settings_) return;
    const QByteArray geometry = settings_->value("window/geometry").toByteArray();
    if (!geometry.isEmpty()) restoreGeometry(geometry);
    if (const std::optional<RememberedCombo> last = ReadLastCombo(*settings_))
        combo_->SetValues(last->North, last->South, last->Discards, last->Entries, last->VacantWest,
                          last->VacantEast, last->Goal);
    FillRecentMenu();
}

void MainWindow::SaveGeometry() {
    if (settings_) settings_->setValue("window/geometry", saveGeometry());
}

void MainWindow::RememberDialogCombo() {
    if (!settings_) return;
    RememberCombo(*settings_,
                  {combo_->NorthHolding(), combo_->SouthHolding(), combo_->DiscardsHolding(),
                   combo_->EntriesCount(), combo_->VacantWest(), combo_->VacantEast(),
                   combo_->ContractGoalOrNone()});
    FillRecentMenu();
}

void MainWindow::FillRecentMenu() {
    recentMenu_->clear();
    const QList<RememberedCombo> recent =
        settings_ ? ReadRecentCombos(*settings_) : QList<RememberedCombo>();
    for (const RememberedCombo& c : recent) {
        // The dialog opens with the combination, ready for OK.
        recentMenu_->addAction(c.MenuText(), this, [this, c] {
            combo_->SetValues(c.North, c.South, c.Discards, c.Entries, c.VacantWest, c.VacantEast,
                              c.Goal);
            GetCombo();
        });
    }
    recentMenu_->setEnabled(!recent.isEmpty());
}

} // namespace nvx
