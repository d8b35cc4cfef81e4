// The window's size in the device pixels of the monitor it is on: what the window wants there,
// beside what the windowing system last reported, and the one rule between them. A size the
// window manager, the user or another program gave the window on the monitor it is on is the
// window's own, for its size rules to judge. Any other size that differs from the one wanted (the
// window manager's before it has shown the window, the last monitor's after a move to a monitor of
// another resolution) is asked to become the one wanted, once the pointer has let go of the window.
// Plain values: the frame feeds it what the windowing system says and carries out what it asks.
#pragma once

#include <QPoint>
#include <QSize>
#include <QSizeF>
#include <functional>
#include <optional>
#include <utility>

namespace countdown::frame {

class DeviceGeometry {
 public:
  // What the window is to be asked to become: its size, and, where a move between monitors of
  // different resolutions has changed its size, its place too.
  struct Request {
    QSize size;
    std::optional<QPoint> position;
    friend bool operator==(const Request&, const Request&) = default;
  };
  // Where the window stands and the pointer is, in device pixels, as the screen has them.
  struct Whereabouts {
    QPoint window;
    std::optional<QPoint> pointer;
  };

  // The window wants `size` on a monitor of `dpi` device pixels to the inch.
  void Want(QSize size, double dpi);

  // The windowing system reports the window's size.
  void Report(QSize size);

  // The window manager has shown the window: sizes reported before were the window's own request
  // or the window manager's first guess, and only those from now on can be the user's. True the
  // first time.
  bool Shown();

  // Whether the size last reported is the window's own on a monitor of `dpi`.
  bool IsOwn(double dpi) const { return ownAt_ == dpi; }

  // A press of the pointer's button on the window, and the drag that may follow it: a drag of the
  // lower edge sizes the window on the monitor it is on; one of the caption holds the window by
  // `grip`, the spot pressed. No drag is interrupted by a request.
  void Press() { placing_ = false; }
  void BeginDrag(bool resizing, QPoint grip);
  void EndDrag() { dragging_ = false; }
  bool Dragging() const { return dragging_; }
  // From the window being shown until the user first presses on it, the window manager may still
  // be placing it.
  bool Placing() const { return placing_; }

  // A place asked for before the native window exists, to be set to the pixel once it does.
  void Park(std::optional<QPoint> position) { parked_ = position; }
  std::optional<QPoint> TakeParked() { return std::exchange(parked_, std::nullopt); }

  // Whether to tell the toolkit where the window stands and how large it is: while the window
  // manager places the window, it may move it without a word (openbox), so the toolkit believes
  // it at `believed` where it stands at `real`.
  bool ToAnnounce(QPoint real, QPoint believed);
  // And whether the toolkit, which believes the window `believed` device pixels large at `ratio`
  // device pixels to its own, is a pixel of its own or more from the size reported: told of a
  // move to another monitor and of a new size in one batch of events, it takes the size at the
  // ratio of the monitor it knew when each event came. Once for each such belief.
  bool ToAnnounce(QSizeF believed, double ratio);

  // What to ask for now, if anything: nothing during a drag, and never the same size twice from
  // the same size reported, so that a window manager that keeps a size of its own (a tiling one)
  // is not argued with. After a move to a monitor of another resolution, the spot of the window
  // that the pointer held stays under it, whoever resized the window; `where` is asked only then.
  std::optional<Request> ToAsk(const std::function<Whereabouts()>& where);

 private:
  // Where the size reported is the one wanted, it is the window's own on this monitor.
  void Settle();

  std::optional<QSize> wanted_;
  double dpi_ = 0;  // the resolution wanted_ is for
  std::optional<QSize> reported_;
  std::optional<double> ownAt_;  // the resolution the size reported is the window's own at
  std::optional<std::pair<QSize, QSize>> asked_;  // the size reported and the size asked for
  // The window's own size on the monitor it has left last, that monitor's resolution, and whether
  // its place on the new one has been worked out.
  struct Left {
    QSize size;
    double dpi;
    bool placed = false;
  };
  std::optional<Left> left_;
  // The spot of the window the last drag of its caption held, and the resolution it held it at,
  // until what the window asks for next.
  struct Carried {
    QPoint grip;
    double dpi;
  };
  std::optional<Carried> carried_;
  std::optional<QPoint> parked_;
  std::optional<QPoint> announced_;
  std::optional<std::pair<QSizeF, QSize>> misbelief_;  // the last told, and the size reported
  bool shown_ = false;
  bool dragging_ = false;
  bool placing_ = false;
};

}  // namespace countdown::frame
