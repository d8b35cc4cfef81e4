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

#include "caption_colours.h"
#include "caption_font.h"

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

  // The window menu (Minimize, Close), opened under the caption bar's icon.
  void OpenWindowMenu();

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

 private:
  enum class Area { None, Icon, Caption, CloseButton, LowerEdge };
  Area HitTest(QPoint point) const;
  void ShowWindowMenu(QPoint globalPosition);
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
  QPoint ToDevice(QPointF global) const;
  // Asks X again for the size last asked for with ResizeTo where the window manager rounded it;
  // true if it asked.
  bool AskForSizeAgain();
  void Drag(QPointF globalPosition, std::uint64_t time);

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
  // The place last announced to the toolkit because it had been told another, and whether the
  // window manager may still be placing the window without telling it (from show to the first
  // press).
  QPoint corrected_{-1, -1};
  bool placing_ = false;
  // A place asked for before the native window existed, to be set to the pixel once it does.
  std::optional<QPoint> pendingPosition_;
  std::optional<QSize> askedSize_;  // the last size asked for with ResizeTo
  int insisted_ = 0;                // how often it was asked again while placing
  Area hovered_ = Area::None;

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
