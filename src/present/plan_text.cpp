#include "present/plan_text.h"

#include "cards/holding.h"

#include <algorithm>
#include <cctype>

namespace nvx {

namespace {

// A step is cut to about two lines of text.
constexpr std::size_t MaxStepLength = 160;

const char* HandName(std::uint8_t h) {
    return h == hand::North ? "North" : "South";
}
const char* SeatName(std::uint8_t s) {
    return s == seat::West ? "West" : "East";
}
std::uint8_t Partner(std::uint8_t h) {
    return h == hand::North ? hand::South : hand::North;
}

// a above b, a show-out ('-') lowest.
bool Above(char a, char b) {
    if (a == '-' || a == 0) return false;
    if (b == '-' || b == 0) return true;
    return IsHigher(a, b);
}

bool AboveAll(char c, const std::string& cards) {
    return cards.empty() || Above(c, cards.front());
}

std::string Capitalized(std::string s) {
    if (!s.empty()) s[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
    return s;
}
std::string Uncapitalized(std::string s) {
    // "If", "Lead", "Cash", ... but not the names of hands.
    if (s.rfind("North", 0) == 0 || s.rfind("South", 0) == 0 || s.rfind("East", 0) == 0 ||
        s.rfind("West", 0) == 0)
        return s;
    if (!s.empty()) s[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(s[0])));
    return s;
}

std::string JoinOr(const std::vector<std::string>& words) {
    std::string out;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) out += i + 1 == words.size() ? " or " : ", ";
        out += words[i];
    }
    return out;
}

void AddOnce(std::vector<std::string>& v, const std::string& s) {
    if (std::find(v.begin(), v.end(), s) == v.end()) v.push_back(s);
}

std::string Without(std::string cards, char c) {
    if (c != '-' && c != 0) RemoveCard(c, cards);
    return cards;
}

// A card a player would call low: the lowest of its hand and below the 9.
bool IsLowCard(char c, const std::string& handLeft) {
    return c != '-' && !handLeft.empty() && handLeft.back() == c && RankValue(c) <= 7;
}

// A defenders' card nobody would name: below the 10.
bool IsSpot(char c) {
    return c != '-' && RankValue(c) <= 8;
}

std::string TheCard(char c) {
    return "the " + CardWord(c);
}

// Whether a defenders' card is as good as their lowest: it belongs to the run
// of adjacent ranks at the bottom of the defenders' cards (with it), and that
// run reaches below the 10.
bool LowIn(char c, const std::string& outstanding) {
    if (c == '-' || c == 0) return false;
    std::string all = outstanding;
    if (all.find(c) == std::string::npos) all += c;
    std::sort(all.begin(), all.end(), [](char x, char y) { return IsHigher(x, y); });
    if (!IsSpot(all.back())) return false;
    for (std::size_t i = all.size(); i > 0; --i) {
        if (all[i - 1] == c) return true;
        if (i > 1 && RankValue(all[i - 2]) != RankValue(all[i - 1]) + 1) return false;
    }
    return false;
}

// A defenders' card as a player names it: "low", "the king".
std::string CardNoun(char c, const std::string& outstanding) {
    return LowIn(c, outstanding) ? std::string("low") : TheCard(c);
}

// The cards of a hand as a player writes them: "AQ10".
std::string HoldingWords(const std::string& cards) {
    std::string out;
    for (char c : cards)
        out += c == 'T' ? std::string("10") : std::string(1, c);
    return out;
}

// The defenders' cards of a group: "low", "the king", "low or the king".
std::string GroupNoun(const std::string& cards, const std::string& outstanding) {
    std::string low;
    if (!outstanding.empty() && RankValue(outstanding.back()) <= 7) {
        for (std::size_t i = outstanding.size(); i > 0; --i) {
            const char c = outstanding[i - 1];
            if (cards.find(c) == std::string::npos) break;
            low += c;
        }
    }
    std::vector<std::string> named;
    for (char c : cards)
        if (c != '-' && low.find(c) == std::string::npos) named.push_back(CardWord(c));
    std::string out;
    if (!low.empty()) out = "low";
    if (!named.empty()) out += (out.empty() ? "the " : " or the ") + JoinOr(named);
    return out;
}

// "West plays low", "East shows out", "West plays low or shows out".
std::string GroupPlays(std::uint8_t seat, const std::string& cards,
                       const std::string& outstanding) {
    const bool out = cards.find('-') != std::string::npos;
    std::string played = cards;
    played.erase(std::remove(played.begin(), played.end(), '-'), played.end());
    std::string s = SeatName(seat);
    if (!played.empty()) s += " plays " + GroupNoun(played, outstanding);
    if (out) s += played.empty() ? " shows out" : " or shows out";
    return s;
}

const std::string& Own(const PlanStep& s) {
    return s.Hand == hand::North ? s.NorthLeft : s.SouthLeft;
}
const std::string& PartnerCards(const PlanStep& s) {
    return s.Hand == hand::North ? s.SouthLeft : s.NorthLeft;
}

// The cards of the step's hand equal to its card (no defenders' card left nor
// card of the trick lies between), highest first.
std::string EqualCards(const PlanStep& s) {
    const std::string& own = Own(s);
    const std::size_t at = own.find(s.Card);
    if (s.Card == '-' || at == std::string::npos) return std::string(1, s.Card);
    const std::string between = s.DefendersLeft + s.TrickSoFar;
    auto equal = [&](char hi, char lo) {
        return std::none_of(between.begin(), between.end(),
                            [&](char d) { return Above(d, lo) && Above(hi, d); });
    };
    std::size_t top = at, bottom = at;
    while (top > 0 && equal(own[top - 1], own[at]))
        --top;
    while (bottom + 1 < own.size() && equal(own[at], own[bottom + 1]))
        ++bottom;
    return own.substr(top, bottom - top + 1);
}

