// What the tool's transcripts (tests/cli/transcripts.txt) and the golden
// results do not reach: the typing filter of the holding fields, which only a
// window has, beaters no longer shown, and tricks table cells that differ
// between layouts shown alike ("?"). The messages of the checks, the typed
// holdings, the values the dialog derives and the summary are in the
// transcripts.
#include "present/input_rules.h"
#include "present/result_views.h"
#include "results/lines_helper.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace nvx {
namespace {

// The typing filter of the holding fields, as keys come in (the cases are in
// typing.txt): cards the field may not take go, a lone 1 waits for its 0 while
// the caret is behind it, and x stands for the lowest free card. The windows'
// tests type through it.
TEST(ComboDialog, TypingFilter) {
    std::ifstream file(NORVADEX_TYPING_FILE);
    int cases = 0;
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> f; // typed, allowed, caret, text, exit text
        std::istringstream in(line);
        for (std::string field; f.size() < 5 && std::getline(in, field, '|');)
            f.push_back(field);
        ASSERT_EQ(f.size(), 5u) << line;
        const Holding allowed(f[1]);
        EXPECT_EQ(FilterTypedText(f[0], allowed, std::stoul(f[2])).Text, f[3]) << line;
        EXPECT_TRUE(f[4].empty() || HoldingEditExitText(f[0], allowed) == f[4]) << line;
        ++cases;
    }
    EXPECT_GE(cases, 10) << "no cases at " << NORVADEX_TYPING_FILE;
    const Holding all = FullSuit(), noQ = AllowedCards(HoldingEdit::North, "", "Q");
    EXPECT_EQ(FilterTypedText("1K", all, 2).Caret, 1u);
    EXPECT_EQ(noQ.str(), "AKJT98765432");
    EXPECT_EQ(AllowedCards(HoldingEdit::South, "A K 10", "").str(), "QJ98765432");
    EXPECT_EQ(AllowedCards(HoldingEdit::Discards, "A K", "10 3").str(), "AKT3");
    // The rightmost x gets the lowest card; named cards and the other hand's
    // are not free.
    EXPECT_EQ(ExpandLowestFree("X2XA", all), "423A");
    EXPECT_EQ(ExpandLowestFree("AXX", HoldingMinus(all, "32")), "A54");
}

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
