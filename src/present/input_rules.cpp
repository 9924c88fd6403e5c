#include "present/input_rules.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

namespace nvx {

namespace {

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

} // namespace

std::string Quoted(char c) {
    if (std::isprint(static_cast<unsigned char>(c))) return std::string("'") + c + "'";
    char buf[16];
    std::snprintf(buf, sizeof buf, "character %d", static_cast<unsigned char>(c));
    return buf;
}

// --- numeric fields ------------------------------------------------------------------

std::string RangeMessage(int max) {
    return "Value must be integer number in the range 0 to " + std::to_string(max);
}

std::optional<int> ParseRangeValue(std::string_view text, int max) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    int value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (*first == '+') ++first;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last || first == last) return std::nullopt;
    if (value < 0 || value > max) return std::nullopt;
    return value;
}

// --- holdings as typed ------------------------------------------------------------

Holding AllowedCards(HoldingEdit edit, std::string_view northText, std::string_view southText) {
    switch (edit) {
    case HoldingEdit::North:
        return HoldingMinus(FullSuit(), NormalizeHolding(southText));
    case HoldingEdit::South:
        return HoldingMinus(FullSuit(), NormalizeHolding(northText));
    case HoldingEdit::Discards:
        return NormalizeHolding(std::string(northText) + std::string(southText));
    }
    return {};
}

std::string ExpandLowestFree(std::string_view text, const Holding& allowed) {
    std::string out(text);
    Holding spare = HoldingMinus(allowed, NormalizeHolding(text));
    for (std::size_t i = out.size(); i-- > 0 && !spare.empty();) {
        if (out[i] == 'X' || out[i] == 'x') {
            out[i] = spare[spare.size() - 1];
            Holding rest;
            for (std::size_t k = 0; k + 1 < spare.size(); ++k)
                rest.push_back(spare[k]);
            spare = rest;
        }
    }
    return out;
}

FilteredText FilterTypedText(std::string_view typed, const Holding& allowed, std::size_t caret) {
    const std::string text = ExpandLowestFree(typed, allowed);
    const bool hasTen = text.find('T') != std::string::npos;
    const std::size_t firstZero = text.find('0');
    FilteredText result;
    std::string& out = result.Text;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        bool keep;
        if (c == ' ') {
            keep = true;
        } else if (out.find(c) != std::string::npos) {
            keep = false;
        } else if (c == '1') {
            keep = !hasTen && HasCard('T', allowed) && (firstZero == i + 1 || caret == i + 1);
        } else if (c == '0') {
            keep = !out.empty() && out.find('1') == out.size() - 1;
        } else {
            keep = HasCard(c, allowed);
        }
        if (keep) out += c;
        if (caret == i + 1) result.Caret = out.size();
    }
    if (caret > text.size()) result.Caret = out.size();
    return result;
}

std::string RefusedKeyMessage(HoldingEdit edit, std::string_view typed, std::string_view kept,
                              const Holding& allowed) {
    // Walk the typed text (each x as the card it stands for) along what was
    // kept; the first character that is not there was refused.
    const std::string expanded = ExpandLowestFree(typed, allowed);
    std::size_t k = 0;
    for (std::size_t i = 0; i < expanded.size(); ++i) {
        const char c = expanded[i];
        if (k < kept.size() && kept[k] == c) {
            ++k;
            continue;
        }
        if (c == ' ') continue;
        const char card = c == '1' || c == '0' ? 'T' : c;
        const std::string name = card == 'T' ? std::string("10") : std::string(1, c);
        if (c == 'X') return "No card is left for x";
        if (c == '0') return "0 is not a card";
        if (RankValue(card) == 0) return name + " is not a card";
        if (expanded.find(card) < i || (card == 'T' && expanded.find('T') != std::string::npos))
            return name + " is there already";
        if (!HasCard(card, allowed)) {
            switch (edit) {
            case HoldingEdit::North:
                return name + " is in South's hand";
            case HoldingEdit::South:
                return name + " is in North's hand";
            case HoldingEdit::Discards:
                return name + " is not in North's or South's hand";
            }
        }
        return name + " cannot be typed here";
    }
    return {};
}

std::string HoldingEditExitText(std::string_view text, const Holding& allowed) {
    const Holding h = NormalizeHolding(text);
    return HoldingDisplayText(HoldingMinus(h, HoldingMinus(h, allowed)));
}