// Declarer's card as a player names it: the highest of its equals (the 9,
// not the 7, once the 8 has gone).
char Named(const PlanStep& s) {
    return EqualCards(s).front();
}

// A card a player calls low: equal to the lowest of its hand, a card below
// the 8.
bool IsLow(const PlanStep& s) {
    return IsLowCard(EqualCards(s).back(), Own(s));
}

// How a step of declarer's is reached from the last trick: "return to South
// and ", "cross to North with an entry and ", "using an entry to North, ".
std::string LeadPrefix(const LinePlan& lp, const PlanStep& s) {
    if (s.Trick > 1) {
        if (s.Hand == hand::South && s.PreviousWinner == hand::North) return "return to South and ";
        if (s.Hand == hand::North && s.PreviousWinner != hand::North)
            return lp.EntriesLimited ? "cross to North with an entry and " : "cross to North and ";
    } else if (s.Hand == hand::North && lp.EntriesLimited) {
        return "using an entry to North, ";
    }
    return "";
}

// What third hand does, in a player's words (the trick so far is in the
// step's position): "finesse the 10", "win with the ace", "duck", ...
enum class Third { Discard, Overtake, Win, Cover, Finesse, Play, Run, Duck, Low };

Third ThirdKind(const PlanStep& t) {
    const char c = Named(t);
    if (c == '-') return Third::Discard;
    const char lead = t.TrickSoFar.size() > 0 ? t.TrickSoFar[0] : '-';
    const char second = t.TrickSoFar.size() > 1 ? t.TrickSoFar[1] : '-';
    const bool leadHigh = !Above(second, lead);
    const char current = leadHigh ? lead : second;
    const std::string& own = Own(t);
    if (Above(c, current)) {
        if (AboveAll(c, t.DefendersLeft))
            return leadHigh && AboveAll(lead, t.DefendersLeft) ? Third::Overtake : Third::Win;
        if (!leadHigh && !LowIn(second, t.DefendersLeft)) return Third::Cover;
        if (second == '-') return Third::Play; // nothing to finesse against
        for (char o : own)
            if (Above(o, c)) return Third::Finesse;
        return Third::Play;
    }
    if (leadHigh) return AboveAll(lead, t.DefendersLeft) || !IsLow(t) ? Third::Low : Third::Run;
    for (char o : own)
        if (Above(o, current)) return Third::Duck;
    return Third::Low;
}

std::string ThirdWords(const PlanStep& t) {
    const std::string card = TheCard(Named(t));
    switch (ThirdKind(t)) {
    case Third::Discard:
        return std::string("discard from ") + HandName(t.Hand);
    case Third::Overtake:
        return "overtake with " + card;
    case Third::Win:
        return "win with " + card;
    case Third::Cover:
        return "cover with " + card;
    case Third::Finesse:
        return "finesse " + card;
    case Third::Play:
        return "play " + card;
    case Third::Run:
        return "let it run";
    case Third::Duck:
        return std::string("duck in ") + HandName(t.Hand);
    case Third::Low:
        break;
    }
    return IsLow(t) ? std::string("play low from ") + HandName(t.Hand)
                    : "play " + card + " from " + HandName(t.Hand);
}

// One trick's words for the lead and third hand's card after second hand's
// likeliest card: "lead low from South towards North's AQ10 and finesse the
// 10", "cash the ace", "lead the queen from North through East and let it run".
std::string TrickWords(const PlanStep& lead, const PlanStep* third) {
    const char c = Named(lead);
    const std::string from = std::string(" from ") + HandName(lead.Hand);
    if (AboveAll(c, lead.DefendersLeft)) {
        std::string s = "cash " + TheCard(c);
        if (third != nullptr && ThirdKind(*third) == Third::Overtake)
            s += ", overtaking with " + TheCard(Named(*third));
        return s;
    }
    std::string towards;
    for (char p : PartnerCards(lead))
        if (Above(p, lead.Card) && RankValue(p) >= 8) towards += p;
    const bool low = IsLow(lead);
    const std::string partner = HandName(Partner(lead.Hand));
    if (third == nullptr)
        return low ? "lead low" + from +
                         (towards.empty() ? ""
                                          : " towards " + partner + "'s " + HoldingWords(towards))
                   : "lead " + TheCard(c) + from;
    const Third kind = ThirdKind(*third);
    // Second hand's likeliest card is not named here: "cover" would not say
    // what is covered.
    const std::string thirdWords =
        kind == Third::Cover ? "play " + TheCard(Named(*third)) : ThirdWords(*third);
    if (low) {
        if (kind == Third::Win) return "lead low" + from + " to " + TheCard(Named(*third));
        std::string s = "lead low" + from;
        if (!towards.empty() &&
            (kind == Third::Finesse || kind == Third::Play || kind == Third::Cover))
            s += " towards " + partner + "'s " + HoldingWords(towards);
        if (kind == Third::Duck) return s + " and duck in " + partner;
        if (kind == Third::Low && !towards.empty()) return s + " and play low from " + partner;
        return s + " and " + thirdWords;
    }
    std::string s = "lead " + TheCard(c) + from;
    if (kind == Third::Run) {
        bool higher = false;
        for (char p : PartnerCards(lead))
            if (Above(p, lead.Card)) higher = true;
        const char* second = lead.Hand == hand::North ? "East" : "West";
        return s + (higher ? std::string(" through ") + second : std::string()) + " and let it run";
    }
    return s + " and " + thirdWords;
}

// Third hand's card after some of second hand's cards.
struct Alt {
    std::uint8_t Seat = seat::West;
    std::string Cards;       // second hand's
    std::string Outstanding; // the defenders' cards before them
    std::string Words;       // "win with the ace"
    double Weight = 0;

