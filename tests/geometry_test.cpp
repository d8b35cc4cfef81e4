// Where the window opens and which sizes it takes, in twips; and how the frame holds a size in
// device pixels against what the windowing system reports.
#include <gtest/gtest.h>

#include <stdexcept>

#include "frame/device_geometry.h"
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

using frame::DeviceGeometry;
using Request = DeviceGeometry::Request;
const auto nowhere = [] { return DeviceGeometry::Whereabouts{}; };

TEST(HeldSize, AsksOnceForWhatTheWindowManagerChangedAndRulesWhatTheUserDid) {
  DeviceGeometry held;
  held.Want({173, 41}, 144);
  held.Report({173, 41});  // the size the window asked for before it was mapped
  held.Report({174, 44});  // and the window manager's first guess
  EXPECT_TRUE(held.Shown());
  EXPECT_FALSE(held.IsOwn(144));
  EXPECT_EQ(held.ToAsk(nowhere), (Request{{173, 41}, {}}));
  EXPECT_EQ(held.ToAsk(nowhere), std::nullopt);  // asked already, from the same size
  held.Report({173, 41});
  EXPECT_TRUE(held.IsOwn(144));
  held.Report({173, 50});  // another program's resize: the window's own, for its rules
  EXPECT_TRUE(held.IsOwn(144));
  held.Want({173, 50}, 144);
  EXPECT_EQ(held.ToAsk(nowhere), std::nullopt);
  // A window manager that keeps a size of its own is asked once, not argued with.
  held.Report({500, 300});
  held.Want({173, 69}, 144);
  EXPECT_EQ(held.ToAsk(nowhere), (Request{{173, 69}, {}}));
  held.Report({500, 300});
  EXPECT_EQ(held.ToAsk(nowhere), std::nullopt);
  // A toolkit that takes a size at the wrong ratio is told once; one a logical pixel off is not.
  EXPECT_TRUE(held.ToAnnounce(QSizeF(250, 150), 2));
  EXPECT_FALSE(held.ToAnnounce(QSizeF(250, 150), 2));
  EXPECT_FALSE(held.ToAnnounce(QSizeF(501, 299), 2));
}

TEST(HeldSize, KeepsTheSpotTheDragHeldUnderThePointerOnAMonitorOfAnotherScale) {
  DeviceGeometry held;
  held.Want({115, 27}, 96);
  held.Report({115, 27});
  held.Shown();
  // Carried by the caption, pressed 50 x 8 pixels into it, onto a monitor of twice the scale; the
  // window manager resizes it during the move and leaves it lagging behind the pointer.
  held.Press();
  held.BeginDrag(false, {50, 8});
  held.Want({230, 54}, 192);
  held.Report({230, 54});
  EXPECT_EQ(held.ToAsk(nowhere), std::nullopt);  // not while the drag goes on
  held.EndDrag();
  const auto lagging = [] { return DeviceGeometry::Whereabouts{{1280, 290}, QPoint(1400, 300)}; };
  EXPECT_EQ(held.ToAsk(lagging), (Request{{230, 54}, QPoint(1300, 284)}));
  EXPECT_EQ(held.ToAsk(lagging), std::nullopt);  // once for each move
  // Told of the new monitor only once the drag has ended: the spot under the pointer, at 1.5 its
  // old size; where the pointer is not on the window, its corner stays.
  for (const auto& [pointer, position] :
       {std::pair{QPoint(1400, 300), std::optional(QPoint(1310, 286))},
        std::pair{QPoint(900, 300), std::optional<QPoint>()}}) {
    held.Press();
    held.BeginDrag(false, {100, 16});
    held.EndDrag();
    EXPECT_EQ(held.ToAsk(nowhere), std::nullopt);
    held.Want({345, 81}, 288);
    const auto where = [pointer = pointer] {
      return DeviceGeometry::Whereabouts{{1340, 291}, pointer};
    };
    EXPECT_EQ(held.ToAsk(where), (Request{{345, 81}, position}));
    held.Report({345, 81});
    held.Want({230, 54}, 192);
    held.Report({230, 54});
  }
}

}  // namespace
}  // namespace countdown::geometry
