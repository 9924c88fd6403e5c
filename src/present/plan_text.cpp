#include "present/plan_text.h"

#include "cards/holding.h"

#include <algorithm>
#include <cctype>

namespace nvx {

namespace {

const char* HandName(std::uint8_t h) {
    return h == hand::North ? "North" : "South";
}
const char* SeatName(std::uint8_t s) {
    return s == seat::West ? "West" : "East";
}

// a above b, a show-out ('-') lowest.
bool Above(char a, char b) {
    if (a == '-' || a == 0) return false;
    if (b == '-' || b == 0) return true;
    return IsHigher(a, b);
}

std::string Capitalized(std::string s) {
    if (!s.empty()) s[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
    return s;
}
std::string Uncapitalized(std::string s) {
    // "If", "Lead", "Cash", ... but not the names of hands.
    if (s.rfind("North", 0) == 0 || s.rfind("South", 0) == 0 || s.rfind("East", 0) == 0 ||
        s.rfind("West", 0) == 0 || s.rfind("As ", 0) == 0)
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

// A card a player would call low: the lowest of its hand and below the 9.
bool IsLowCard(char c, const std::string& handLeft) {
    return c != '-' && !handLeft.empty() && handLeft.back() == c && RankValue(c) <= 7;
}

std::string TheCard(char c) {
    return "the " + CardWord(c);
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
std::string GroupPlays(std::uint8_t seat, const std::string& cards, const std::string& outstanding) {
    const bool out = cards.find('-') != std::string::npos;
    std::string played = cards;
    played.erase(std::remove(played.begin(), played.end(), '-'), played.end());
    std::string s = SeatName(seat);
    if (!played.empty()) s += " plays " + GroupNoun(played, outstanding);
    if (out) s += played.empty() ? " shows out" : " or shows out";
    return s;
}

std::string& LeftOf(const PlanStep& s, std::string& north, std::string& south) {
    return s.Hand == hand::North ? north : south;
}

std::string LeadWords(const LinePlan& lp, const PlanStep& s) {
    std::string north = s.NorthLeft, south = s.SouthLeft;
    const std::string& own = LeftOf(s, north, south);
    const std::string& partner = s.Hand == hand::North ? south : north;
    const char c = s.Card;
    std::string prefix;
    if (s.Trick > 1) {
        if (s.Hand == hand::South && s.PreviousWinner == hand::North)
            prefix = "return to South and ";
        else if (s.Hand == hand::North && s.PreviousWinner != hand::North)
            prefix = lp.EntriesLimited ? "cross to North with an entry and " : "cross to North and ";
    } else if (s.Hand == hand::North && lp.EntriesLimited) {
        prefix = "using an entry to North, ";
    }
    const bool winner = s.DefendersLeft.empty() || Above(c, s.DefendersLeft.front());
    if (winner) return prefix + "cash " + TheCard(c) + (prefix.empty() ? " in " + std::string(HandName(s.Hand)) : "");
    std::string towards;
    for (char p : partner)
        if (Above(p, c) && RankValue(p) >= 8) towards += p;
    const bool low = IsLowCard(c, own);
    // After "return to South" the hand goes without saying.
    const std::string from = prefix.rfind("return to", 0) == 0 || prefix.rfind("cross to", 0) == 0
                                 ? std::string()
                                 : std::string(" from ") + HandName(s.Hand);
    std::string body = low ? "lead low" + from : "lead " + TheCard(c) + from;
    if (low && !towards.empty())
        body += std::string(" towards ") + HandName(s.Hand == hand::North ? hand::South : hand::North) +
                "'s " + HoldingWords(towards);
    return prefix + body;
}

std::string ThirdWords(const PlanStep& s) {
    std::string north = s.NorthLeft, south = s.SouthLeft;
    const std::string& own = LeftOf(s, north, south);
    const char c = s.Card;
    if (c == '-') return std::string("discard from ") + HandName(s.Hand);
    const char lead = s.TrickSoFar.size() > 0 ? s.TrickSoFar[0] : '-';
    const char second = s.TrickSoFar.size() > 1 ? s.TrickSoFar[1] : '-';
    const bool partnerHigh = !Above(second, lead);
    const char current = partnerHigh ? lead : second;
    const bool sureWinner = s.DefendersLeft.empty() || Above(c, s.DefendersLeft.front());
    const bool leadWinner = s.DefendersLeft.empty() || Above(lead, s.DefendersLeft.front());
    if (Above(c, current)) {
        if (sureWinner) return (partnerHigh && leadWinner ? "overtake with " : "win with ") + TheCard(c);
        bool higherHeld = false;
        for (char o : own)
            if (Above(o, c)) higherHeld = true;
        if (higherHeld && !partnerHigh) return "finesse " + TheCard(c);
        return "play " + TheCard(c);
    }
    if (IsLowCard(c, own)) {
        if (partnerHigh) {
            return leadWinner ? std::string("play low from ") + HandName(s.Hand)
                              : std::string("let it run");
        }
        bool canBeat = false;
        for (char o : own)
            if (Above(o, current)) canBeat = true;
        return canBeat ? std::string("duck in ") + HandName(s.Hand)
                       : std::string("play low from ") + HandName(s.Hand);
    }
    return "play " + TheCard(c) + " from " + HandName(s.Hand);
}

constexpr const char* CashText = "Cash the winners.";

struct Line {
    int Depth = 0;
    std::string Text;
    std::vector<const PlanStep*> Steps;
};
using Lines = std::vector<Line>;

// One way the trick can go on: the defenders' cards (null when any) and the
// plan that follows.
struct Cont {
    const PlanStep* Lead = nullptr;
    const PlanBranch* Second = nullptr;
    const PlanStep* Third = nullptr;
    const PlanBranch* Fourth = nullptr;
    const Plan* Rest = nullptr;
    std::size_t From = 0;
};

std::string Key(const Lines& l) {
    std::string k;
    for (const Line& x : l)
        k += std::to_string(x.Depth) + ":" + x.Text + "\n";
    return k;
}

// How the trick went, in a player's words: "the queen wins", "East wins with
// the king", "West shows out".
std::string OutcomeWords(const Cont& c) {
    std::vector<std::string> parts;
    const PlanStep& lead = *c.Lead;
    if (c.Second && c.Second->Cards == "-") parts.push_back(std::string(SeatName(c.Second->Seat)) + " shows out");
    if (c.Fourth && c.Fourth->Cards == "-") parts.push_back(std::string(SeatName(c.Fourth->Seat)) + " shows out");
    if (c.Third && c.Fourth) {
        const char second = c.Second ? c.Second->Cards.front()
                                     : (lead.DefendersLeft.empty() ? '-' : lead.DefendersLeft.back());
        const char fourth = c.Fourth->Cards.front();
        char best = lead.Card;
        int who = 0;
        if (Above(second, best)) best = second, who = 1;
        if (Above(c.Third->Card, best)) best = c.Third->Card, who = 2;
        if (Above(fourth, best)) best = fourth, who = 3;
        if (who == 0 || who == 2) {
            parts.push_back(TheCard(best) + " wins");
        } else if (who == 3) {
            parts.push_back(std::string(SeatName(c.Fourth->Seat)) + " wins with " +
                            GroupNoun(c.Fourth->Cards, c.Third->DefendersLeft));
        } else if (c.Second) {
            parts.push_back(std::string(SeatName(c.Second->Seat)) + " wins with " +
                            GroupNoun(c.Second->Cards, lead.DefendersLeft));
        }
    } else if (c.Second && c.Second->Cards != "-") {
        parts.push_back(GroupPlays(c.Second->Seat, c.Second->Cards, lead.DefendersLeft));
    }
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i)
        out += (i ? " and " : "") + parts[i];
    return out;
}

// The defenders' cards literally: "West plays low and East the king".
std::string LiteralWords(const Cont& c) {
    if (c.Second && c.Fourth && c.Third &&
        GroupNoun(c.Second->Cards, c.Lead->DefendersLeft) == "low" &&
        GroupNoun(c.Fourth->Cards, c.Third->DefendersLeft) == "low" &&
        c.Second->Cards.find('-') == std::string::npos && c.Fourth->Cards.find('-') == std::string::npos)
        return "both defenders play low";
    std::vector<std::string> parts;
    if (c.Second) parts.push_back(GroupPlays(c.Second->Seat, c.Second->Cards, c.Lead->DefendersLeft));
    if (c.Fourth && c.Third)
        parts.push_back(GroupPlays(c.Fourth->Seat, c.Fourth->Cards, c.Third->DefendersLeft));
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i)
        out += (i ? " and " : "") + parts[i];
    return out;
}

Lines Render(const LinePlan& lp, const Plan& p, std::size_t i);

Lines RenderEnd(const Plan& p) {
    switch (p.End) {
    case PlanEnd::Cash:
        return {Line{0, CashText, {}}};
    case PlanEnd::Unexplored:
        return {Line{0, "Play on as the play-through shows.", {}}};
    default:
        return {};
    }
}

// The continuations of the plan after one trick, grouped by what follows.
void AppendContinuations(const LinePlan& lp, const std::vector<Cont>& conts, Lines& out) {
    std::vector<std::pair<Lines, std::vector<const Cont*>>> groups;
    for (const Cont& c : conts) {
        Lines sub = Render(lp, *c.Rest, c.From);
        const std::string k = Key(sub);
        auto it = std::find_if(groups.begin(), groups.end(),
                               [&](const auto& g) { return Key(g.first) == k; });
        if (it == groups.end())
            groups.push_back({std::move(sub), {&c}});
        else
            it->second.push_back(&c);
    }
    // Where the line has all its tricks nothing is left to do, and whatever
    // the others do will do there too.
    std::erase_if(groups, [](const auto& g) { return g.first.empty(); });
    if (groups.size() <= 1) {
        if (groups.empty()) return;
        for (Line& l : groups.front().first)
            out.push_back(std::move(l));
        return;
    }
    // The words for each group; where the natural words do not tell two
    // groups apart, the cards themselves.
    std::vector<std::vector<std::string>> words(groups.size());
    auto fill = [&](bool literal) {
        for (std::size_t g = 0; g < groups.size(); ++g) {
            words[g].clear();
            for (const Cont* c : groups[g].second) {
                const std::string w = literal ? LiteralWords(*c) : OutcomeWords(*c);
                if (std::find(words[g].begin(), words[g].end(), w) == words[g].end())
                    words[g].push_back(w);
            }
        }
    };
    fill(false);
    bool clash = false;
    for (std::size_t g = 0; g < groups.size() && !clash; ++g)
        for (const std::string& w : words[g]) {
            if (w.empty()) clash = true;
            for (std::size_t h = 0; h < groups.size(); ++h)
                if (h != g)
                    for (const std::string& v : words[h])
                        if (v.find(w) != std::string::npos || w.find(v) != std::string::npos)
                            clash = true;
        }
    if (clash) fill(true);
    // Where the rest is cashing the winners, that goes last, as "otherwise".
    auto isCash = [](const Lines& l) { return l.size() == 1 && l.front().Text == CashText; };
    std::size_t cashGroup = groups.size();
    for (std::size_t g = 0; g < groups.size(); ++g)
        if (isCash(groups[g].first)) cashGroup = g;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        Lines& sub = groups[g].first;
        if (g == cashGroup) continue;
        std::string cond;
        for (std::size_t k = 0; k < words[g].size(); ++k)
            cond += (k ? " or " : "") + words[g][k];
        sub.front().Text = "If " + cond + ", " + Uncapitalized(sub.front().Text);
        for (Line& l : sub) {
            l.Depth += 1;
            out.push_back(std::move(l));
        }
    }
    if (cashGroup < groups.size()) out.push_back(Line{1, "Otherwise, cash the winners.", {}});
}

// Adds the continuation after third hand's card.
void AfterThird(const PlanStep& lead, const PlanBranch* second, const PlanStep& third,
                const Plan& rest, std::size_t from, std::vector<Cont>& conts) {
    if (third.Branches.empty()) {
        conts.push_back(Cont{&lead, second, &third, nullptr, &rest, from});
        return;
    }
    for (const PlanBranch& b : third.Branches)
        conts.push_back(Cont{&lead, second, &third, &b, &b.Then, 0});
}

Lines Render(const LinePlan& lp, const Plan& p, std::size_t i) {
    if (i >= p.Steps.size()) return RenderEnd(p);
    const PlanStep& lead = p.Steps[i];
    Line line;
    line.Steps.push_back(&lead);
    std::vector<Cont> conts;
    if (lead.Position != 0) {
        // A plan that starts at third hand (not made by BuildPlan).
        line.Text = Capitalized(ThirdWords(lead)) + ".";
        AfterThird(lead, nullptr, lead, p, i + 1, conts);
    } else if (lead.Branches.empty()) {
        std::string text = LeadWords(lp, lead);
        if (i + 1 < p.Steps.size()) {
            const PlanStep& third = p.Steps[i + 1];
            line.Steps.push_back(&third);
            text += " and " + ThirdWords(third);
            AfterThird(lead, nullptr, third, p, i + 2, conts);
        } else {
            conts.push_back(Cont{&lead, nullptr, nullptr, nullptr, &p, i + 1});
        }
        line.Text = Capitalized(text) + ".";
    } else {
        std::string text = LeadWords(lp, lead);
        // Second hand's cards that get the same third-hand card are said together.
        std::vector<std::pair<std::string, std::vector<const PlanBranch*>>> byWords;
        for (const PlanBranch& b : lead.Branches) {
            std::string w;
            if (b.Then.Steps.empty()) {
                w = "play on as the play-through shows";
                conts.push_back(Cont{&lead, &b, nullptr, nullptr, &b.Then, 0});
            } else {
                const PlanStep& third = b.Then.Steps.front();
                line.Steps.push_back(&third);
                w = ThirdWords(third);
                AfterThird(lead, &b, third, b.Then, 1, conts);
            }
            auto it = std::find_if(byWords.begin(), byWords.end(),
                                   [&](const auto& x) { return x.first == w; });
            if (it == byWords.end())
                byWords.push_back({w, {&b}});
            else
                it->second.push_back(&b);
        }
        if (byWords.size() == 1) {
            text += " and " + byWords.front().first;
        } else {
            for (const auto& [w, bs] : byWords) {
                std::string cards;
                for (const PlanBranch* b : bs)
                    cards += b->Cards;
                std::sort(cards.begin(), cards.end(), [](char x, char y) { return Above(x, y); });
                text += "; if " + GroupPlays(bs.front()->Seat, cards, lead.DefendersLeft) + ", " + w;
            }
        }
        line.Text = Capitalized(text) + ".";
    }
    Lines out;
    out.push_back(std::move(line));
    AppendContinuations(lp, conts, out);
    if (out.size() == 2 && out[1].Depth == 0 && out[1].Text == CashText) {
        out.front().Text += " Then cash the winners.";
        out.pop_back();
    }
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
    Lines lines = Render(plan, plan.Root, 0);
    if (lines.empty() && plan.Root.Steps.empty()) lines.push_back(Line{0, "Play any card.", {}});
    int n = 0;
    for (Line& l : lines) {
        if (static_cast<std::size_t>(n) == maxSteps) {
            t.Steps.push_back(PlanTextStep{0, 0, PlayOnText, {}});
            break;
        }
        t.Steps.push_back(PlanTextStep{++n, l.Depth, std::move(l.Text), std::move(l.Steps)});
    }
    return t;
}

std::string PlanStepLine(const PlanTextStep& s) {
    if (s.Number == 0) return s.Text;
    return std::string(2 * static_cast<std::size_t>(s.Depth), ' ') + std::to_string(s.Number) + ". " +
           s.Text;
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
        if (bestK == 0 || bestK >= mine.size() || mine[bestK].Number == 0 || j >= names.size() ||
            bestI >= names.size()) {
            out.push_back(PlanTextString(texts[j]));
            continue;
        }
        std::string s = "As " + names[bestI] + ", but at step " + std::to_string(bestK + 1) + ": " +
                        Uncapitalized(mine[bestK].Text) + "\n";
        for (std::size_t k = bestK + 1; k < mine.size(); ++k)
            s += PlanStepLine(mine[k]) + "\n";
        out.push_back(s);
    }
    return out;
}

} // namespace nvx
