// The analysis flow of the main window: from the combination dialog through the
// computation under the progress window to the filled views. Every step that
// needs the engine goes through ComboAnalysis; the views are filled through
// ResultViews.
#include "ui/analysis_flow.h"

#include "present/input_rules.h"
#include "ui/combo_dialog.h"
#include "ui/main_window.h"
#include "ui/message_boxes.h"
#include "ui/progress_window.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>

#include <utility>

namespace nvx {

std::string CombinationSummary(const ComboDialog& d, bool isImps) {
    ComboValues v;
    v.North = d.NorthHolding();
    v.South = d.SouthHolding();
    v.Discards = d.DiscardsHolding();
    v.EntriesOn = true;
    v.Entries = d.EntriesCount();
    v.VacantOn = true;
    v.VacantWestSpin = d.VacantWest();
    v.VacantEastSpin = d.VacantEast();
    // The compare method is named when the analysis compares at IMPs.
    if (isImps) v.Goal = d.ContractGoalOrNone();
    return CombinationSummary(v);
}

namespace {

QString OutOfMemoryMessage(QtHost& host) {
    if (host.MemoryLimitReached())
        return QStringLiteral("The computation has been stopped because it needs more memory "
                              "than the %1 MB this program may use on this computer.")
            .arg(host.MemoryLimitMB());
    return QStringLiteral("The computation has been stopped because it needs more memory than "
                          "this computer can give.");
}

} // namespace

void MainWindow::ShowCombination() {
    const bool isImps = analysis_ ? analysis_->IsIMPs() : contractCopy_.has_value();
    comboSummary_ = QString::fromStdString(CombinationSummary(*combo_, isImps));
    comboLabel_->setText(SummaryHtml(comboSummary_));
    setWindowTitle(WindowTitle(combo_->NorthHolding(), combo_->SouthHolding()));
}

QString WindowTitle(const Holding& north, const Holding& south) {
    auto hand = [](const Holding& h) {
        return h.empty() ? QStringLiteral("-") : QString::fromStdString(h.str());
    };
    return QStringLiteral("%1 / %2 - Norvadex").arg(hand(north), hand(south));
}

QString SummaryHtml(const QString& summary) {
    // Lines with a tab go into a small table: the tab after the hand's name starts
    // the second column, a run of tabs further on becomes a wide gap. Other lines
    // stand on their own below it.
    QString html, rows;
    auto flushRows = [&] {
        if (rows.isEmpty()) return;
        html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"0\">") + rows +
                QStringLiteral("</table>");
        rows.clear();
    };
    const QStringList lines = summary.split('\r');
    for (const QString& line : lines) {
        const qsizetype tab = line.indexOf('\t');
        if (tab < 0) {
            flushRows();
            html += QStringLiteral("<div>%1&nbsp;</div>").arg(line.toHtmlEscaped());
            continue;
        }
        QStringList parts = line.mid(tab + 1).split('\t', Qt::SkipEmptyParts);
        for (QString& part : parts)
            part = part.toHtmlEscaped();
        rows += QStringLiteral("<tr><td style=\"padding-right:12px\">%1</td><td>%2</td></tr>")
                    .arg(line.left(tab).toHtmlEscaped(),
                         parts.join(QStringLiteral("&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;")));
    }
    flushRows();
    return html;
}

void MainWindow::GetCombo() {
    if (computing_) return;
    // 1. The dialog; anything but OK changes nothing.
    if (combo_->exec() != QDialog::Accepted) return;

    const ComboSetUp setUp{combo_->NorthHolding(),
                           combo_->SouthHolding(),
                           combo_->DiscardsHolding(),
                           combo_->EntriesCount(),
                           static_cast<std::uint8_t>(13 - combo_->VacantWest()),
                           static_cast<std::uint8_t>(13 - combo_->VacantEast())};
    const std::optional<ContractGoal> goal = combo_->ContractGoalOrNone();
    lastSetUp_ = setUp;
    analysedValues_ = combo_->Values();
    RememberDialogCombo();

    if (!analysis_) {
        // No engine attached: show what was entered, and say that nothing was computed.
        contractCopy_ = goal;
        ShowCombination();
        EmptyViews();
        ShowSingleColumn(QStringLiteral("No results: the analysis is not part of this build"));
        return;
    }

    // 2.-3. The window takes no input, except for Help and Quit, while the
    // progress window is up.
    SetComputing(true);
    progress_->SetState(CalcState::Calculating);
    progress_->ShowOverParent();

    // 4. The set-up.
    analysis_->SetUpCombination(setUp);

    // 5. The comparison: IMPs with a contract, matchpoints without.
    if (goal) {
        analysis_->SetIMPTable(*goal, static_cast<std::int8_t>(goal->TricksNeeded));
        contractCopy_ = *goal;
    } else {
        analysis_->SetTrickTable();
        contractCopy_.reset();
    }

    // 6.-7.
    ShowCombination();
    EmptyViews();

    // 8. The computation, on a thread of its own: this thread goes back to the
    // event loop, repaints and runs the progress window meanwhile, and takes the
    // outcome in FinishComputation. Nothing on this thread reads the analysis
    // until then: the views are empty and the commands that read it disabled.
    host_.StartComputation();
    computeClock_.start();
    const unsigned run = ++run_;
    ComboAnalysis* analysis = analysis_;
    worker_ = std::thread([this, analysis, run] {
        workerEnd_ = analysis->ComputeOptimalLines(host_);
        returnedRun_.store(run, std::memory_order_release);
        emit computationReturned();
    });
}

void MainWindow::StopComputation() {
    if (!worker_.joinable()) return;
    progress_->RequestStop();
    // The computation may be waiting for a message box that this thread, which
    // does not go back to the event loop here, would never show.
    host_.AbandonMessages();
    worker_.join();
    FinishComputation();
}

void MainWindow::FinishComputation() {
    if (!worker_.joinable() || returnedRun_.load(std::memory_order_acquire) != run_) return;
    worker_.join();
    const ComputeEnd end = workerEnd_;
    computeSeconds_ = static_cast<double>(computeClock_.nsecsElapsed()) / 1e9;
    host_.EndComputation();
    const bool closing = std::exchange(closeWhenFinished_, false);

    if (end == ComputeEnd::OutOfMemory) {
        // 9. Out of memory: no results.
        progress_->Finish();
        SetComputing(false);
        if (!closing) MessageBoxes::Error(this, OutOfMemoryMessage(host_));
        ShowSingleColumn(QStringLiteral("No results: not enough memory"));
    } else if (progress_->State() != CalcState::Calculating) {
        // 9. Interrupted: no results.
        progress_->Finish();
        SetComputing(false);
        ShowSingleColumn(QStringLiteral("No results: computation cancelled"));
    } else {
        // 10. Finished: fill the views; a single line is chosen at once.
        progress_->Finish();
        resultsShown_ = true;
        SetResultActionsEnabled(true);
        if (views_) {
            views_->FillResultList();
            views_->FillTricksTable();
        }
        SetComputing(false);
        if (analysis_->LineCount() == 1) {
            selectLineComboBox_->setCurrentIndex(0);
            if (views_) {
                views_->ChooseLine();
                views_->UpdatePlayPanel();
            }
        } else {
            selectLineComboBox_->setFocus(Qt::OtherFocusReason);
            playEdit_->setEnabled(false);
        }
    }
    emit analysisFinished();
    if (closing) close();
}

} // namespace nvx
