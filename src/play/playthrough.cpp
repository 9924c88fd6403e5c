#include "play/playthrough.h"

#include "cards/holding.h"

#include <algorithm>

namespace nvx {

namespace {

bool Contains(std::string_view text, char c) {
    return text.find(c) != std::string_view::npos;
}

// The play code of a card character: its class rank (0 for no card).
std::uint8_t CodeOf(const Engine& e, char c) {
    return static_cast<std::uint8_t>(RankValue(e.ClassRepresentative(c)));
}

} // namespace

// --- playing ------------------------------------------------------------------------

bool PlayThrough::PlayChar(char c) {
    std::string& ps = engine_.combo.PlayString;
    if (c == ';') return AddTrickSeparator();
    if (c == '-') {
        if (!dyn_.PlayOnLine(FirstShowOut)) return false;
        ps.push_back('-');
        return true;
    }
    if (Contains(ps, c)) return false;
    if (!dyn_.PlayOnLine(CodeOf(engine_, c))) return false;
    AddTrickSeparator(); // closes a complete trick, if any
    ps.push_back(c);
    return true;
}

bool PlayThrough::AddTrickSeparator() {
    std::string& ps = engine_.combo.PlayString;
    if (ps.size() % 5 != 4) return false;
    ps.push_back(';');
    return true;
}

void PlayThrough::DropTrickSeparator() {
    std::string& ps = engine_.combo.PlayString;
    if (!ps.empty() && ps.back() == ';') ps.pop_back();
}

void PlayThrough::TakeBackCard() {
    std::string& ps = engine_.combo.PlayString;
    if (CurrentTrickCards().empty()) {
        DropTrickSeparator();
        return;
    }
    dyn_.UndoOnLine();
    ps.pop_back();
}

// --- queries -------------------------------------------------------------------------

std::string PlayThrough::CurrentTrickCards() const {
    const std::string& ps = engine_.combo.PlayString;
    const std::size_t start = ps.size() / 5 * 5;
    return ps.substr(start, 4);
}

std::string PlayThrough::NorthUnplayed() const {
    return UnplayedCards(engine_.combo.North.view());
}

std::string PlayThrough::SouthUnplayed() const {
    return UnplayedCards(engine_.combo.South.view());
}

std::string PlayThrough::UnplayedCards(std::string_view holding) const {
    const std::string& ps = engine_.combo.PlayString;
    const std::string_view discards = engine_.combo.Discards.view();
    std::string r;
    for (char c : holding)
        if (!Contains(ps, c) && !Contains(discards, c)) r.push_back(c);
    return r;
}

bool PlayThrough::CanPlayChar(char c) {
    std::uint8_t code;
    if (c == '-') {
        code = FirstShowOut;
    } else {
        if (Contains(engine_.combo.PlayString, c)) return false;
        code = CodeOf(engine_, c);
    }
    if (!engine_.Play(code)) return false;
    engine_.UndoPlay();
    return true;
}

std::string PlayThrough::PlayableCards() {
    std::string r;
    for (char c : FullSuit())
        if (CanPlayChar(c)) r.push_back(c);
    if (CanPlayChar('-')) r.push_back('-');
    return r;
}

bool PlayThrough::CanPlayCharOnLine(char c) {
    if (!CanPlayChar(c)) return false;
    const std::uint8_t code = c == '-' ? FirstShowOut : CodeOf(engine_, c);
    if (!dyn_.PlayOnLine(code)) return false;
    dyn_.UndoOnLine();
    return true;
}

std::string PlayThrough::LineCards() {
    std::string r;
    for (char c : FullSuit())
        if (CanPlayCharOnLine(c)) r.push_back(c);
    if (CanPlayCharOnLine('-')) r.push_back('-');
    return r;
}

std::uint8_t PlayThrough::TrickLeaderSeat() const {
    const std::string& ps = engine_.combo.PlayString;
    if (ps.size() % 5 == 0) return seat::None;
    const char lead = ps[ps.size() / 5 * 5];
    return HasCard(lead, engine_.combo.North.view()) ? seat::North : seat::South;
}

char PlayThrough::TrickWinningCard(int k) const {
    const std::string& ps = engine_.combo.PlayString;
    char best = '-';
    if (k < 1) return best;
    const std::size_t first = static_cast<std::size_t>(5 * k - 5);
    const std::size_t last = std::min(first + 4, ps.size()); // one past the trick's last card
    for (std::size_t p = first; p < last; ++p)
        if (IsHigher(ps[p], best)) best = ps[p];
    return best;
}

bool PlayThrough::TrickWonByNS(int k) const {
    const char w = TrickWinningCard(k);
    return HasCard(w, engine_.combo.North.view()) || HasCard(w, engine_.combo.South.view());
}

int PlayThrough::CompletedTricks() const {
    return static_cast<int>((engine_.combo.PlayString.size() + 1) / 5);
}

int PlayThrough::NSTricksWon() const {
    int n = 0;
    for (int k = 1; k <= CompletedTricks(); ++k)
        if (TrickWonByNS(k)) ++n;
    return n;
}

void PlayThrough::SplitDefendersCards(std::string& west, std::string& east) const {
    west.clear();
    east.clear();
    const std::string& ps = engine_.combo.PlayString;
    bool northLed = false;
    for (std::size_t i = 0; i < ps.size(); ++i) {
        const char c = ps[i];
        switch ((i + 1) % 5) {
        case 1:
            northLed = HasCard(c, engine_.combo.North.view());
            break;
        case 2:
            (northLed ? east : west).push_back(c);
            break;
        case 4:
            (northLed ? west : east).push_back(c);
            break;
        default: // declarer's third hand and the separators
            break;
        }
    }
}

namespace {

// Removes the cards one defender played from the text of its layout: a card
// named in its own text is removed, a card named in the partner's text rules
// the layout out, any other card takes one "x"; a show-out requires the
// layout to have nothing left for it.
bool ConsumePlayed(std::string_view played, std::string& own, const std::string& partner) {
    for (char d : played) {
        if (d == '-') {
            if (!own.empty()) return false;
        } else if (HasCard(d, own)) {
            RemoveCard(d, own);
        } else if (HasCard(d, partner)) {
            return false;
        } else if (HasCard('x', own)) {
            RemoveCard('x', own);
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

bool PlayThrough::IsDivisionPossible(std::string_view west, std::string_view east) const {
    const Holding& ew = engine_.combo.EWCards;
    bool ok = true;
    int xs = 0;
    for (char c : ew) {
        if (!ok) break;
        const bool inW = HasCard(c, west), inE = HasCard(c, east);
        if (inW && inE)
            ok = false;
        else if (inW || inE)
            ok = xs == 0; // no card may be named below one shown as x
        else
            ++xs;
    }
    xs -= static_cast<int>(std::count(west.begin(), west.end(), 'x') +
                           std::count(east.begin(), east.end(), 'x'));
    if (ok) ok = xs == 0 && west.size() + east.size() == ew.size();
    if (!ok) return false;

    std::string wp, ep;
    SplitDefendersCards(wp, ep);
    std::string w(west), e(east);
    if (!ConsumePlayed(wp, w, e)) return false;
    return ConsumePlayed(ep, e, w);
}

} // namespace nvx
