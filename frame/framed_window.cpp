#include "framed_window.h"

#include <QAccessible>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QIcon>
#include <QShortcut>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <utility>

#include "accessible_frame.h"
#include "caption_font.h"
#include "x11_window_manager.h"

namespace countdown::frame {

FramedWindow::FramedWindow() : client_(new QWidget(this)) {
  // Assistive technology sees a frame with a caption bar, as a window manager's would be.
  static const bool accessible = [] {
    QAccessible::installFactory(AccessibleFrameFactory);
    return true;
  }();
  (void)accessible;
  x11::AskAhead();  // answered while the window is built
  // No decoration from the window manager; it still places, stacks, focuses and minimizes the
  // window, and moves and resizes it when asked to.
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint);
  setMouseTracking(true);  // for the resize cursor over the lower edge
  auto* const menuKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
  connect(menuKey, &QShortcut::activated, this, &FramedWindow::OpenWindowMenu);
}

QPoint FramedWindow::DevicePosition() const {
  if (testAttribute(Qt::WA_WState_Created)) {
    if (const auto position = x11::Position(winId())) return *position;
  }
  return pos() * devicePixelRatio();
}

QSize FramedWindow::DeviceSize() const {
  if (testAttribute(Qt::WA_WState_Created)) {
    if (const auto reported = x11::ReportedSize(winId())) return *reported;
  }
  // The size Qt gave the native window, which it rounds the same way.
  return size() * devicePixelRatio();
}

void FramedWindow::MoveTo(QPoint devicePosition) {
  if (testAttribute(Qt::WA_WState_Created) && x11::Configure(winId(), devicePosition, {})) return;
  // As near as logical pixels come; set to the pixel once the native window exists (X11).
  const QPoint logical = (QPointF(devicePosition) / devicePixelRatio()).toPoint();
  move(logical);
  // Where Qt's logical pixels cannot reach it. Only then: a window moved after it was created
  // is placed by some window managers as they like (weston's for X11 windows).
  if (logical * devicePixelRatio() == devicePosition) {
    pendingPosition_.reset();
  } else {
    pendingPosition_ = devicePosition;
  }
}

void FramedWindow::ResizeTo(QSize deviceSize) {
  // Within the window's limits, as Qt and the window manager keep it.
  const qreal ratio = devicePixelRatio();
  deviceSize = deviceSize.boundedTo(maximumSize() * ratio).expandedTo(minimumSize() * ratio);
  askedSize_ = deviceSize;
  if (testAttribute(Qt::WA_WState_Created) && x11::Configure(winId(), {}, deviceSize)) return;
  resize((QSizeF(deviceSize) / devicePixelRatio()).toSize());
}

QPoint FramedWindow::ToDevice(QPointF global) const {
  // As near as Qt's global positions come: Qt 6.4 rounds them to logical pixels on X11.
  return (global * devicePixelRatio()).toPoint();
}

bool FramedWindow::AskForSizeAgain() {
  // Only a window manager's rounding to the size steps Qt writes at a fractional ratio, never a
  // size it was asked for: a step is two device pixels, and some round by a step and a pixel.
  const qreal ratio = devicePixelRatio();
  if (!askedSize_ || ratio == std::floor(ratio)) return false;
  const QSize off = DeviceSize() - *askedSize_;
  const int step = static_cast<int>(std::ceil(ratio));
  if (off.isNull() || std::abs(off.width()) > step + 1 || std::abs(off.height()) > step + 1) {
    return false;
  }
  return x11::Configure(winId(), {}, *askedSize_);
}

void FramedWindow::SetFrameMetrics(const FrameMetrics& metrics) {
  metrics_ = metrics;
  LayOutClientArea();
  FitCaptionFont();
  update();
}

QRect FramedWindow::CaptionRect() const {
  return {metrics_.border, metrics_.border, width() - 2 * metrics_.border, metrics_.caption};
}

QRect FramedWindow::IconRect() const {
  const QRect caption = CaptionRect();
  return {caption.left() + metrics_.gap, caption.top() + (caption.height() - metrics_.icon) / 2,
          metrics_.icon, metrics_.icon};
}

QRect FramedWindow::CloseButtonRect() const {
  const QRect caption = CaptionRect();
  const QSize button = metrics_.button;
  return {caption.right() + 1 - metrics_.gap - button.width(),
          caption.top() + (caption.height() - button.height()) / 2, button.width(),
          button.height()};
}

QRect FramedWindow::TitleRect() const {
  const QRect caption = CaptionRect();
  return {QPoint(IconRect().right() + 1 + metrics_.gap, caption.top()),
          QPoint(CloseButtonRect().left() - 1 - metrics_.gap, caption.bottom())};
}

