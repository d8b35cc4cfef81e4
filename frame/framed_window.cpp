#include "framed_window.h"

#include <QAccessible>
#include <QApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QMouseEvent>
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
namespace {
// A window manager that carries out a move or resize holds the pointer well within this time
// (milliseconds, in event timestamps).
constexpr std::uint64_t kWindowManagerTakesHold = 250;

// Hands the drag to the window manager; false where it cannot take it. `pressedAt` is in device
// pixels.
bool StartSystemDrag(QWidget& window, QPoint pressedAt, bool move) {
  if (const auto started = x11::StartDrag(window.winId(), pressedAt,
                                          move ? x11::Drag::Move : x11::Drag::ResizeLowerEdge)) {
    return *started;
  }
  QWindow* const handle = window.windowHandle();
  if (handle == nullptr) return false;
  return move ? handle->startSystemMove() : handle->startSystemResize(Qt::BottomEdge);
}
}  // namespace

FramedWindow::FramedWindow() : client_(new QWidget(this)) {
  // Assistive technology sees a frame with a caption bar, as a window manager's would be.
  static const bool accessible = [] {
    QAccessible::installFactory(AccessibleFrameFactory);
    return true;
  }();
  (void)accessible;
  // No decoration from the window manager; it still places, stacks, focuses and minimizes the
  // window, and moves and resizes it when asked to.
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint);
  setMouseTracking(true);  // for the resize cursor over the lower edge
  auto* const menuKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
  connect(menuKey, &QShortcut::activated, this, &FramedWindow::OpenWindowMenu);
}

void FramedWindow::OpenWindowMenu() {
  ShowWindowMenu(mapToGlobal(QPoint(IconRect().left(), CaptionRect().bottom() + 1)));
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
        for (const int later : {250, 1000, 3000}) {
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
      // A count of another length takes another font, and the window repaints its title.
      if (!FitCaptionFont() && !titlePut_) update(TitleRect());
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

FramedWindow::Area FramedWindow::HitTest(QPoint point) const {
  if (LowerEdgeRect().contains(point)) return Area::LowerEdge;
  if (CloseButtonRect().contains(point)) return Area::CloseButton;
  if (IconRect().contains(point)) return Area::Icon;
  if (CaptionRect().contains(point)) return Area::Caption;
  return Area::None;
}

void FramedWindow::mousePressEvent(QMouseEvent* event) {
  drag_.reset();
  placing_ = false;
  const QPoint point = event->position().toPoint();
  const Area area = HitTest(point);
  if (event->button() == Qt::RightButton && (area == Area::Caption || area == Area::Icon)) {
    ShowWindowMenu(event->globalPosition().toPoint());
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  switch (area) {
    case Area::Icon:
      OpenWindowMenu();
      break;
    case Area::CloseButton:
      closeHeld_ = closeDown_ = true;
      update(CloseButtonRect());
      break;
    case Area::Caption:
    case Area::LowerEdge:
      drag_ = Dragging{.area = area,
                       .pressedAt = x11::LastPress().value_or(ToDevice(event->globalPosition())),
                       .startGeometry = geometry(),
                       .startDevice = QRect(DevicePosition(), DeviceSize()),
                       .handedOverAt = {},
                       .handedOverTime = 0};
      break;
    case Area::None:
      break;
  }
}

void FramedWindow::mouseMoveEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if (!(event->buttons() & Qt::LeftButton)) {
    // A move or resize the window manager carried out ends without a release reaching here.
    drag_.reset();
    closeHeld_ = closeDown_ = false;
    const Area area = HitTest(point);
    if (area != hovered_) {
      hovered_ = area;
      if (area == Area::LowerEdge) {
        setCursor(Qt::SizeVerCursor);
      } else {
        unsetCursor();
      }
    }
    return;
  }
  if (closeHeld_) {
    const bool down = CloseButtonRect().contains(point);
    if (down != closeDown_) {
      closeDown_ = down;
      update(CloseButtonRect());
    }
    return;
  }
  if (drag_) Drag(event->globalPosition(), event->timestamp());
}

void FramedWindow::Drag(QPointF global, std::uint64_t time) {
  const QPoint globalPosition = ToDevice(global);
  if (!drag_->started) {
    // The first movement of the pressed button starts the move, so that a click stays a click.
    drag_->started = true;
    drag_->bySystem = StartSystemDrag(*this, drag_->pressedAt, drag_->area == Area::Caption);
    drag_->handedOverAt = globalPosition;
    drag_->handedOverTime = time;
    if (drag_->bySystem) return;
  }
  if (drag_->bySystem) {
    // A window manager that carries out the move takes hold of the pointer, so no movement
    // reaches the window after that (only what was on its way before). One that said yes and
    // does nothing leaves the window where it was while the pointer goes on moving over it:
    // from then on the window follows the pointer itself.
    const bool stillHere = geometry() == drag_->startGeometry;
    const int travel = (globalPosition - drag_->handedOverAt).manhattanLength();
    const bool longAfter = time - drag_->handedOverTime >= kWindowManagerTakesHold;
    if (!stillHere || !longAfter ||
        travel < QApplication::startDragDistance() * devicePixelRatio()) {
      return;
    }
    drag_->bySystem = false;
  }
  DragByHand(globalPosition);
}

void FramedWindow::DragByHand(QPoint devicePosition) {
  const QPoint moved = devicePosition - drag_->pressedAt;
  if (drag_->area == Area::Caption) {
    MoveTo(drag_->startDevice.topLeft() + moved);
  } else {
    ResizeTo({drag_->startDevice.width(), drag_->startDevice.height() + moved.y()});
  }
}

void FramedWindow::mouseReleaseEvent(QMouseEvent* event) {
  drag_.reset();
  if (!closeHeld_ || event->button() != Qt::LeftButton) return;
  const bool close = closeDown_;
  closeHeld_ = closeDown_ = false;
  update(CloseButtonRect());
  if (close) this->close();
}

void FramedWindow::ShowWindowMenu(QPoint globalPosition) {
  QMenu menu(this);
  QAction* const minimize = menu.addAction(tr("Mi&nimize"));
  menu.addSeparator();
  QAction* const close = menu.addAction(tr("&Close"));
  QAction* const chosen = menu.exec(globalPosition);
  if (chosen == minimize) {
    showMinimized();
  } else if (chosen == close) {
    this->close();
  }
}

}  // namespace countdown::frame