    std::string Text() const {
        std::string cards = Cards;
        std::sort(cards.begin(), cards.end(), [](char x, char y) { return Above(x, y); });
        const bool named = cards.size() == 1 && cards[0] != '-' && !IsSpot(cards[0]);
        for (const char* verb : {"cover", "win"})
            if (named && Words.rfind(std::string(verb) + " with ", 0) == 0)
                return verb + std::string(" ") + TheCard(cards[0]) +
                       Words.substr(std::string(verb).size());
        return "if " + GroupPlays(Seat, cards, Outstanding) + ", " + Words;
    }
};

bool Shares(const std::string& a, const std::string& b) {
    return std::any_of(a.begin(), a.end(), [&](char c) { return b.find(c) != std::string::npos; });
}

// Adds the alternatives of b to those of a, unless they say something
// different after the same card.
bool MergeAlts(std::vector<Alt>& a, const std::string& aMain, const std::vector<Alt>& b,
               const std::string& bMain) {
    std::vector<Alt> out = a;
    for (const Alt& x : b) {
        if (Shares(x.Cards, aMain)) return false;
        auto same =
            std::find_if(out.begin(), out.end(), [&](const Alt& y) { return y.Words == x.Words; });
        if (same != out.end()) {
            for (char c : x.Cards)
                if (same->Cards.find(c) == std::string::npos) same->Cards += c;
            same->Weight = std::max(same->Weight, x.Weight);
            continue;
        }
        if (std::any_of(out.begin(), out.end(),
                        [&](const Alt& y) { return Shares(x.Cards, y.Cards); }))
            return false;
        out.push_back(x);
    }
    for (const Alt& y : a)
        if (Shares(y.Cards, bMain)) return false;
    std::stable_sort(out.begin(), out.end(),
                     [](const Alt& x, const Alt& y) { return x.Weight > y.Weight; });
    a = std::move(out);
    return true;
}

// A step of the plan in words, before it is numbered.
struct Line {
    int Depth = 0;
    std::string Cond;       // "the 10 wins"; empty when the step has no condition
    bool Otherwise = false; // said as "Otherwise, ..." when every other case is said
    bool Partial = false;   // Cond names only the likely cases
    std::string ShortCond;  // the likeliest case of Cond, said where Cond is long
    std::string Prefix;     // "return to South and "
    std::string Main;       // "lead low from South ... and finesse the 10"
    std::string MainCards;  // second hand's cards after which Main is the play
    // What to do on second hand's other cards, likeliest first; the rarest
    // are left to the play-through when the step grows too long.
    std::vector<Alt> Alts;
    std::string Then; // a short last sentence: "cash the winners"
    double Weight = 1;
    std::vector<const PlanStep*> Steps;
};
using Lines = std::vector<Line>;

Line SimpleLine(std::string main, double weight) {
    Line l;
    l.Main = std::move(main);
    l.Weight = weight;
    return l;
}

// A condition of several cases at some length.
bool LongCond(const Line& l) {
    return l.Cond.size() > 40 && l.Cond.find(" or ") != std::string::npos && !l.ShortCond.empty() &&
           l.ShortCond != l.Cond;
}

std::string LineText(const Line& l, std::size_t alts, bool otherwise) {
    std::string s;
    if (otherwise)
        s = "Otherwise, ";
    else if (!l.Cond.empty())
        s = "If " + (LongCond(l) ? l.ShortCond : l.Cond) + ", ";
    std::string main = l.Main;
    for (const char* to : {"North", "South"}) {
        // The hand led from goes without saying after "return to South".
        if (l.Prefix.rfind(std::string("return to ") + to, 0) != 0 &&
            l.Prefix.rfind(std::string("cross to ") + to, 0) != 0)
            continue;
        const std::string from = std::string(" from ") + to;
        if (const std::size_t k = main.find(from); k != std::string::npos)
            main.erase(k, from.size());
    }
    s += l.Prefix + main;
    if (alts > 0) {
        s += " (";
        for (std::size_t k = 0; k < alts; ++k)
            s += (k ? "; " : "") + l.Alts[k].Text();
        s += ")";
    }
    // "Cash the ace, then the other winners": cashing said once.
    const std::string cash = "cash the winners";
    if (alts == 0 && l.Main.rfind("cash the ", 0) == 0 && l.Then.rfind(cash, 0) == 0)
        return Capitalized(s) + ", then the other winners" + l.Then.substr(cash.size()) + ".";
    s = Capitalized(s) + ".";
    if (!l.Then.empty()) s += " Then " + l.Then + ".";
    return s;
}

// Equal words (a block's first step without its condition). The prefix of
// the first step counts: positions where declarer must first return to a
// hand are not said as one with those where that hand is on lead.
std::string Key(const Lines& l) {
    std::string k;
    for (std::size_t i = 0; i < l.size(); ++i) {
        const Line& x = l[i];
        k += std::to_string(x.Depth) + (i ? "|" + x.Cond : std::string()) + "|" + x.Prefix + "|" +
             x.Main + "|" + x.Then + "\n";
    }
    return k;
}

// The hands after a trick, and the defenders known to be void.
struct Position {
    std::string North, South, Defenders;
    bool WestVoid = false, EastVoid = false;
    std::string MaybeGone; // defenders' cards that may have been played instead
};

