// Where the window opens and which sizes it may take. Lengths are in twips (1440 to the inch);
// window sizes and positions are outer edges, title bar and borders included.
#pragma once

#include <cstdint>

namespace countdown::geometry {

struct Size {
  float width;
  float height;

  friend bool operator==(const Size&, const Size&) = default;
};

struct Box {
  float left;
  float top;
  float width;
  float height;
};

// The window is always this wide, and between the title bar alone and the title bar with the
// whole combo box high.
inline constexpr float kWidth = 1725;
inline constexpr float kMinHeight = 405;
inline constexpr float kMaxHeight = 690;

// The client area the window is created with, before it is placed and collapsed.
inline constexpr Size kCreatedClientArea{4680, 3195};

// The combo box, in the client area: one pixel above its top edge at 96 dpi, so that its bottom
// edge lies exactly kMaxHeight - kMinHeight below it.
inline constexpr Box kCombo{0, -15, 1605, 300};

// The left (or top) edge that centres a window `window` twips wide on a screen `screen` twips
// wide: the difference rounded to a whole number (halves to even), then halved toward zero.
// Throws std::overflow_error if the difference does not fit in 32 bits.
std::int32_t CentredEdge(float screen, float window);

// The outer size that the size rules give a window of outer size `outer`: always kWidth wide, and
// heights above kMaxHeight or below kMinHeight brought to that limit.
Size RuledSize(Size outer);

}  // namespace countdown::geometry
