#include "play/dynamic_eval.h"

#include "play/possible_divs.h"
#include "play/solver.h"
#include "play/workers.h"

#include <algorithm>
#include <memory>
#include <thread>
#include <vector>

namespace nvx {

namespace {

constexpr unsigned MinDivisionsForWorkers = 12;

// The evaluation e restricted to the divisions of d (a subset of e.Dom).
Eval RestrictEval(Host& host, const Eval& e, const Dom& d) {
    return MakeEval(host, d, RestrictVal(host, e.Dom, e.Val, d));
}

} // namespace

LineSet DynamicEvaluation::StartSolving() {
    Host& h = engine_.host;
    declarerTurn_ = true;
    LineSet r;
    stack_.clear();
    TrickStartTable table; // trick starts recur after different first cards
    lastSearchThreads_ = 1;
    if (searchThreads_ != 1 && SolveFirstCardsOnWorkers(table, r)) return r;
    for (std::uint8_t code = 1; code <= FirstShowOut; ++code) {
        firstCardSets_[code].clear();
        if (!engine_.Play(code)) continue;
        firstCardSets_[code] = Solve(engine_, &table);
        LineSet copy = CopyLineSet(firstCardSets_[code]);
        UnionSS(h, r, copy);
        engine_.UndoPlay();
    }
    if (r.empty()) r = Solve(engine_, &table); // no card can be led
    return r;
}

bool DynamicEvaluation::SolveFirstCardsOnWorkers(TrickStartTable& table, LineSet& r) {
    unsigned threads = searchThreads_;
    if (threads == 0) {
        // Below this the threads cost more than they save.
        if (engine_.NumDivs() < MinDivisionsForWorkers) return false;
        threads = std::max(1u, std::thread::hardware_concurrency());
    }
    std::vector<std::uint8_t> codes;
    for (std::uint8_t code = 1; code <= FirstShowOut; ++code) {
        if (!engine_.Play(code)) continue;
        engine_.UndoPlay();
        codes.push_back(code);
    }
    if (threads < 2 || codes.size() < 2) return false;

    for (std::uint8_t code = 1; code <= FirstShowOut; ++code)
        firstCardSets_[code].clear();
    // The workers copy this, not engine_, which the host's event handling
    // might touch meanwhile.
    const EngineState start = engine_;
    const auto makeWorker = [&](Host& workerHost) -> WorkerJob {
        auto e = std::make_shared<Engine>(workerHost, start);
        return [this, e, &codes, &table](std::size_t job) {
            const std::uint8_t code = codes[job];
            if (!e->Play(code)) return;
            firstCardSets_[code] = Solve(*e, &table);
            e->UndoPlay();
        };
    };
    Host& h = engine_.host;
    const auto unite = [&](std::size_t job) {
        LineSet copy = CopyLineSet(firstCardSets_[codes[job]]);
        UnionSS(h, r, copy);
    };
    unsigned workers = 0;
    try {
        workers = RunOnWorkers(h, threads, codes.size(), makeWorker, unite);
    } catch (...) {
        for (LineSet& s : firstCardSets_)
            s.clear();
        r.clear();
        throw;
    }
    if (workers == 0) return false;
    lastSearchThreads_ = workers;
    if (r.empty()) r = Solve(engine_, &table);
    return true;
}

void DynamicEvaluation::SelectLine(const Val* val) {
    Host& h = engine_.host;
    stack_.clear();
    declarerTurn_ = true;
    lineEval_ = Eval{};
    if (val == nullptr) return;

    Dom all;
    PossibleDivs(engine_, all);
    lineEval_ = MakeEval(h, all, *val);
    PushEval(lineEval_);
    Node& root = stack_.back();
    for (std::uint8_t code = 1; code <= FirstShowOut; ++code) {
        root.OnLine[code] = 0;
        if (!engine_.Play(code)) continue;
        root.OnLine[code] = HasStrategyAtLeast(h, firstCardSets_[code], root.Eval) ? 1 : 0;
        engine_.UndoPlay();
    }
}

bool DynamicEvaluation::PlayOnLine(std::uint8_t code) {
    if (stack_.empty()) return false;
    if (!engine_.Play(code)) return false;
    if (declarerTurn_) {
        const std::uint8_t c = code == LaterShowOut ? FirstShowOut : code;
        if (c > FirstShowOut || stack_.back().OnLine[c] == 0) {
            engine_.UndoPlay();
            return false;
        }
    } else {
        StepEvaluation();
    }
    declarerTurn_ = !declarerTurn_;
    return true;
}

void DynamicEvaluation::UndoOnLine() {
    engine_.UndoPlay();
    if (!declarerTurn_) {
        declarerTurn_ = true; // declarer's card was taken back
    } else {
        PopEval(); // a defender's card, which pushed a node
        declarerTurn_ = false;
    }
}

DeclarerCards SolveDeclarerCards(Engine& e, TrickStartTable& table, const Eval& target) {
    Host& h = e.host;
    DeclarerCards c;
    c.All = SingleLineSet(ConstEval(e, e.NSTricks()));
    for (std::uint8_t code = 1; code <= FirstShowOut; ++code) {
        if (!e.Play(code)) continue;
        LineSet x = Solve(e, &table);
        if (HasStrategyAtLeast(h, x, target)) c.OnLine[code] = CopyLineSet(x);
        UnionSS(h, c.All, x);
        e.UndoPlay();
    }
    return c;
}

void RaiseToSingleBest(Host& host, Eval& target, const Factor& kept,
                       std::array<LineSet, 15>& onLine) {
    if (kept.EvalList.size() != 1) return;
    const Val& v = kept.EvalList.front();
    if (CompareVal(host, target.Val, v) != '<') return;
    target.Val = v;
    for (LineSet& s : onLine)
        if (!s.empty() && !HasStrategyAtLeast(host, s, target)) s.clear();
}

void DynamicEvaluation::StepEvaluation() {
    Host& h = engine_.host;
    Dom d;
    PossibleDivs(engine_, d);
    PushEval(RestrictEval(h, stack_.back().Eval, d));

    TrickStartTable table;
    DeclarerCards cards = SolveDeclarerCards(engine_, table, stack_.back().Eval);
    LineSet& a = cards.All;
    Node& top = stack_.back();
    // Only the strategies at least the promise (while the defence is checked)
    // or the target count below: the others are not multiplied out.
    const Dom dom = a.empty() ? Dom{} : a.front().MaxEval.Dom;
    Val promised;
    if (top.DefenceOptimal) promised = RestrictVal(h, lineEval_.Dom, lineEval_.Val, dom);
    Factor all = StrategiesAtLeast(h, a, top.DefenceOptimal ? Eval{dom, promised} : top.Eval);

    // Defence check: can declarer now beat the line's promise on every
    // division still possible?
    if (top.DefenceOptimal) {
        if (all.EvalList.empty()) {
            InternalError(h, InternalErrorCode::DefenceCheckEmpty);
        } else if (ValAllLT(h, promised, MaxOfFactor(h, all))) {
            engine_.host.ShowMessage(MessageKind::Warning, DefenceWarningText);
            top.DefenceOptimal = false;
        }
    }

    KeepAtLeast(h, all, top.Eval.Val);
    RaiseToSingleBest(h, top.Eval, all, cards.OnLine);
    for (std::uint8_t code = 1; code <= FirstShowOut; ++code)
        top.OnLine[code] = cards.OnLine[code].empty() ? 0 : 1;
}

void DynamicEvaluation::PushEval(const Eval& e) {
    Node n;
    n.Eval = e;
    n.DefenceOptimal = stack_.empty() ? true : stack_.back().DefenceOptimal;
    stack_.push_back(std::move(n));
}

void DynamicEvaluation::PopEval() {
    if (!stack_.empty()) stack_.pop_back();
}

const Eval& DynamicEvaluation::TopEval() const {
    static const Eval none{};
    return stack_.empty() ? none : stack_.back().Eval;
}

bool DynamicEvaluation::OnLine(std::uint8_t code) const {
    if (stack_.empty() || code == 0 || code > FirstShowOut) return false;
    return stack_.back().OnLine[code] != 0;
}

bool DynamicEvaluation::DefenceOptimal() const {
    return stack_.empty() || stack_.back().DefenceOptimal;
}

void DynamicEvaluation::Clear() {
    stack_.clear();
    for (auto& s : firstCardSets_)
        s.clear();
    lineEval_ = Eval{};
    declarerTurn_ = true;
}

} // namespace nvx
