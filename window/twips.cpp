#include "twips.h"

#include <QScreen>

#include "window/geometry.h"

namespace countdown {

Twips::Twips(const QScreen* screen)
    : Twips(screen != nullptr ? screen->logicalDotsPerInch() : 96.0) {}

Twips Twips::OfDevicePixels(const QScreen* screen, double ratio) {
  return Twips((screen != nullptr ? screen->logicalDotsPerInch() : 96.0) * ratio);
}

frame::FrameMetrics FrameMetricsIn(const Twips& twips) {
  return {.border = twips.ToPixels(geometry::kBorder),
          .caption = twips.ToPixels(geometry::kCaptionHeight),
          .icon = twips.ToPixels(geometry::kCaptionIcon),
          .button = QSize(twips.ToPixels(geometry::kCloseButton.width),
                          twips.ToPixels(geometry::kCloseButton.height)),
          .gap = twips.ToPixels(geometry::kCaptionGap)};
}

}  // namespace countdown