std::string CashWords(const Position& p) {
    std::string s = "cash the winners";
    const std::string& d = p.Defenders;
    const std::string ours = p.North + p.South;
    // The defenders' best card above all of declarer's, and declarer's best
    // above the rest of theirs: it has to be knocked out first (said only
    // where the defenders have shown no card of a group that may hold it).
    if (!d.empty() && !ours.empty() && p.MaybeGone.empty() &&
        std::none_of(ours.begin(), ours.end(), [&](char c) { return Above(c, d.front()); }) &&
        std::any_of(ours.begin(), ours.end(),
                    [&](char c) { return d.size() < 2 || Above(c, d[1]); }))
        return "knock out " + TheCard(d.front());
    // Cashing from the top can bring down the defenders' best card, and a
    // card of declarer's takes a trick if it does (not worth saying when one
    // defender is known to hold them all).
    if (d.size() < 2 || p.WestVoid || p.EastVoid ||
        p.MaybeGone.find(d.front()) != std::string::npos)
        return s;
    // Nor when declarer's cards above it take as many rounds as there are.
    std::size_t top = 0;
    bool promoted = false;
    for (char c : ours) {
        if (Above(c, d.front())) ++top;
        if (Above(d.front(), c) && Above(c, d[1])) promoted = true;
    }
    if (top > 0 && top < std::max(p.North.size(), p.South.size()) && promoted)
        s += ", playing for the drop of " + TheCard(d.front());
    return s;
}

// One way a trick can go: second hand's group (null when the plan does not
// branch there), third hand's card, fourth hand's group, and the rest.
struct Cont {
    const PlanStep* Lead = nullptr;
    const PlanBranch* Second = nullptr;
    bool MainSecond = true; // second hand's likeliest group (or no branch)
    const PlanStep* Third = nullptr;
    const PlanBranch* Fourth = nullptr;
    std::string FourthCards; // the cards of Fourth's group this way stands for
    const Plan* Rest = nullptr;
    std::size_t From = 0;
    double Weight = 0;
    bool WestVoid = false, EastVoid = false; // known before the trick

    std::uint8_t SecondSeat() const { return Lead->Hand == hand::North ? seat::East : seat::West; }
    std::uint8_t FourthSeat() const { return Lead->Hand == hand::North ? seat::West : seat::East; }

    Position After() const {
        Position p{Lead->NorthLeft, Lead->SouthLeft, Lead->DefendersLeft, WestVoid, EastVoid, ""};
        std::string& own = Lead->Hand == hand::North ? p.North : p.South;
        std::string& other = Lead->Hand == hand::North ? p.South : p.North;
        own = Without(own, Lead->Card);
        auto play = [&](const std::string* cards, std::uint8_t seat) {
            const char c = cards ? GroupCard(*cards) : GroupCard(p.Defenders);
            if (cards && *cards == "-") (seat == seat::West ? p.WestVoid : p.EastVoid) = true;
            if (cards) p.MaybeGone += *cards;
            p.Defenders = Without(p.Defenders, c);
        };
        play(Second ? &Second->Cards : nullptr, SecondSeat());
        if (Third != nullptr) {
            other = Without(other, Third->Card);
            play(Fourth ? &FourthCards : nullptr, FourthSeat());
        }
        return p;
    }
};

// How the trick went, in a player's words, for one card of second hand's
// (0 when the plan does not branch on it) and one of fourth hand's: "the 10
// wins", "the 10 loses to the jack", "the queen drops", "East shows out",
// "West plays the jack and the queen wins". Detail 1 adds every show-out.
struct Outcome {
    std::string Subject; // merged with others of the same subject
    std::string Verb;    // "wins", "loses to the jack"
    std::string Full() const { return Verb.empty() ? Subject : Subject + " " + Verb; }
};

Outcome TrickOutcome(const Cont& c, char second, char fourth, int detail) {
    const PlanStep& lead = *c.Lead;
    const std::string& d = lead.DefendersLeft;
    const std::string secondName = SeatName(c.SecondSeat());
    const std::string fourthName = SeatName(c.FourthSeat());
    std::string context;
    if (!c.MainSecond) {
        if (second == '-')
            context = secondName + " shows out";
        else if (!IsLow(lead) && Above(second, lead.Card))
            context = secondName + " covers";
        else
            context = secondName + " plays " + CardNoun(second, d);
    }
    const std::string dFourth = c.Third ? c.Third->DefendersLeft : d;
    // Show-outs and cards that are not as good as low, said with detail 1
    // (and always when a winner was cashed); the trick's winner is said anyway.
    const char third = c.Third ? Named(*c.Third) : '-';
    const char cards[4] = {Named(lead), second, third, fourth};
    int w = 0;
    for (int k = 1; k < 4; ++k)
        if (Above(cards[k], cards[w])) w = k;
    std::vector<std::string> outs;
    if (second == '-') outs.push_back(secondName + " shows out");
    if (fourth == '-') outs.push_back(fourthName + " shows out");
    for (const auto& [x, name, left] :
         {std::tuple{second, secondName, d}, {fourth, fourthName, dFourth}}) {
        if (x == 0 || x == '-' || LowIn(x, left) || x == cards[w] ||
            (x == second && !context.empty()))
            continue;
        outs.push_back(IsSpot(x) ? name + " plays " + TheCard(x) : TheCard(x) + " drops");
    }
    std::string showOuts;
    for (const std::string& o : outs)
        if (o != context) showOuts += " and " + o; // "West shows out" said once
    auto withContext = [&](const std::string& s) {
        return context.empty() ? s : context + (s.empty() ? "" : " and " + s);
    };
    if (c.Third == nullptr || c.Fourth == nullptr) {
        // Fourth hand's card makes no difference: only second hand's is told.
        if (!context.empty()) return Outcome{context, ""};
        if (second == 0) return Outcome{"", ""};
        return Outcome{second == '-' ? secondName + " shows out"
                                     : secondName + " plays " + CardNoun(second, d),
                       ""};
    }
    const bool thirdOurs = Above(third, cards[0]);
    const char ours = thirdOurs ? third : cards[0];
    const bool sure = AboveAll(ours, d);
    const bool tried = !IsLow(thirdOurs ? *c.Third : lead);
    if ((w == 0 || w == 2) && sure) {
        // A winner was cashed: what fell.
        std::string s;
        for (std::size_t k = 0; k < outs.size(); ++k)
            s += (k ? " and " : "") + outs[k];
        if (s.empty())
            s = !context.empty() ? context
                : c.Second       ? "both follow low"
                                 : fourthName + " plays low";
        return Outcome{s, ""};
    }
    if (w == 0 || w == 2)
        return Outcome{withContext(TheCard(cards[w])), "wins" + (detail > 0 ? showOuts : "")};
    if (w == 1 && !context.empty()) return Outcome{context + " and wins", ""};
    const std::string by =
        LowIn(cards[w], w == 1 ? d : dFourth) ? std::string() : TheCard(cards[w]);
    if (tried)
        return Outcome{withContext(TheCard(ours)),
                       (by.empty() ? std::string("loses") : "loses to " + by) +
                           (detail > 0 ? showOuts : "")};
    return Outcome{withContext(w == 1 ? secondName : fourthName),
                   (by.empty() ? std::string("wins") : "wins with " + by) +
                       (detail > 0 ? showOuts : "")};
}

