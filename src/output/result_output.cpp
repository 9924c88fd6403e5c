#include "output/result_output.h"

#include "results/analysis.h"

#include <algorithm>
#include <cstdio>

namespace nvx {

void DescribeResults(Analysis& a, Host& host, RunResult& r) {
    r.Defenders = a.GetEngine().GetEWCards().str();
    r.Divisions = a.GetEngine().NumDivs();
    r.ProbabilityDenominator = a.GetEngine().ProbDenominator();
    r.Results = SummarizeResults(host, a.GetLines());
    const TricksTableSource source = TricksTableSourceOf(a);
    r.SmallCardLimit = source.SmallCardLimit;
    r.NamedCardLimit = NamedCardLimit(source.EWCards, source.SmallCardLimit);
    r.TricksRows = TricksTableRows(source);
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
            g["probability"] = ShownGoalProbability(s, shown[i]);
            g["lines"] = LineNames(s, s.BestForGoal[shown[i]]);
        } else {
            g["probability"] = nullptr;
            g["lines"] = LineNames(s, list.Rows[i][0] == "max" ? s.BestForGoal[0] : s.PayoffBest);
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
        l["beaten_by"] = LineNames(s, line.Beaters);
        l["beaten_by_text"] = BeatersText(s, line);
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
    out += "\n" + TableText(LineGoalTable(s));
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

// --- CSV ---------------------------------------------------------------------------------

namespace {

std::string CsvField(std::string text) {
    const auto blank = [](char c) { return c == ' '; };
    text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
    text.erase(std::find_if_not(text.rbegin(), text.rend(), blank).base(), text.end());
    if (text.find_first_of(",\"\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string CsvTable(const std::string& caption, const ReportTable& t) {
    std::string out = CsvField(caption) + "\n";
    auto line = [&out](const std::vector<std::string>& cells) {
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (c > 0) out += ',';
            out += CsvField(cells[c]);
        }
        out += '\n';
    };
    std::vector<std::string> header;
    for (const ReportColumn& c : t.Columns)
        header.push_back(c.Caption);
    line(header);
    for (const auto& row : t.Rows)
        line(row);
    return out;
}

} // namespace

std::string ResultJsonText(const RunResult& r) {
    return ResultJson(r).dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string ResultCsv(const RunResult& r) {
    const ResultsSummary& s = r.Results;
    std::vector<std::string> names;
    for (const LineResult& line : s.Lines)
        names.push_back(line.Name);
    return CsvTable("Results", ResultListTable(s)) + "\n" +
           CsvTable("Strat x goal table", LineGoalTable(s)) + "\n" +
           CsvTable(PayoffTableView(s).Caption, PayoffTableView(s)) + "\n" +
           CsvTable("Tricks table", TricksTableView(r.TricksRows, names));
}

} // namespace nvx
