// The platform's small value types: sets of enumeration values, points and
// rectangles in pixels.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace kx {

// A set of values of an enumeration whose values are below 32.
template <class E>
class TEnumSet {
 public:
  constexpr TEnumSet() = default;
  constexpr TEnumSet(std::initializer_list<E> items) {
    for (E item : items) Include(item);
  }

  constexpr bool Contains(E item) const { return (mBits & Bit(item)) != 0; }
  constexpr TEnumSet& Include(E item) {
    mBits |= Bit(item);
    return *this;
  }
  constexpr TEnumSet& Exclude(E item) {
    mBits &= ~Bit(item);
    return *this;
  }
  constexpr bool Empty() const { return mBits == 0; }
  // Bit n stands for the value n.
  constexpr std::uint32_t Bits() const { return mBits; }

  friend constexpr TEnumSet operator+(TEnumSet a, TEnumSet b) { return FromBits(a.mBits | b.mBits); }
  friend constexpr TEnumSet operator-(TEnumSet a, TEnumSet b) { return FromBits(a.mBits & ~b.mBits); }
  friend constexpr TEnumSet operator*(TEnumSet a, TEnumSet b) { return FromBits(a.mBits & b.mBits); }
  friend constexpr bool operator==(const TEnumSet&, const TEnumSet&) = default;

 private:
  static constexpr std::uint32_t Bit(E item) { return std::uint32_t(1) << static_cast<unsigned>(item); }
  static constexpr TEnumSet FromBits(std::uint32_t bits) {
    TEnumSet set;
    set.mBits = bits;
    return set;
  }
  std::uint32_t mBits = 0;
};

struct TPoint {
  int X = 0;
  int Y = 0;
  friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

// Right and Bottom lie just outside the rectangle: Width = Right - Left.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  constexpr int Width() const { return Right - Left; }
  constexpr int Height() const { return Bottom - Top; }
  friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

constexpr TRect Rect(int left, int top, int right, int bottom) { return TRect{left, top, right, bottom}; }
constexpr TRect Bounds(int left, int top, int width, int height) {
  return TRect{left, top, left + width, top + height};
}

}  // namespace kx
