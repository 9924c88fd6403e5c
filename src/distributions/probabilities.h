// Exact fractions and the a-priori probabilities of the divisions. Every
// probability is an integer numerator over one common denominator per
// combination; the numerators of all divisions add up to it exactly.
#pragma once

#include "cards/class_tables.h"
#include "cards/host.h"
#include "distributions/divisions.h"

#include <array>
#include <cstdint>
#include <optional>

namespace nvx {

// A fraction of two signed 32-bit integers, kept in lowest terms by every
// operation that makes one. The denominator is never 0.
struct Fraction {
    std::int32_t Num = 0;
    std::int32_t Den = 1;
    friend bool operator==(const Fraction&, const Fraction&) = default;
};

// Greatest common divisor of |a| and |b| (Euclid); Gcd(a, 0) = |a|.
std::int64_t Gcd(std::int64_t a, std::int64_t b);
// Divides numerator and denominator by their Gcd (nothing when both are 0).
void Reduce(Fraction& f);
// num/den in lowest terms; den must not be 0.
Fraction MakeFraction(std::int32_t num, std::int32_t den);
// a × b with cross-cancelling first. Empty when a 32-bit product would
// overflow (or a denominator is 0): the caller must not go on with a wrong value.
std::optional<Fraction> Multiply(const Fraction& a, const Fraction& b);

// The chance that w named cards are West's and e named cards are East's when
// West has 13 - filledWest vacant places, East 13 - filledEast, and every way
// of filling them is equally likely. West's cards are placed first. 0 when
// the cards do not fit the places. Empty on 32-bit overflow (only reachable
// with filled places above 13).
std::optional<Fraction> AssignmentProbability(int w, int e, int filledWest, int filledEast);

struct Probabilities {
    // LengthNumerator[k]: the chance that one particular set of k defenders'
    // cards is West's and the rest East's, times ProbDenominator.
    std::array<std::int32_t, 14> LengthNumerator{};
    std::int32_t ProbDenominator = 1;
    std::array<std::int32_t, MaxDivNrs> DivNumerator{}; // per DivNr, over ProbDenominator

    Probabilities() {
        LengthNumerator[0] = 1;
        DivNumerator[0] = 1;
    }
    friend bool operator==(const Probabilities&, const Probabilities&) = default;
};

// Fills p's length numerators and denominator for n defenders' cards. Returns
// false after reporting internal error 203 (overflow, or n above 13), with
// every length and division numerator of p 0 and the denominator 1.
bool BuildLengthProbabilities(Probabilities& p, unsigned n, std::uint8_t westFilled,
                              std::uint8_t eastFilled, Host& host);

// The a-priori probabilities of the divisions dv numbers for the classes t:
// the length numerators, the denominator and the division numerators, with
// their sum checked. On 32-bit overflow it reports internal error 203 and
// every numerator is 0 over the denominator 1.
Probabilities DivisionProbabilities(const ClassTables& t, const Divisions& dv,
                                    std::uint8_t westFilled, std::uint8_t eastFilled, Host& host);

// Reports internal error 202 when the numerators of the dv.NumDivs divisions
// do not add up to the denominator; returns whether they do.
bool CheckProbabilitySum(const Probabilities& p, const Divisions& dv, Host& host);

} // namespace nvx
