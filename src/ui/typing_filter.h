// Cleans the text of a holding edit after every keystroke.
#pragma once

#include "cards/holding.h"

#include <string>

namespace nvx {

struct FilteredText {
    std::string text;
    int caret = 0; // characters before the caret
};

// text: the edit's text in upper case; allowed: the cards the edit may hold;
// caret: the characters before the caret. "X" becomes the lowest allowed card
// not named yet (the rightmost X the lowest), a repeated card and a card that is
// not allowed disappear, blanks stay, and "1" survives only as the start of "10"
// (or while the caret is right behind it, waiting for the "0").
FilteredText FilterTypedText(std::string text, const THolding& allowed, int caret);

} // namespace nvx
