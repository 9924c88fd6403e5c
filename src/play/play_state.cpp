#include "play/engine.h"

#include <algorithm>
#include <cassert>

namespace nvx {
namespace {

// Assigns the classes of a holding in class form (highest first) to a hand and
// returns the number of its cards.
std::uint16_t AssignClasses(ClassTables& t, const THolding& h, std::uint8_t x) {
    std::uint16_t count = 0;
    for (char c : h) {
        const std::uint16_t r = RankValue(c);
        if (r == 0) continue;
        if (t.Owner[r] == hand::None) {
            t.Owner[r] = x;
            if (t.ClassCount[x] < t.ClassList[x].size())
                t.ClassList[x][t.ClassCount[x]++] = static_cast<std::uint8_t>(r);
        }
        if (t.Owner[r] == x) {
            ++t.ClassSize[r];
            ++count;
        }
    }
    return count;
}

} // namespace

void Engine::InitPlayState(const THolding& north, const THolding& south, const THolding& defenders,
                           std::uint8_t entries) {
    classes = ClassTables{};
    classes.NorthLength = AssignClasses(classes, north, hand::North);
    classes.SouthLength = AssignClasses(classes, south, hand::South);
    classes.MaxLength =
        static_cast<std::uint8_t>(std::max(classes.NorthLength, classes.SouthLength));
    classes.EWLength = AssignClasses(classes, defenders, hand::Defenders);
    play.Entries = entries;
    ResetPlay();
}

void Engine::ResetPlay() {
    const std::uint8_t entries = play.Entries;
    play = PlayState{};
    play.Entries = entries;
    play.EntriesLeft = entries;
    play.Remaining = classes.ClassSize;
}

bool Engine::CanPlayCard(std::uint8_t r) const {
    if (r == 0 || r > 13 || play.Remaining[r] == 0) return false;
    const std::uint8_t owner = classes.Owner[r];
    if (play.Seat != seat::None)
        return owner == SeatOwner[play.Seat] && play.ShownOut[play.Seat] == 0;
    if (play.CardIndex > MaxCardsPlayed) return false; // no room for another trick
    if (owner == hand::South) return true;
    if (owner != hand::North) return false;
    if (play.EntriesLeft > 0) return true;
    if (play.Trick == 1) return false;
    return NorthWonTrickEndingAt(play.CardIndex - 1);
}

bool Engine::PlayCard(std::uint8_t r) {
    if (!CanPlayCard(r)) return false;
    const std::uint8_t k = play.CardIndex;
    assert(k <= MaxCardsPlayed && "a trick is led only while there is room for it");
    if (play.Seat == seat::None) {
        const std::uint8_t leader = classes.Owner[r];
        if (leader == hand::North && !(play.Trick > 1 && NorthWonTrickEndingAt(k - 1)))
            --play.EntriesLeft;
        --play.Remaining[r];
        play.Played[k] = r;
        play.Highest[k] = r;
        play.CardIndex = k + 1;
        play.Seat = NextSeat[OwnerLeadSeat[leader]];
        return true;
    }
    if (play.Seat == seat::West) ++play.WestPlayed[r];
    --play.Remaining[r];
    play.Played[k] = r;
    play.Highest[k] = std::max(r, play.Highest[k - 1]);
    play.CardIndex = k + 1;
    if ((k + 1) % 4 == 1) {
        ++play.Trick;
        play.Seat = seat::None;
    } else {
        play.Seat = NextSeat[play.Seat];
    }
    return true;
}

bool Engine::CanShowOut() const {
    switch (PositionInTrick()) {
    case 0:
        return false;
    case 2:
        return CardsLeft(SeatOwner[play.Seat]) == 0;
    default:
        if (play.ShownOut[play.Seat]) return true;
        if (CardsLeft(hand::Defenders) == 0) return true;
        return play.ShownOut[PartnerSeat[play.Seat]] == 0;
    }
}

bool Engine::ShowOut() {
    if (play.Seat == seat::None || !CanShowOut()) return false;
    const std::uint8_t k = play.CardIndex;
    assert(k <= MaxCardsPlayed && "a trick is led only while there is room for it");
    if (play.ShownOut[play.Seat] == 0) {
        play.Played[k] = FirstShowOut;
        play.ShownOut[play.Seat] = 1;
    } else {
        play.Played[k] = LaterShowOut;
    }
    play.Highest[k] = play.Highest[k - 1];
    play.CardIndex = k + 1;
    if ((k + 1) % 4 == 1) {
        ++play.Trick;
        play.Seat = seat::None;
    } else {
        play.Seat = NextSeat[play.Seat];
    }
    return true;
}

bool Engine::Play(std::uint8_t code) {
    if (code == FirstShowOut || code == LaterShowOut) return ShowOut();
    return PlayCard(code);
}

void Engine::UndoPlay() {
    if (play.CardIndex <= 1) {
        InternalError(host, InternalErrorCode::NoCardToTakeBack);
        return;
    }
    if (play.Seat == seat::None) {
        --play.Trick;
        play.Seat = PrevSeat[OwnerLeadSeat[classes.Owner[play.Played[play.CardIndex - 4]]]];
    } else {
        play.Seat = PrevSeat[play.Seat];
    }
    const std::uint8_t k = --play.CardIndex;
    const std::uint8_t c = play.Played[k];
    if (c == FirstShowOut) {
        play.ShownOut[play.Seat] = 0;
    } else if (c != LaterShowOut) {
        ++play.Remaining[c];
        if (play.Seat == seat::West) --play.WestPlayed[c];
    }
    play.Played[k] = 0;
    play.Highest[k] = 0;
    if (k % 4 == 1) {
        if (play.Seat == seat::North && !(play.Trick > 1 && NorthWonTrickEndingAt(k - 1)))
            ++play.EntriesLeft;
        play.Seat = seat::None;
    }
}

std::uint16_t Engine::CardsLeft(std::uint8_t h) const {
    if (h > 3) return 0;
    std::uint16_t n = 0;
    for (std::uint8_t i = 0; i < classes.ClassCount[h]; ++i)
        n += play.Remaining[classes.ClassList[h][i]];
    return n;
}

std::uint8_t Engine::NSTricks() const {
    const unsigned t = (play.CardIndex - 1u) / 4u;
    std::uint8_t n = 0;
    for (unsigned i = 1; i <= t; ++i)
        if (classes.Owner[play.Highest[4 * i]] != hand::Defenders) ++n;
    return n;
}

std::uint8_t Engine::DivNrWestPlayed() const {
    std::uint8_t d = 0;
    for (unsigned i = 0; i < classes.ClassCount[hand::Defenders]; ++i) {
        const unsigned r = classes.ClassList[hand::Defenders][i];
        d = static_cast<std::uint8_t>(d + play.WestPlayed[r] * divs.DivWeight[r]);
    }
    return d;
}

std::uint8_t Engine::DivNrWestPlayedAndUnplayed() const {
    std::uint8_t d = 0;
    for (unsigned i = 0; i < classes.ClassCount[hand::Defenders]; ++i) {
        const unsigned r = classes.ClassList[hand::Defenders][i];
        d = static_cast<std::uint8_t>(d +
                                      (play.WestPlayed[r] + play.Remaining[r]) * divs.DivWeight[r]);
    }
    return d;
}

} // namespace nvx
