// A top-level window that draws its own frame and caption bar instead of the window manager's, so
// that it looks and measures the same under every window manager: a sizing border whose lower
// edge drags the height, and a caption bar with the window's icon, its title and a close button.
// The window's outer edges are the widget's own.
#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <utility>

#include "caption_colours.h"
#include "caption_font.h"
#include "device_geometry.h"

class QPainter;

namespace countdown::frame {

// The frame's sizes in the widget's pixels.
struct FrameMetrics {
  int border = 0;   // the sizing border on every side
  int caption = 0;  // the caption bar's height, under the top border
  int icon = 0;     // the icon's side
  QSize button;     // the close button
  int gap = 0;      // the space around the icon, the title and the button

  friend bool operator==(const FrameMetrics&, const FrameMetrics&) = default;
};

class FramedWindow : public QWidget {
  Q_OBJECT

 public:
  FramedWindow();

  void SetFrameMetrics(const FrameMetrics& metrics);

  // Sets the window's title, which the caption bar shows. On X11 a new title that keeps the
  // caption's font (a count of the same length) is put on screen ahead of the title's message to
  // the window manager and sent in the same write, outside the toolkit's painting.
  void SetTitle(const QString& title);

  // The font the caption bar shows the title in: the desktop's title font in bold where the title
  // fits beside the icon and the close button, otherwise narrower, and only then smaller, so that
  // it is always shown whole. Digits count as the font's widest, so that a number keeps its size
  // while it changes and the font changes only with its length.
  const QFont& CaptionFont() const { return captionFont_; }

  // The window's place and size in device pixels, the screen's own. Qt's geometry is in logical
  // pixels, which at a fractional ratio (1.25, 1.5, 1.75) reach only some device pixels; on X11
  // these reach every one.
  QPoint DevicePosition() const;
  QSize DeviceSize() const;
  void MoveTo(QPoint devicePosition);
  void ResizeTo(QSize deviceSize);
  // The resolution of the monitor the window is on, in device pixels to the inch.
  double DeviceDpi() const;

  // The window is to be `size`, and a drag of its edges to keep between `minimum` and `maximum`,
  // in the device pixels of the monitor it is on. The frame makes the window manager hold that
  // (see DeviceGeometry): the window asks for it again each time its size or its monitor changes,
  // from Resized().
  void Hold(QSize size, QSize minimum, QSize maximum);
  // Whether the size the window has is its own on this monitor, for its rules to judge: not the
  // last monitor's, nor the window manager's before it has shown the window.
  bool SizeIsOwn() const { return geometry_.IsOwn(DeviceDpi()); }
  // Whether the window manager has the window minimized, maximized or full screen, and with that
  // its size: as the toolkit knows, or, where the window is larger than a drag could make it, as
  // the window manager says now (the toolkit may hear of the state only after the new size).
  bool SizedByWindowManager() const;

  // The window menu (Move, Minimize, Always on Top, Close, in the user's language), opened under
  // the caption bar's icon as from the keyboard (Alt+Space, Shift+F10, the Menu key): with its
  // first item highlighted.
  void OpenWindowMenu();

  // Moves the window from the keyboard, as the window menu's Move does: the window manager's
  // keyboard move where it offers one, otherwise the arrow keys move the window, until Return or
  // Escape (which puts it back where it stood) or any other key.
  void MoveByKeyboard();

  // Inside the border and under the caption bar: the window's controls go here, and are cut off
  // where the window is too low to show them.
  QWidget* ClientArea() const { return client_; }

  // The parts of the frame, in widget coordinates.
  QRect CaptionRect() const;
  QRect IconRect() const;
  QRect TitleRect() const;
  QRect CloseButtonRect() const;
  QRect LowerEdgeRect() const;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  // The window's size or monitor has changed, or a drag of it has ended: the window applies its
  // size rules, and says what it wants with Hold.
  virtual void Resized() {}

 private:
  enum class Area { None, Icon, Caption, CloseButton, LowerEdge };
  Area HitTest(QPoint point) const;
  void ShowWindowMenu(QPoint globalPosition, bool fromKeyboard);
  // Not on Wayland, where the compositor alone places windows.
  static bool CanPlaceItself();
  // A key or a press while moving by the arrow keys; true where it was the move's.
  bool KeyMoved(const QEvent& event);
  void EndKeyboardMove(bool back);
  // True where the font changed, and with it the whole title is to be painted again.
  bool FitCaptionFont();
  // The caption bar's colours now: from the palette, active or not.
  CaptionColours Colours() const;
  void PaintTitle(QPainter& painter, const CaptionColours& colours, const QString& title) const;
  // Puts `title` in the caption bar on screen, to go out with the connection's next write; false
  // where it cannot (off X11, before the first paint, while the window is not shown).
  bool PutTitleOnScreen(const QString& title);
  void TakePositionFromX11();
  void LayOutClientArea();
  // Between Qt's global logical pixels and the screen's device pixels: Qt keeps each screen's
  // corner where the screen has it, and measures in logical pixels from there.
  QPoint ToDevice(QPointF global) const;
  QPoint ToLogical(QPoint device) const;
  void SizeChanged();
  void AskForWanted();
  void Drag(QPointF globalPosition, std::uint64_t time);
  void EndDrag();

  QWidget* const client_;
  FrameMetrics metrics_;
  QFont captionFont_;
  CountGlyphs countGlyphs_;  // in the caption font
  // What the caption font was fitted for: the room, the title with every digit as 0, the ratio
  // of device pixels. Empty when the desktop's fonts have changed.
  struct FittedFor {
    int room;
    QString shape;
    qreal ratio;
    friend bool operator==(const FittedFor&, const FittedFor&) = default;
  };
  std::optional<FittedFor> fittedFor_;
  bool fitDeferred_ = true;  // not fitted before the window is shown
  // The title as last put on screen, beside the toolkit's own picture of the window (device
  // pixels), its text (empty once the toolkit has painted the title again), and whether the
  // toolkit's picture holds an older title.
  QImage shown_;
  QString shownTitle_;
  bool titleBehind_ = false;
  bool titlePut_ = false;  // the title being set is on screen already
  struct ColoursFor {
    qint64 palette;  // its cache key
    bool active;
    CaptionColours colours;
  };
  mutable std::optional<ColoursFor> colours_;
  DeviceGeometry geometry_;
  std::pair<QSize, QSize> limits_;  // the smallest and largest size held, in device pixels
  Area hovered_ = Area::None;
  std::optional<QPoint> keyMoveFrom_;  // moving by the arrow keys: where the window stood

  // A press on the close button: the button shows pressed while the pointer stays on it.
  bool closeHeld_ = false;
  bool closeDown_ = false;

  // A press on the caption bar or the lower edge. The first movement hands the move or resize to
  // the window manager; where it declines, or says yes and then does not follow the pointer, the
  // window moves or resizes itself.
  struct Dragging {
    Area area;
    QPoint pressedAt;      // global, in device pixels
    QRect startGeometry;   // the window's when pressed, in logical pixels
    QRect startDevice;     // the same in device pixels
    bool started = false;  // the pointer has moved since the press
    bool bySystem = false;
    QPoint handedOverAt = {};  // global, where the window manager took over
    std::uint64_t handedOverTime = 0;
  };
  std::optional<Dragging> drag_;
  int presses_ = 0;  // counts the presses, so that a watch over an earlier drag ends
  void DragByHand(const Dragging& drag, QPoint devicePosition);
  void WatchSystemDrag(int press, const Dragging& drag);
};

}  // namespace countdown::frame
