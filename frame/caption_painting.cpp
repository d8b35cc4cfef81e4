// How the frame paints itself, and the count in its caption bar once a second.
#include <qdrawutil.h>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <limits>

#include "caption_colours.h"
#include "caption_font.h"
#include "framed_window.h"
#include "x11_image.h"
#include "x11_window_manager.h"

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

}  // namespace

void FramedWindow::PaintTitle(QPainter& painter, const CaptionColours& colours,
                              const QString& title) const {
  const QRect room = TitleRect();
  painter.fillRect(room, colours.background);
  painter.setPen(colours.text);
  // The font fits the title: no eliding. A count's glyphs were laid out with the font; under a
  // clip, those that draw nothing inside it are left out.
  const qreal from = painter.hasClipping() ? painter.clipBoundingRect().left() - room.left()
                                           : -std::numeric_limits<qreal>::infinity();
  if (const std::optional<QGlyphRun> glyphs = countGlyphs_.Run(title, from)) {
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
  // interior is sent.
  const QSize size(interior.right() + 2, interior.bottom() + 2);
  if (shown_.size() != size || shown_.format() != format || shown_.devicePixelRatio() != ratio) {
    shown_ = QImage(size, format);
    shown_.setDevicePixelRatio(ratio);
    // Points as on the window's screen, for a title drawn as text.
    shown_.setDotsPerMeterX(qRound(logicalDpiX() / 0.0254));
    shown_.setDotsPerMeterY(qRound(logicalDpiY() / 0.0254));
    shownTitle_.clear();
  }
  // Where the picture holds the title on screen, and of the same length, only the columns from
  // the first character that changes on are painted again and sent: painting is per pixel, so the
  // columns painted under a clip are what painting it all would make of them.
  QRect changed = interior;
  if (shownTitle_.size() == text.size()) {
    const auto first = std::mismatch(text.cbegin(), text.cend(), shownTitle_.cbegin()).first;
    if (first == text.cend()) return true;
    if (const std::optional<qreal> ink = countGlyphs_.InkFrom(text, first - text.cbegin())) {
      const int column = static_cast<int>(std::floor((title.left() + *ink) * ratio));
      changed.setLeft(std::max(interior.left(), column));
    }
  }
  {
    QPainter painter(&shown_);
    // Half a pixel to the left, so that rounding takes the clip's edge to the column or the one
    // before it, never after it.
    painter.setClipRect(QRectF(QPointF(changed.left() - 0.5, 0) / ratio, QSizeF(size)));
    PaintTitle(painter, Colours(), text);
  }
  if (!x11::PutImage(winId(), shown_, changed)) {
    shownTitle_.clear();
    return false;
  }
  shownTitle_ = text;
  // Neither the title's rewrite nor the window manager's answer to it wakes the program.
  x11::QuietProperties(winId());
  // The toolkit's own picture of the window still holds the title it last painted: it paints the
  // title again before it next shows that picture (see eventFilter).
  titleBehind_ = true;
  return true;
}

bool FramedWindow::eventFilter(QObject* watched, QEvent* event) {
  // Moving by the arrow keys, the window has every key first.
  if (keyMoveFrom_ && KeyMoved(*event)) return true;
  if (event->type() == QEvent::Expose && watched == windowHandle()) {
    // Uncovered, the window is shown from the toolkit's picture of it, which must hold the title.
    if (titleBehind_) repaint(TitleRect());
    // Shown for the first time: the window manager has taken the window in, at the size it gave.
    if (windowHandle()->isExposed() && geometry_.Shown()) SizeChanged();
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
    if (geometry_.Placing()) {
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
    shownTitle_.clear();
  }
}

}  // namespace countdown::frame