// The defenders' cards literally: "West plays low and East the king".
std::string LiteralWords(const Cont& c) {
    std::vector<std::string> parts;
    if (c.Second)
        parts.push_back(GroupPlays(c.Second->Seat, c.Second->Cards, c.Lead->DefendersLeft));
    if (c.Fourth && c.Third)
        parts.push_back(GroupPlays(c.Fourth->Seat, c.Fourth->Cards, c.Third->DefendersLeft));
    if (parts.size() == 2 && parts[0].find(" plays low") != std::string::npos &&
        parts[0].find(" or ") == std::string::npos &&
        parts[1].find(" plays low") != std::string::npos &&
        parts[1].find(" or ") == std::string::npos)
        return "both defenders play low";
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i)
        out += (i ? " and " : "") + parts[i];
    return out;
}

// The outcomes of a group of continuations, each phrase once.
std::vector<Outcome> Outcomes(const std::vector<const Cont*>& conts, int detail) {
    std::vector<Outcome> out;
    auto add = [&](const Outcome& o) {
        if (std::none_of(out.begin(), out.end(),
                         [&](const Outcome& x) { return x.Full() == o.Full(); }))
            out.push_back(o);
    };
    for (const Cont* c : conts) {
        if (detail > 1) {
            add(Outcome{LiteralWords(*c), ""});
            continue;
        }
        const std::string seconds = c->Second ? c->Second->Cards : std::string(1, '\0');
        const std::string fourths = c->Fourth ? c->FourthCards : std::string(1, '\0');
        for (char s : seconds)
            for (char f : fourths)
                if (s == '-' || s != f) add(TrickOutcome(*c, s, f, detail));
    }
    return out;
}

// "the 10 wins or loses to the jack or king".
std::string OutcomeWords(std::vector<Outcome> outcomes) {
    // "the 10 drops and the king drops" goes without saying beside "the king
    // drops".
    auto parts = [](const std::string& s) {
        std::vector<std::string> out;
        std::size_t from = 0;
        for (std::size_t k; (k = s.find(" and ", from)) != std::string::npos; from = k + 5)
            out.push_back(s.substr(from, k - from));
        out.push_back(s.substr(from));
        return out;
    };
    std::erase_if(outcomes, [&](const Outcome& o) {
        const std::vector<std::string> mine = parts(o.Full());
        return std::any_of(outcomes.begin(), outcomes.end(), [&](const Outcome& x) {
            const std::vector<std::string> theirs = parts(x.Full());
            return theirs.size() < mine.size() &&
                   std::all_of(theirs.begin(), theirs.end(), [&](const std::string& t) {
                       return std::find(mine.begin(), mine.end(), t) != mine.end();
                   });
        });
    });
    std::vector<std::string> subjects;
    for (const Outcome& o : outcomes)
        AddOnce(subjects, o.Subject);
    std::vector<std::string> phrases;
    for (const std::string& s : subjects) {
        std::vector<std::string> verbs, losesTo;
        for (const Outcome& o : outcomes) {
            if (o.Subject != s) continue;
            if (o.Verb.rfind("loses to the ", 0) == 0 && o.Verb.find(" and ") == std::string::npos)
                AddOnce(losesTo, o.Verb.substr(13));
            else if (!o.Verb.empty())
                AddOnce(verbs, o.Verb);
        }
        if (!losesTo.empty()) verbs.push_back("loses to the " + JoinOr(losesTo));
        phrases.push_back(verbs.empty() ? s : s + " " + JoinOr(verbs));
    }
    // "West plays the jack or low", "West plays the ace or shows out": one
    // defender's cards said once.
    struct SeatCards {
        std::string Seat;
        std::vector<std::string> Plays;
        bool ShowsOut = false;
        std::size_t At = 0;
    };
    std::vector<SeatCards> seats;
    std::vector<bool> merged(phrases.size(), false);
    for (std::size_t i = 0; i < phrases.size(); ++i) {
        const std::string& ph = phrases[i];
        if (ph.find(" and ") != std::string::npos) continue;
        for (const char* name : {"West", "East"}) {
            const std::string plays = std::string(name) + " plays ";
            const bool out = ph == std::string(name) + " shows out";
            if (!out && ph.rfind(plays, 0) != 0) continue;
            auto it = std::find_if(seats.begin(), seats.end(),
                                   [&](const SeatCards& x) { return x.Seat == name; });
            if (it == seats.end()) {
                seats.push_back({name, {}, false, i});
                it = seats.end() - 1;
            } else {
                merged[i] = true;
            }
            if (out)
                it->ShowsOut = true;
            else
                it->Plays.push_back(ph.substr(plays.size()));
        }
    }
    for (const SeatCards& x : seats) {
        std::string ph = x.Seat;
        if (!x.Plays.empty()) ph += " plays " + JoinOr(x.Plays);
        if (x.ShowsOut) ph += x.Plays.empty() ? " shows out" : " or shows out";
        phrases[x.At] = ph;
    }
    for (std::size_t i = phrases.size(); i > 0; --i)
        if (merged[i - 1]) phrases.erase(phrases.begin() + static_cast<std::ptrdiff_t>(i - 1));
    std::string out;
    for (std::size_t i = 0; i < phrases.size(); ++i)
        out += (i ? " or " : "") + phrases[i];
    return out;
}

