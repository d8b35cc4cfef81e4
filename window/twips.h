// Screen lengths in twips: 1440 to the inch at the screen's logical resolution, so 15 twips to a
// pixel at 96 dpi. Every rule about the window's size and position measures through here, and
// every length rounds to the nearest pixel.
#pragma once

#include <cmath>

#include "frame/framed_window.h"

class QScreen;

namespace countdown {

class Twips {
 public:
  // In the screen's logical pixels, which Qt's widgets measure in.
  explicit Twips(const QScreen* screen);
  explicit Twips(double dotsPerInch) : perPixel_(1440.0 / dotsPerInch) {}
  // In the device pixels of a screen whose logical pixels are `ratio` of them.
  static Twips OfDevicePixels(const QScreen* screen, double ratio);

  float FromPixels(double pixels) const { return static_cast<float>(pixels * perPixel_); }
  int ToPixels(double twips) const { return static_cast<int>(std::lround(twips / perPixel_)); }

 private:
  double perPixel_;
};

// The window's own frame and caption bar in pixels at this resolution.
frame::FrameMetrics FrameMetricsIn(const Twips& twips);

}  // namespace countdown
