// Pixels put on a window straight through the toolkit's X connection, beside its backing store.
// The backing store hands its image to the X server in shared memory, and so must wait for the
// server (a round trip) before it paints again over pixels it has handed over; a small image sent
// in the request itself needs no wait.
#pragma once

#include <QImage>
#include <QRect>
#include <QWindow>

namespace countdown::frame::x11 {

// The layout of `window`'s pixels as a QImage format, where a QImage of it can be put on the
// window as it is: 32 bits a pixel in the host's byte order, red, green and blue a byte each.
// Format_Invalid for other windows and off X11.
QImage::Format ImageFormat(WId window);

// Puts `part` of `image` (in `ImageFormat(window)`) on `window` at the same place, with the
// connection's next write. False where it cannot: off X11, another layout, a part too large for
// one request.
bool PutImage(WId window, const QImage& image, QRect part);

}  // namespace countdown::frame::x11
