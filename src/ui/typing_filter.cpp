#include "ui/typing_filter.h"

namespace nvx {

FilteredText FilterTypedText(std::string text, const THolding& allowed, int caret) {
    // The allowed cards the text does not name yet, highest first.
    THolding spare = HoldingMinus(allowed, NormalizeHolding(text));
    for (std::size_t i = text.size(); i-- > 0;) {
        if (text[i] == 'X' && !spare.empty()) {
            text[i] = spare[spare.size() - 1];
            spare.assign(spare.view().substr(0, spare.size() - 1));
        }
    }

    const bool hasTen = text.find('T') != std::string::npos;
    const std::size_t firstZero = text.find('0');
    FilteredText out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool caretBehind = caret == static_cast<int>(i) + 1;
        bool keep;
        if (c == ' ') {
            keep = true;
        } else if (out.text.find(c) != std::string::npos) {
            keep = false;
        } else if (c == '1') {
            keep = !hasTen && HasCard('T', allowed.view()) && (firstZero == i + 1 || caretBehind);
        } else if (c == '0') {
            keep = !out.text.empty() && out.text.find('1') == out.text.size() - 1;
        } else {
            keep = HasCard(c, allowed.view());
        }
        if (keep) out.text += c;
        if (caretBehind) out.caret = static_cast<int>(out.text.size());
    }
    return out;
}

} // namespace nvx
