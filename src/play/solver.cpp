#include "play/solver.h"

#include "play/possible_divs.h"

#include <algorithm>
#include <cassert>
#include <string>

namespace nvx {

std::uint8_t HighestLeft(const Engine& e, std::uint8_t h) {
    const ClassTables& t = e.classes;
    for (std::uint8_t i = 0; i < t.ClassCount[h]; ++i) {
        const std::uint8_t r = t.ClassList[h][i];
        if (e.play.Remaining[r] > 0) return r;
    }
    return 0;
}

std::uint8_t SecondHighestLeft(const Engine& e, std::uint8_t h) {
    const ClassTables& t = e.classes;
    bool haveHighest = false;
    for (std::uint8_t i = 0; i < t.ClassCount[h]; ++i) {
        const std::uint8_t r = t.ClassList[h][i];
        const std::uint8_t n = e.play.Remaining[r];
        if (n == 0) continue;
        if (haveHighest || n >= 2) return r;
        haveHighest = true;
    }
    return 0;
}

std::uint8_t LowestLeft(const Engine& e, std::uint8_t h) {
    const ClassTables& t = e.classes;
    for (std::uint8_t i = t.ClassCount[h]; i > 0; --i) {
        const std::uint8_t r = t.ClassList[h][i - 1];
        if (e.play.Remaining[r] > 0) return r;
    }
    return 14;
}

namespace {

bool NorthWonTrick(const Engine& e, std::uint8_t t) {
    return t >= 1 && e.classes.Owner[e.play.Highest[4 * t]] == hand::North;
}

} // namespace

bool WinsLastTrick(const Engine& e, std::uint8_t t) {
    const std::uint8_t d = HighestLeft(e, hand::Defenders);
    if (d < HighestLeft(e, hand::South)) return true;   // South leads its winner
    if (d >= HighestLeft(e, hand::North)) return false; // nobody beats the defenders
    if (e.play.EntriesLeft > 0) return true;            // North leads its winner
    if (e.classes.SouthLength > t) return true;         // South leads towards it
    return NorthWonTrick(e, t);                         // North is on lead already
}

std::uint8_t RemainingNSTricks(const Engine& e, std::uint8_t t) {
    const ClassTables& c = e.classes;
    const std::uint8_t d = HighestLeft(e, hand::Defenders);
    const std::uint8_t n = HighestLeft(e, hand::North);
    const std::uint8_t s = HighestLeft(e, hand::South);
    const std::uint8_t ln = static_cast<std::uint8_t>(c.NorthLength - t);
    const std::uint8_t ls = static_cast<std::uint8_t>(c.SouthLength - t);
    const std::uint8_t entries = e.play.EntriesLeft;
    const bool northWon = NorthWonTrick(e, t);
    const auto less1 = [](std::uint8_t x) { return static_cast<std::uint8_t>(x - 1); };

    if (n > d || s > d) { // the defenders' last card (if any) can be beaten
        if (c.NorthLength <= c.SouthLength) return ls;
        if (entries > 0) return ln;
        if (c.SouthLength <= t) return northWon ? ln : 0;
        if (n < LowestLeft(e, hand::South)) return ls;
        if (c.SouthLength == t + 1) return ln;
        if (d < s) return ln;
        if (SecondHighestLeft(e, hand::North) > LowestLeft(e, hand::South)) return ln;
        return less1(ln);
    }
    // The defenders' card beats everything North and South hold.
    if (c.NorthLength <= c.SouthLength) return less1(ls);
    if (entries > 1) return less1(ln);
    if (entries == 1 && c.SouthLength > t) return less1(ln);
    if (entries == 1) return northWon ? less1(ln) : 0;
    if (c.SouthLength <= t + 1) return 0;
    if (n > LowestLeft(e, hand::South)) return less1(ln);
    return less1(ls);
}

namespace {

// The engine's host as the search hands it on: every call goes through, and
// the search learns whether anything was reported and whether a stop request
// was ever seen. A set is complete unless some poll answered with a stop.
class SearchHost final : public Host {
  public:
    explicit SearchHost(Host& h) : h_(h) {}
    void showMessage(MessageKind kind, const std::string& text) override {
        ++reports_;
        h_.showMessage(kind, text);
    }
    void reportInternalError(std::uint16_t code, std::string_view text,
                             const std::string& message) override {
        ++reports_;
        h_.reportInternalError(code, text, message);
    }
    void processPendingEvents() override { h_.processPendingEvents(); }
    bool stopRequested() override {
        if (!h_.stopRequested()) return false;
        stopSeen_ = true;
        return true;
    }
    bool openAddress(const std::string& address) override { return h_.openAddress(address); }

    unsigned long reports() const { return reports_; }
    bool stopSeen() const { return stopSeen_; }

