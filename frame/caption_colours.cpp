#include "caption_colours.h"

#include <QPalette>
#include <algorithm>
#include <cmath>

namespace countdown::frame {
namespace {

double RelativeLuminance(const QColor& colour) {
  const auto linear = [](double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
  };
  const QColor rgb = colour.toRgb();
  return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

}  // namespace

double ContrastRatio(const QColor& one, const QColor& other) {
  const double first = RelativeLuminance(one);
  const double second = RelativeLuminance(other);
  return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

CaptionColours CaptionColoursOf(const QPalette& palette, bool active) {
  const QPalette::ColorGroup group = active ? QPalette::Active : QPalette::Inactive;
  CaptionColours colours{
      .background = active ? palette.color(group, QPalette::Highlight)
                           : palette.color(group, QPalette::Button).darker(115),
      .text = palette.color(group, active ? QPalette::HighlightedText : QPalette::WindowText)};
  const auto contrast = [&](const QColor& text) { return ContrastRatio(text, colours.background); };
  if (contrast(colours.text) >= kReadableContrast) return colours;
  QColor best = colours.text;
  for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText,
                                         QPalette::HighlightedText, QPalette::BrightText}) {
    const QColor candidate = palette.color(group, role);
    if (contrast(candidate) > contrast(best)) best = candidate;
  }
  if (contrast(best) < kReadableContrast) {
    // One of the two always reads: no colour stands less than 4.58 from both.
    best = contrast(Qt::black) >= contrast(Qt::white) ? QColor(Qt::black) : QColor(Qt::white);
  }
  colours.text = best;
  return colours;
}

}  // namespace countdown::frame
