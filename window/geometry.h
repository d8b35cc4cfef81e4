// Where the window opens, which sizes it may take, and the frame it draws around itself. Lengths
// are in twips (1440 to the inch); window sizes and positions are outer edges, caption bar and
// borders included.
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

// The window draws its own frame: a sizing border on every side, and a caption bar under the top
// one. Collapsed, the window is the frame alone (60 + 285 + 60 = kMinHeight); the client area
// under the caption bar is then 0 high, and kMaxHeight - kMinHeight high expanded.
inline constexpr float kBorder = 60;
inline constexpr float kCaptionHeight = 285;
// In the caption bar: the 16 x 16 icon at 96 dpi, the close button, and the space around them.
inline constexpr float kCaptionIcon = 240;
inline constexpr Size kCloseButton{240, 210};
inline constexpr float kCaptionGap = 30;

// The client area the window is created with, before it is placed and collapsed, and the outer
// size that makes with the frame.
inline constexpr Size kCreatedClientArea{4680, 3195};
inline constexpr Size kCreatedWindow{kCreatedClientArea.width + 2 * kBorder,
                                     kCreatedClientArea.height + kCaptionHeight + 2 * kBorder};

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
