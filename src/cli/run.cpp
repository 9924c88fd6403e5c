#include "cli/run.h"

#include "results/analysis.h"

#include <algorithm>
#include <chrono>
#include <new>

namespace nvx::cli {

namespace {

// The engine's internal errors, first one first, as one line.
bool TakeInternalError(const CliHost& host, RunResult& r) {
    if (host.errors().empty()) return false;
    const CliHost::ErrorReport& e = host.errors().front();
    r.Status = RunStatus::InternalError;
    r.Error = OneLineMessage(e.message);
    if (!e.text.empty()) r.Error += " (" + e.text + ")";
    return true;
}

std::string WarningsSince(const CliHost& host, std::size_t from) {
    std::string w;
    for (std::size_t i = from; i < host.messages().size(); ++i) {
        if (!w.empty()) w += ' ';
        w += OneLineMessage(host.messages()[i].text);
    }
    return w;
}

// Plays the typed cards as the play panel does: an x plays the lowest card
// accepted, the first character refused ends the play.
void PlayThroughLine(Analysis& a, CliHost& host, const std::string& cards, PlayReport& p) {
    PlayThrough& play = a.play();
    for (std::size_t i = 0; i < cards.size(); ++i) {
        if (host.cancelled()) return;
        const char c = cards[i];
        const std::size_t before = host.messages().size();
        PlayStep step;
        step.Typed = c;
        step.Card = c;
        step.Accepted = play.PlayChar(c);
        if (!step.Accepted && c == 'X') {
            const THolding all = FullSuit();
            for (std::size_t k = all.size(); k-- > 0 && !step.Accepted;) {
                if (play.PlayChar(all[k])) {
                    step.Accepted = true;
                    step.Card = all[k];
                }
            }
        }
        step.Warning = WarningsSince(host, before);
        p.Steps.push_back(step);
        if (!step.Accepted) {
            p.NotPlayed = cards.substr(i + 1);
            return;
        }
    }
}

void DescribePosition(Analysis& a, PlayReport& p, const std::vector<TricksTableRow>& rows) {
    PlayThrough& play = a.play();
    p.PlayString = play.GetPlayString();
    p.CurrentTrick = play.CurrentTrickCards();
    p.NorthUnplayed = play.NorthUnplayed();
    p.SouthUnplayed = play.SouthUnplayed();
    // Asking a defender's card whether it is on the line would evaluate the
    // position as if it had been played; every legal defender's card is.
    p.LineCards = a.dynamicEvaluation().DeclarerTurn() ? play.LineCards() : play.PlayableCards();
    p.CompletedTricks = play.CompletedTricks();
    p.NSTricksWon = play.NSTricksWon();
    for (const TricksTableRow& row : rows)
        if (play.IsDivisionPossible(row.West, row.East)) p.PossibleRows.push_back(row);
}

// Ends the run without results when it was cancelled or ran out of memory: a
// Ctrl-C wins, then the memory limit, then any other stop request.
bool TakeStop(CliHost& host, bool outOfMemory, RunResult& r) {
    if (!InterruptFlag().load() && (outOfMemory || host.memoryLimitReached())) {
        r.Status = RunStatus::OutOfMemory;
        r.Error = host.memoryLimitReached()
                      ? "the analysis needs more memory than the limit of " +
                            std::to_string(host.MemoryLimitMB()) + " MB allows (--max-memory)"
                      : std::string("the analysis needs more memory than the system can give");
        return true;
    }
    if (!host.cancelled()) return false;
    r.Status = RunStatus::Cancelled;
    return true;
}

RunResult Run(const RunRequest& request, CliHost& host) {
    RunResult r;
    r.Combo = request.Combo;
    const ComboValues& v = request.Combo;
    host.state().set(TCalcState::Calculating);

    const auto start = std::chrono::steady_clock::now();
    Analysis a(host);
    r.Entries = v.EntriesCount();
    a.SetUpCombination(v.North.str(), v.South.str(), r.Entries, v.Discards.str(), v.WestFilled(),
                       v.EastFilled());
    if (v.Goal)
        a.SetIMPTable(*v.Goal);
    else
        a.SetTrickTable();
    const ComputeEnd end = a.ComputeOptimalLines();
    r.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (TakeStop(host, end == ComputeEnd::OutOfMemory, r)) return r;
    if (TakeInternalError(host, r)) return r;

    r.Defenders = a.engine().GetEWCards().str();
    r.Divisions = a.engine().NumDivs();
    r.ProbabilityDenominator = a.engine().ProbDenominator();
    r.Results = SummarizeResults(host, a.lines());
    const TricksTableSource source = TricksTableSourceOf(a);
    r.SmallCardLimit = source.SmallCardLimit;
    r.NamedCardLimit = NamedCardLimit(source.EWCards, source.SmallCardLimit);
    r.TricksRows = TricksTableRows(source);

    if (request.Line) {
        int index = 0;
        std::string names;
        for (std::size_t i = 0; i < r.Results.Lines.size(); ++i) {
            if (r.Results.Lines[i].Name == *request.Line) index = static_cast<int>(i) + 1;
            names += (names.empty() ? "" : ", ") + r.Results.Lines[i].Name;
        }
        if (index == 0) {
            r.Status = RunStatus::BadInput;
            r.Error =
                "--line: there is no line " + ShownText(*request.Line) +
                (names.empty() ? std::string(" (no lines)") : " (the lines are " + names + ")");
            return r;
        }
        PlayReport p;
        p.Line = *request.Line;
        a.SelectStrat(index);
        PlayThroughLine(a, host, request.Play, p);
        DescribePosition(a, p, r.TricksRows);
        r.Play = std::move(p);
    }
    if (request.Plans) {
        std::vector<PlanText> texts;
        std::vector<std::string> names;
        for (int i = 1; i <= a.StratCount() && !host.cancelled(); ++i) {
            r.Plans.push_back(BuildLinePlan(a, i));
            texts.push_back(DescribePlan(r.Plans.back()));
            names.push_back(a.GetStratName(i));
        }
        r.PlanTexts = nvx::PlanTexts(texts, names);
    }
    if (TakeStop(host, false, r)) return r;
    TakeInternalError(host, r);
    return r;
}

} // namespace

RunResult RunAnalysis(const RunRequest& request, CliHost& host) {
    try {
        return Run(request, host);
    } catch (const std::bad_alloc&) {
        // Everything the run had made is freed by now.
        RunResult r;
        r.Combo = request.Combo;
        TakeStop(host, true, r);
        return r;
    }
}

// --- JSON --------------------------------------------------------------------------------

namespace {

using Json = nlohmann::ordered_json;

Json TrickGoals(const std::array<double, MaxTricks + 1>& prob) {
    Json o = Json::object();
    for (int k = 1; k <= MaxTricks; ++k)
        o[std::to_string(k)] = prob[k];
    return o;
}

Json RowJson(const TricksTableRow& row, const std::vector<LineResult>& lines) {
    Json tricks = Json::object();
    for (std::size_t i = 0; i < lines.size() && i < row.Tricks.size(); ++i)
        tricks[lines[i].Name] = row.Tricks[i];
    return Json{{"west", row.West},
                {"east", row.East},
                {"layouts", row.Layouts},
                {"probability", row.Probability},
                {"tricks", tricks}};
}

const char* EndName(PlanEnd e) {
    switch (e) {
    case PlanEnd::Branches:
        return "branches";
    case PlanEnd::Done:
        return "done";
    case PlanEnd::Cash:
        return "cash";
    case PlanEnd::Unexplored:
        return "play-through";
    }
    return "done";
}

} // namespace

Json PlanJson(const Plan& p) {
    Json steps = Json::array();
    for (const PlanStep& s : p.Steps) {
        Json st;
        st["trick"] = s.Trick;
        st["hand"] = s.Hand == hand::North ? "North" : "South";
        st["card"] = std::string(1, s.Card);
        Json branches = Json::array();
        for (const PlanBranch& b : s.Branches)
            branches.push_back(Json{
                {"if", Json{{"seat", b.Seat == seat::West ? "West" : "East"}, {"cards", b.Cards}}},
                {"weight", b.Weight},
                {"then", PlanJson(b.Then)}});
        st["branches"] = branches;
        steps.push_back(st);
    }
    return Json{{"steps", steps}, {"end", EndName(p.End)}};
}

std::optional<Plan> PlanFromJson(const Json& j) {
    try {
        Plan p;
        const std::string end = j.at("end").get<std::string>();
        bool known = false;
        for (PlanEnd e : {PlanEnd::Branches, PlanEnd::Done, PlanEnd::Cash, PlanEnd::Unexplored})
            if (end == EndName(e)) p.End = e, known = true;
        if (!known) return std::nullopt;
        for (const Json& st : j.at("steps")) {
            PlanStep s;
            s.Trick = st.at("trick").get<std::uint8_t>();
            const std::string h = st.at("hand").get<std::string>();
            if (h != "North" && h != "South") return std::nullopt;
            s.Hand = h == "North" ? hand::North : hand::South;
            const std::string card = st.at("card").get<std::string>();
            if (card.size() != 1) return std::nullopt;
            s.Card = card[0];
            for (const Json& b : st.at("branches")) {
                PlanBranch pb;
                const std::string seatName = b.at("if").at("seat").get<std::string>();
                if (seatName != "West" && seatName != "East") return std::nullopt;
                pb.Seat = seatName == "West" ? seat::West : seat::East;
                pb.Cards = b.at("if").at("cards").get<std::string>();
                pb.Weight = b.at("weight").get<double>();
                std::optional<Plan> then = PlanFromJson(b.at("then"));
                if (!then) return std::nullopt;
                pb.Then = std::move(*then);
                s.Branches.push_back(std::move(pb));
            }
            p.Steps.push_back(std::move(s));
        }
        return p;
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
}

Json ResultJson(const RunResult& r) {
    const ComboValues& v = r.Combo;
    const ResultsSummary& s = r.Results;
    Json j;
    j["north"] = v.North.str();
    j["south"] = v.South.str();
    j["defenders"] = r.Defenders;
    j["discards"] = v.Discards.str();
    j["entries"] = r.Entries;
    j["entries_limited"] = v.EntriesCount() < v.NorthPlaying().size();
    j["vacant"] = Json::array({v.VacantWest(), v.VacantEast()});
    j["scoring"] = v.Goal ? "imps" : "matchpoints";
    if (v.Goal) {
        j["contract"] = ContractText(v.Goal->Contract);
        j["tricks_needed"] = v.Goal->TricksNeeded;
    }
    j["divisions"] = r.Divisions;
    j["probability_denominator"] = r.ProbabilityDenominator;
    j["min_k"] = s.MinK;
    j["max_k"] = s.MaxK;
    j["best"] = TrickGoals(s.Best);
    j["expected_best"] = s.Best[0];

    Json goals = Json::array();
    const ReportTable list = ResultListTable(s);
    const std::vector<int> shown = ShownGoals(s);
    for (std::size_t i = 0; i < list.Rows.size(); ++i) {
        Json g;
        g["goal"] = list.Rows[i][0];
        if (i < shown.size()) {
            g["probability"] = s.Best[shown[i]];
            g["lines"] = s.BestForGoal[shown[i]];
        } else {
            g["probability"] = nullptr;
            g["lines"] = list.Rows[i][0] == "max" ? s.BestForGoal[0] : s.PayoffBest;
        }
        goals.push_back(g);
    }
    j["goals"] = goals;

    Json lines = Json::array();
    for (const LineResult& line : s.Lines) {
        Json l;
        l["name"] = line.Name;
        l["probability"] = TrickGoals(line.Prob);
        l["expected"] = line.Prob[0];
        l["beaten_by"] = line.Beaters;
        l["beaten_by_text"] = line.BeatersText;
        l["tricks"] = line.Tricks;
        const std::size_t i = lines.size();
        if (i < r.Plans.size() && i < r.PlanTexts.size()) {
            l["plan"] = PlanJson(r.Plans[i].Root);
            l["plan_text"] = r.PlanTexts[i];
        }
        lines.push_back(l);
    }
    j["lines"] = lines;

    Json payoff = Json::array();
    for (std::size_t i = 0; i < s.Payoff.size(); ++i) {
        Json row = Json::array();
        for (std::size_t k = 0; k < s.Payoff[i].size(); ++k)
            row.push_back(i == k ? Json(nullptr) : Json(s.Payoff[i][k]));
        payoff.push_back(row);
    }
    j["payoff"] = payoff;

    Json rows = Json::array();
    for (const TricksTableRow& row : r.TricksRows)
        rows.push_back(RowJson(row, s.Lines));
    j["tricks_table"] = rows;
    j["small_card_limit"] = std::string(1, r.SmallCardLimit);
    j["named_card_limit"] = std::string(1, r.NamedCardLimit);

    if (r.Play) {
        const PlayReport& p = *r.Play;
        Json steps = Json::array();
        for (const PlayStep& st : p.Steps) {
            Json o;
            o["typed"] = std::string(1, st.Typed);
            o["card"] = std::string(1, st.Card);
            o["accepted"] = st.Accepted;
            o["warning"] = st.Warning.empty() ? Json(nullptr) : Json(st.Warning);
            steps.push_back(o);
        }
        Json possible = Json::array();
        for (const TricksTableRow& row : p.PossibleRows)
            possible.push_back(RowJson(row, s.Lines));
        j["play"] = Json{{"line", p.Line},
                         {"steps", steps},
                         {"not_played", p.NotPlayed},
                         {"play_string", p.PlayString},
                         {"current_trick", p.CurrentTrick},
                         {"north_unplayed", p.NorthUnplayed},
                         {"south_unplayed", p.SouthUnplayed},
                         {"line_cards", p.LineCards},
                         {"completed_tricks", p.CompletedTricks},
                         {"ns_tricks_won", p.NSTricksWon},
                         {"possible_rows", possible}};
    }
    j["seconds"] = r.Seconds;
    return j;
}

// --- text --------------------------------------------------------------------------------

std::string TableText(const ReportTable& t) {
    const std::size_t columns = t.Columns.size();
    std::vector<std::size_t> width(columns, 0);
    for (std::size_t c = 0; c < columns; ++c)
        width[c] = t.Columns[c].Caption.size();
    for (const auto& row : t.Rows)
        for (std::size_t c = 0; c < columns && c < row.size(); ++c)
            width[c] = std::max(width[c], row[c].size());
    auto cell = [&](std::string& line, std::size_t c, const std::string& text) {
        const std::size_t pad = width[c] - std::min(width[c], text.size());
        std::size_t left = 0;
        switch (t.Columns[c].Align) {
        case ColumnAlign::Left:
            left = 0;
            break;
        case ColumnAlign::Right:
            left = pad;
            break;
        case ColumnAlign::Centre:
            left = pad / 2;
            break;
        }
        if (c > 0) line += "  ";
        line += std::string(left, ' ') + text + std::string(pad - left, ' ');
    };
    auto finish = [](std::string& line, std::string& out) {
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out += line + "\n";
        line.clear();
    };
    std::string out;
    if (!t.Caption.empty()) out += t.Caption + "\n";
    std::string line;
    for (std::size_t c = 0; c < columns; ++c)
        cell(line, c, t.Columns[c].Caption);
    finish(line, out);
    for (const auto& row : t.Rows) {
        for (std::size_t c = 0; c < columns; ++c)
            cell(line, c, c < row.size() ? row[c] : "");
        finish(line, out);
    }
    return out;
}

namespace {

std::string SummaryText(const RunResult& r) {
    std::string s;
    for (char c : CombinationSummary(r.Combo))
        s += c == '\r' ? '\n' : c;
    // The summary ends in its blank line unless an option line follows it.
    if (s.empty() || s.back() != '\n') s += '\n';
    while (s.size() >= 2 && s[s.size() - 1] == '\n' && s[s.size() - 2] == '\n')
        s.pop_back();
    return s;
}

std::string OrNone(const std::string& s) {
    return s.empty() ? "(none)" : s;
}

} // namespace

std::string ResultText(const RunResult& r, bool withTable) {
    const ResultsSummary& s = r.Results;
    std::string out = SummaryText(r);
    char buf[160];
    std::snprintf(buf, sizeof buf, "Defenders: %s; %u divisions; %zu line%s; %.3f s\n",
                  OrNone(r.Defenders).c_str(), r.Divisions, s.Lines.size(),
                  s.Lines.size() == 1 ? "" : "s", r.Seconds);
    out += buf;
    out += "\nResults\n" + TableText(ResultListTable(s));
    out += "\n" + TableText(StratGoalTable(s));
    out += "\n" + TableText(PayoffTableView(s));
    std::vector<std::string> names;
    for (const LineResult& line : s.Lines)
        names.push_back(line.Name);
    if (!r.PlanTexts.empty()) {
        out += "\nPlans\n";
        for (std::size_t i = 0; i < r.PlanTexts.size() && i < names.size(); ++i) {
            out += "Line " + names[i] + ":\n";
            std::size_t from = 0;
            const std::string& t = r.PlanTexts[i];
            while (from < t.size()) {
                const std::size_t nl = t.find('\n', from);
                out += "  " + t.substr(from, nl - from) + "\n";
                if (nl == std::string::npos) break;
                from = nl + 1;
            }
        }
    }
    if (withTable) {
        ReportTable t = TricksTableView(r.TricksRows, names);
        t.Caption = "Tricks table";
        out += "\n" + TableText(t);
    }
    if (r.Play) {
        const PlayReport& p = *r.Play;
        out += "\nPlay of line " + p.Line + "\n";
        for (const PlayStep& st : p.Steps) {
            std::string l = "  ";
            l += st.Typed;
            if (st.Card != st.Typed) l += std::string(" -> ") + st.Card;
            l += st.Accepted ? "  accepted" : "  refused";
            out += l + "\n";
            if (!st.Warning.empty()) out += "  warning: " + st.Warning + "\n";
        }
        if (!p.Steps.empty() && !p.Steps.back().Accepted)
            out += "  play stopped at the refused card" +
                   (p.NotPlayed.empty() ? std::string() : "; not played: " + p.NotPlayed) + "\n";
        out += "Position after " + OrNone(p.PlayString) + "\n";
        out += "  North unplayed: " + OrNone(p.NorthUnplayed) + "\n";
        out += "  South unplayed: " + OrNone(p.SouthUnplayed) + "\n";
        out += "  Current trick: " + OrNone(p.CurrentTrick) + "\n";
        out += "  Line cards: " + OrNone(p.LineCards) + "\n";
        out += "  Tricks won by North-South: " + std::to_string(p.NSTricksWon) + " of " +
               std::to_string(p.CompletedTricks) + "\n";
        ReportTable t = TricksTableView(p.PossibleRows, names);
        t.Caption = "Tricks-table rows still possible";
        out += TableText(t);
    }
    return out;
}

} // namespace nvx::cli
