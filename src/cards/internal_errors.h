// The catalogue of internal errors: the consistency checks that must never
// fail. Each has a name for the code that reports it, a number (the error code
// the user is asked to quote, so a number never changes its meaning) and the
// check's own description, which goes to the host with the report but is never
// shown to the user. Several checks of one kind share a description.
#pragma once

#include <cstdint>
#include <string_view>

namespace nvx {

// X(name, number, description), grouped by where the check is made.
#define NVX_INTERNAL_ERRORS(X)                                                                     \
    /* the play state */                                                                           \
    X(NoCardToTakeBack, 101, "No more cards to play back")                                         \
    /* the divisions and their probabilities */                                                    \
    X(DivNrNotAByte, 201, "Generated EW DivNr not a byte")                                         \
    X(ProbabilitySumNotOne, 202, "sum prob <> 1")                                                  \
    X(ProbabilityOverflow, 203, "probability overflow")                                            \
    /* factors */                                                                                  \
    X(PopValOfEmptyList, 301, "Empty List")                                                        \
    X(ValNotAlignedWithDom, 302, "Length values not equal to length dom")                          \
    X(CoveredFactorsDomsDiffer, 303, "function may only be called when F1.Dom = F2.Dom")           \
    X(MaxOfEmptyFactor, 304, "unexpected")                                                         \
    X(MinOfEmptyFactor, 305, "unexpected")                                                         \
    X(PopFactorOfEmptyList, 306, "Empty List")                                                     \
    /* terms and line sets */                                                                      \
    X(TermMaxEvalEmpty, 307, "Empty MaxEval")                                                      \
    X(TermFactorWithoutVals, 308, "Hele term zou nil = leeg moeten zijn")                          \
    X(TermFactorWithoutDivisions, 309, "Factor kan net zo goed weg")                               \
    X(TermMaxEvalIncomplete, 3010, "MaxEval not complete")                                         \
    X(TermFactorAboveMaxEval, 3011, "Max of Factor not always smaller than or equal to MaxEval")   \
    X(TermOfFactorWithoutVals, 3012,                                                               \
      "Cannot MakeTerm of Factor with empty EvalList. What is MaxEval.Val?")                       \
    X(TermSingleValueLeft, 3013, "unexpected, call to ExtractSingleValues forgotten?")             \
    X(TermEmptied, 3014, "This procedure should not make T empty. Was T empty already?")           \
    X(TermCannotSplit, 3015, "Cannot split")                                                       \
    X(EmptyTermAdded, 3016, "should not add empty term")                                           \
    X(LaterTermNotAProduct, 3017, "only first term may not be a real product")                     \
    X(PopTermOfEmptySet, 3018, "Empty List")                                                       \
    X(FactorOfEmptySet, 3019, "unexpected")                                                        \
    X(ConcatDomsDiffer, 3020, "ConcatSS: Domains not equal")                                       \
    X(ByteComparisonBroken, 3023, "This software will not function correct on this system")        \
    /* evaluations and division sets */                                                            \
    X(CompareValOrderLengths, 401, "should not compare different sets")                            \
    X(CompareValLengths, 402, "should not compare different sets")                                 \
    X(CompareValAtLeastLengths, 403, "should not compare different sets")                          \
    X(ValAllLELengths, 404, "should not compare different sets")                                   \
    X(ValAllLTLengths, 4045, "should not compare different sets")                                  \
    X(DomDiffNotSubset, 405, "D2 not subset of D1")                                                \
    X(DomDiffWrongLength, 406, "D2 not subset of D1")                                              \
    X(MergeValWrongLength, 407, "Length of Val not correct")                                       \
    X(RestrictValMissingDivision, 408, "missing value")                                            \
    X(DomNotOrdered, 409, "Dom not an ordered set")                                                \
    X(MakeEvalLengths, 4010, "Dom and Val not same length")                                        \
    X(LowerEvalNotSubset, 4011, "E2.Dom not a subset or E1.Dom")                                   \
    /* payoffs and the optimal lines */                                                            \
    X(PayoffDifferentSets, 501, "should not compare different sets")                               \
    X(NotAllDivisionsPresent, 603, "not all divs present")                                         \
    X(SortOrderUndecided, 604, "unexpected")                                                       \
    X(SortEmptyList, 605, "error")                                                                 \
    X(WorstOpponentMissing, 606, "error")                                                          \
    X(WorstOpponentChainEnds, 607, "error")                                                        \
    /* the combination dialog */                                                                   \
    X(AllowedCardsOfUnknownEdit, 701, "internal error")                                            \
    /* the dynamic evaluation */                                                                   \
    X(DefenceCheckEmpty, 901, "unexpected")                                                        \
    /* the plan of a line */                                                                       \
    X(PlanCardRefused, 1501, "plan card refused")

enum class InternalErrorCode : std::uint16_t {
#define NVX_INTERNAL_ERROR_ENUMERATOR(name, number, text) name = number,
    NVX_INTERNAL_ERRORS(NVX_INTERNAL_ERROR_ENUMERATOR)
#undef NVX_INTERNAL_ERROR_ENUMERATOR
};

// The number the user sees.
constexpr std::uint16_t InternalErrorNumber(InternalErrorCode c) {
    return static_cast<std::uint16_t>(c);
}

// The check's own description. A switch over every name: two names with the
// same number do not compile.
constexpr std::string_view InternalErrorText(InternalErrorCode c) {
    switch (c) {
#define NVX_INTERNAL_ERROR_TEXT(name, number, text)                                                \
    case InternalErrorCode::name:                                                                  \
        return text;
        NVX_INTERNAL_ERRORS(NVX_INTERNAL_ERROR_TEXT)
#undef NVX_INTERNAL_ERROR_TEXT
    }
    return {};
}

} // namespace nvx
