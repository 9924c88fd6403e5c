#include "present/result_views.h"

#include "results/analysis.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

namespace nvx {

namespace {

std::string Printf(const char* format, double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

} // namespace

// --- number formats ------------------------------------------------------------------

std::string FormatPercent(double probability) {
    return Printf("%10.4f%%", 100.0 * probability);
}

std::string FormatNumber(double value) {
    return Printf("%10.4f", value);
}

std::string FormatPayoff(double payoff, bool imps) {
    return imps ? FormatNumber(payoff) : FormatPercent(payoff);
}

std::string FormatLayoutCount(unsigned count) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%2u", count);
    return buf;
}

std::string FormatRowProbability(double probability) {
    return Printf("%5.2f%% ", 100.0 * probability);
}

std::string OneLineMessage(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

// --- the results ---------------------------------------------------------------------------

std::vector<std::string> LineNames(const ResultsSummary& r, const std::vector<int>& lines) {
    std::vector<std::string> names;
    names.reserve(lines.size());
    for (int i : lines)
        names.push_back(r.Lines.at(static_cast<std::size_t>(i)).Name);
    return names;
}

std::string JoinedNames(const ResultsSummary& r, const std::vector<int>& lines,
                        std::string_view separator) {
    std::string s;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) s += separator;
        s += r.Lines.at(static_cast<std::size_t>(lines[i])).Name;
    }
    return s;
}

std::string BeatersText(const ResultsSummary& r, const LineResult& line) {
    return line.BeatenByUnshownLine ? "not available" : JoinedNames(r, line.Beaters);
}

std::vector<int> ShownGoals(const ResultsSummary& r) {
    std::vector<int> goals;
    for (int k = r.MaxK; k >= r.MinK; --k)
        goals.push_back(k);
    if (r.MaxK < r.MinK) goals.push_back(r.MaxK);
    return goals;
}

double ShownGoalProbability(const ResultsSummary& r, int k) {
    return r.MaxK < r.MinK ? 1.0 : r.Best[static_cast<std::size_t>(k)];
}

double ShownGoalProbability(const ResultsSummary& r, const LineResult& line, int k) {
    return r.MaxK < r.MinK ? 1.0 : line.Prob[static_cast<std::size_t>(k)];
}

ReportTable ResultListTable(const ResultsSummary& r) {
    ReportTable t;
    t.Columns = {{"Goal", ColumnAlign::Right},
                 {"Succ. prob.", ColumnAlign::Right},
                 {"Line", ColumnAlign::Left}};
    for (int k : ShownGoals(r))
        t.Rows.push_back({std::to_string(k), FormatPercent(ShownGoalProbability(r, k)),
                          JoinedNames(r, r.BestForGoal[k])});
    const std::string payoffBest = JoinedNames(r, r.PayoffBest);
    t.Rows.push_back({r.Imps ? "imp-best" : "mp-best", "", payoffBest});
    const std::string mostExpected = JoinedNames(r, r.BestForGoal[0]);
    if (payoffBest != mostExpected) t.Rows.push_back({"max", "", mostExpected});
    return t;
}

ReportTable LineGoalTable(const ResultsSummary& r) {
    ReportTable t;
    t.Caption = "Strat x goal table";
    t.Columns.push_back({"Line", ColumnAlign::Right});
    const std::vector<int> goals = ShownGoals(r);
    for (int k : goals)
        t.Columns.push_back({"P( tricks >= " + std::to_string(k) + " )", ColumnAlign::Right});
    t.Columns.push_back({" E( tricks )", ColumnAlign::Right});
    t.Columns.push_back(
        {r.Imps ? "loses at imps from" : "loses at matchpoints from", ColumnAlign::Left});
    for (const LineResult& line : r.Lines) {
        std::vector<std::string> row{line.Name};
        for (int k : goals)
            row.push_back(FormatPercent(ShownGoalProbability(r, line, k)));
        row.push_back(FormatNumber(line.Prob[0]));
        row.push_back(BeatersText(r, line));
        t.Rows.push_back(std::move(row));
    }
    return t;
}

