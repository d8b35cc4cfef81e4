#include "geometry.h"

#include <cmath>
#include <limits>
#include <stdexcept>

namespace countdown::geometry {

std::int32_t CentredEdge(float screen, float window) {
  // nearbyint rounds in the current rounding mode, which is to nearest with ties to even.
  const double difference = std::nearbyint(double{screen} - double{window});
  if (!(difference >= std::numeric_limits<std::int32_t>::min() &&
        difference <= std::numeric_limits<std::int32_t>::max())) {
    throw std::overflow_error("Overflow: a window position is out of range");
  }
  return static_cast<std::int32_t>(difference) / 2;
}

Size RuledSize(Size outer) {
  Size ruled{kWidth, outer.height};
  if (ruled.height > kMaxHeight) ruled.height = kMaxHeight;
  if (ruled.height < kMinHeight) ruled.height = kMinHeight;
  return ruled;
}

}  // namespace countdown::geometry