Lines Render(const LinePlan& lp, const Plan& p, std::size_t i, double weight, const Position& at);

// The continuations after one trick, grouped by what follows, likeliest first.
void AppendContinuations(const LinePlan& lp, std::vector<Cont>& conts, double weight, Line& first,
                         Lines& out) {
    struct Group {
        Lines Sub;
        std::vector<const Cont*> Conts;
        double Weight = 0;
        std::string Cond, ShortCond;
        bool Partial = false;
    };
    std::vector<Group> groups;
    for (const Cont& c : conts) {
        Lines sub = Render(lp, *c.Rest, c.From, c.Weight, c.After());
        const std::string k = Key(sub);
        // Steps of the same words, and no different words after the same
        // card of second hand's, are said once.
        auto it = std::find_if(groups.begin(), groups.end(), [&](Group& g) {
            if (Key(g.Sub) != k) return false;
            Lines merged = g.Sub;
            for (std::size_t j = 0; j < sub.size(); ++j)
                if (!MergeAlts(merged[j].Alts, merged[j].MainCards, sub[j].Alts, sub[j].MainCards))
                    return false;
            for (std::size_t j = 0; j < sub.size(); ++j) {
                g.Sub[j].Alts = std::move(merged[j].Alts);
                g.Sub[j].MainCards += sub[j].MainCards;
                for (const PlanStep* s : sub[j].Steps)
                    g.Sub[j].Steps.push_back(s);
            }
            return true;
        });
        if (it == groups.end()) {
            groups.push_back(Group{std::move(sub), {}, 0, "", "", false});
            it = groups.end() - 1;
        }
        it->Conts.push_back(&c);
        it->Weight += c.Weight;
    }
    // Where the line has all its tricks nothing is left to do.
    std::erase_if(groups, [](const Group& g) { return g.Sub.empty(); });
    for (Group& g : groups) {
        g.Weight = std::min(g.Weight, weight);
        for (Line& l : g.Sub)
            l.Weight = std::min(l.Weight, g.Weight);
    }
    std::stable_sort(groups.begin(), groups.end(),
                     [](const Group& a, const Group& b) { return a.Weight > b.Weight; });
    if (groups.size() == 1) {
        Lines& sub = groups.front().Sub;
        // A short last step joins the trick's step.
        if (sub.size() == 1 && sub.front().Alts.empty() && sub.front().Then.empty() &&
            (sub.front().Main.rfind("cash the winners", 0) == 0 ||
             sub.front().Main.rfind("knock out ", 0) == 0) &&
            sub.front().Prefix.empty() && first.Then.empty()) {
            first.Then = sub.front().Main;
            return;
        }
        for (Line& l : sub)
            out.push_back(std::move(l));
        return;
    }
    if (groups.empty()) return;
    // The words for each group: the trick's outcome, with more detail where
    // it does not tell the groups apart.
    // Only the cases the defenders' natural cards lead to are named where
    // there are such; the others are left to the play-through.
    // A long condition has a short one beside it: the likeliest case's.
    for (int detail = 0; detail <= 2; ++detail) {
        std::vector<std::vector<Outcome>> outcomes;
        for (Group& g : groups) {
            const std::vector<const Cont*>& all = g.Conts;
            std::vector<const Cont*> likely;
            std::copy_if(all.begin(), all.end(), std::back_inserter(likely),
                         [](const Cont* c) { return c->Weight > 0; });
            g.Partial = !likely.empty() && likely.size() < all.size();
            g.Cond = OutcomeWords(Outcomes(likely.empty() ? all : likely, detail));
            const Cont* likeliest =
                *std::max_element(all.begin(), all.end(), [](const Cont* a, const Cont* b) {
                    return a->Weight < b->Weight;
                });
            g.ShortCond = OutcomeWords(Outcomes({likeliest}, detail));
            outcomes.push_back(Outcomes(all, detail));
        }
        bool clash = false;
        for (std::size_t g = 0; g < groups.size(); ++g)
            for (const Outcome& o : outcomes[g]) {
                if (o.Subject.empty()) clash = true;
                for (std::size_t h = 0; h < groups.size(); ++h)
                    if (h != g)
                        for (const Outcome& x : outcomes[h])
                            if (x.Subject == o.Subject && x.Verb == o.Verb) clash = true;
            }
        if (!clash) break;
    }
    // Where the rest is cashing the winners, that goes last, as "otherwise";
    // plain cashing before cashing for a drop, which is true of fewer cases.
    std::size_t cash = groups.size();
    for (const bool plain : {true, false})
        for (std::size_t g = 0; g < groups.size() && cash == groups.size(); ++g) {
            const Lines& l = groups[g].Sub;
            if (l.size() == 1 && l.front().Alts.empty() && l.front().Prefix.empty() &&
                l.front().Then.empty() &&
                (plain ? l.front().Main == "cash the winners"
                       : l.front().Main.rfind("cash the winners", 0) == 0))
                cash = g;
        }
    if (cash < groups.size())
        std::rotate(groups.begin() + static_cast<std::ptrdiff_t>(cash),
                    groups.begin() + static_cast<std::ptrdiff_t>(cash) + 1, groups.end());
    for (std::size_t g = 0; g < groups.size(); ++g) {
        Lines& sub = groups[g].Sub;
        sub.front().Cond = groups[g].Cond;
        sub.front().ShortCond = groups[g].ShortCond;
        sub.front().Partial = groups[g].Partial;
        sub.front().Otherwise = cash < groups.size() && g + 1 == groups.size();
        for (Line& l : sub) {
            l.Depth += 1;
            out.push_back(std::move(l));
        }
    }
}

