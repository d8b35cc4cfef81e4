// The caption bar's colours, from the window's palette.
#pragma once

#include <QColor>

class QPalette;

namespace countdown::frame {

// How far apart two colours stand for a reader: the ratio of their relative luminances, each plus
// 0.05, the lighter over the darker (WCAG 2). From 1 (the same) to 21 (black and white).
double ContrastRatio(const QColor& one, const QColor& other);

// Text at least this far from its background reads comfortably at the caption's small size.
inline constexpr double kReadableContrast = 4.5;

struct CaptionColours {
  QColor background;
  QColor text;
};

// Like a title bar in `palette`: highlighted while the window is active. The text keeps the
// palette's colour for it where that reads; where it does not, it takes the palette's text colour
// that stands out most, and where none reads, black or white.
CaptionColours CaptionColoursOf(const QPalette& palette, bool active);

}  // namespace countdown::frame
