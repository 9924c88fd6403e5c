// A short string of bytes held inline: division sets (strictly ascending
// division numbers) and Vals (declarer's tricks, aligned with a division set).
// At most MaxDivisions bytes; copies move only the bytes in use, and nothing is
// ever allocated on the heap.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string_view>

namespace nvx {

inline constexpr std::size_t MaxDivisions = 162;

class ByteStr {
  public:
    static constexpr std::size_t Capacity = MaxDivisions;

    // User-provided so that value-initialisation does not clear the whole buffer.
    ByteStr() {}
    ByteStr(std::initializer_list<int> bytes) {
        for (int b : bytes)
            push_back(static_cast<std::uint8_t>(b));
    }
    ByteStr(const ByteStr& o) : len_(o.len_) { std::memcpy(data_, o.data_, len_); }
    ByteStr& operator=(const ByteStr& o) {
        len_ = o.len_;
        std::memmove(data_, o.data_, len_);
        return *this;
    }

    // Length n, contents unspecified (to be filled by the caller).
    static ByteStr withLength(std::size_t n) {
        ByteStr s;
        s.len_ = static_cast<std::uint8_t>(std::min(n, Capacity));
        return s;
    }
    static ByteStr filled(std::size_t n, std::uint8_t value) {
        ByteStr s = withLength(n);
        std::memset(s.data_, value, s.len_);
        return s;
    }

    std::size_t size() const { return len_; }
    std::size_t length() const { return len_; }
    bool empty() const { return len_ == 0; }
    void clear() { len_ = 0; }
    void resize(std::size_t n) { len_ = static_cast<std::uint8_t>(std::min(n, Capacity)); }
    // Appending to a full string drops the byte.
    void push_back(std::uint8_t b) {
        if (len_ < Capacity) data_[len_++] = b;
    }

    std::uint8_t operator[](std::size_t i) const { return data_[i]; }
    std::uint8_t& operator[](std::size_t i) { return data_[i]; }
    const std::uint8_t* data() const { return data_; }
    std::uint8_t* data() { return data_; }
    const std::uint8_t* begin() const { return data_; }
    const std::uint8_t* end() const { return data_ + len_; }
    std::uint8_t* begin() { return data_; }
    std::uint8_t* end() { return data_ + len_; }

    friend bool operator==(const ByteStr& a, const ByteStr& b) {
        return a.len_ == b.len_ && std::memcmp(a.data_, b.data_, a.len_) == 0;
    }

  private:
    std::uint8_t len_ = 0;
    std::uint8_t data_[Capacity];
};

using Dom = ByteStr; // division set: strictly ascending DivNrs
using Val = ByteStr; // tricks per division of a division set, position by position

} // namespace nvx
