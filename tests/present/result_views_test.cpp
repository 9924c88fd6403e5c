// The views where the tool's transcripts and the golden results do not reach:
// beaters no longer shown and tricks table cells that differ between layouts
// shown alike ("?").
#include "present/result_views.h"
#include "results/lines_helper.h"

#include <gtest/gtest.h>

namespace nvx {
namespace {

TEST(ResultViews, NotAvailableBeaters) {
    test::Analysis an;
    an.Run({Val{2, 0}, Val{1, 1}}, {3, 1});
    ResultsSummary r = SummarizeResults(an.host, an.lines);
    r.Lines[0].BeatenByUnshownLine = true;
    EXPECT_EQ(LineGoalTable(r).Rows[0].back(), "not available");
}

// Three defenders' cards, the 3 and the 2 shown as x: line A's tricks depend on
// which of them West holds ("?"), line B's do not.
TEST(TricksTable, RowsMergeLayoutsThatLookTheSame) {
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
    const std::vector<TricksTableRow> rows = TricksTableRows(s);
    std::vector<std::string> captions;
    for (const auto& row : rows)
        captions.push_back(row.Caption());
    // In the order the enumeration creates them: West holds everything first.
    EXPECT_EQ(captions, (std::vector<std::string>{"Qxx - ", "Qx - x", "Q - xx", "xx - Q", "x - Qx",
                                                  " - Qxx"}));
    EXPECT_EQ(rows[0].Tricks, (std::vector<std::string>{"3", "3"}));
    EXPECT_EQ(rows[4].Layouts, 2u);
    EXPECT_DOUBLE_EQ(rows[4].Probability, 0.2);
    EXPECT_EQ(rows[4].Tricks, (std::vector<std::string>{"?", "2"}));
    const ReportTable view = TricksTableView(rows, {"A", "B"});
    EXPECT_EQ(view.Rows[1], (std::vector<std::string>{"Qx - x", " 2", "10.00% ", "?", "3"}));
}

} // namespace
} // namespace nvx
