#include "framed_window.h"

#include <QAccessible>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QIcon>
#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>
#include <QWindow>

#include <algorithm>
#include <optional>
#include <utility>

#include "accessible_frame.h"
#include "caption_font.h"
#include "x11_window_manager.h"

namespace countdown::frame {

FramedWindow::FramedWindow() : client_(new QWidget(this)) {
  // Assistive technology sees a frame with a caption bar, as a window manager's would be.
  static const bool accessible = [] {
    InstallAccessibility();
    return true;
  }();
  (void)accessible;
  x11::AskAhead();  // answered while the window is built
  // No decoration from the window manager; it still places, stacks, focuses and minimizes the
  // window, and moves and resizes it when asked to.
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint);
  setMouseTracking(true);  // for the resize cursor over the lower edge
  // The keys for a window's menu, and for a program's context menu.
  for (const QKeySequence& keys :
       {QKeySequence(Qt::ALT | Qt::Key_Space), QKeySequence(Qt::SHIFT | Qt::Key_F10),
        QKeySequence(Qt::Key_Menu)}) {
    connect(new QShortcut(keys, this), &QShortcut::activated, this, &FramedWindow::OpenWindowMenu);
  }
}

QPoint FramedWindow::DevicePosition() const {
  if (testAttribute(Qt::WA_WState_Created)) {
    if (const auto position = x11::Position(winId())) return *position;
  }
  return ToDevice(pos());
}

QSize FramedWindow::DeviceSize() const {
  if (testAttribute(Qt::WA_WState_Created)) {
    if (const auto reported = x11::ReportedSize(winId())) return *reported;
  }
  // The size Qt gave the native window, which it rounds the same way.
  return size() * devicePixelRatio();
}

double FramedWindow::DeviceDpi() const {
  const QScreen* const monitor = screen();
  return (monitor != nullptr ? monitor->logicalDotsPerInch() : 96.0) * devicePixelRatio();
}

void FramedWindow::MoveTo(QPoint devicePosition) {
  if (testAttribute(Qt::WA_WState_Created) && x11::Configure(winId(), devicePosition, {})) return;
  // As near as logical pixels come; set to the pixel once the native window exists (X11), where
  // Qt's logical pixels cannot reach it. Only then: a window moved after it was created is placed
  // by some window managers as they like (weston's for X11 windows).
  const QPoint logical = ToLogical(devicePosition);
  move(logical);
  geometry_.Park(ToDevice(logical) == devicePosition ? std::nullopt
                                                     : std::optional(devicePosition));
}

void FramedWindow::ResizeTo(QSize deviceSize) {
  deviceSize = deviceSize.boundedTo(limits_.second).expandedTo(limits_.first);
  if (testAttribute(Qt::WA_WState_Created) && x11::Configure(winId(), {}, deviceSize)) return;
  resize((QSizeF(deviceSize) / devicePixelRatio()).toSize());
}

QPoint FramedWindow::ToDevice(QPointF global) const {
  // As near as Qt's global positions come: Qt 6.4 rounds them to logical pixels on X11.
  const QScreen* monitor = QGuiApplication::screenAt(global.toPoint());
  if (monitor == nullptr) monitor = screen();
  const QPointF corner = monitor->geometry().topLeft();
  return (corner + (global - corner) * monitor->devicePixelRatio()).toPoint();
}

QPoint FramedWindow::ToLogical(QPoint device) const {
  const QScreen* monitor = screen();
  for (const QScreen* each : QGuiApplication::screens()) {
    const QRect logical = each->geometry();
    if (QRectF(logical.topLeft(), QSizeF(logical.size()) * each->devicePixelRatio())
            .contains(device)) {
      monitor = each;
      break;
    }
  }
  const QPointF corner = monitor->geometry().topLeft();
  return (corner + (QPointF(device) - corner) / monitor->devicePixelRatio()).toPoint();
}