Lines Render(const LinePlan& lp, const Plan& p, std::size_t i, double weight, const Position& at) {
    if (i >= p.Steps.size()) {
        switch (p.End) {
        case PlanEnd::Cash:
            return {SimpleLine(CashWords(at), weight)};
        case PlanEnd::Unexplored:
            return {SimpleLine("play on as the play-through shows", weight)};
        default:
            return {};
        }
    }
    const PlanStep& lead = p.Steps[i];
    Line line;
    line.Weight = weight;
    line.Steps.push_back(&lead);
    std::vector<Cont> conts;
    auto afterThird = [&](const PlanBranch* second, bool main, const PlanStep* third,
                          const Plan& rest, std::size_t from, double w) {
        if (third == nullptr || third->Branches.empty()) {
            conts.push_back(Cont{&lead, second, main, third, nullptr, "", &rest, from, w,
                                 at.WestVoid, at.EastVoid});
            return;
        }
        // Each class of fourth hand's group on its own, for the words: the
        // king that falls is not the king that may drop later. The weight
        // goes with the class the positions stand for.
        for (const PlanBranch& b : third->Branches) {
            const char rep = GroupCard(b.Cards);
            std::vector<std::string> classes;
            for (char x : b.Cards) {
                if (!classes.empty() && x != '-' && classes.back().back() != '-' &&
                    RankValue(classes.back().back()) == RankValue(x) + 1)
                    classes.back() += x;
                else
                    classes.push_back(std::string(1, x));
            }
            for (const std::string& cls : classes) {
                const bool standsFor = cls.find(rep) != std::string::npos;
                conts.push_back(Cont{&lead, second, main, third, &b, cls, &b.Then, 0,
                                     standsFor ? std::min(w, b.Weight) : 0.0, at.WestVoid,
                                     at.EastVoid});
            }
        }
    };
    if (lead.Position != 0) {
        // A plan that starts at third hand (not made by BuildPlan).
        line.Main = ThirdWords(lead);
        afterThird(nullptr, true, &lead, p, i + 1, weight);
    } else if (lead.Branches.empty()) {
        const PlanStep* third =
            i + 1 < p.Steps.size() && p.Steps[i + 1].Position == 2 ? &p.Steps[i + 1] : nullptr;
        line.Prefix = LeadPrefix(lp, lead);
        line.Main = TrickWords(lead, third);
        if (third) line.Steps.push_back(third);
        afterThird(nullptr, true, third, p, third ? i + 2 : i + 1, weight);
    } else {
        line.Prefix = LeadPrefix(lp, lead);
        const std::string& d = lead.DefendersLeft;
        // The group of second hand's low cards is the trick's main line, and
        // needs no condition (an honour is not low, even when it is the
        // lowest); else second hand's likeliest group is, by the layouts that
        // come to it.
        auto low = [&](const PlanBranch& b) {
            return std::any_of(b.Cards.begin(), b.Cards.end(),
                               [&](char c) { return IsSpot(c) || LowIn(c, d); });
        };
        const PlanBranch* likeliest = &lead.Branches.front();
        for (const PlanBranch& b : lead.Branches)
            if (b.Weight > likeliest->Weight) likeliest = &b;
        const PlanBranch* lowest = nullptr;
        for (const PlanBranch& b : lead.Branches)
            if (low(b) && (lowest == nullptr || b.Weight > lowest->Weight)) lowest = &b;
        const PlanBranch& main = lowest != nullptr ? *lowest : *likeliest;
        const bool mainLow = low(main);
        std::string sameAsMain; // second hand's other cards after which third hand plays the same
        for (const PlanBranch& b : lead.Branches) {
            const PlanStep* third = b.Then.Steps.empty() ? nullptr : &b.Then.Steps.front();
            if (third) line.Steps.push_back(third);
            afterThird(&b, &b == &main, third, b.Then, third ? 1 : 0, b.Weight);
            if (&b == &main) continue;
            const PlanStep* mainThird =
                main.Then.Steps.empty() ? nullptr : &main.Then.Steps.front();
            // The same card as after second hand's likeliest card goes without saying.
            const std::string w = third ? ThirdWords(*third) : "play on as the play-through shows";
            if (third && mainThird &&
                (Named(*third) == Named(*mainThird) || w == ThirdWords(*mainThird))) {
                sameAsMain += b.Cards;
                continue;
            }
            auto it = std::find_if(line.Alts.begin(), line.Alts.end(),
                                   [&](const Alt& x) { return x.Words == w; });
            if (it == line.Alts.end())
                line.Alts.push_back(Alt{b.Seat, b.Cards, d, w, b.Weight});
            else
                it->Cards += b.Cards, it->Weight = std::max(it->Weight, b.Weight);
        }
        const PlanStep* mainThird = main.Then.Steps.empty() ? nullptr : &main.Then.Steps.front();
        if (mainLow || line.Alts.empty()) {
            line.MainCards = main.Cards;
            line.Main = TrickWords(lead, mainThird);
        } else {
            // Every card of second hand's has its condition, the main one first.
            line.Main = TrickWords(lead, nullptr);
            line.Alts.insert(line.Alts.begin(), Alt{main.Seat, main.Cards + sameAsMain, d,
                                                    mainThird ? ThirdWords(*mainThird)
                                                              : "play on as the play-through shows",
                                                    main.Weight});
        }
        // The rarest are left out first where the step grows too long.
        std::stable_sort(line.Alts.begin() + (mainLow ? 0 : 1), line.Alts.end(),
                         [](const Alt& x, const Alt& y) { return x.Weight > y.Weight; });
    }
    Lines out;
    out.push_back(std::move(line));
    Lines rest;
    AppendContinuations(lp, conts, weight, out.front(), rest);
    for (Line& l : rest)
        out.push_back(std::move(l));
    return out;
}

} // namespace

