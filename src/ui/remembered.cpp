#include "ui/remembered.h"

#include "present/input_rules.h"

#include <QSettings>

namespace nvx {

namespace {

void Write(QSettings& s, const RememberedCombo& c) {
    s.setValue("north", QString::fromStdString(c.North.str()));
    s.setValue("south", QString::fromStdString(c.South.str()));
    s.setValue("discards", QString::fromStdString(c.Discards.str()));
    s.setValue("entries", c.Entries);
    s.setValue("vacantWest", c.VacantWest);
    s.setValue("vacantEast", c.VacantEast);
    s.setValue("imps", c.Goal.has_value());
    const ContractGoal g = c.Goal.value_or(ContractGoal{});
    s.setValue("level", g.Contract.Level);
    s.setValue("strain", g.Contract.Strain);
    s.setValue("doubled", g.Contract.Doubled != 0);
    s.setValue("redoubled", g.Contract.Redoubled != 0);
    s.setValue("vulnerable", g.Contract.Vulnerable != 0);
    s.setValue("tricksNeeded", g.TricksNeeded);
}

// A value from 0 to max, or nothing.
std::optional<std::uint8_t> Small(const QSettings& s, const char* key, int max) {
    bool ok = false;
    const int v = s.value(key).toInt(&ok);
    if (!ok || v < 0 || v > max) return std::nullopt;
    return static_cast<std::uint8_t>(v);
}

std::optional<RememberedCombo> Read(const QSettings& s) {
    if (!s.contains("north")) return std::nullopt;
    RememberedCombo c;
    auto holding = [&s](const char* key) {
        return NormalizeHolding(s.value(key).toString().toLatin1().toStdString());
    };
    c.North = holding("north");
    c.South = holding("south");
    c.Discards = holding("discards");
    const auto entries = Small(s, "entries", MaxEntriesValue);
    const auto west = Small(s, "vacantWest", MaxPlacesValue);
    const auto east = Small(s, "vacantEast", MaxPlacesValue);
    if (!entries || !west || !east) return std::nullopt;
    c.Entries = *entries;
    c.VacantWest = *west;
    c.VacantEast = *east;
    if (s.value("imps").toBool()) {
        const auto level = Small(s, "level", 7);
        const auto strain = Small(s, "strain", 4);
        const auto tricks = Small(s, "tricksNeeded", 13);
        if (!level || *level < 1 || !strain || !tricks) return std::nullopt;
        ContractGoal g;
        g.Contract.Level = *level;
        g.Contract.Strain = *strain;
        g.Contract.Doubled = s.value("doubled").toBool() ? 1 : 0;
        g.Contract.Redoubled = s.value("redoubled").toBool() ? 1 : 0;
        g.Contract.Vulnerable = s.value("vulnerable").toBool() ? 1 : 0;
        g.TricksNeeded = *tricks;
        c.Goal = g;
    }
    return c;
}

} // namespace

QString RememberedCombo::MenuText() const {
    auto hand = [](const Holding& h) {
        return h.empty() ? QStringLiteral("-") : QString::fromStdString(h.str());
    };
    QString text = QStringLiteral("%1 / %2").arg(hand(North), hand(South));
    if (!Discards.empty()) text += QStringLiteral(", discards %1").arg(hand(Discards));
    if (Entries < HoldingMinus(North, Discards).size())
        text += QStringLiteral(", %1 entries").arg(Entries);
    if (VacantWest < 13 || VacantEast < 13)
        text += QStringLiteral(", vacant %1-%2").arg(VacantWest).arg(VacantEast);
    if (Goal) text += QStringLiteral(", ") + QString::fromStdString(CompareMethodText(*Goal));
    return text;
}

std::optional<RememberedCombo> ReadLastCombo(QSettings& settings) {
    settings.beginGroup("last");
    std::optional<RememberedCombo> c = Read(settings);
    settings.endGroup();
    return c;
}

QList<RememberedCombo> ReadRecentCombos(QSettings& settings) {
    QList<RememberedCombo> recent;
    const int n = settings.beginReadArray("recent");
    for (int i = 0; i < n && recent.size() < RecentCombosKept; ++i) {
        settings.setArrayIndex(i);
        if (std::optional<RememberedCombo> c = Read(settings)) recent << *c;
    }
    settings.endArray();
    return recent;
}

void RememberCombo(QSettings& settings, const RememberedCombo& c) {
    settings.beginGroup("last");
    Write(settings, c);
    settings.endGroup();
    QList<RememberedCombo> recent = ReadRecentCombos(settings);
    recent.removeAll(c);
    recent.prepend(c);
    while (recent.size() > RecentCombosKept)
        recent.removeLast();
    settings.remove("recent");
    settings.beginWriteArray("recent", static_cast<int>(recent.size()));
    for (int i = 0; i < recent.size(); ++i) {
        settings.setArrayIndex(i);
        Write(settings, recent[i]);
    }
    settings.endArray();
    settings.sync();
}

} // namespace nvx