void FramedWindow::Hold(QSize size, QSize minimum, QSize maximum) {
  geometry_.Report(DeviceSize());
  if (limits_ != std::pair{minimum, maximum}) {
    limits_ = {minimum, maximum};
    // The toolkit keeps its own resizes within its limits, and writes them in the size hints it
    // maps the window with, in logical pixels: exact device pixels where those are whole logical
    // ones. Its size steps start from the base size, the smallest.
    const auto logical = [ratio = devicePixelRatio()](QSize device) {
      return (QSizeF(device) / ratio).toSize();
    };
    setMinimumSize(logical(minimum));
    setMaximumSize(logical(maximum));
    setBaseSize(logical(minimum));
    if (testAttribute(Qt::WA_WState_Created)) x11::HoldSizeHints(winId(), minimum, maximum);
  }
  geometry_.Want(size, DeviceDpi());
  AskForWanted();
}

bool FramedWindow::SizedByWindowManager() const {
  if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) {
    return true;
  }
  const QSize size = DeviceSize();
  const bool beyond =
      size.width() > limits_.second.width() || size.height() > limits_.second.height();
  return beyond && testAttribute(Qt::WA_WState_Created) && x11::SizedByWindowManager(winId());
}

void FramedWindow::SizeChanged() {
  const QSize device = DeviceSize();
  geometry_.Report(device);
  // On X11, where the frame resizes the window itself, never through the toolkit.
  QWindow* const native = windowHandle();
  if (native != nullptr && isVisible() && x11::ReportedSize(winId())) {
    const qreal ratio = devicePixelRatio();
    // Told of a move to another monitor and of a new size at once, the toolkit may take the
    // size at the last monitor's ratio of device pixels: it is told again. Its widget may keep
    // a size its window no longer has (after a move between monitors under metacity): it takes
    // the window's.
    if (geometry_.ToAnnounce(QSizeF(native->size()) * ratio, ratio)) {
      x11::AnnounceGeometry(winId());
    } else if (size() != native->size()) {
      QResizeEvent resized(native->size(), size());
      QCoreApplication::sendEvent(native, &resized);
    }
  }
  Resized();
}

void FramedWindow::AskForWanted() {
  const auto request = geometry_.ToAsk([this] {
    const std::optional<x11::PointerState> pointer = x11::Pointer();
    return DeviceGeometry::Whereabouts{DevicePosition(),
                                       pointer ? std::optional(pointer->position) : std::nullopt};
  });
  if (!request) return;
  if (testAttribute(Qt::WA_WState_Created) &&
      x11::Configure(winId(), request->position, request->size)) {
    return;
  }
  if (request->position) MoveTo(*request->position);
  ResizeTo(request->size);
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
  // On another screen, or at another ratio of device pixels, fonts measure differently, and the
  // window takes its size in that screen's pixels.
  if (event->type() == QEvent::ScreenChangeInternal) {
    fittedFor_.reset();
    FitCaptionFont();
    SizeChanged();
  }
  return QWidget::event(event);
}

void FramedWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOutClientArea();
  FitCaptionFont();
  SizeChanged();
}

void FramedWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // A resize made while the window was being shown, from inside the resize event Qt sends
  // then, comes with no event of its own.
  LayOutClientArea();
  windowHandle()->installEventFilter(this);  // told when the window is uncovered
  // The native window exists now and is not yet mapped: the window manager finds it where it
  // asked to be, to the pixel, with the size hints the toolkit maps it with starting their steps
  // from the smallest size (the toolkit takes a base size only once the native window exists).
  x11::WatchSize(winId(), this, [this] { SizeChanged(); });
  if (const std::optional<QPoint> parked = geometry_.TakeParked()) {
    x11::Configure(winId(), *parked, {});
  }
  windowHandle()->setBaseSize(baseSize());
  x11::HoldSizeHints(winId(), limits_.first, limits_.second);
  // The request to map the window goes out after this: the caption font is fitted while the
  // window manager maps the window, before it is first painted.
  QMetaObject::invokeMethod(
      this,
      [this] {
        fitDeferred_ = false;
        FitCaptionFont();
      },
      Qt::QueuedConnection);
}

void FramedWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (geometry_.Placing() && isVisible()) TakePositionFromX11();
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
    if (geometry_.ToAnnounce(ToLogical(*native), pos())) x11::AnnounceGeometry(winId());
  }
}

void FramedWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  switch (event->type()) {
    case QEvent::WindowTitleChange:
      // Put on screen already, in the font it has; a count of another length takes another
      // font, and the window repaints its title.
      if (!titlePut_ && !FitCaptionFont()) update(TitleRect());
      AnnounceTitle(this);
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
