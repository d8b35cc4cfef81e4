// The frame the window manager puts around a top-level window: its title bar and borders.
#pragma once

#include <QMargins>
#include <chrono>

class QByteArray;
class QWidget;

namespace countdown::runtime {

// The frame around `window`, in the toolkit's logical pixels. On X11 this is what the window
// manager last published for it, read afresh; elsewhere, what the toolkit knows.
QMargins FrameExtents(const QWidget& window);

// Asks the window manager which frame it will put around `window`, which is not mapped yet, and
// waits up to `timeout` for the answer, so that FrameExtents knows it before the window is shown.
// False where the platform or the window manager cannot tell in advance.
bool RequestFrameExtents(QWidget& window, std::chrono::milliseconds timeout);

// Whether a native event for a window says that the window manager has changed its frame.
bool IsFrameChange(const QByteArray& eventType, const void* message);

}  // namespace countdown::runtime
