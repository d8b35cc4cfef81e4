// How the frame paints itself, and the count in its caption bar once a second.
#include <qdrawutil.h>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <utility>

#include "caption_colours.h"
#include "caption_font.h"
#include "framed_window.h"
#include "x11_image.h"

namespace countdown::frame {
namespace {
// The device pixels wholly inside `rect` at `ratio`: what painting `rect` alone decides.
QRect DeviceInterior(QRect rect, qreal ratio) {
  const QRectF scaled(QPointF(rect.topLeft()) * ratio, QSizeF(rect.size()) * ratio);
  const QPoint topLeft(static_cast<int>(std::ceil(scaled.left())),
                       static_cast<int>(std::ceil(scaled.top())));
  const QPoint end(static_cast<int>(std::floor(scaled.right())),
                   static_cast<int>(std::floor(scaled.bottom())));
  return {topLeft, end - QPoint(1, 1)};
}

// The first and last columns of `part` in which `one` and `other` differ; empty where none does.
std::pair<int, int> ChangedColumns(const QImage& one, const QImage& other, QRect part) {
  int first = part.right() + 1;
  int last = part.left() - 1;
  for (int y = part.top(); y <= part.bottom(); ++y) {
    const auto* a = reinterpret_cast<const QRgb*>(one.constScanLine(y));
    const auto* b = reinterpret_cast<const QRgb*>(other.constScanLine(y));
    for (int x = part.left(); x < first; ++x) {
      if (a[x] != b[x]) first = x;
    }
    for (int x = part.right(); x > last; --x) {
      if (a[x] != b[x]) last = x;
    }
  }
  return {first, last};
}
}  // namespace

void FramedWindow::PaintTitle(QPainter& painter, const CaptionColours& colours,
                              const QString& title) const {
  const QRect room = TitleRect();
  painter.fillRect(room, colours.background);
  painter.setPen(colours.text);
  // The font fits the title: no eliding. A count's glyphs were laid out with the font.
  if (const std::optional<QGlyphRun> glyphs = countGlyphs_.Run(title)) {
    const qreal height = countGlyphs_.Ascent() + countGlyphs_.Descent();
    const qreal baseline = room.top() + (room.height() - height) / 2 + countGlyphs_.Ascent();
    painter.drawGlyphRun(QPointF(room.left(), baseline), *glyphs);
    return;
  }
  painter.setFont(captionFont_);
  painter.drawText(room, Qt::AlignLeft | Qt::AlignVCenter, title);
}

CaptionColours FramedWindow::Colours() const {
  const bool active = isActiveWindow();
  if (!colours_ || colours_->palette != palette().cacheKey() || colours_->active != active) {
    colours_ = {palette().cacheKey(), active, CaptionColoursOf(palette(), active)};
  }
  return colours_->colours;
}

void FramedWindow::SetTitle(const QString& title) {
  if (title == windowTitle()) return;
  // The toolkit writes the title to the X server at once, and with it what was put before.
  titlePut_ = fittedFor_ && fittedFor_->shape == ShapeOf(title) && PutTitleOnScreen(title);
  setWindowTitle(title);
  titlePut_ = false;
}

bool FramedWindow::PutTitleOnScreen(const QString& text) {
  // Only over a title the toolkit has painted, and while the window is on screen.
  QWindow* const native = windowHandle();
  if (fitDeferred_ || native == nullptr || !native->isExposed()) return false;
  const QImage::Format format = x11::ImageFormat(winId());
  if (format == QImage::Format_Invalid) return false;
  const qreal ratio = devicePixelRatio();
  const QRect title = TitleRect();
  const QRect interior = DeviceInterior(title, ratio);
  if (interior.isEmpty()) return false;

  // The title painted as the toolkit would paint it, in the same device pixels: then only its
  // interior is sent, and only the columns that changed since it was last sent.
  const QSize size(interior.right() + 2, interior.bottom() + 2);
  const auto fits = [&](const QImage& image) {
    return image.size() == size && image.format() == format && image.devicePixelRatio() == ratio;
  };
  if (!fits(shown_)) shown_ = QImage();
  if (!fits(canvas_)) {
    canvas_ = QImage(size, format);
    canvas_.setDevicePixelRatio(ratio);
    // Points as on the window's screen, for a title drawn as text.
    canvas_.setDotsPerMeterX(qRound(logicalDpiX() / 0.0254));
    canvas_.setDotsPerMeterY(qRound(logicalDpiY() / 0.0254));
  }
  {
    QPainter painter(&canvas_);
    PaintTitle(painter, Colours(), text);
  }
  QRect changed = interior;
  if (!shown_.isNull()) {
    const auto [first, last] = ChangedColumns(canvas_, shown_, interior);
    if (first > last) return true;
    changed.setLeft(first);
    changed.setRight(last);
  }
  if (!x11::PutImage(winId(), canvas_, changed)) return false;
  std::swap(shown_, canvas_);
  // The toolkit's own picture of the window still holds the title it last painted: it paints the
  // title again before it next shows that picture (see eventFilter).
  titleBehind_ = true;
  return true;
}

bool FramedWindow::eventFilter(QObject* watched, QEvent* event) {
  // Uncovered, the window is shown from the toolkit's picture of it, which must hold the title.
  if (event->type() == QEvent::Expose && watched == windowHandle() && titleBehind_) {
    repaint(TitleRect());
  }
  return QWidget::eventFilter(watched, event);
}

void FramedWindow::paintEvent(QPaintEvent* event) {
  if (fitDeferred_) {
    fitDeferred_ = false;
    FitCaptionFont();
  }
  QPainter painter(this);
  const QPalette& colours = palette();
  const CaptionColours caption = Colours();
  const QRect title = TitleRect();
  // A new count the window could not put on screen itself (off X11) repaints the title alone.
  if (!title.contains(event->rect())) {
    // Exposed, activated or resized: by now the window manager has placed the window.
    if (placing_) {
      QMetaObject::invokeMethod(this, &FramedWindow::TakePositionFromX11, Qt::QueuedConnection);
    }
    painter.fillRect(rect(), colours.button());
    qDrawWinPanel(&painter, rect(), colours, false);
    painter.fillRect(CaptionRect(), caption.background);
    windowIcon().paint(&painter, IconRect());

    // The close button: a raised button face with a cross, sunk while it is held down.
    const QRect button = CloseButtonRect();
    qDrawWinButton(&painter, button, colours, closeDown_, &colours.button());
    const int inset = std::max(2, button.height() / 4);
    const QRect cross = button.adjusted(inset + 1, inset, -inset - 2, -inset - 1)
                            .translated(closeDown_ ? 1 : 0, closeDown_ ? 1 : 0);
    painter.setPen(colours.color(QPalette::ButtonText));
    for (const int shift : {0, 1}) {
      painter.drawLine(cross.topLeft() + QPoint(shift, 0), cross.bottomRight() + QPoint(shift, 0));
      painter.drawLine(cross.topRight() + QPoint(shift, 0), cross.bottomLeft() + QPoint(shift, 0));
    }
  }
  PaintTitle(painter, caption, windowTitle());
  if (event->region().contains(title)) {
    // What the screen shows of the title is the toolkit's picture again.
    titleBehind_ = false;
    shown_ = QImage();
  }
}

}  // namespace countdown::frame
