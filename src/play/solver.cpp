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
    return t >= 1 && e.NorthWonTrickEndingAt(static_cast<std::uint8_t>(4 * t));
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
    void ShowMessage(MessageKind kind, const std::string& text) override {
        ++reports_;
        h_.ShowMessage(kind, text);
    }
    void ReportInternalError(std::uint16_t code, std::string_view text,
                             const std::string& message) override {
        ++reports_;
        h_.ReportInternalError(code, text, message);
    }
    void ProcessPendingEvents() override { h_.ProcessPendingEvents(); }
    bool StopRequested() override {
        if (!h_.StopRequested()) return false;
        stopSeen_ = true;
        return true;
    }
    bool OpenAddress(const std::string& address) override { return h_.OpenAddress(address); }

    unsigned long reports() const { return reports_; }
    bool stopSeen() const { return stopSeen_; }

  private:
    Host& h_;
    unsigned long reports_ = 0;
    bool stopSeen_ = false;
};

// One search from the current position, one card per level, in these steps:
//
//   Step 1. Declarer leads: from North when North may lead, then from South.
//           Leading no more is always an alternative. Declarer chooses: a union.
//   Step 2. Second hand, a defender, plays any of the defenders' unplayed
//           cards or shows out. The defenders choose, division by division,
//           the branch worse for declarer: a product.
//   Step 3. Third hand, declarer's other hand, plays; it shows out only when
//           void. Declarer chooses: a union.
//   Step 4. Fourth hand, a defender, plays as in step 2; its card completes
//           the trick.
//   Step 5. The trick is complete. On a stop request the position scores the
//           tricks won so far. With Counting the last trick and an ending with
//           the defenders down to one card are counted by rule; otherwise the
//           next trick starts again at step 1.
//
// Every alternative is a move of the play state (PlayCard or ShowOut) taken
// back with UndoPlay once its node has answered, so every node leaves the
// state exactly as it found it. The alternatives are the ones the rules of the
// play state allow (MayPlayFrom the hand, a card left in the class, CanShowOut),
// tried highest class first and the show-out last.
//
// With a table, the set of every trick start is looked up first and stored
// once found, unless something was reported while it was searched (so that a
// report comes each time the position is searched, as without the table) or a
// stop was seen (the set may be incomplete; the table then takes nothing more).
template <bool Counting> class Search {
  public:
    Search(Engine& e, TrickStartTable* table)
        : e_(e), h_(e.host), p_(e.play), t_(e.classes), table_(table) {}

    LineSet Run() {
        LineSet r;
        switch (p_.PositionInTrick()) {
        case 0:
            r = LeadNode();
            break;
        case 1:
            r = SecondHandNode();
            break;
        case 2:
            r = ThirdHandNode();
            break;
        default:
            r = FourthHandNode();
            break;
        }
        if (r.empty()) r = Const(p_.NSTricks(t_));
        return r;
    }

  private:
    LineSet Const(std::uint8_t tricks) const { return SingleLineSet(ConstEval(e_, tricks)); }

    // Step 1, through the table of trick starts when there is one.
    LineSet LeadNode() {
        assert(p_.Seat == seat::None && p_.PositionInTrick() == 0 && "a trick is to be led");
#ifndef NDEBUG
        const PlayState before = p_;
#endif
        LineSet a;
        if (table_ == nullptr) {
            a = DeclarerLeads();
        } else {
            const TrickStartKey key = KeyOfTrickStart(e_);
            const std::uint8_t won = p_.NSTricks(t_);
            if (std::optional<LineSet> known = table_->Find(key, won)) return std::move(*known);
            const unsigned long reports = h_.reports();
            a = DeclarerLeads();
            if (h_.stopSeen())
                table_->Close();
            else if (h_.reports() == reports)
                table_->Store(key, a, won);
        }
        assert(p_ == before && "the tricks below leave the play state as they found it");
        return a;
    }

    // Step 1. Declarer leads: North's leads (when it may lead) united with
    // South's.
    LineSet DeclarerLeads() {
        LineSet a;
        if (p_.MayLead(t_, hand::North)) a = LeadFrom(hand::North);
        assert(p_.MayLead(t_, hand::South) && "South can always be reached");
        LineSet b = LeadFrom(hand::South);
        UnionSS(h_, a, b);
        return a;
    }

    // Each card hand h may lead, and stopping the play of the suit here.
    LineSet LeadFrom(std::uint8_t h) {
        LineSet r = Const(p_.NSTricks(t_));
        const std::uint8_t classes = p_.MayPlayFrom(t_, h) ? t_.ClassCount[h] : 0;
        for (std::uint8_t i = 0; i < classes; ++i) {
            const std::uint8_t c = t_.ClassList[h][i];
            if (p_.Remaining[c] == 0) continue;
            p_.PlayCard(t_, c);
            LineSet x = SecondHandNode();
            UnionSS(h_, r, x);
            p_.UndoPlay(t_);
        }
        return r;
    }

    // Step 2. Second hand plays.
    LineSet SecondHandNode() {
        assert(p_.PositionInTrick() == 1 && SeatOwner[p_.Seat] == hand::Defenders &&
               "a defender plays second hand");
        return DefenderPlays<&Search::ThirdHandNode>();
    }

    // Step 3. Third hand plays: declarer's choice among its hand's cards, or
    // the show-out of a void hand.
    LineSet ThirdHandNode() {
        assert(p_.PositionInTrick() == 2 && (p_.Seat == seat::North || p_.Seat == seat::South) &&
               "North or South plays third hand");
        LineSet r;
        const std::uint8_t h = SeatOwner[p_.Seat];
        [[maybe_unused]] unsigned cards = 0;
        const std::uint8_t classes = p_.MayPlayFrom(t_, h) ? t_.ClassCount[h] : 0;
        for (std::uint8_t i = 0; i < classes; ++i) {
            const std::uint8_t c = t_.ClassList[h][i];
            if (p_.Remaining[c] == 0) continue;
            p_.PlayCard(t_, c);
            LineSet x = FourthHandNode();
            UnionSS(h_, r, x);
            p_.UndoPlay(t_);
            ++cards;
        }
        if (p_.CanShowOut(t_)) {
            assert(cards == 0 && "a hand shows out only when it has no card to play");
            p_.ShowOut(t_);
            LineSet x = FourthHandNode();
            UnionSS(h_, r, x);
            p_.UndoPlay(t_);
        } else {
            assert(cards > 0 && "a hand with no card shows out");
        }
        return r;
    }

    // Step 4. Fourth hand plays.
    LineSet FourthHandNode() {
        assert(p_.PositionInTrick() == 3 && SeatOwner[p_.Seat] == hand::Defenders &&
               "a defender plays fourth hand");
        return DefenderPlays<&Search::EndOfTrick>();
    }

    // Steps 2 and 4: the defenders' choice. Either defender may play any of
    // the defenders' unplayed cards; the divisions that stay possible follow
    // from what each of them played. Then comes step Next.
    template <LineSet (Search::*Next)()> LineSet DefenderPlays() {
        LineSet r = SingleLineSet(EmptyEval);
        [[maybe_unused]] unsigned alternatives = 0;
        const std::uint8_t h = hand::Defenders;
        const std::uint8_t classes = p_.MayPlayFrom(t_, h) ? t_.ClassCount[h] : 0;
        for (std::uint8_t i = 0; i < classes; ++i) {
            const std::uint8_t c = t_.ClassList[h][i];
            if (p_.Remaining[c] == 0) continue;
            p_.PlayCard(t_, c);
            LineSet x = (this->*Next)();
            ProductSS(h_, r, x);
            p_.UndoPlay(t_);
            ++alternatives;
        }
        // With the partner void this defender holds every card that is left,
        // so it shows out only when there is none.
        if (p_.CanShowOut(t_)) {
            p_.ShowOut(t_);
            LineSet x = (this->*Next)();
            ProductSS(h_, r, x);
            p_.UndoPlay(t_);
            ++alternatives;
        }
        assert(alternatives > 0 && "a defender always has a card or a show-out");
        return r;
    }

    // Step 5. The trick is complete (Seat None, Trick already the next one).
    LineSet EndOfTrick() {
        assert(p_.Seat == seat::None && p_.PositionInTrick() == 0 && p_.Trick > 1 &&
               "a trick has just been completed");
        if (h_.StopRequested()) return Const(p_.NSTricks(t_));
        const std::uint8_t t = static_cast<std::uint8_t>(p_.Trick - 1); // the trick just completed
        if constexpr (Counting) {
            if (t + 1 < t_.MaxLength) {
                if (p_.CardsLeft(t_, hand::Defenders) > 1) return LeadNode();
                return Const(static_cast<std::uint8_t>(p_.NSTricks(t_) + RemainingNSTricks(e_, t)));
            }
            return Const(
                static_cast<std::uint8_t>(p_.NSTricks(t_) + (WinsLastTrick(e_, t) ? 1 : 0)));
        } else {
            return LeadNode();
        }
    }

    Engine& e_;
    SearchHost h_;
    PlayState& p_;
    const ClassTables& t_;
    TrickStartTable* table_;
};

} // namespace

LineSet Solve(Engine& e) {
    TrickStartTable table;
    return Solve(e, &table);
}

namespace {

template <bool Counting> LineSet RunSearch(Engine& e, TrickStartTable* table) {
#ifndef NDEBUG
    const PlayState before = e.play;
#endif
    LineSet r = Search<Counting>(e, table).Run();
    assert(e.play == before && "the search leaves the play state as it found it");
    return r;
}

} // namespace

LineSet Solve(Engine& e, TrickStartTable* table) {
    return RunSearch<true>(e, table);
}

LineSet SolveFullPlay(Engine& e) {
    return RunSearch<false>(e, nullptr);
}

} // namespace nvx
