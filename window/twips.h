// Screen lengths in twips: 1440 to the inch at the screen's logical resolution, so 15 twips to a
// pixel at 96 dpi. Every rule about the window's size and position measures through here.
#pragma once

#include <cmath>

class QScreen;

namespace countdown {

class Twips {
 public:
  explicit Twips(const QScreen* screen);

  float FromPixels(int pixels) const { return static_cast<float>(pixels * perPixel_); }
  int ToPixels(double twips) const { return static_cast<int>(std::lround(twips / perPixel_)); }

 private:
  double perPixel_;
};

}  // namespace countdown