ReportTable PayoffTableView(const ResultsSummary& r) {
    ReportTable t;
    t.Caption = r.Imps ? "Payoff table: average imps per deal"
                       : "Payoff table: expected percentage wins minus expected percentage loses";
    t.Columns.push_back({"Line", ColumnAlign::Right});
    for (const LineResult& line : r.Lines)
        t.Columns.push_back({line.Name, ColumnAlign::Right, 80});
    for (std::size_t i = 0; i < r.Lines.size(); ++i) {
        std::vector<std::string> row{r.Lines[i].Name};
        for (std::size_t j = 0; j < r.Lines.size(); ++j)
            row.push_back(i == j ? std::string() : FormatPayoff(r.Payoff[i][j], r.Imps));
        t.Rows.push_back(std::move(row));
    }
    return t;
}

// --- the tricks table ------------------------------------------------------------------------

char NamedCardLimit(const Holding& ewCards, char smallCardLimit) {
    if (ewCards.size() < 2) return '2';
    const std::uint16_t q = RankValue(smallCardLimit);
    char limit = q >= 1 && q < 13 ? RankChar(static_cast<std::uint16_t>(q + 1)) : smallCardLimit;
    if (IsHigher(limit, 'T')) limit = 'T';
    if (!IsHigher(limit, ewCards[ewCards.size() - 1])) limit = '2';
    return limit;
}

TricksTableSource TricksTableSourceOf(Analysis& analysis) {
    TricksTableSource s;
    s.EWCards = analysis.GetEngine().GetEWCards();
    for (int i = 1; i <= analysis.LineCount(); ++i)
        s.LineNames.push_back(analysis.GetLineName(i));
    s.SmallCardLimit = analysis.SmallCardLimit();
    s.Tricks = [&analysis](int line, std::string_view west) {
        return analysis.GetLineTricks(line, west);
    };
    s.LayoutProbability = [&analysis](std::string_view west) { return analysis.GetDivProb(west); };
    return s;
}

std::vector<TricksTableRow> TricksTableRows(const TricksTableSource& source) {
    // The cell of a line whose tricks differ between the layouts of a row.
    static const std::string TricksDiffer = "?";
    const Holding& e = source.EWCards;
    const std::size_t length = e.size();
    const int lineCount = static_cast<int>(source.LineNames.size());
    const char limit = NamedCardLimit(e, source.SmallCardLimit);
    std::vector<TricksTableRow> rows;
    std::unordered_map<std::string, std::size_t> rowOf;
    const std::uint32_t layouts = 1u << length;
    for (std::uint32_t m = 0; m < layouts; ++m) {
        std::string west, east;
        for (std::size_t pos = 0; pos < length; ++pos) {
            // Bit b of m places the b-th lowest card.
            const std::size_t bit = length - 1 - pos;
            ((m >> bit) & 1u ? east : west) += e[pos];
        }
        TricksTableRow row;
        row.West = SmallCardsAsX(west, limit);
        row.East = SmallCardsAsX(east, limit);
        const double p = source.LayoutProbability ? source.LayoutProbability(west) : 0.0;
        const std::string caption = row.Caption();
        auto found = rowOf.find(caption);
        if (found == rowOf.end()) {
            row.Layouts = 1;
            row.Probability = p;
            for (int i = 1; i <= lineCount; ++i)
                row.Tricks.push_back(
                    std::to_string(source.Tricks ? unsigned{source.Tricks(i, west)} : 0u));
            rowOf.emplace(caption, rows.size());
            rows.push_back(std::move(row));
        } else {
            TricksTableRow& existing = rows[found->second];
            ++existing.Layouts;
            existing.Probability = p * existing.Layouts;
            for (int i = 1; i <= lineCount; ++i) {
                const std::string tricks =
                    std::to_string(source.Tricks ? unsigned{source.Tricks(i, west)} : 0u);
                if (existing.Tricks[i - 1] != tricks) existing.Tricks[i - 1] = TricksDiffer;
            }
        }
    }
    return rows;
}

ReportTable TricksTableView(const std::vector<TricksTableRow>& rows,
                            const std::vector<std::string>& lineNames) {
    ReportTable t;
    t.Columns = {{"West-East", ColumnAlign::Centre},
                 {"# ", ColumnAlign::Right},
                 {"prob.  ", ColumnAlign::Right}};
    for (const std::string& name : lineNames)
        t.Columns.push_back({name, ColumnAlign::Left, 20});
    for (const TricksTableRow& row : rows) {
        std::vector<std::string> cells{row.Caption(), FormatLayoutCount(row.Layouts),
                                       FormatRowProbability(row.Probability)};
        cells.insert(cells.end(), row.Tricks.begin(), row.Tricks.end());
        t.Rows.push_back(std::move(cells));
    }
    return t;
}

} // namespace nvx
