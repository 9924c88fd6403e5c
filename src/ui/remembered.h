// What the desktop program remembers between runs: the combination last
// analysed with its options, the ten most recent ones and the window geometry.
#pragma once

#include "cards/contract.h"
#include "cards/holding.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

class QSettings;

namespace nvx {

// A combination as the dialog takes it back (ComboDialog::SetValues).
struct RememberedCombo {
    Holding North;
    Holding South;
    Holding Discards;
    std::uint8_t Entries = 0;
    std::uint8_t VacantWest = 13;
    std::uint8_t VacantEast = 13;
    std::optional<ContractGoal> Goal;
    friend bool operator==(const RememberedCombo&, const RememberedCombo&) = default;

    // "AQT / 432", then the options that differ from the plain analysis.
    QString MenuText() const;
};

inline constexpr int RecentCombosKept = 10;

// The last combination, nothing when none was saved (or it does not read back).
std::optional<RememberedCombo> ReadLastCombo(QSettings& settings);
// The recent combinations, most recent first.
QList<RememberedCombo> ReadRecentCombos(QSettings& settings);
// Saves c as the last combination and puts it first in the recent ones (once,
// at most RecentCombosKept of them).
void RememberCombo(QSettings& settings, const RememberedCombo& c);

} // namespace nvx
