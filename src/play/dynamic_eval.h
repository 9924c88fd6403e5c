// The bridge between the search and the play-through of a chosen line: the
// line sets after each first card, the line's target per position, and the
// check that warns when a defender's card was not the best defence.
#pragma once

#include "play/engine.h"
#include "play/trick_table.h"
#include "strategy/eval.h"
#include "strategy/factor.h"
#include "strategy/term.h"

#include <array>
#include <cstdint>
#include <vector>

namespace nvx {

inline constexpr const char* DefenceWarningText =
    "Defense not optimal. \r\rBy playing differently, defenders can get more tricks with these "
    "cards and against this line of declarer play.";

// Declarer's cards at a decision, each searched: the union of their sets with
// stopping the play of the suit here, and the set of every card some strategy
// of which reaches the target (empty for the others: they are off the line).
struct DeclarerCards {
    LineSet All;
    std::array<LineSet, 15> OnLine{}; // index 1..14
};
DeclarerCards SolveDeclarerCards(Engine& e, TrickStartTable& table, const Eval& target);
// A single best way on above the target raises it: when `kept`, the
// strategies of all the cards at least the target, is one strategy that beats
// the target somewhere, the target rises to it and the cards whose sets do
// not reach it leave the line.
void RaiseToSingleBest(Host& host, Eval& target, const Factor& kept,
                       std::array<LineSet, 15>& onLine);

class DynamicEvaluation {
  public:
    explicit DynamicEvaluation(Engine& e) : engine_(e) {}

    // Runs the search once for every card that can be led first (the play state
    // must be at the start) and returns the union of the results; keeps the set
    // after each first card for the play-through. The searches of the first
    // cards may run on worker threads (see SetSearchThreads): the sets, their
    // union and what the host is told are then those of the searches one after
    // the other, and the host is still only called on this thread.
    LineSet StartSolving();

    // Worker threads for the searches of the first cards: 0 (the default) as
    // many as the machine has cores, once the combination is big enough to be
    // worth it; 1 one search after the other on this thread; more, that many
    // whenever there are two first cards or more.
    void SetSearchThreads(unsigned n) { searchThreads_ = n; }
    // The threads the last StartSolving used (1: none but this one).
    unsigned LastSearchThreads() const { return lastSearchThreads_; }

    // Fixes the line to play through (its Val over all divisions) and starts a
    // fresh stack with one root node. nullptr: no line.
    void SelectLine(const Val* val);

    // Plays the code (1..14) if it is legal and, for declarer, on the line.
    bool PlayOnLine(std::uint8_t code);
    // Takes back the last card PlayOnLine accepted.
    void UndoOnLine();

    bool HasLine() const { return !stack_.empty(); }
    bool DeclarerTurn() const { return declarerTurn_; }
    // Depth of the evaluation stack: one plus the defenders' cards played.
    std::size_t StackDepth() const { return stack_.size(); }
    // The line's target at the current position, and the codes that keep
    // declarer on the line there.
    const Eval& TopEval() const;
    bool OnLine(std::uint8_t code) const;
    bool DefenceOptimal() const;
    const Eval& LineEval() const { return lineEval_; }
    const LineSet& FirstCardSet(std::uint8_t code) const { return firstCardSets_[code]; }

    // Forgets the line and the first-card sets (a new combination is set up).
    void Clear();

  private:
    struct Node {
        std::array<std::uint8_t, 15> OnLine{}; // index 1..14
        nvx::Eval Eval;
        bool DefenceOptimal = true;
    };

    void StepEvaluation();
    // The searches of the first cards on worker threads; false when they did
    // not run (nothing has changed then).
    bool SolveFirstCardsOnWorkers(TrickStartTable& table, LineSet& r);
    void PushEval(const Eval& e);
    void PopEval();

    Engine& engine_;
    std::vector<Node> stack_; // back() is the top
    std::array<LineSet, 15> firstCardSets_{};
    Eval lineEval_;
    bool declarerTurn_ = true;
    unsigned searchThreads_ = 0;
    unsigned lastSearchThreads_ = 1;
};

} // namespace nvx
