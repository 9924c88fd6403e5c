// Cards, rank values and holdings of one suit.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace nvx {

inline constexpr std::string_view RankChars = "23456789TJQKA";

// A holding: at most 13 card characters, normally highest first. A value type;
// appending to a full holding drops what does not fit.
class Holding {
  public:
    static constexpr std::size_t Capacity = 13;

    Holding() = default;
    Holding(std::string_view s) { assign(s); } // NOLINT: holdings are written as text
    Holding(const char* s) : Holding(std::string_view(s)) {}
    Holding(const std::string& s) : Holding(std::string_view(s)) {}

    void assign(std::string_view s) {
        len_ = 0;
        for (char c : s)
            push_back(c);
    }
    void push_back(char c) {
        if (len_ < Capacity) chars_[len_++] = c;
    }
    void clear() { len_ = 0; }

    std::size_t size() const { return len_; }
    std::size_t length() const { return len_; }
    bool empty() const { return len_ == 0; }
    char operator[](std::size_t i) const { return chars_[i]; }
    char& operator[](std::size_t i) { return chars_[i]; }
    const char* begin() const { return chars_.data(); }
    const char* end() const { return chars_.data() + len_; }
    char* begin() { return chars_.data(); }
    char* end() { return chars_.data() + len_; }

    std::string_view view() const { return {chars_.data(), len_}; }
    std::string str() const { return std::string(view()); }
    operator std::string_view() const { return view(); } // NOLINT

    friend bool operator==(const Holding& a, const Holding& b) { return a.view() == b.view(); }

  private:
    std::array<char, Capacity> chars_{};
    std::uint8_t len_ = 0;
};

// 1 (the 2) .. 13 (the ace); 0 for any other character.
std::uint16_t RankValue(char c);
// The card character of a rank value 1..13 (the caller guarantees the range).
char RankChar(std::uint16_t rank);
bool IsHigher(char a, char b);
bool IsAdjacent(char a, char b);
bool HasCard(char c, std::string_view holding);

// The ranks present in free text, each once, highest first ("10" counts as T).
Holding NormalizeHolding(std::string_view text);
Holding FullSuit();
Holding HoldingMinus(const Holding& a, const Holding& b);
// Deletes the first occurrence of the card from the text, if any.
void RemoveCard(char c, std::string& text);
void RemoveCard(char c, Holding& text);
// "A K 10 3 ": every card followed by a blank, the ten written "10".
std::string HoldingDisplayText(std::string_view text);
// Sorting order of holdings written highest first; only the sign matters to callers.
int CompareHoldings(std::string_view a, std::string_view b);
// Every card ranking below c written as "x".
std::string SmallCardsAsX(std::string_view h, char c);

} // namespace nvx