QRect FramedWindow::LowerEdgeRect() const {
  return {0, height() - metrics_.border, width(), metrics_.border};
}

void FramedWindow::LayOutClientArea() {
  const int top = metrics_.border + metrics_.caption;
  client_->setGeometry(metrics_.border, top, std::max(0, width() - 2 * metrics_.border),
                       std::max(0, height() - top - metrics_.border));
}

bool FramedWindow::FitCaptionFont() {
  // Until the window is on its way to the screen: what the font is fitted to changes several
  // times while the window is set up, and measuring fonts first loads the font database.
  if (fitDeferred_) return false;
  FittedFor wanted{TitleRect().width(), ShapeOf(windowTitle()), devicePixelRatio()};
  if (fittedFor_ == wanted) return false;
  QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
  font.setBold(true);
  captionFont_ = FitToRoom(font, wanted.shape, wanted.room, this);
  countGlyphs_ = CountGlyphs(captionFont_, this);
  fittedFor_ = std::move(wanted);
  update(TitleRect());
  return true;
}

bool FramedWindow::event(QEvent* event) {
  // On another screen, or at another ratio of device pixels, fonts measure differently.
  if (event->type() == QEvent::ScreenChangeInternal) {
    fittedFor_.reset();
    FitCaptionFont();
  }
  return QWidget::event(event);
}

void FramedWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // A window manager that rounds the size to the steps Qt asked for may do so after the steps
  // are gone: while it places the window, the size asked for is asked again, a few times at most.
  if (placing_ && insisted_ < 3 && AskForSizeAgain()) ++insisted_;
  LayOutClientArea();
  FitCaptionFont();
}

void FramedWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // A resize made while the window was being shown, from inside the resize event Qt sends
  // then, comes with no event of its own.
  LayOutClientArea();
  placing_ = true;
  windowHandle()->installEventFilter(this);  // told when the window is uncovered
  // The native window exists now and is not yet mapped: the window manager finds it where it
  // asked to be, to the pixel.
  (void)x11::ReportedSize(winId());  // from now on
  if (pendingPosition_) x11::Configure(winId(), *pendingPosition_, {});
  pendingPosition_.reset();
  // Once Qt has written the size hints and mapped the window: no size steps, and the size the
  // window asked for, which the window manager may have rounded to them.
  // A window manager takes the new hints in when it gets to them: it is asked again a little
  // later, while it is still placing the window.
  QMetaObject::invokeMethod(
      this,
      [this] {
        // The request to map the window has gone out with this round trip: the caption font
        // is fitted while the window manager maps the window, before it is first painted.
        const bool onX11 = x11::DropSizeIncrement(winId());
        fitDeferred_ = false;
        FitCaptionFont();
        if (!onX11) return;
        AskForSizeAgain();
        for (const int later : {50, 250, 1000, 3000}) {
          QTimer::singleShot(later, this, [this] {
            if (placing_) AskForSizeAgain();
          });
        }
      },
      Qt::QueuedConnection);
}

void FramedWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (placing_ && isVisible()) TakePositionFromX11();
}

void FramedWindow::TakePositionFromX11() {
  // openbox tells a window it has just mapped without decoration that it stands at (0, 0), and
  // may place its frame only afterwards without a word; Qt would then open the combo box's list
  // and move the window by hand from the wrong place. The toolkit is told the true place, and
  // the window manager is not asked for anything: fluxbox, asked to move a window to where it
  // already stands while it is taking away its decoration, moves it by its title bar's height.
  // Only the window manager's placement around the map needs it: from the first press on, the
  // window's moves are the user's, and each check would cost a round trip to the X server.
  if (const auto native = x11::Position(winId())) {
    const QPoint real = *native / devicePixelRatio();
    if (real != pos() && real != corrected_) {
      corrected_ = real;
      x11::AnnounceGeometry(winId(), QRect(*native, DeviceSize()));
    }
  }
}

void FramedWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  switch (event->type()) {
    case QEvent::WindowTitleChange:
      // Put on screen already, in the font it has; a count of another length takes another
      // font, and the window repaints its title.
      if (!titlePut_ && !FitCaptionFont()) update(TitleRect());
      break;
    case QEvent::ActivationChange:
      update(CaptionRect());
      break;
    case QEvent::FontChange:
    case QEvent::ApplicationFontChange:
      fittedFor_.reset();
      FitCaptionFont();
      break;
    default:
      break;
  }
}

}  // namespace countdown::frame
