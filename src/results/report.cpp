#include "results/report.h"

#include <algorithm>
#include <charconv>
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

// --- the combination dialog ---------------------------------------------------------

std::string RangeMessage(int max) {
    return "Value must be integer number in the range 0 to " + std::to_string(max);
}

std::optional<int> ParseRangeValue(std::string_view text, int max) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    int value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (*first == '+') ++first;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last || first == last) return std::nullopt;
    if (value < 0 || value > max) return std::nullopt;
    return value;
}

THolding AllowedCards(HoldingEdit edit, std::string_view northText, std::string_view southText) {
    switch (edit) {
    case HoldingEdit::North:
        return HoldingMinus(FullSuit(), NormalizeHolding(southText));
    case HoldingEdit::South:
        return HoldingMinus(FullSuit(), NormalizeHolding(northText));
    case HoldingEdit::Discards:
        return NormalizeHolding(std::string(northText) + std::string(southText));
    }
    return {};
}

std::string ExpandLowestFree(std::string_view text, const THolding& allowed) {
    std::string out(text);
    THolding spare = HoldingMinus(allowed, NormalizeHolding(text));
    for (std::size_t i = out.size(); i-- > 0 && !spare.empty();) {
        if (out[i] == 'X' || out[i] == 'x') {
            out[i] = spare[spare.size() - 1];
            THolding rest;
            for (std::size_t k = 0; k + 1 < spare.size(); ++k)
                rest.push_back(spare[k]);
            spare = rest;
        }
    }
    return out;
}

FilteredText FilterTypedText(std::string_view typed, const THolding& allowed, std::size_t caret) {
    const std::string text = ExpandLowestFree(typed, allowed);
    const bool hasTen = text.find('T') != std::string::npos;
    const std::size_t firstZero = text.find('0');
    FilteredText result;
    std::string& out = result.Text;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        bool keep;
        if (c == ' ') {
            keep = true;
        } else if (out.find(c) != std::string::npos) {
            keep = false;
        } else if (c == '1') {
            keep = !hasTen && HasCard('T', allowed) && (firstZero == i + 1 || caret == i + 1);
        } else if (c == '0') {
            keep = !out.empty() && out.find('1') == out.size() - 1;
        } else {
            keep = HasCard(c, allowed);
        }
        if (keep) out += c;
        if (caret == i + 1) result.Caret = out.size();
    }
    if (caret > text.size()) result.Caret = out.size();
    return result;
}

std::string HoldingEditExitText(std::string_view text, const THolding& allowed) {
    const THolding h = NormalizeHolding(text);
    return HoldingDisplayText(HoldingMinus(h, HoldingMinus(h, allowed)));
}

std::string CompareMethodText(const TContractGoal& goal) {
    std::string s = "IMPS: " + ContractText(goal.Contract) + ", " +
                    std::to_string(goal.TricksNeeded) + " trick";
    if (goal.TricksNeeded != 1) s += "s";
    return s;
}

std::uint8_t ComboValues::EntriesCount() const {
    return EntriesOn ? Entries : static_cast<std::uint8_t>(NorthPlaying().size());
}

std::uint8_t ComboValues::TricksInSuit() const {
    return static_cast<std::uint8_t>(std::max(NorthPlaying().size(), SouthPlaying().size()));
}

ComboCheck CheckCombination(const ComboValues& v) {
    if (v.NorthPlaying().size() < 2 && v.SouthPlaying().size() < 2) {
        const bool discardsToBlame = v.North.size() >= 2 || v.South.size() >= 2;
        return {"Either North or South needs at least two cards",
                discardsToBlame ? ComboField::Discards : ComboField::North};
    }
    if (v.DefendersHolding().size() < 2)
        return {"Defenders need at least two cards", ComboField::North};
    if (v.VacantOn && v.North.size() + v.VacantEastSpin + v.South.size() + v.VacantWestSpin < 13)
        return {"Not enough vacant places for defenders' cards", ComboField::West};
    if (v.Goal) {
        const int level = v.Goal->Contract.Level;
        const int t = static_cast<std::int8_t>(v.Goal->TricksNeeded);
        const int p = v.TricksInSuit();
        const std::string name = ContractName(v.Goal->Contract.Level, v.Goal->Contract.Strain);
        if (level + 6 < t)
            return {"Too many tricks specified for IMPs. \r\n" + std::to_string(level + 6) +
                        " tricks should be enough for " + name + ".",
                    ComboField::Contract};
        if (p + level > t + 7)
            return {"Not enough tricks specified for IMPS. \r\n\r\n" + std::to_string(p) +
                        " tricks will be played in the suit, " + "so winning " + std::to_string(t) +
                        " tricks in the suit means losing " + std::to_string(p - t) +
                        " tricks. \r\n" + "So " + name + " will not make.\r\n" +
                        "Either change contract or number tricks needed for contract, " +
                        "or remove or discard cards from North or South.",
                    ComboField::North};
    }
    return {};
}

