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
    PlayThrough& play = a.GetPlay();
    for (std::size_t i = 0; i < cards.size(); ++i) {
        if (host.cancelled()) return;
        const char c = cards[i];
        const std::size_t before = host.messages().size();
        PlayStep step;
        step.Typed = c;
        step.Card = c;
        step.Accepted = play.PlayChar(c);
        if (!step.Accepted && c == 'X') {
            const Holding all = FullSuit();
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
    PlayThrough& play = a.GetPlay();
    p.PlayString = play.GetPlayString();
    p.CurrentTrick = play.CurrentTrickCards();
    p.NorthUnplayed = play.NorthUnplayed();
    p.SouthUnplayed = play.SouthUnplayed();
    // Asking a defender's card whether it is on the line would evaluate the
    // position as if it had been played; every legal defender's card is.
    p.LineCards = a.GetDynamicEvaluation().DeclarerTurn() ? play.LineCards() : play.PlayableCards();
    p.CompletedTricks = play.CompletedTricks();
    p.NSTricksWon = play.NSTricksWon();
    for (const TricksTableRow& row : rows)
        if (play.IsDivisionPossible(row.West, row.East)) p.PossibleRows.push_back(row);
}

// Ends the run without results when it was cancelled or ran out of memory: a
// Ctrl-C wins, then the memory limit, then any other stop request.
bool TakeStop(CliHost& host, bool outOfMemory, RunResult& r) {
    if (!InterruptFlag().load() && (outOfMemory || host.MemoryLimitReached())) {
        r.Status = RunStatus::OutOfMemory;
        r.Error = host.MemoryLimitReached()
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
    host.state().set(CalcState::Calculating);

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

    DescribeResults(a, host, r);

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
        a.SelectLine(index);
        PlayThroughLine(a, host, request.Play, p);
        DescribePosition(a, p, r.TricksRows);
        r.Play = std::move(p);
    }
    if (request.Plans) {
        std::vector<PlanText> texts;
        std::vector<std::string> names;
        for (int i = 1; i <= a.LineCount() && !host.cancelled(); ++i) {
            r.Plans.push_back(BuildLinePlan(a, i));
            texts.push_back(DescribePlan(r.Plans.back()));
            names.push_back(a.GetLineName(i));
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

} // namespace nvx::cli
