// The report's link to a whole analysis; kept apart from report.cpp so that the
// formatting can be used without the search.
#include "results/analysis.h"
#include "results/report.h"

namespace nvx {

TricksTableSource TricksTableSourceOf(Analysis& analysis) {
    TricksTableSource s;
    s.EWCards = analysis.engine().GetEWCards();
    for (int i = 1; i <= analysis.StratCount(); ++i)
        s.LineNames.push_back(analysis.GetStratName(i));
    s.SmallCardLimit = analysis.SmallCardLimit();
    s.Tricks = [&analysis](int line, std::string_view west) {
        return analysis.GetStratTricks(line, west);
    };
    s.LayoutProbability = [&analysis](std::string_view west) { return analysis.GetDivProb(west); };
    return s;
}

} // namespace nvx
