// The plan beside the line selector: the words of the chosen line, and the
// step of the current trick highlighted as the play goes on.
#include "results/analysis.h"
#include "ui/plan_view.h"

#include <QtTest>

using namespace nvx;

class TestPlanView : public QObject {
    Q_OBJECT
  private slots:
    void ShowsTheChosenLineAndFollowsThePlay() {
        SilentHost host;
        Analysis a(host);
        a.SetUpCombination("AQ10", "432", 3, "", 0, 0);
        a.SetTrickTable();
        QCOMPARE(a.ComputeOptimalLines(), ComputeEnd::Finished);
        PlanView view;
        view.SetLines(a);
        QVERIFY(view.toPlainText().isEmpty());
        view.ShowLine(0);
        QVERIFY(view.toPlainText().startsWith("1. Lead low from South towards North's AQ10"));
        QCOMPARE(view.PlanWords(0).substr(0, 2), std::string("1."));
        view.ShowPlay("");
        QCOMPARE(view.HighlightedStep(), 1);
        // Low from South, low from West, the 10 finessed, East's jack: step 2
        // says how to go on from there.
        view.ShowPlay("25TJ;");
        QCOMPARE(view.HighlightedStep(), 2);
        view.ShowPlay("2K"); // West's king: third hand's card is in step 1
        QCOMPARE(view.HighlightedStep(), 1);
        view.ShowLine(-1);
        QVERIFY(view.toPlainText().isEmpty());
    }
};

QTEST_MAIN(TestPlanView)
#include "test_plan_view.moc"