std::optional<TypedHolding> ReadTypedHolding(std::string_view text, std::string_view who,
                                             std::string& error) {
    TypedHolding h;
    std::string named;
    auto refuse = [&](const std::string& what) {
        error = std::string(who) + ": " + what;
        return std::nullopt;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = Upper(text[i]);
        if (c == ' ') continue;
        if (c == '1' && i + 1 < text.size() && text[i + 1] == '0') {
            c = 'T';
            ++i;
        } else if (c == 'X') {
            ++h.Lows;
            continue;
        } else if (RankValue(c) == 0) {
            if (c == '1' || c == '0')
                return refuse(Quoted(text[i]) + " is no card (write 10 or T for the ten)");
            return refuse(Quoted(text[i]) + " is no card");
        }
        if (named.find(c) != std::string::npos)
            return refuse(std::string(c == 'T' ? "10" : std::string(1, c)) + " is given twice");
        named += c;
    }
    h.Cards = NormalizeHolding(named);
    if (h.Cards.size() + h.Lows > 13) return refuse("more than 13 cards");
    return h;
}

std::optional<Holding> ResolveLows(const TypedHolding& h, const Holding& allowed) {
    const std::string text = ExpandLowestFree(h.Cards.str() + std::string(h.Lows, 'X'), allowed);
    if (text.find('X') != std::string::npos) return std::nullopt;
    return NormalizeHolding(text);
}

// --- the combination ------------------------------------------------------------------

std::string CompareMethodText(const ContractGoal& goal) {
    std::string s = "IMPS: " + ContractText(goal.Contract) + ", " +
                    std::to_string(goal.TricksNeeded) + " trick";
    if (goal.TricksNeeded != 1) s += "s";
    return s;
}

std::uint8_t ComboValues::EntriesCount() const {
    return EntriesOn ? Entries : static_cast<std::uint8_t>(NorthPlaying().size());
}

std::uint8_t ComboValues::TricksInSuit() const {
    return static_cast<std::uint8_t>(std::max(NorthPlaying().size(), SouthPlaying().size()));
}

ComboCheck CheckCombination(const ComboValues& v) {
    if (v.NorthPlaying().size() < 2 && v.SouthPlaying().size() < 2) {
        const bool discardsToBlame = v.North.size() >= 2 || v.South.size() >= 2;
        return {"Either North or South needs at least two cards",
                discardsToBlame ? ComboField::Discards : ComboField::North};
    }
    if (v.DefendersHolding().size() < 2)
        return {"Defenders need at least two cards", ComboField::North};
    if (v.VacantOn && v.North.size() + v.VacantEastSpin + v.South.size() + v.VacantWestSpin < 13)
        return {"Not enough vacant places for defenders' cards", ComboField::West};
    if (v.Goal) {
        const int level = v.Goal->Contract.Level;
        const int t = static_cast<std::int8_t>(v.Goal->TricksNeeded);
        const int p = v.TricksInSuit();
        const std::string name = ContractName(v.Goal->Contract.Level, v.Goal->Contract.Strain);
        if (level + 6 < t)
            return {"Too many tricks specified for IMPs. \r\n" + std::to_string(level + 6) +
                        " tricks should be enough for " + name + ".",
                    ComboField::Contract};
        if (p + level > t + 7)
            return {"Not enough tricks specified for IMPS. \r\n\r\n" + std::to_string(p) +
                        " tricks will be played in the suit, " + "so winning " + std::to_string(t) +
                        " tricks in the suit means losing " + std::to_string(p - t) +
                        " tricks. \r\n" + "So " + name + " will not make.\r\n" +
                        "Either change contract or number tricks needed for contract, " +
                        "or remove or discard cards from North or South.",
                    ComboField::North};
    }
    return {};
}

std::string CombinationSummary(const ComboValues& v) {
    std::string s = "North: \t" + v.North.str();
    if (!v.NorthDiscards().empty()) s += "\t\t\tdiscards: " + v.NorthDiscards().str();
    if (v.EntriesCount() < v.NorthPlaying().size())
        s += "\t\t\tentries: " + std::to_string(v.EntriesCount());
    s += "\rSouth: \t" + v.South.str();
    if (!v.SouthDiscards().empty()) s += "\t\t\tdiscards: " + v.SouthDiscards().str();
    s += "\r\r";
    if (v.Goal) s += "Compare method: " + CompareMethodText(*v.Goal) + ";";
    if (v.VacantWest() < 13 || v.VacantEast() < 13)
        s += " Vacant places: West " + std::to_string(v.VacantWest()) + " East " +
             std::to_string(v.VacantEast());
    return s;
}

} // namespace nvx