std::string CardWord(char c) {
    switch (c) {
    case 'A':
        return "ace";
    case 'K':
        return "king";
    case 'Q':
        return "queen";
    case 'J':
        return "jack";
    case 'T':
        return "10";
    default:
        return std::string(1, c);
    }
}

PlanText DescribePlan(const LinePlan& plan, std::size_t maxSteps) {
    PlanText t;
    Lines lines = Render(plan, plan.Root, 0, 1.0, Position{});
    if (lines.empty()) lines.push_back(SimpleLine("play any card", 1.0));
    // The likeliest steps are said; the rest is left to the play-through. A
    // step's weight is never above its parent's, so the parents stay.
    std::vector<std::size_t> order(lines.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return lines[a].Weight > lines[b].Weight;
    });
    std::vector<bool> keep(lines.size(), false);
    for (std::size_t k = 0; k < order.size() && k < maxSteps; ++k)
        keep[order[k]] = true;
    bool omitted = !plan.Complete || std::find(keep.begin(), keep.end(), false) != keep.end();
    int n = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!keep[i]) continue;
        Line& l = lines[i];
        // "Otherwise" only where every other case of the trick is said.
        bool otherwise = l.Otherwise;
        for (std::size_t j = i; j > 0 && lines[j - 1].Depth >= l.Depth; --j)
            if (!keep[j - 1]) otherwise = false;
        if ((l.Partial || LongCond(l)) && !otherwise) omitted = true;
        std::size_t alts = l.Alts.size();
        while (alts > 0 && LineText(l, alts, otherwise).size() > MaxStepLength) {
            --alts;
            omitted = true;
        }
        t.Steps.push_back(
            PlanTextStep{++n, l.Depth, LineText(l, alts, otherwise), std::move(l.Steps)});
    }
    if (omitted && !t.Steps.empty() && t.Steps.back().Text != PlayOnText &&
        t.Steps.back().Text != "Play on as the play-through shows.")
        t.Steps.push_back(PlanTextStep{0, 0, PlayOnText, {}});
    return t;
}

std::string PlanStepLine(const PlanTextStep& s) {
    if (s.Number == 0) return s.Text;
    return std::string(2 * static_cast<std::size_t>(s.Depth), ' ') + std::to_string(s.Number) +
           ". " + s.Text;
}

std::string PlanTextString(const PlanText& t) {
    std::string out;
    for (const PlanTextStep& s : t.Steps)
        out += PlanStepLine(s) + "\n";
    return out;
}

const PlanStep* CurrentPlanStep(const Plan& plan, std::string_view played,
                                char (*classOf)(const void* context, char card),
                                const void* context) {
    auto same = [&](char x, char y) {
        return x == y || (x != '-' && y != '-' && classOf(context, x) == classOf(context, y));
    };
    const Plan* p = &plan;
    std::size_t i = 0;
    const PlanStep* last = nullptr;
    const PlanStep* waiting = nullptr; // declarer's step whose defender's card comes next
    std::size_t k = 0;
    for (char c : played) {
        if (c == ';') continue;
        const std::size_t pos = k++ % 4;
        if (pos == 0 || pos == 2) {
            if (i >= p->Steps.size()) return last; // the plan has ended: the rest is easy
            const PlanStep& s = p->Steps[i];
            if (!same(c, s.Card)) return nullptr;
            last = waiting = &s;
            continue;
        }
        if (waiting == nullptr) return nullptr;
        if (waiting->Branches.empty()) {
            ++i;
        } else {
            const PlanBranch* found = nullptr;
            for (const PlanBranch& b : waiting->Branches)
                for (char x : b.Cards)
                    if (same(x, c)) found = &b;
            if (found == nullptr) return nullptr;
            p = &found->Then;
            i = 0;
        }
        waiting = nullptr;
    }
    if (waiting != nullptr) return waiting;
    return i < p->Steps.size() ? &p->Steps[i] : last;
}

int TextStepOf(const PlanText& text, const PlanStep* step) {
    if (step == nullptr) return 0;
    for (const PlanTextStep& s : text.Steps)
        if (std::find(s.Steps.begin(), s.Steps.end(), step) != s.Steps.end()) return s.Number;
    return 0;
}

std::vector<std::string> PlanTexts(const std::vector<PlanText>& texts,
                                   const std::vector<std::string>& names) {
    std::vector<std::string> out;
    for (std::size_t j = 0; j < texts.size(); ++j) {
        const auto& mine = texts[j].Steps;
        std::size_t bestK = 0, bestI = 0;
        for (std::size_t i = 0; i < j; ++i) {
            const auto& theirs = texts[i].Steps;
            std::size_t k = 0;
            while (k < mine.size() && k < theirs.size() && mine[k].Number != 0 &&
                   mine[k].Text == theirs[k].Text && mine[k].Depth == theirs[k].Depth)
                ++k;
            if (k > bestK) bestK = k, bestI = i;
        }
        // Where the lines part: the trick of the first step that differs.
        if (bestK == 0 || bestK >= mine.size() || mine[bestK].Number == 0 || j >= names.size() ||
            bestI >= names.size() || mine[bestK].Steps.empty()) {
            out.push_back(PlanTextString(texts[j]));
            continue;
        }
        std::string s = "As " + names[bestI] + ", but at trick " +
                        std::to_string(mine[bestK].Steps.front()->Trick) + ", " +
                        Uncapitalized(mine[bestK].Text) + "\n";
        for (std::size_t k = bestK + 1; k < mine.size(); ++k)
            s += PlanStepLine(mine[k]) + "\n";
        out.push_back(s);
    }
    return out;
}

} // namespace nvx
