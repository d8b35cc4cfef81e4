#include "device_geometry.h"

#include <QRect>
#include <cmath>

namespace countdown::frame {

void DeviceGeometry::Want(QSize size, double dpi) {
  if (dpi != dpi_) {
    // Another monitor: the size reported is the last one's until the new one is reported.
    left_.reset();
    if (reported_ && ownAt_ && *ownAt_ != dpi) left_ = Left{*reported_, *ownAt_};
  }
  wanted_ = size;
  dpi_ = dpi;
  Settle();
}

void DeviceGeometry::Report(QSize size) {
  reported_ = size;
  Settle();
}

bool DeviceGeometry::Shown() {
  if (shown_) return false;  // shown again after being minimized: nothing new
  shown_ = true;
  placing_ = true;
  Settle();
  return true;
}

void DeviceGeometry::BeginDrag(bool resizing, QPoint grip) {
  dragging_ = true;
  placing_ = false;
  if (resizing) {
    ownAt_ = dpi_;
  } else {
    carried_ = Carried{grip, dpi_};
  }
}

void DeviceGeometry::Settle() {
  if (!shown_ || !wanted_ || reported_ != wanted_) return;
  ownAt_ = dpi_;
  asked_.reset();
}

bool DeviceGeometry::ToAnnounce(QPoint real, QPoint believed) {
  if (!placing_ || real == believed || real == announced_) return false;
  announced_ = real;
  return true;
}

bool DeviceGeometry::ToAnnounce(QSizeF believed, double ratio) {
  if (!reported_ || (std::abs(believed.width() - reported_->width()) < ratio &&
                     std::abs(believed.height() - reported_->height()) < ratio)) {
    misbelief_.reset();
    return false;
  }
  const std::pair misbelief{believed, *reported_};
  if (misbelief_ == misbelief) return false;
  misbelief_ = misbelief;
  return true;
}

std::optional<DeviceGeometry::Request> DeviceGeometry::ToAsk(
    const std::function<Whereabouts()>& where) {
  if (dragging_ || !wanted_ || !reported_) return {};
  // The pointer that carried the window to this monitor holds the same spot of it at the new
  // size: the spot the drag took hold of (the window may lag behind the pointer, and a window
  // manager may move a window it resizes during a move), or, where the monitor changed only as
  // the drag ended, the spot under the pointer. The window's corner stays put where the pointer
  // is elsewhere.
  const std::optional<Carried> carried = std::exchange(carried_, std::nullopt);
  std::optional<QPoint> position;
  if (left_ && !left_->placed) {
    left_->placed = true;
    const Whereabouts at = where();
    std::optional<QPoint> grip;
    if (carried && carried->dpi == left_->dpi) {
      grip = carried->grip;
    } else if (at.pointer && QRect(at.window, left_->size).contains(*at.pointer)) {
      grip = *at.pointer - at.window;
    }
    if (at.pointer && grip) {
      const double scale = dpi_ / left_->dpi;
      position = *at.pointer - QPoint(static_cast<int>(std::lround(grip->x() * scale)),
                                      static_cast<int>(std::lround(grip->y() * scale)));
    }
  }
  if (!position) {
    if (reported_ == wanted_) return {};
    const std::pair request{*reported_, *wanted_};
    if (asked_ == request) return {};
    asked_ = request;
  }
  return Request{*wanted_, position};
}

}  // namespace countdown::frame
