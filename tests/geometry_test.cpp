// Where the window opens and which sizes it takes, in twips.
#include <gtest/gtest.h>

#include <stdexcept>

#include "window/geometry.h"

namespace countdown::geometry {
namespace {

TEST(Placement, CentresTheCreatedWindowRoundingHalvesToEvenAndHalvingTowardZero) {
  const struct {
    float screen, window;
    std::int32_t edge;
  } cases[] = {
      {15360, 4800, 5280},    // 1024 x 768 pixels, a window created 4800 x 3600 twips
      {11520, 3600, 3960},    //
      {15360, 4710, 5325},    // openbox's 1-pixel borders
      {11520, 3570, 3975},    //
      {1001, 0, 500},         // odd differences lose their half
      {100.5f, 0, 50},        // 100.5 rounds to 100
      {101.5f, 0, 51},        // 101.5 rounds to 102
      {3000, 4800, -900},     // a screen smaller than the window
      {3001, 4800, -899},     // -1799 halved toward zero
      {2998.5f, 4800, -901},  // -1801.5 rounds to -1802
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CentredEdge(c.screen, c.window), c.edge) << c.screen << " - " << c.window;
  }
  EXPECT_THROW(CentredEdge(3e10f, 0), std::overflow_error);
  EXPECT_THROW(CentredEdge(-3e10f, 0), std::overflow_error);
}

TEST(SizeRules, FixTheWidthAndKeepTheHeightBetweenTitleBarAndComboBox) {
  const struct {
    Size outer, ruled;
  } cases[] = {
      {{1725, 405}, {1725, 405}}, {{1725, 690}, {1725, 690}},  {{1725, 500}, {1725, 500}},
      {{1725, 100}, {1725, 405}}, {{1725, 1000}, {1725, 690}}, {{4800, 3600}, {1725, 690}},
      {{3000, 405}, {1725, 405}}, {{15, 404.9f}, {1725, 405}}, {{1725, 690.1f}, {1725, 690}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RuledSize(c.outer), c.ruled) << c.outer.width << " x " << c.outer.height;
  }
}

}  // namespace
}  // namespace countdown::geometry
