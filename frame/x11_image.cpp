#include "x11_image.h"

#ifdef COUNTDOWN_WITH_XCB
#include <xcb/xcb.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>

#include "x11_connection.h"

namespace countdown::frame::x11 {
namespace {

// What a window's pixels are, learnt once per window, and a graphics context to put them with.
struct Target {
  QImage::Format format = QImage::Format_Invalid;
  std::uint8_t depth = 0;
  xcb_gcontext_t context = 0;
};

const xcb_visualtype_t* FindVisual(const xcb_setup_t* setup, xcb_visualid_t id) {
  for (auto screen = xcb_setup_roots_iterator(setup); screen.rem; xcb_screen_next(&screen)) {
    for (auto depth = xcb_screen_allowed_depths_iterator(screen.data); depth.rem;
         xcb_depth_next(&depth)) {
      for (auto visual = xcb_depth_visuals_iterator(depth.data); visual.rem;
           xcb_visualtype_next(&visual)) {
        if (visual.data->visual_id == id) return visual.data;
      }
    }
  }
  return nullptr;
}

bool ThirtyTwoBitPixels(const xcb_setup_t* setup, std::uint8_t depth) {
  for (auto format = xcb_setup_pixmap_formats_iterator(setup); format.rem;
       xcb_format_next(&format)) {
    if (format.data->depth == depth) {
      return format.data->bits_per_pixel == 32 && format.data->scanline_pad == 32;
    }
  }
  return false;
}

Target Learn(xcb_connection_t* x, xcb_window_t window) {
  // Both questions in one round trip.
  const auto attributesAsked = xcb_get_window_attributes(x, window);
  const auto geometryAsked = xcb_get_geometry(x, window);
  const Owned<xcb_get_window_attributes_reply_t> attributes(
      xcb_get_window_attributes_reply(x, attributesAsked, nullptr), &std::free);
  const Owned<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(x, geometryAsked, nullptr),
                                                 &std::free);
  Target target;
  if (!attributes || !geometry) return target;
  const xcb_setup_t* const setup = xcb_get_setup(x);
  const xcb_visualtype_t* const visual = FindVisual(setup, attributes->visual);
  const bool hostOrder = (setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST) ==
                         (std::endian::native == std::endian::little);
  if (visual == nullptr || visual->_class != XCB_VISUAL_CLASS_TRUE_COLOR || !hostOrder ||
      visual->red_mask != 0xff0000 || visual->green_mask != 0xff00 || visual->blue_mask != 0xff ||
      !ThirtyTwoBitPixels(setup, geometry->depth)) {
    return target;
  }
  if (geometry->depth == 24) {
    target.format = QImage::Format_RGB32;
  } else if (geometry->depth == 32) {
    target.format = QImage::Format_ARGB32_Premultiplied;
  } else {
    return target;
  }
  target.depth = geometry->depth;
  target.context = xcb_generate_id(x);
  const std::uint32_t noExposures = 0;
  xcb_create_gc(x, target.context, window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
  return target;
}

Target* TargetOf(WId window, xcb_connection_t** x) {
  *x = ToolkitConnection();
  if (*x == nullptr) return nullptr;
  static std::map<WId, Target> targets;
  auto known = targets.find(window);
  if (known == targets.end()) {
    known = targets.emplace(window, Learn(*x, static_cast<xcb_window_t>(window))).first;
  }
  return &known->second;
}

}  // namespace

QImage::Format ImageFormat(WId window) {
  xcb_connection_t* x = nullptr;
  const Target* const target = TargetOf(window, &x);
  return target != nullptr ? target->format : QImage::Format_Invalid;
}

bool PutImage(WId window, const QImage& image, QRect part) {
  xcb_connection_t* x = nullptr;
  const Target* const target = TargetOf(window, &x);
  if (target == nullptr || target->format == QImage::Format_Invalid ||
      image.format() != target->format || !image.rect().contains(part)) {
    return false;
  }
  // Rows of the part alone, one after the other, as the request carries them.
  const QImage rows = image.copy(part);
  const auto bytes = static_cast<std::uint32_t>(rows.sizeInBytes());
  constexpr std::uint32_t kRequestHeader = 24;
  if (bytes + kRequestHeader > xcb_get_maximum_request_length(x) * 4U) return false;
  xcb_put_image(x, XCB_IMAGE_FORMAT_Z_PIXMAP, static_cast<xcb_window_t>(window), target->context,
                static_cast<std::uint16_t>(part.width()), static_cast<std::uint16_t>(part.height()),
                static_cast<std::int16_t>(part.x()), static_cast<std::int16_t>(part.y()), 0,
                target->depth, bytes, rows.constBits());
  return true;
}

}  // namespace countdown::frame::x11

#else

namespace countdown::frame::x11 {
QImage::Format ImageFormat(WId) { return QImage::Format_Invalid; }
bool PutImage(WId, const QImage&, QRect) { return false; }
}  // namespace countdown::frame::x11

#endif
