// The plan of a line: what declarer plays at each of its decisions, as a tree
// that branches on the defenders' cards where they change declarer's next
// card. It is built from the play-through's check of declarer's cards: every
// card of the plan is one the line plays there, so following the plan in any
// layout takes the line's tricks. The tree holds no words; the
// front ends put it into English (present/plan_text.h).
#pragma once

#include "cards/host.h"
#include "play/dynamic_eval.h"
#include "play/engine.h"
#include "strategy/eval.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nvx {

class Analysis;

// How a plan goes on after its last step (when that step has no branches).
enum class PlanEnd : std::uint8_t {
    Branches,   // the last step has branches
    Done,       // the line has all its tricks, or the play is over: any card will do
    Cash,       // cash the winners (CashPolicyCode decides each card)
    Unexplored, // the tree was cut at its size limit: play on with the play-through
};

struct PlanStep;

struct Plan {
    std::vector<PlanStep> Steps;
    PlanEnd End = PlanEnd::Done;
};

// What one defender plays next, and the plan that follows.
struct PlanBranch {
    std::uint8_t Seat = seat::West; // seat::West or seat::East
    // The defenders' cards (real cards, highest first) after which Then is the
    // plan; "-" when the defender shows out. Cards of one group are equal or
    // make no difference to the plan.
    std::string Cards;
    // The probability of the layouts that come to this branch when the
    // defenders play their natural cards (second hand low, fourth hand
    // winning the trick as cheaply as it can, else low), as a share of all
    // layouts; 0 for a branch only a less natural card leads to. Branches
    // come likeliest first. Not part of the plan's identity.
    double Weight = 0;
    Plan Then;
};

// One card of declarer's.
struct PlanStep {
    std::uint8_t Trick = 1;         // from 1
    std::uint8_t Position = 0;      // 0 the lead, 2 third hand
    std::uint8_t Hand = hand::None; // hand::North or hand::South
    char Card = 0;                  // the real card, '-' for a show-out
    // The position before the card, for the words (not part of the plan's
    // identity): every hand's unplayed cards, highest first, the cards of the
    // trick so far, the hand that won the previous trick (hand::None at trick
    // 1) and the entries to North left.
    std::string NorthLeft;
    std::string SouthLeft;
    std::string DefendersLeft;
    std::string TrickSoFar;
    std::uint8_t PreviousWinner = hand::None;
    std::uint8_t EntriesLeft = 0;
    // What the next defender plays: empty when the plan goes on the same way
    // after every card (the next step follows in the list).
    std::vector<PlanBranch> Branches;
};

// Fills in the positions the steps describe (and their tricks and places in
// the trick) by playing the plan from the start: the holdings that take part
// in the play, highest first. Where the plan does not branch on a defender's
// card, the defender is taken to play the lowest card still out; after a
// branch, the lowest card of its group.
void FillPlanPositions(Plan& plan, std::string_view north, std::string_view south,
                       std::string_view defenders, std::uint8_t entries);

// The card that stands for a branch's group in the positions: the highest of
// the run of adjacent ranks at the bottom of the group (the group's lowest
// class, of which the plan after the branch was worked out); '-' for a
// show-out.
char GroupCard(std::string_view cards);

// Equal as plans: the cards and branches, not the positions described.
bool SamePlan(const Plan& a, const Plan& b);

struct LinePlan {
    Plan Root;
    bool EntriesLimited = false; // fewer entries to North than cards it plays
    bool Complete = true;        // false when some branch ends Unexplored
    std::size_t Decisions = 0;   // declarer's decisions searched
};

struct PlanOptions {
    // Declarer's decisions searched before the rest is left Unexplored.
    std::size_t MaxDecisions = 3000;
};

// The plan of the line with this Val (over every division), for the
// combination of the engine (its play may be anywhere; the plan starts from
// the start) and the sets of the first cards that dyn holds. Reports nothing
// to the user: the engine's host is used only for internal errors.
LinePlan BuildPlan(const Engine& engine, const DynamicEvaluation& dyn, const Val& lineVal,
                   const PlanOptions& options = {});
// The plan of line i (1-based) of a finished analysis; an empty plan when
// there is no such line.
LinePlan BuildLinePlan(Analysis& analysis, int i, const PlanOptions& options = {});

// Cashing the winners, card by card: at a lead, the highest card of the hand
// that won the last trick (South at the first trick and after the defenders
// won); as third hand, the lowest card when partner's card is above every
// defenders' card still out, else the lowest card above both, else the
// lowest. 0 when the hand to lead cannot (North without an entry).
std::uint8_t CashPolicyCode(const Engine& e);

} // namespace nvx
