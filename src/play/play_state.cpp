#include "play/engine.h"

#include <algorithm>

namespace nvx {
namespace {

// Assigns the classes of a holding in class form (highest first) to a hand and
// returns the number of its cards.
std::uint16_t AssignClasses(ClassTables& t, const Holding& h, std::uint8_t x) {
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

void Engine::InitPlayState(const Holding& north, const Holding& south, const Holding& defenders,
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

bool Engine::PlayCard(std::uint8_t r) {
    if (!play.CanPlayCard(classes, r)) return false;
    play.PlayCard(classes, r);
    return true;
}

bool Engine::ShowOut() {
    if (!play.CanShowOut(classes)) return false;
    play.ShowOut(classes);
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
    play.UndoPlay(classes);
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