std::string CombinationSummary(const ComboValues& v) {
    std::string s = "North: \t" + v.North.str();
    if (!v.NorthDiscards().empty()) s += "\t\t\tdiscards: " + v.NorthDiscards().str();
    if (v.EntriesCount() < v.NorthPlaying().size())
        s += "\t\t\tentries: " + std::to_string(v.EntriesCount());
    s += "\rSouth: \t" + v.South.str();
    if (!v.SouthDiscards().empty()) s += "\t\t\tdiscards: " + v.SouthDiscards().str();
    s += "\r\r";
    if (v.Goal) s += "Compare method: " + CompareMethodText(*v.Goal) + ";";
    if (v.VacantWest() < 13 || v.VacantEast() < 13)
        s += " Vacant places: West " + std::to_string(v.VacantWest()) + " East " +
             std::to_string(v.VacantEast());
    return s;
}

// --- the results ---------------------------------------------------------------------------

namespace {

// Positions 1..n of the result queries as indices into the summary's lines.
std::vector<int> Indices(const std::vector<int>& positions) {
    std::vector<int> indices;
    indices.reserve(positions.size());
    for (int p : positions)
        indices.push_back(p - 1);
    return indices;
}

} // namespace

ResultsSummary SummarizeResults(Host& host, const ProbStrategies& lines) {
    ResultsSummary r;
    r.Imps = lines.Payoffs().IsIMPs();
    r.MinK = lines.GetMinK();
    r.MaxK = lines.GetMaxK();
    for (int k = 0; k <= MaxTricks; ++k) {
        r.Best[k] = lines.GetBestProb(k);
        r.BestForGoal[k] = Indices(lines.GetBestForGoal(k));
    }
    r.PayoffBest = Indices(lines.GetPayoffBest());
    const int n = lines.StratCount();
    for (int i = 1; i <= n; ++i) {
        LineResult line;
        line.Name = lines.GetStratName(i);
        for (int k = 0; k <= MaxTricks; ++k)
            line.Prob[k] = lines.GetStratProb(i, k);
        const LineBeaters beaters = lines.GetBeaters(host, i);
        line.Beaters = Indices(beaters.Lines);
        line.BeatenByUnshownLine = beaters.ByUnshownLine;
        if (const TProbStrat* s = lines.GetStrat(i))
            line.Tricks.assign(s->Val.begin(), s->Val.end());
        r.Lines.push_back(std::move(line));
    }
    r.Payoff.assign(n, std::vector<double>(n, 0.0));
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            if (i != j) r.Payoff[i][j] = lines.GetPayoff(host, i + 1, j + 1);
    return r;
}

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

ReportTable StratGoalTable(const ResultsSummary& r) {
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

char NamedCardLimit(const THolding& ewCards, char smallCardLimit) {
    if (ewCards.size() < 2) return '2';
    const std::uint16_t q = RankValue(smallCardLimit);
    char limit = q >= 1 && q < 13 ? RankChar(static_cast<std::uint16_t>(q + 1)) : smallCardLimit;
    if (IsHigher(limit, 'T')) limit = 'T';
    if (!IsHigher(limit, ewCards[ewCards.size() - 1])) limit = '2';
    return limit;
}

std::vector<TricksTableRow> TricksTableRows(const TricksTableSource& source) {
    const THolding& e = source.EWCards;
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
                if (existing.Tricks[i - 1] != tricks) existing.Tricks[i - 1] = "?";
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