  private:
    Host& h_;
    unsigned long reports_ = 0;
    bool stopSeen_ = false;
};

// One search from the current position. Cards are played and taken back
// directly on the play state with the rules of the play written out in place;
// every node leaves the state exactly as it found it. With Counting the search
// ends at the last trick and when the defenders are down to one card, and the
// tricks from there are counted by rule; without it every trick is played.
//
// With a table, the set of every trick start is looked up first and stored
// once found, unless something was reported while it was searched (so that a
// report comes each time the position is searched, as without the table) or a
// stop was seen (the set may be incomplete; the table then takes nothing more).
template <bool Counting> class Search {
  public:
    Search(Engine& e, TrickStartTable* table)
        : e_(e), h_(e.host), p_(e.play), t_(e.classes), table_(table) {}

    TStratSet Run() {
        TStratSet r;
        switch (e_.PositionInTrick()) {
        case 0:
            r = LeadNode();
            break;
        case 1:
            r = DefenderNode(false);
            break;
        case 2:
            r = ThirdHandNode();
            break;
        default:
            r = DefenderNode(true);
            break;
        }
        if (r.empty()) r = Const(e_.NSTricks());
        return r;
    }

  private:
    TStratSet Const(std::uint8_t tricks) const { return SingleStratSet(ConstEval(e_, tricks)); }

    // A trick is to be led (Seat is None).
    TStratSet LeadNode() {
        if (table_ == nullptr) return SearchLead();
        const TrickStartKey key = KeyOfTrickStart(e_);
        if (const auto known = table_->Find(key)) return *known;
        const unsigned long reports = h_.reports();
        TStratSet a = SearchLead();
        if (h_.stopSeen())
            table_->Close();
        else if (h_.reports() == reports)
            table_->Store(key, a);
        return a;
    }

    TStratSet SearchLead() {
        TStratSet a;
        const std::uint8_t k = p_.CardIndex;
        if (p_.Trick > 1 && t_.Owner[p_.Highest[k - 1]] == hand::North) {
            p_.Seat = seat::North; // North won the last trick: no entry needed
            a = LeadFrom();
        } else if (p_.EntriesLeft > 0) {
            --p_.EntriesLeft;
            p_.Seat = seat::North;
            a = LeadFrom();
            ++p_.EntriesLeft;
        }
        p_.Seat = seat::South;
        TStratSet b = LeadFrom();
        UnionSS(h_, a, b);
        p_.Seat = seat::None;
        return a;
    }

    // Seat is North or South, about to lead. Stopping the play of the suit
    // here is always an alternative.
    TStratSet LeadFrom() {
        TStratSet r = Const(e_.NSTricks());
        const std::uint8_t leader = p_.Seat;
        const std::uint8_t h = SeatOwner[leader];
        const std::uint8_t k = p_.CardIndex;
        for (std::uint8_t i = 0; i < t_.ClassCount[h]; ++i) {
            const std::uint8_t c = t_.ClassList[h][i];
            if (p_.Remaining[c] == 0) continue;
            --p_.Remaining[c];
            p_.Played[k] = c;
            p_.Highest[k] = c;
            p_.CardIndex = static_cast<std::uint8_t>(k + 1);
            p_.Seat = NextSeat[leader];
            TStratSet x = DefenderNode(false);
            UnionSS(h_, r, x);
            p_.Seat = leader;
            p_.CardIndex = k;
            p_.Played[k] = 0;
            p_.Highest[k] = 0;
            ++p_.Remaining[c];
        }
        return r;
    }

    // A defender plays second (fourth == false) or fourth hand. Either
    // defender may play any of the defenders' unplayed cards; the divisions
    // that stay possible follow from what each of them played.
    TStratSet DefenderNode(bool fourth) {
        TStratSet r = SingleStratSet(EmptyEval);
        const std::uint8_t s = p_.Seat;
        const std::uint8_t k = p_.CardIndex;
        const std::uint8_t before = p_.Highest[k - 1];
        if (p_.ShownOut[s]) {
            p_.Played[k] = LaterShowOut;
            p_.Highest[k] = before;
            p_.CardIndex = static_cast<std::uint8_t>(k + 1);
            TStratSet x = Next(fourth, s);
            ProductSS(h_, r, x);
            p_.CardIndex = k;
            p_.Played[k] = 0;
            p_.Highest[k] = 0;
            return r;
        }
        const bool west = s == seat::West;
        bool played = false;
        for (std::uint8_t i = 0; i < t_.ClassCount[hand::Defenders]; ++i) {
            const std::uint8_t c = t_.ClassList[hand::Defenders][i];
            if (p_.Remaining[c] == 0) continue;
            if (west) ++p_.WestPlayed[c];
            --p_.Remaining[c];
            p_.Played[k] = c;
            p_.Highest[k] = std::max(c, before);
            p_.CardIndex = static_cast<std::uint8_t>(k + 1);
            TStratSet x = Next(fourth, s);
            ProductSS(h_, r, x);
            p_.CardIndex = k;
            p_.Played[k] = 0;
            p_.Highest[k] = 0;
            ++p_.Remaining[c];
            if (west) --p_.WestPlayed[c];
            played = true;
        }
        // With the partner void this defender holds every card that is left.
        if (played && p_.ShownOut[PartnerSeat[s]]) return r;
        p_.ShownOut[s] = 1;
        p_.Played[k] = FirstShowOut;
        p_.Highest[k] = before;
        p_.CardIndex = static_cast<std::uint8_t>(k + 1);
        TStratSet x = Next(fourth, s);
        ProductSS(h_, r, x);
        p_.CardIndex = k;
        p_.Played[k] = 0;
        p_.Highest[k] = 0;
        p_.ShownOut[s] = 0;
        return r;
    }

    // After a defender's card: third hand, or the end of the trick.
    TStratSet Next(bool fourth, std::uint8_t s) {
        TStratSet x;
        if (fourth) {
            p_.Seat = seat::None;
            x = EndOfTrick();
        } else {
            p_.Seat = NextSeat[s];
            x = ThirdHandNode();
        }
        p_.Seat = s;
        return x;
    }

    // North or South plays third hand; it must follow while it has a card.
    TStratSet ThirdHandNode() {
        TStratSet r;
        const std::uint8_t s = p_.Seat;
        const std::uint8_t h = SeatOwner[s];
        const std::uint8_t k = p_.CardIndex;
        const std::uint8_t before = p_.Highest[k - 1];
        for (std::uint8_t i = 0; i < t_.ClassCount[h]; ++i) {
            const std::uint8_t c = t_.ClassList[h][i];
            if (p_.Remaining[c] == 0) continue;
            --p_.Remaining[c];
            p_.Played[k] = c;
            p_.Highest[k] = std::max(c, before);
            p_.CardIndex = static_cast<std::uint8_t>(k + 1);
            p_.Seat = NextSeat[s];
            TStratSet x = DefenderNode(true);
            UnionSS(h_, r, x);
            p_.Seat = s;
            p_.CardIndex = k;
            p_.Played[k] = 0;
            p_.Highest[k] = 0;
            ++p_.Remaining[c];
        }
        const std::uint16_t length = h == hand::North ? t_.NorthLength : t_.SouthLength;
        if (length < p_.Trick) { // the hand is void
            const bool first = p_.ShownOut[s] == 0;
            if (first) p_.ShownOut[s] = 1;
            p_.Played[k] = first ? FirstShowOut : LaterShowOut;
            p_.Highest[k] = before;
            p_.CardIndex = static_cast<std::uint8_t>(k + 1);
            p_.Seat = NextSeat[s];
            TStratSet x = DefenderNode(true);
            UnionSS(h_, r, x);
            p_.Seat = s;
            p_.CardIndex = k;
            p_.Played[k] = 0;
            p_.Highest[k] = 0;
            if (first) p_.ShownOut[s] = 0;
        }
        return r;
    }

    // Trick Trick has just been completed (Seat None, Trick not yet advanced).
    TStratSet EndOfTrick() {
        if (h_.stopRequested()) return Const(e_.NSTricks());
        const std::uint8_t t = p_.Trick;
        if constexpr (Counting) {
            if (t + 1 < t_.MaxLength) {
                if (e_.CardsLeft(hand::Defenders) > 1) return NextTrick(t);
                return Const(static_cast<std::uint8_t>(e_.NSTricks() + RemainingNSTricks(e_, t)));
            }
            return Const(static_cast<std::uint8_t>(e_.NSTricks() + (WinsLastTrick(e_, t) ? 1 : 0)));
        } else {
            return NextTrick(t);
        }
    }

    TStratSet NextTrick(std::uint8_t t) {
        p_.Trick = static_cast<std::uint8_t>(t + 1);
        TStratSet r = LeadNode();
        p_.Trick = t;
        return r;
    }

    Engine& e_;
    SearchHost h_;
    PlayState& p_;
    const ClassTables& t_;
    TrickStartTable* table_;
};

} // namespace

TStratSet Solve(Engine& e) {
    TrickStartTable table;
    return Solve(e, &table);
}

namespace {

template <bool Counting> TStratSet RunSearch(Engine& e, TrickStartTable* table) {
#ifndef NDEBUG
    const PlayState before = e.play;
#endif
    TStratSet r = Search<Counting>(e, table).Run();
    assert(e.play == before && "the search leaves the play state as it found it");
    return r;
}

} // namespace

TStratSet Solve(Engine& e, TrickStartTable* table) {
    return RunSearch<true>(e, table);
}

TStratSet SolveFullPlay(Engine& e) {
    return RunSearch<false>(e, nullptr);
}

} // namespace nvx
