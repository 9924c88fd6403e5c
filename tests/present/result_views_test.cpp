// The views where the tool's transcripts do not reach: one-line messages, the
// "max" row, lines that take the same tricks everywhere, beaters no longer shown
// and the rows of the tricks table. Number formats and IMP tables are in
// tests/cli/transcripts.txt.
#include "present/result_views.h"
#include "results/lines_helper.h"

#include <gtest/gtest.h>

namespace nvx {
namespace {

TEST(ReportFormats, MessagesOnOneLine) {
    EXPECT_EQ(OneLineMessage("Too many tricks specified for IMPs. \r\n7 tricks"),
              "Too many tricks specified for IMPs.  7 tricks");
    EXPECT_EQ(OneLineMessage("a\r\rb\nc"), "a  b c");
    EXPECT_EQ(OneLineMessage(""), "");
}

// The two lines of the worked example: weights 3 and 1, A = (2,0), B = (1,1).
ResultsSummary TwoLines(const PayoffTable& table = PayoffTable()) {
    test::Analysis an;
    an.Run({Val{2, 0}, Val{1, 1}}, {3, 1}, table);
    ResultsSummary r = SummarizeResults(an.host, an.lines);
    EXPECT_TRUE(an.host.errors.empty());
    return r;
}

TEST(ResultViews, ResultsListLineGoalAndPayoffTables) {
    const ResultsSummary r = TwoLines();
    ReportTable list = ResultListTable(r);
    ASSERT_EQ(list.Columns.size(), 3u);
    EXPECT_EQ(list.Columns[1].Caption, "Succ. prob.");
    EXPECT_EQ(list.Columns[2].Align, ColumnAlign::Left);
    using Rows = std::vector<std::vector<std::string>>;
    // The mp-best line is the one with the most expected tricks: no "max" row.
    EXPECT_EQ(list.Rows,
              (Rows{{"2", "   75.0000%", "A"}, {"1", "  100.0000%", "B"}, {"mp-best", "", "A"}}));

    ReportTable strat = LineGoalTable(r);
    EXPECT_EQ(strat.Caption, "Strat x goal table");
    std::vector<std::string> captions;
    for (const auto& c : strat.Columns)
        captions.push_back(c.Caption);
    EXPECT_EQ(captions, (std::vector<std::string>{"Line", "P( tricks >= 2 )", "P( tricks >= 1 )",
                                                  " E( tricks )", "loses at matchpoints from"}));
    EXPECT_EQ(strat.Rows, (Rows{{"A", "   75.0000%", "   75.0000%", "    1.5000", ""},
                                {"B", "    0.0000%", "  100.0000%", "    1.0000", "A"}}));

    ReportTable payoff = PayoffTableView(r);
    EXPECT_EQ(payoff.Caption,
              "Payoff table: expected percentage wins minus expected percentage loses");
    ASSERT_EQ(payoff.Columns.size(), 3u);
    EXPECT_EQ(payoff.Columns[1].Width, 80);
    EXPECT_EQ(payoff.Rows, (Rows{{"A", "", "   50.0000%"}, {"B", "  -50.0000%", ""}}));
}

TEST(ResultViews, MaxRowWhenTheMpBestLinesAreOthers) {
    ResultsSummary r = TwoLines();
    r.PayoffBest = {1};
    const ReportTable list = ResultListTable(r);
    ASSERT_EQ(list.Rows.size(), 4u);
    EXPECT_EQ(list.Rows[2], (std::vector<std::string>{"mp-best", "", "B"}));
    EXPECT_EQ(list.Rows[3], (std::vector<std::string>{"max", "", "A"}));
}

TEST(ResultViews, EveryLineTakesTheSameTricksEverywhere) {
    test::Analysis an;
    an.Run({Val{1, 1}}, {3, 1});
    const ResultsSummary r = SummarizeResults(an.host, an.lines);
    EXPECT_EQ(r.MinK, r.MaxK + 1);
    using Rows = std::vector<std::vector<std::string>>;
    EXPECT_EQ(ResultListTable(r).Rows, (Rows{{"1", "  100.0000%", "A"}, {"mp-best", "", "A"}}));
    const ReportTable strat = LineGoalTable(r);
    ASSERT_EQ(strat.Columns.size(), 4u);
    EXPECT_EQ(strat.Columns[1].Caption, "P( tricks >= 1 )");
    EXPECT_EQ(strat.Rows, (Rows{{"A", "  100.0000%", "    1.0000", ""}}));
    // A single line: one payoff cell, empty.
    EXPECT_EQ(PayoffTableView(r).Rows, (Rows{{"A", ""}}));

    // No trick anywhere: goal 0 is sure, although slot 0 holds the expected tricks.
    test::Analysis none;
    none.Run({Val{0, 0}}, {3, 1});
    const ResultsSummary z = SummarizeResults(none.host, none.lines);
    EXPECT_EQ(ResultListTable(z).Rows[0], (std::vector<std::string>{"0", "  100.0000%", "A"}));
    EXPECT_EQ(LineGoalTable(z).Rows[0][1], "  100.0000%");
}

TEST(ResultViews, NamesOfLinesAndNotAvailableBeaters) {
    ResultsSummary r = TwoLines();
    EXPECT_EQ(JoinedNames(r, {0, 1}, ", "), "A, B");
    r.Lines[0].BeatenByUnshownLine = true;
    EXPECT_EQ(LineGoalTable(r).Rows[0].back(), "not available");
}

TEST(TricksTable, NamedCardLimit) {
    EXPECT_EQ(NamedCardLimit("K", 'K'), '2');      // fewer than two defenders' cards
    EXPECT_EQ(NamedCardLimit("AKQ2", 'A'), 'T');   // the ten and above are always named
    EXPECT_EQ(NamedCardLimit("KQ9832", '9'), 'T'); // one above q, then capped
    EXPECT_EQ(NamedCardLimit("KQ9832", '8'), '9'); // every 8 and lower is x
    EXPECT_EQ(NamedCardLimit("KQ95", '4'), '2');   // the limit is not above the lowest card
    EXPECT_EQ(NamedCardLimit("KQ95", '5'), '6');
}

// Three defenders' cards, the 3 and the 2 shown as x: line A's tricks depend on
// which of them West holds ("?"), line B's do not.
TricksTableSource ThreeCards() {
    TricksTableSource s;
    s.EWCards = "Q32";
    s.LineNames = {"A", "B"};
    s.SmallCardLimit = '3';
    s.Tricks = [](int line, std::string_view west) -> std::uint8_t {
        const bool westQ = west.find('Q') != std::string_view::npos;
        const bool west3 = west.find('3') != std::string_view::npos;
        return line == 1 ? (westQ ? 2 : 1) + (west3 ? 1 : 0) : (westQ ? 3 : 2);
    };
    s.LayoutProbability = [](std::string_view west) { return west.size() == 1 ? 0.1 : 0.05; };
    return s;
}

TEST(TricksTable, RowsMergeLayoutsThatLookTheSame) {
    const std::vector<TricksTableRow> rows = TricksTableRows(ThreeCards());
    std::vector<std::string> captions;
    for (const auto& row : rows)
        captions.push_back(row.Caption());
    // In the order the enumeration creates them: West holds everything first.
    EXPECT_EQ(captions, (std::vector<std::string>{"Qxx - ", "Qx - x", "Q - xx", "xx - Q", "x - Qx",
                                                  " - Qxx"}));
    const TricksTableRow& qx = rows[1];
    EXPECT_EQ(qx.Layouts, 2u);
    EXPECT_DOUBLE_EQ(qx.Probability, 0.1);
    EXPECT_EQ(qx.Tricks, (std::vector<std::string>{"?", "3"}));
    const TricksTableRow& x = rows[4];
    EXPECT_EQ(x.Layouts, 2u);
    EXPECT_DOUBLE_EQ(x.Probability, 0.2);
    EXPECT_EQ(x.Tricks, (std::vector<std::string>{"?", "2"}));
    EXPECT_EQ(rows[0].Tricks, (std::vector<std::string>{"3", "3"}));
    EXPECT_EQ(rows[5].West, "");

    const ReportTable view = TricksTableView(rows, {"A", "B"});
    ASSERT_EQ(view.Columns.size(), 5u);
    EXPECT_EQ(view.Columns[0].Caption, "West-East");
    EXPECT_EQ(view.Columns[1].Caption, "# ");
    EXPECT_EQ(view.Columns[2].Caption, "prob.  ");
    EXPECT_EQ(view.Columns[3].Width, 20);
    EXPECT_EQ(view.Rows[1], (std::vector<std::string>{"Qx - x", " 2", "10.00% ", "?", "3"}));
}

} // namespace
} // namespace nvx
