#include "play/possible_divs.h"

namespace nvx {

void PossibleDivs(const Engine& engine, Dom& d) {
    d.clear();
    const PlayState& p = engine.play;
    if (p.ShownOut[seat::West]) { // West held exactly what it played
        d.push_back(engine.DivNrWestPlayed());
        return;
    }
    if (p.ShownOut[seat::East]) { // West holds everything East has not played
        d.push_back(engine.DivNrWestPlayedAndUnplayed());
        return;
    }
    // Odometer over the unplayed cards West may still hold, lowest class fastest:
    // with the mixed-radix numbering this yields the DivNrs in ascending order.
    const ClassTables& t = engine.classes;
    const unsigned count = t.ClassCount[hand::Defenders];
    std::uint8_t rank[13];
    std::uint8_t digit[13] = {};
    for (unsigned i = 0; i < count; ++i)
        rank[i] = t.ClassList[hand::Defenders][count - 1 - i];
    const unsigned base = engine.DivNrWestPlayed();
    unsigned offset = 0;
    for (;;) {
        d.push_back(static_cast<std::uint8_t>(base + offset));
        unsigned i = 0;
        while (i < count && digit[i] == p.Remaining[rank[i]]) {
            offset -= digit[i] * engine.DivWeight(rank[i]);
            digit[i] = 0;
            ++i;
        }
        if (i == count) return;
        ++digit[i];
        offset += engine.DivWeight(rank[i]);
    }
}

Eval ConstEval(const Engine& engine, std::uint8_t x) {
    Eval e;
    PossibleDivs(engine, e.Dom);
    e.Val = Val::filled(e.Dom.size(), x);
    return e;
}

} // namespace nvx
