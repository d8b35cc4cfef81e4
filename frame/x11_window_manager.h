// What the window's frame asks of an X11 window manager and learns from the X server, through the
// toolkit's own X connection. Windows are named by their native id; places and sizes are the X
// screen's own pixels. Off X11 every call does nothing and answers empty.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWindow>
#include <functional>
#include <optional>

namespace countdown::frame::x11 {

enum class Drag { Move, ResizeLowerEdge };

// Asks the window manager to carry out `drag` on `window` for a button that went down at
// `pressedAt` (root coordinates): the window manager anchors the drag there, so the window
// follows the pointer exactly. Empty off X11; false where the window manager does not offer
// _NET_WM_MOVERESIZE.
std::optional<bool> StartDrag(WId window, QPoint pressedAt, Drag drag);

// Asks the window manager to move `window` by the keyboard, as its own window menu's Move does.
// The window manager that does takes the keyboard for it: `ended` is called, queued on
// `context`, once it gives it back. Empty off X11; false where the window manager does not offer
// _NET_WM_MOVERESIZE.
std::optional<bool> StartKeyboardMove(WId window, QObject* context, std::function<void()> ended);

// Whether the window manager keeps `window` above other windows (_NET_WM_STATE_ABOVE), as it
// says; empty off X11 and where the window manager does not offer it.
std::optional<bool> KeptAbove(WId window);
// Whether the window manager says it keeps `window` full screen or maximized, asked of the X server
// now: the toolkit hears of it from the same property, which some window managers (icewm) write
// only after they have resized the window.
bool SizedByWindowManager(WId window);
// Asks the window manager to keep `window` above other windows, or no longer.
void KeepAbove(WId window, bool above);

// Where the pointer's button last went down, and where the pointer last moved over the window,
// in root coordinates to the pixel (Qt's own positions are in logical pixels, rounded); empty off
// X11.
std::optional<QPoint> LastPress();
std::optional<QPoint> LastPointer();

// Where the pointer is, in root coordinates, and whether its left button is down, asked of the X
// server; empty off X11.
struct PointerState {
  QPoint position;
  bool leftButtonDown;
};
std::optional<PointerState> Pointer();

// Where `window` stands on the screen, asked of the X server.
std::optional<QPoint> Position(WId window);

// Moves `window` to `position`, or resizes it to `size`, to the pixel: the toolkit's own requests
// go through its logical coordinates, which at a fractional ratio of device pixels reach only
// some of the screen's pixels. Returns false off X11.
bool Configure(WId window, std::optional<QPoint> position, std::optional<QSize> size);

// Asks the X server now what the frame will want to know of it, without waiting for the answers.
void AskAhead();

// Keeps `window`'s size hints at `minimum` and `maximum` device pixels, with no size steps, from
// now on: the toolkit writes hints of its own as it maps the window and whenever the ratio of
// device pixels changes, with steps of whole logical pixels that at a fractional ratio reach only
// some sizes; each time, these limits are put back. Returns false off X11.
bool HoldSizeHints(WId window, QSize minimum, QSize maximum);

// The size X last reported for `window` (real or synthetic ConfigureNotify); empty before the
// first report and off X11.
std::optional<QSize> ReportedSize(WId window);

// Calls `resized`, queued on `context`, each time X reports a new size for `window`.
void WatchSize(WId window, QObject* context, std::function<void()> resized);

// Tells the toolkit where `window` stands and how large it is, as the X server has it when the
// toolkit takes the news in: a synthetic ConfigureNotify sent to the window itself, as a window
// manager tells a client it has moved it, filled in as it arrives. Nothing goes to the window
// manager.
void AnnounceGeometry(WId window);

// Stops the toolkit hearing of changes to `window`'s own properties while the window stands
// still, from the connection's next write on. The toolkit reads them only for the window's state
// and frame, yet each change wakes both its threads: with a new title each second, and the window
// manager's answer to it, about ten wake-ups a second, where the timer alone makes one. From each
// time the window is mapped, unmapped, reparented, moved or resized on, the toolkit hears them
// again and reads the state and frame afresh; at the first call two seconds after, it stops
// again. Returns false off X11.
bool QuietProperties(WId window);

}  // namespace countdown::frame::x11
