// How the frame answers the pointer and the keyboard's window menu: which part of it is under the
// pointer, presses on the close button and the icon, drags of the caption bar and the lower edge,
// and the window menu.
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

#include "framed_window.h"
#include "window_words.h"
#include "x11_window_manager.h"

namespace countdown::frame {
namespace {
// A window manager that carries out a move or resize holds the pointer well within this time
// (milliseconds, in event timestamps).
constexpr std::uint64_t kWindowManagerTakesHold = 250;
// How often a drag the window manager carries out is looked in on, in milliseconds.
constexpr int kWatchInterval = 50;
// How far an arrow key moves the window, in logical pixels.
constexpr int kKeyMoveStep = 10;

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

void FramedWindow::OpenWindowMenu() {
  ShowWindowMenu(mapToGlobal(QPoint(IconRect().left(), CaptionRect().bottom() + 1)), true);
}

FramedWindow::Area FramedWindow::HitTest(QPoint point) const {
  if (LowerEdgeRect().contains(point)) return Area::LowerEdge;
  if (CloseButtonRect().contains(point)) return Area::CloseButton;
  if (IconRect().contains(point)) return Area::Icon;
  if (CaptionRect().contains(point)) return Area::Caption;
  return Area::None;
}

void FramedWindow::mousePressEvent(QMouseEvent* event) {
  EndDrag();
  ++presses_;
  geometry_.Press();
  const QPoint point = event->position().toPoint();
  const Area area = HitTest(point);
  if (event->button() == Qt::RightButton && (area == Area::Caption || area == Area::Icon)) {
    ShowWindowMenu(event->globalPosition().toPoint(), false);
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  switch (area) {
    case Area::Icon:
      ShowWindowMenu(mapToGlobal(QPoint(IconRect().left(), CaptionRect().bottom() + 1)), false);
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
    EndDrag();
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
  const QPoint globalPosition = x11::LastPointer().value_or(ToDevice(global));
  if (!drag_->started) {
    // The first movement of the pressed button starts the move, so that a click stays a click.
    drag_->started = true;
    geometry_.BeginDrag(drag_->area == Area::LowerEdge,
                        drag_->pressedAt - drag_->startDevice.topLeft());
    drag_->bySystem = StartSystemDrag(*this, drag_->pressedAt, drag_->area == Area::Caption);
    drag_->handedOverAt = globalPosition;
    drag_->handedOverTime = time;
    if (drag_->bySystem) {
      WatchSystemDrag(presses_, *drag_);
      return;
    }
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
  DragByHand(*drag_, globalPosition);
}

void FramedWindow::WatchSystemDrag(int press, const Dragging& drag) {
  // A window manager that carries out a drag holds the pointer, so the window hears nothing of it
  // until the button is let go: it asks the X server. Where the window is still where it was a
  // little after the button went up, though the pointer moved, the window manager said yes and
  // did nothing (fluxbox, now and then, at a fractional ratio): the window moves or resizes
  // itself to where the pointer was let go.
  QTimer::singleShot(kWatchInterval, this, [this, press, drag] {
    if (press != presses_) return;
    const std::optional<x11::PointerState> pointer = x11::Pointer();
    if (!pointer) return;
    if (pointer->leftButtonDown) {
      WatchSystemDrag(press, drag);
      return;
    }
    EndDrag();
    QTimer::singleShot(kWindowManagerTakesHold, this, [this, press, drag, at = pointer->position] {
      const int travel = (at - drag.pressedAt).manhattanLength();
      if (press == presses_ && geometry() == drag.startGeometry &&
          travel >= QApplication::startDragDistance() * devicePixelRatio()) {
        DragByHand(drag, at);
      }
    });
  });
}

void FramedWindow::DragByHand(const Dragging& drag, QPoint devicePosition) {
  const QPoint moved = devicePosition - drag.pressedAt;
  if (drag.area == Area::Caption) {
    MoveTo(drag.startDevice.topLeft() + moved);
  } else {
    ResizeTo({drag.startDevice.width(), drag.startDevice.height() + moved.y()});
  }
}

void FramedWindow::EndDrag() {
  drag_.reset();
  if (!geometry_.Dragging()) return;
  // What the window asked for during the drag waited for it to end.
  geometry_.EndDrag();
  SizeChanged();
}

void FramedWindow::mouseReleaseEvent(QMouseEvent* event) {
  EndDrag();
  if (!closeHeld_ || event->button() != Qt::LeftButton) return;
  const bool close = closeDown_;
  closeHeld_ = closeDown_ = false;
  update(CloseButtonRect());
  if (close) this->close();
}

void FramedWindow::ShowWindowMenu(QPoint globalPosition, bool fromKeyboard) {
  // What a window manager's title bar offers there: a move from the keyboard where the window
  // can place itself (not on Wayland), and to stay above other windows where the window manager
  // keeps windows above others (on X11).
  QMenu menu(this);
  QAction* const move = CanPlaceItself() ? menu.addAction(WindowWord("&Move")) : nullptr;
  QAction* const minimize = menu.addAction(WindowWord("Mi&nimize"));
  QAction* onTop = nullptr;
  if (const std::optional<bool> above = x11::KeptAbove(winId())) {
    onTop = menu.addAction(WindowWord("Stay on &Top"));
    onTop->setCheckable(true);
    onTop->setChecked(*above);
  }
  menu.addSeparator();
  QAction* const close = menu.addAction(WindowWord("&Close"));
  if (fromKeyboard) {
    // Its first item highlighted once it shows, as a menu opened from the keyboard has it: the
    // keys start from there, and a screen reader reads it out.
    QMetaObject::invokeMethod(
        &menu, [&menu] { menu.setActiveAction(menu.actions().value(0)); }, Qt::QueuedConnection);
  }
  QAction* const chosen = menu.exec(globalPosition);
  if (chosen == nullptr) return;
  if (chosen == move) {
    MoveByKeyboard();
  } else if (chosen == minimize) {
    showMinimized();
  } else if (chosen == onTop) {
    // Asked of the window manager, which keeps the window's place and size; the menu shows what
    // it says the next time.
    x11::KeepAbove(winId(), onTop->isChecked());
  } else if (chosen == close) {
    this->close();
  }
}

bool FramedWindow::CanPlaceItself() {
  return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void FramedWindow::MoveByKeyboard() {
  keyMoveFrom_ = DevicePosition();
  qApp->installEventFilter(this);
  // A window manager that moves windows from the keyboard takes the keyboard for it, and the
  // window hears no key until it gives it back; otherwise the window moves itself (KeyMoved).
  x11::StartKeyboardMove(winId(), this, [this] { EndKeyboardMove(false); });
}

bool FramedWindow::KeyMoved(const QEvent& event) {
  if (event.type() == QEvent::MouseButtonPress) EndKeyboardMove(false);
  if (event.type() != QEvent::KeyPress) return false;
  const int step = qRound(kKeyMoveStep * devicePixelRatio());
  QPoint by;
  switch (static_cast<const QKeyEvent&>(event).key()) {
    case Qt::Key_Left:
      by = {-step, 0};
      break;
    case Qt::Key_Right:
      by = {step, 0};
      break;
    case Qt::Key_Up:
      by = {0, -step};
      break;
    case Qt::Key_Down:
      by = {0, step};
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      EndKeyboardMove(false);
      return true;
    case Qt::Key_Escape:
      EndKeyboardMove(true);
      return true;
    default:  // any other key ends the move, and does what it does
      EndKeyboardMove(false);
      return false;
  }
  MoveTo(DevicePosition() + by);
  return true;
}

void FramedWindow::EndKeyboardMove(bool back) {
  if (!keyMoveFrom_) return;
  if (back) MoveTo(*keyMoveFrom_);
  keyMoveFrom_.reset();
  qApp->removeEventFilter(this);
}

}  // namespace countdown::frame
